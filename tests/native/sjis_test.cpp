// The Shift-JIS rules every module shares: pairs, their JIS arithmetic both
// ways, and the one place where the save reads a wider lead range.
#include <gtest/gtest.h>

#include <cstring>

#include "app/layout.h"
#include "codec/euc.h"
#include "codec/sjis.h"
#include "app/pane_offsets.h"
#include "find/search.h"
#include "test_util.h"

namespace {

TEST(ShiftJis, PairArithmeticBothWays)
{
    const struct {
        const char* sjis;
        const char* jis;
    } cases[] = {
        {"81 40", "21 21"},  // the ideographic space, first of all
        {"82 A0", "24 22"},  // あ
        {"88 9F", "30 21"},  // 亜, first kanji of level 1
        {"9F FC", "5E 7E"},  // last pair of the 9F row
        {"E0 40", "5F 21"},  // first pair after the gap
        {"EA A4", "74 26"},  // last kanji of level 2
        {"83 7E", "25 5F"},  // trail just below 7F
        {"83 80", "25 60"},  // trail just above it
    };
    for (const auto& c : cases) {
        Bytes s = Unhex(c.sjis), j = Unhex(c.jis);
        unsigned char j1, j2, s1, s2;
        sjis::ToJis(static_cast<unsigned char>(s[0]), static_cast<unsigned char>(s[1]), &j1, &j2);
        EXPECT_EQ(Hex(Bytes{static_cast<char>(j1), static_cast<char>(j2)}), c.jis) << c.sjis;
        // From JIS and from EUC (bit 0x80 set) alike.
        for (unsigned high : {0x00u, 0x80u}) {
            sjis::FromJis(static_cast<unsigned char>(j[0]) | high, static_cast<unsigned char>(j[1]) | high, &s1, &s2);
            EXPECT_EQ(Hex(Bytes{static_cast<char>(s1), static_cast<char>(s2)}), c.sjis) << c.jis << " " << high;
        }
    }
}

TEST(ShiftJis, EveryJisX0208CodeRoundTrips)
{
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1)
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            unsigned char s1, s2, b1, b2;
            sjis::FromJis(j1, j2, &s1, &s2);
            ASSERT_TRUE(sjis::IsLead(s1)) << j1 << " " << j2;
            ASSERT_TRUE(sjis::IsTrail(s2)) << j1 << " " << j2;
            sjis::ToJis(s1, s2, &b1, &b2);
            ASSERT_EQ(b1, j1);
            ASSERT_EQ(b2, j2);
        }
}

TEST(ShiftJis, FourEucPairsAtOnceAgreeWithOneByOne)
{
    // Every EUC pair, four to a word in varying company.
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1)
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const unsigned char pair[2] = {static_cast<unsigned char>(j1 | 0x80), static_cast<unsigned char>(j2 | 0x80)};
            const unsigned char others[3][2] = {{0xA1, 0xA1}, {0xF4, 0xFE}, {static_cast<unsigned char>(j2 | 0x80), 0xB0}};
            unsigned char in[8], want[8];
            bool plainRows = true;
            for (int k = 0; k < 4; ++k) {
                const unsigned char* p = k == static_cast<int>((j1 + j2) % 4) ? pair : others[k % 3];
                in[2 * k] = p[0];
                in[2 * k + 1] = p[1];
                sjis::FromJis(p[0], p[1], want + 2 * k, want + 2 * k + 1);
                plainRows = plainRows && p[0] < 0xF5;
            }
            std::uint64_t word, got;
            std::memcpy(&word, in, 8);
            // The user-defined rows F5-FE go one by one.
            ASSERT_EQ(euc::FromEuc4(word, &got), plainRows) << j1 << " " << j2;
            if (plainRows) {
                ASSERT_EQ(std::memcmp(&got, want, 8), 0) << j1 << " " << j2;
            }
        }
    // Any byte outside A1-FE leaves the word to the byte-wise path.
    for (unsigned char odd : {0x00, 0x41, 0x7F, 0x80, 0xA0, 0xFF}) {
        for (int at = 0; at < 8; ++at) {
            unsigned char in[8] = {0xB0, 0xA1, 0xB0, 0xA1, 0xB0, 0xA1, 0xB0, 0xA1};
            in[at] = odd;
            std::uint64_t word, got = 0;
            std::memcpy(&word, in, 8);
            EXPECT_FALSE(euc::FromEuc4(word, &got)) << int(odd) << " at " << at;
        }
    }
}

// FD 40 is two characters wherever the panes' characters are walked (the
// title, the status line's selection size, the finder and the save), as
// code page 932 has it.
TEST(ShiftJis, FD40IsTwoCharacters)
{
    const Bytes text = Unhex("FD 40");
    EXPECT_EQ(sjis::CharLength(text.data(), text.size(), 0), 1u);
    EXPECT_FALSE(sjis::IsLead(0xFD));

    // The title may cut between FD and 40.
    Bytes path = Unhex("FD 40 FD 40 41");
    char title[20];
    FormatTitle(path.c_str(), title, sizeof title);
    EXPECT_EQ(Hex(Bytes(title + 17)), "40 41");

    // The finder and the status line's byte count.
    EXPECT_EQ(FindForward(text.data(), text.size(), 0, "@", 1), 1);
    EXPECT_EQ(CharIndexOfByte(text.data(), text.size(), 2), 2u);
    EXPECT_EQ(ByteOffsetOfChar(text.data(), text.size(), 1), 1u);

    // The save: FD has no place in EUC or JIS and becomes 〓; @ stays.
    EXPECT_EQ(Hex(SaveBytes(text, KanjiCode::EUC, LineBreakCode::CrLf)), "A2 AE 40");
    EXPECT_EQ(Hex(SaveBytes(text, KanjiCode::JIS, LineBreakCode::CrLf)), "1B 24 42 22 2E 1B 28 42 40");
}

}  // namespace
