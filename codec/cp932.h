// Code page 932 between Shift-JIS and Unicode, both ways, as Windows maps
// it (the panes' own mapping): the table is generated at build time by
// tools/gen_cp932.cpp. Every character that has Shift-JIS bytes maps to
// bytes that map back to it; of the NEC and IBM duplicates the way back
// picks the one Windows picks (ED 40 and FA 5C are both U+7E8A, which
// becomes FA 5C).
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/sjis.h"

namespace cp932 {

extern const std::uint16_t kSingle[256];        // 0xFFFF: none, or a lead byte
extern const std::uint16_t kPairs[60 * 256];    // [lead index << 8 | trail]; 0: none
extern const std::uint8_t kPageOf[256];         // page of U+xx00-xxFF in kPages
extern const std::uint16_t kPages[];            // 256 per page; 0: no bytes
extern const std::size_t kPageCount;
extern const std::uint16_t kEucSupplement[94 * 94];  // see EucSupplementToShiftJis
// EUC-JP-MS's bytes for the pairs of the leads 87, ED, EE, FA, FB and FC
// (0x8F j1 j2 or j1 j2 as one number; 0: none), by [lead row << 8 | trail].
extern const std::uint32_t kEucOfExtension[6 * 256];
// The twin below FA of each IBM extension FA40-FC4B, or 0: see IbmTwin.
extern const std::uint16_t kNecTwinOfIbm[3 * 256];
// The Shift-JIS pair of each code point UTF-8 writes in three bytes, as its
// two bytes stand in memory, lead first (copy them, do not shift them); 0
// below U+0800, for the surrogates, and where the character has no pair
// (none at all, or a single byte).
extern const std::uint16_t kThreeBytePairs[65536];

constexpr std::uint32_t kNone = 0xFFFFFFFF;

// The character of a byte that is not a lead byte, or kNone.
inline std::uint32_t SingleToUnicode(unsigned char c)
{
    return kSingle[c] == 0xFFFF ? kNone : kSingle[c];
}

// The character of a lead and a trail byte (sjis::IsPair), or kNone.
inline std::uint32_t PairToUnicode(unsigned char lead, unsigned char trail)
{
    const unsigned index = lead < 0xA0 ? lead - 0x81u : lead - 0xE0u + 31u;
    const std::uint16_t u = kPairs[index << 8 | trail];
    return u ? u : kNone;
}

// The Shift-JIS bytes of a character of the Basic Multilingual Plane: a
// single byte (below 0x100), lead << 8 | trail, or 0 when there are none.
inline unsigned FromUnicode(std::uint32_t u)
{
    return u < 0x10000 ? kPages[static_cast<std::size_t>(kPageOf[u >> 8]) << 8 | (u & 0xFF)] : 0;
}

// Where EUC's three-byte character 8F j1 j2 (j1, j2 in A1-FE) stands in
// code page 932, as EUC-JP-MS maps it (the IBM extensions and the
// user-defined area): lead << 8 | trail, or 0 when it has no place there
// (most of JIS X 0212).
inline unsigned EucSupplementToShiftJis(unsigned char j1, unsigned char j2)
{
    return kEucSupplement[(j1 - 0xA1u) * 94u + (j2 - 0xA1u)];
}

// EUC-JP-MS's bytes for a pair whose lead is 87 or ED-FC (as
// kEucOfExtension), or 0: the user-defined rows and what EUC-JP-MS does not
// know have none here.
inline std::uint32_t EucOfExtension(unsigned char lead, unsigned char trail)
{
    const int row = lead == 0x87 ? 0 : lead == 0xED ? 1 : lead == 0xEE ? 2 : lead >= 0xFA && lead <= 0xFC ? lead - 0xF7 : -1;
    return row < 0 ? 0 : kEucOfExtension[static_cast<unsigned>(row) << 8 | trail];
}

// The same character below FA for an IBM extension (FA-FC): JIS X 0208
// first, then NEC row 13, then the NEC-selected rows ED-EE; lead << 8 |
// trail, or 0 for a code that is no character.
inline unsigned IbmTwin(unsigned char lead, unsigned char trail)
{
    return lead >= 0xFA && lead <= 0xFC ? kNecTwinOfIbm[(lead - 0xFAu) << 8 | trail] : 0;
}

}  // namespace cp932
