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
#if defined(VEXA_SSE2)
#include <emmintrin.h>
#endif

namespace sjis {

struct Tables {
    std::array<unsigned char, 256> lead{};
    std::array<unsigned char, 256> trail{};
    // The save pass reads first bytes up to FE (FD and FE included), so
    // that the whole user-defined area goes through the same arithmetic.
    std::array<unsigned char, 256> saveLead{};
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
        t.saveLead[c] = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFE);
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
inline bool IsSaveLead(unsigned char c) { return kTables.saveLead[c] != 0; }

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

// The JIS pair of a Shift-JIS pair (lead by the save pass's range).
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

// Four EUC pairs at once, in the eight bytes of a little-endian word: true,
// and their Shift-JIS pairs in *sjis, when every byte lies in A1-FE;
// false, and nothing written, otherwise. The same arithmetic as FromJis, in
// 16-bit lanes that never carry into each other.
inline bool FromEuc4(std::uint64_t euc, std::uint64_t* sjis)
{
    constexpr std::uint64_t kHigh = 0x8080808080808080ull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr std::uint64_t kLane = 0x00FF00FF00FF00FFull, kOnes = 0x0001000100010001ull;
    const std::uint64_t y = euc & kLow7;
    // Each byte's low seven bits in 21-7E: bit 7 of y + 5F set, of y + 01 clear.
    if ((euc & kHigh) != kHigh || ((y + 0x5F5F5F5F5F5F5F5Full) & ~(y + 0x0101010101010101ull) & kHigh) != kHigh)
        return false;
    const std::uint64_t j1 = y & kLane, j2 = (y >> 8) & kLane;
    std::uint64_t s1 = (((j1 + kOnes) >> 1) & kLane) + 0x70 * kOnes;
    s1 += (((s1 + 0x60 * kOnes) >> 8) & kOnes) << 6;  // from A0 on, plus 40
    std::uint64_t s2 = j2 + 0x7D * kOnes - (j1 & kOnes) * 0x5E;  // odd rows: plus 1F
    s2 += ((s2 + 0x81 * kOnes) >> 8) & kOnes;                   // from 7F on, plus 1
    *sjis = s1 | (s2 << 8);
    return true;
}

#if defined(VEXA_SSE2)
namespace block {

// Bit k of a 16-bit mask as all ones or zeros in byte k.
inline __m128i ExpandMask(unsigned mask)
{
    __m128i x = _mm_cvtsi32_si128(static_cast<int>(mask));
    x = _mm_unpacklo_epi8(x, x);
    x = _mm_unpacklo_epi16(x, x);
    x = _mm_unpacklo_epi32(x, x);
    const __m128i bits = _mm_set1_epi64x(static_cast<long long>(0x8040201008040201ull));
    return _mm_cmpeq_epi8(_mm_and_si128(x, bits), bits);
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no)
{
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// FromJis byte by byte: the lead from the first byte alone, the trail
// from the second and the first byte's parity (`before` holds, in each
// byte, the byte before it). Only A1-FE is meaningful.
inline __m128i FromEucLeads(__m128i v)
{
    const __m128i half = _mm_add_epi8(_mm_avg_epu8(_mm_and_si128(v, _mm_set1_epi8(0x7F)), _mm_setzero_si128()),
                                      _mm_set1_epi8(0x70));  // 81-AF: below zero as signed
    return _mm_add_epi8(half, _mm_and_si128(_mm_cmpgt_epi8(half, _mm_set1_epi8(static_cast<char>(0x9F))),
                                            _mm_set1_epi8(0x40)));  // from A0 on, plus 40
}

inline __m128i FromEucTrails(__m128i v, __m128i before)
{
    const __m128i j2 = _mm_and_si128(v, _mm_set1_epi8(0x7F));
    const __m128i one = _mm_set1_epi8(1);
    const __m128i odd = _mm_cmpeq_epi8(_mm_and_si128(before, one), one);
    // Even rows: j2 + 7E. Odd rows: j2 + 1F, and one more from 60 on (7F is skipped).
    const __m128i base = Select(odd, _mm_set1_epi8(0x1F), _mm_set1_epi8(0x7E));
    const __m128i skip = _mm_and_si128(odd, _mm_cmpgt_epi8(j2, _mm_set1_epi8(0x5F)));
    return _mm_sub_epi8(_mm_add_epi8(j2, base), skip);
}

}  // namespace block

// EUC text from t + i, where a character begins, converted in place sixteen
// bytes at a time until fewer than sixteen are left before `end` or a
// block holds a byte the byte-wise rule must see: 80-A0 or FF, ESC when
// `stopAtEsc`, or a first byte A1-FE whose second is below 0x80. Returns
// where that rule takes over (a character begins there) and adds the pairs
// converted to *pairs (when given). Runs of bytes A1-FE pair up from their start, as
// the byte-wise rule pairs them. A pair may span two blocks: its first byte
// is converted with the first block and put back when the second is left to
// that rule. Blocks go at a fixed stride, so that the next load never waits
// for this block's answer.
inline std::size_t FromEucBlocks(unsigned char* t, std::size_t i, std::size_t end, bool stopAtEsc,
                                 std::uint64_t* pairs)
{
    const __m128i esc = _mm_set1_epi8(stopAtEsc ? 0x1B : -1);
    __m128i previous = _mm_setzero_si128();
    unsigned carry = 0;  // bit 0: the block's first byte ends a pair begun before it
    std::uint64_t count = 0;
    for (; i + 16 <= end; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
        const unsigned odd = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(0xA1))),
                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(-1)), _mm_cmpeq_epi8(v, esc)))));
        // The runs that start at an even position vanish when their first
        // bit is added: each run's carry ends in the zero after it.
        const unsigned h = high & ~carry;
        const unsigned starts = h & ~(h << 1);
        const unsigned evenRuns = h & ~(h + (starts & 0x5555u));
        const unsigned leads = (evenRuns & 0x5555u) | (h & ~evenRuns & 0xAAAAu);
        const unsigned trails = (h & ~leads) | carry;
        if (odd | (leads & ~(trails >> 1) & 0x7FFFu) | (carry & ~high))
            break;
        // Every high byte of the block that is no second byte is a first.
        const __m128i before = _mm_or_si128(_mm_slli_si128(v, 1), _mm_srli_si128(previous, 15));
        const __m128i seconds = block::ExpandMask(trails);
        const __m128i firsts = _mm_andnot_si128(seconds, _mm_cmplt_epi8(v, _mm_setzero_si128()));
        __m128i out = block::Select(seconds, block::FromEucTrails(v, before), v);
        out = block::Select(firsts, block::FromEucLeads(v), out);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + i), out);
        if (pairs)
            count += bytes::CountBits16(leads);
        carry = leads >> 15;
        previous = v;
    }
    if (carry) {
        --i;  // the pair across the last block done is left to the byte-wise rule
        t[i] = static_cast<unsigned char>(static_cast<unsigned>(_mm_extract_epi16(previous, 7)) >> 8);
        count -= pairs != nullptr;
    }
    if (pairs)
        *pairs += count;
    return i;
}
#endif

// Detection's evidence. A first byte 80-A0 with a Shift-JIS trail occurs
// only in Shift-JIS; A1-DF followed by A1-FE reads as an EUC pair.
inline bool IsShiftJisOnlyLead(unsigned char c) { return c >= 0x80 && c <= 0xA0; }
inline bool IsEucEvidence(unsigned char c, unsigned char d) { return c >= 0xA1 && c <= 0xDF && d >= 0xA1 && d <= 0xFE; }

}  // namespace sjis
