// EUC (EUC-JP as Windows' code page 932 knows it, the bytes of iconv's
// EUC-JP-MS), both ways against the internal Shift-JIS.
//
//   00-7F          one byte, as it is
//   8E xx          half-width katakana xx (A1-DF), one byte A1-DF in Shift-JIS
//   8F j1 j2       JIS X 0212 and the IBM extensions (j1, j2 in A1-FE), by
//                  EUC-JP-MS's table (cp932::EucSupplementToShiftJis); the
//                  user-defined F540-F9FC as 8F F5A1-FEFE
//   j1 j2          JIS X 0208 and NEC row 13 (j1 A1-F4, j2 A1-FE): the JIS
//                  arithmetic of sjis.h with bit 0x80 set in both bytes;
//                  rows F9-FC are the NEC-selected IBM extensions ED40-EEFC,
//                  as nkf and Windows write them; rows F5-F8 and FD-FE are
//                  the user-defined F040-F1FC and F440-F4FC (EUC-JP-MS)
//
// Writing, each code page 932 character becomes what EUC-JP-MS writes for it:
// the IBM extensions and their NEC-selected twins as 8F and a JIS X 0212
// pair where they have one (cp932::EucOfExtension), the user-defined area
// as above. Where EUC has no place, the character is written as 〓 (A2 AE)
// and counted: the user-defined F240-F3FC (their EUC-JP-MS rows F9-FC read
// as the NEC-selected extensions), the unassigned rows EB, EC and EF (which
// would come back as user-defined ones), codes FA-FC that are no character,
// and the single bytes E0-FF. Bytes 80-A0 stand alone, as they are read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/bytes.h"
#include "codec/cp932.h"
#include "codec/progress.h"
#include "codec/sjis.h"
#if defined(VEXA_SSE2)
#include <emmintrin.h>
#endif

namespace euc {

constexpr unsigned char kSingleShift2 = 0x8E;  // and one byte A1-DF: half-width katakana
constexpr unsigned char kSingleShift3 = 0x8F;  // and two bytes A1-FE
constexpr unsigned kReplacement = 0xA2AE;      // 〓

inline bool IsKatakana(unsigned c) { return c >= 0xA1 && c <= 0xDF; }

// The Shift-JIS pair of an EUC pair j1 j2 (j1 A1-FE).
inline void PairToShiftJis(unsigned j1, unsigned j2, unsigned char* s1, unsigned char* s2)
{
    sjis::FromJis(j1, j2, s1, s2);
    if ((j1 >= 0xF5 && j1 <= 0xF8) || j1 == 0xFD || j1 == 0xFE)
        *s1 = static_cast<unsigned char>(*s1 + 5);  // EB, EC, EF: the user-defined F0, F1, F4
}

// Whether the pairs of a Shift-JIS lead are written by the JIS arithmetic
// alone: JIS X 0208's rows (81-86, 88-9F, E0-EA).
inline bool IsPlainLead(unsigned c) { return (c >= 0x81 && c <= 0x86) || (c >= 0x88 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEA); }

// The EUC bytes of a Shift-JIS pair, as one number (j1 j2, or 8F j1 j2),
// or 0 where EUC has no place for it.
inline std::uint32_t OfPair(unsigned char s1, unsigned char s2)
{
    unsigned char j1, j2;  // j1 runs on past 7E from the lead F0 on
    sjis::ToJis(s1, s2, &j1, &j2);
    const std::uint32_t cell = j2 | 0x80u;
    const std::uint32_t plain = static_cast<std::uint32_t>(j1 | 0x80) << 8 | cell;
    if (IsPlainLead(s1))
        return plain;
    if (s1 == 0x87 || s1 == 0xED || s1 == 0xEE) {
        const std::uint32_t table = cp932::EucOfExtension(s1, s2);
        return table ? table : plain;  // codes without a character come back by the arithmetic
    }
    if (s1 >= 0xFA)
        return cp932::EucOfExtension(s1, s2);
    if (s1 == 0xF0 || s1 == 0xF1 || s1 == 0xF4)
        return static_cast<std::uint32_t>(j1 + 0x76) << 8 | cell;  // rows F5-F8, FD-FE
    if (s1 >= 0xF5 && s1 <= 0xF9)
        return 0x8F0000u | static_cast<std::uint32_t>(j1 + 0x6C) << 8 | cell;  // 8F and rows F5-FE
    return 0;  // EB, EC, EF, and F2-F3, whose rows are the NEC-selected extensions'
}

// Whether the character at t[i] (of a text of `length` bytes) has a place
// in EUC; *taken receives its length.
inline bool HasPlace(const unsigned char* t, std::size_t length, std::size_t i, std::size_t* taken)
{
    if (i + 1 < length && sjis::IsPair(t[i], t[i + 1])) {
        *taken = 2;
        return OfPair(t[i], t[i + 1]) != 0;
    }
    *taken = 1;
    return t[i] < 0xE0;
}

// Load: the text of `length` bytes in `capacity`, in place, EUC or 7-bit
// JIS (the two are read by one rule, as files mix them: JIS's escapes are
// obeyed in EUC too, jis.h) to Shift-JIS, zero-terminated; the new length
// to *newLength, the characters that became 〓 (8F codes code page 932
// lacks) to *replaced.
void ToShiftJis(char* text, std::size_t length, std::size_t capacity, const ProgressSink* progress,
                std::size_t* newLength, std::uint64_t* replaced);

// Save: the `length` bytes of Shift-JIS into `output` as EUC,
// zero-terminated; returns the output length. The characters written as 〓
// are added to *replaced. A capacity below 5 * (length + 1) shortens the
// text rather than overrunning it.
std::size_t FromShiftJis(const unsigned char* text, std::size_t length, unsigned char* output,
                         std::size_t outputCapacity, const ProgressSink* progress, std::uint64_t* replaced);

// Four EUC pairs at once, in the eight bytes of a little-endian word: true,
// and their Shift-JIS pairs in *sjis, when every byte lies in A1-FE and
// every first byte below F5 (the user-defined rows go one by one); false,
// and nothing written, otherwise. The same arithmetic as sjis::FromJis, in
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
    if ((j1 + 0x0B * kOnes) & (0x80 * kOnes))
        return false;  // a first byte F5-FE
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

// sjis::FromJis byte by byte: the lead from the first byte alone, the trail
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
// `stopAtEsc`, a first byte A1-FE whose second is below 0x80, or a first
// byte F5-FE (the user-defined rows). Returns
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
        const unsigned userRows = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(static_cast<char>(0xF5))), v)));
        if (odd | (leads & ~(trails >> 1) & 0x7FFFu) | (carry & ~high) | (leads & userRows))
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


}  // namespace euc
