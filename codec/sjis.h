// Shift-JIS as the panes hold it (code page 932): which bytes begin and
// complete a two-byte character, and the arithmetic between a Shift-JIS
// pair and its JIS X 0208 row and cell. Every module that walks or converts
// Shift-JIS asks here.
//
// A two-byte character is a lead byte 81-9F or E0-FC followed by a trail
// byte 40-7E or 80-FC; every other byte is a character of its own.
//
// Shift-JIS s1 s2 to JIS j1 j2 (EUC is j1 j2 with bit 0x80 set in both):
//     s1' = s1 - (s1 >= E0 ? 40 : 0)          s2' = s2 - (s2 >= 80 ? 1 : 0)
//     s2' >= 9E:  j1 = (s1' - 70) * 2         j2 = s2' - 7D
//     otherwise:  j1 = (s1' - 70) * 2 - 1     j2 = s2' - 1F
// JIS j1 j2 (bit 0x80 of either byte ignored) to Shift-JIS:
//     s1 = (j1 + 1) / 2 + 70, plus 40 from A0 on
//     j1 odd:  s2 = j2 + 1F      j1 even: s2 = j2 + 7D      plus 1 from 7F on
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codec/bytes.h"

namespace sjis {

struct Tables {
    std::array<unsigned char, 256> lead{};
    std::array<unsigned char, 256> trail{};
    // To JIS: (s1' - 70) * 2 as a byte, the cell, and whether s2 is in the
    // upper half (the even row).
    std::array<unsigned char, 256> row{};
    std::array<unsigned char, 256> cell{};
    std::array<unsigned char, 256> upperHalf{};
    // From JIS: the lead for j1, and the trail for [j1 odd][j2].
    std::array<unsigned char, 256> fromJisLead{};
    std::array<unsigned char, 512> fromJisTrail{};
};

constexpr Tables MakeTables()
{
    Tables t{};
    for (unsigned c = 0; c < 256; ++c) {
        t.lead[c] = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        t.trail[c] = (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
        unsigned s1 = c >= 0xE0 ? c - 0x40 : c;
        t.row[c] = static_cast<unsigned char>((s1 - 0x70) * 2);
        unsigned s2 = c >= 0x80 ? c - 1 : c;
        bool upper = s2 >= 0x9E;
        t.upperHalf[c] = upper;
        t.cell[c] = static_cast<unsigned char>(upper ? s2 - 0x7D : s2 - 0x1F);

        unsigned j = c & 0x7F;
        unsigned lead = (j + 1) / 2 + 0x70;
        if (lead >= 0xA0)
            lead += 0x40;
        t.fromJisLead[c] = static_cast<unsigned char>(lead);
        unsigned odd = j + 0x1F, even = j + 0x7D;
        if (odd >= 0x7F)
            ++odd;
        if (even >= 0x7F)
            ++even;
        t.fromJisTrail[256 + c] = static_cast<unsigned char>(odd);
        t.fromJisTrail[c] = static_cast<unsigned char>(even);
    }
    return t;
}

inline constexpr Tables kTables = MakeTables();

inline bool IsLead(unsigned char c) { return kTables.lead[c] != 0; }
inline bool IsTrail(unsigned char c) { return kTables.trail[c] != 0; }
inline bool IsPair(unsigned char c, unsigned char d) { return IsLead(c) && IsTrail(d); }

// Bytes of the character at p of a text of `length` bytes (p < length).
inline std::size_t CharLength(const char* text, std::size_t length, std::size_t p)
{
    return p + 1 < length && IsPair(static_cast<unsigned char>(text[p]), static_cast<unsigned char>(text[p + 1])) ? 2
                                                                                                               : 1;
}

// Whether a character begins at k (k <= length), found from the bytes just
// before k: after a byte that cannot lead, a character always begins, and a
// run of bytes that can lead pairs up from there (every lead byte is also a
// trail byte). An odd run ends in a lead byte that takes the byte at k as
// its trail when it can.
inline bool IsBoundary(const char* text, std::size_t length, std::size_t k)
{
    std::size_t run = 0;
    while (run < k && IsLead(static_cast<unsigned char>(text[k - run - 1])))
        ++run;
    return run % 2 == 0 || k >= length || !IsTrail(static_cast<unsigned char>(text[k]));
}

// The JIS pair of a Shift-JIS pair (JIS X 0208's arithmetic, which EUC and
// 7-bit JIS share; which codes each may write is theirs to say).
inline void ToJis(unsigned s1, unsigned s2, unsigned char* j1, unsigned char* j2)
{
    *j1 = static_cast<unsigned char>(kTables.row[s1] - (kTables.upperHalf[s2] ? 0 : 1));
    *j2 = kTables.cell[s2];
}

// The Shift-JIS pair of a JIS or EUC pair.
inline void FromJis(unsigned j1, unsigned j2, unsigned char* s1, unsigned char* s2)
{
    *s1 = kTables.fromJisLead[j1];
    *s2 = kTables.fromJisTrail[((j1 & 1) << 8) | j2];
}

// Detection's evidence. A first byte 80-A0 with a Shift-JIS trail occurs
// only in Shift-JIS; A1-DF followed by A1-FE reads as an EUC pair.
inline bool IsShiftJisOnlyLead(unsigned char c) { return c >= 0x80 && c <= 0xA0; }
inline bool IsEucEvidence(unsigned char c, unsigned char d) { return c >= 0xA1 && c <= 0xDF && d >= 0xA1 && d <= 0xFE; }

}  // namespace sjis
