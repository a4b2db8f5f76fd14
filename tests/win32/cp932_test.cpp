// The code page 932 table the core carries, built from the C library's
// CP932 on the build machine, against the system's own code page 932: every
// byte and pair the same character, every character the same bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include "codec/cp932.h"

namespace {

bool IsLead(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The system's character for `n` bytes: -1 where it has none. A default
// character given without complaint (Windows gives U+F8F0-F8F3 for A0 and
// FD-FF) counts as a character.
long SystemCharacter(const char* bytes, int n)
{
    WCHAR w[4] = {0};
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, n, w, 4) == 1)
        return w[0];
    if (MultiByteToWideChar(932, 0, bytes, n, w, 4) == 1 && w[0] >= 0xF8F0 && w[0] <= 0xF8F3)
        return w[0];
    return -1;
}

TEST(Cp932System, BytesGiveTheSameCharacters)
{
    unsigned pairs = 0;
    for (unsigned c = 0x80; c < 0x100; ++c) {
        if (IsLead(c))
            continue;
        const char b[1] = {static_cast<char>(c)};
        const long system = SystemCharacter(b, 1);
        const std::uint32_t table = cp932::SingleToUnicode(static_cast<unsigned char>(c));
        EXPECT_EQ(table == cp932::kNone ? -1L : static_cast<long>(table), system) << std::hex << c;
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(lead))
            continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const char b[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const long system = SystemCharacter(b, 2);
            const std::uint32_t table =
                cp932::PairToUnicode(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            ASSERT_EQ(table == cp932::kNone ? -1L : static_cast<long>(table), system)
                << std::hex << lead << " " << trail;
            pairs += table != cp932::kNone;
        }
    }
    EXPECT_GT(pairs, 7000u);
}

TEST(Cp932System, CharactersGoToTheSameBytes)
{
    unsigned mapped = 0;
    for (unsigned u = 1; u < 0x10000; ++u) {
        if (u >= 0xD800 && u < 0xE000)
            continue;
        const WCHAR w = static_cast<WCHAR>(u);
        char out[4];
        BOOL usedDefault = FALSE;
        // Without best fit: a lookalike would not come back as itself.
        const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &w, 1, out, sizeof out, NULL, &usedDefault);
        unsigned system = 0;
        if (n == 1 && !usedDefault)
            system = static_cast<unsigned char>(out[0]);
        else if (n == 2 && !usedDefault)
            system = static_cast<unsigned>(static_cast<unsigned char>(out[0])) << 8 | static_cast<unsigned char>(out[1]);
        ASSERT_EQ(cp932::FromUnicode(u), system) << std::hex << u;
        mapped += system != 0;
    }
    EXPECT_GT(mapped, 7500u);
}

}  // namespace
