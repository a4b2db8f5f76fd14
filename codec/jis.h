// 7-bit JIS (ISO-2022-JP with half-width katakana), both ways against the
// internal Shift-JIS. Every byte written is below 0x80.
//
//   ESC ( B, ESC ( J    one-byte characters 00-7F
//   ESC $ B, ESC $ @    pairs j1 j2 (21-7E) of JIS X 0208 and NEC row 13, by
//                       the arithmetic of sjis.h; rows 79-7C are the
//                       NEC-selected IBM extensions ED40-EEFC
//   ESC $ ( x, ESC & @ ESC $ B    also open pairs
//   ESC ( I             half-width katakana: 21-5F for A1-DF
//
// Reading is EUC's reader (euc.h), which obeys these escapes wherever they
// stand. Writing opens a mode only when a character needs it; a run of
// katakana is closed with ESC ( B even at the end, a text ending in a pair
// is not. The IBM extensions FA40-FC4B are written as their twins below FA
// (JIS X 0208 first, then NEC row 13, then the NEC-selected rows), as
// nkf -j writes them. What 7-bit JIS has no place for is written as 〓
// (22 2E) and counted: the user-defined area F040-F9FC, codes FA-FC that are
// no character, and the single bytes 80-A0 and E0-FF.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/cp932.h"
#include "codec/progress.h"
#include "codec/sjis.h"

namespace jis {

constexpr unsigned char kReplacement[2] = {0x22, 0x2E};  // 〓

// Where a text stands: which switch was written last.
enum class Mode { Ascii, Kanji, Kana };

inline bool IsKatakana(unsigned c) { return c >= 0xA1 && c <= 0xDF; }

// The JIS pair of a Shift-JIS pair, or false where 7-bit JIS has none.
inline bool OfPair(unsigned char s1, unsigned char s2, unsigned char* j1, unsigned char* j2)
{
    if (s1 >= 0xF0) {
        const unsigned twin = cp932::IbmTwin(s1, s2);
        if (!twin)
            return false;
        s1 = static_cast<unsigned char>(twin >> 8);
        s2 = static_cast<unsigned char>(twin);
    }
    sjis::ToJis(s1, s2, j1, j2);
    return true;
}

// Whether the character at t[i] (of a text of `length` bytes) has a place
// in 7-bit JIS; *taken receives its length.
inline bool HasPlace(const unsigned char* t, std::size_t length, std::size_t i, std::size_t* taken)
{
    if (i + 1 < length && sjis::IsPair(t[i], t[i + 1])) {
        *taken = 2;
        unsigned char j1, j2;
        return OfPair(t[i], t[i + 1], &j1, &j2);
    }
    *taken = 1;
    return t[i] < 0x80 || IsKatakana(t[i]);
}

// An escape sequence at t[i] (of `length` bytes): true, its length in
// *taken and the mode it opens in *twoByte and *kana; false where ESC
// begins none.
inline bool ReadEscape(const unsigned char* t, std::size_t length, std::size_t i, std::size_t* taken, bool* twoByte,
                       bool* kana)
{
    const unsigned b1 = i + 1 < length ? t[i + 1] : 0u, b2 = i + 2 < length ? t[i + 2] : 0u;
    if (b1 == '$' && b2 == '(')
        *taken = 4;
    else if (b1 == '$' && (b2 == '@' || b2 == 'B'))
        *taken = 3;
    else if (b1 == '&')
        *taken = 6;  // ESC & @ ESC $ B
    else if (b1 == '(')
        *taken = 3;
    else
        return false;
    *twoByte = b1 != '(';
    *kana = b1 == '(' && b2 == 'I';
    return true;
}

// Save: the `length` bytes of Shift-JIS into `output` as 7-bit JIS,
// zero-terminated; returns the output length. The characters written as 〓
// are added to *replaced. A capacity below 5 * (length + 1) shortens the
// text rather than overrunning it.
std::size_t FromShiftJis(const unsigned char* text, std::size_t length, unsigned char* output,
                         std::size_t outputCapacity, const ProgressSink* progress, std::uint64_t* replaced);

}  // namespace jis
