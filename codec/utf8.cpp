// UTF-8, both ways against the internal Shift-JIS.
//
// A character is one of:
//     00-7F                     U+0000-007F
//     C2-DF 80-BF               U+0080-07FF
//     E0 A0-BF 80-BF            U+0800-0FFF
//     E1-EC 80-BF 80-BF         U+1000-CFFF
//     ED 80-9F 80-BF            U+D000-D7FF (A0-BF would be surrogates)
//     EE-EF 80-BF 80-BF         U+E000-FFFF
//     F0 90-BF 80-BF 80-BF      U+10000-3FFFF
//     F1-F3 80-BF 80-BF 80-BF   U+40000-FFFFF
//     F4 80-8F 80-BF 80-BF      U+100000-10FFFF
// Nothing else is well-formed: 80-C1 and F5-FF never begin a character.
// An ill-formed piece is the longest start of a sequence the table allows
// (a lead byte and the continuation bytes that fit), or else one byte; each
// piece counts as one replaced character.
//
// Shift-JIS to Unicode and back is code page 932 (codec/cp932.h). Every
// character of Shift-JIS is in the Basic Multilingual Plane, so each takes
// one to three bytes of UTF-8.
#include "codec/utf8.h"

#include <array>
#include <cstring>

#include "codec/bytes.h"
#include "codec/cp932.h"
#include "codec/sjis.h"
#if defined(VEXA_SSSE3_AT_RUN_TIME)
#include <tmmintrin.h>
#endif

namespace utf8 {

namespace {

struct Lead {
    unsigned char length;  // of the sequence; 0: begins none
    unsigned char low, high;  // the second byte's range
};

constexpr std::array<Lead, 256> MakeLeads()
{
    std::array<Lead, 256> t{};
    for (unsigned c = 0; c < 256; ++c) {
        Lead l{0, 0x80, 0xBF};
        if (c < 0x80)
            l.length = 1;
        else if (c >= 0xC2 && c <= 0xDF)
            l.length = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            l.length = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            l.length = 4;
        if (c == 0xE0)
            l.low = 0xA0;
        if (c == 0xED)
            l.high = 0x9F;
        if (c == 0xF0)
            l.low = 0x90;
        if (c == 0xF4)
            l.high = 0x8F;
        t[c] = l;
    }
    return t;
}

constexpr std::array<Lead, 256> kLeads = MakeLeads();

inline bool IsContinuation(unsigned c) { return (c & 0xC0) == 0x80; }

// The common case, a well-formed sequence of three bytes at t (four bytes
// are read): its code point, or 0. 1110xxxx 10xxxxxx 10xxxxxx is tested in
// one step; the shortest form and the surrogates on the code point.
inline std::uint32_t ThreeBytes(const unsigned char* t)
{
    std::uint32_t w;
    std::memcpy(&w, t, 4);
    if ((w & 0x00C0C0F0u) != 0x008080E0u)
        return 0;
    const std::uint32_t u = (w & 0x0F) << 12 | (w >> 2 & 0x0FC0) | (w >> 16 & 0x3F);
    return u >= 0x800 && (u & 0xF800) != 0xD800 ? u : 0;
}

// The code point of three bytes 1110xxxx 10xxxxxx 10xxxxxx in the low three
// bytes of w (first byte lowest), not checked.
inline std::uint32_t ThreeByteIndex(std::uint32_t w) { return (w & 0x0F) << 12 | (w >> 2 & 0x0FC0) | (w >> 16 & 0x3F); }

// The character at t[i] (t[i] >= 0x80): its bytes go to *taken; kNone for
// an ill-formed piece or a sequence cut off by `len` (then *cut is set).
inline std::uint32_t Decode(const unsigned char* t, std::size_t i, std::size_t len, std::size_t* taken, bool* cut)
{
    const unsigned char b0 = t[i];
    const Lead l = kLeads[b0];
    *cut = false;
    *taken = 1;
    if (l.length < 2)
        return cp932::kNone;
    if (i + 1 >= len) {
        *cut = true;
        return cp932::kNone;
    }
    const unsigned b1 = t[i + 1];
    if (b1 < l.low || b1 > l.high)
        return cp932::kNone;
    if (l.length == 2) {
        *taken = 2;
        return (b0 & 0x1Fu) << 6 | (b1 & 0x3F);
    }
    *taken = 2;
    if (i + 2 >= len) {
        *cut = true;
        return cp932::kNone;
    }
    const unsigned b2 = t[i + 2];
    if (!IsContinuation(b2))
        return cp932::kNone;
    *taken = 3;
    if (l.length == 3)
        return (b0 & 0x0Fu) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
    if (i + 3 >= len) {
        *cut = true;
        return cp932::kNone;
    }
    const unsigned b3 = t[i + 3];
    if (!IsContinuation(b3))
        return cp932::kNone;
    *taken = 4;
    return (b0 & 0x07u) << 18 | (b1 & 0x3F) << 12 | (b2 & 0x3F) << 6 | (b3 & 0x3F);
}

#if defined(VEXA_SSSE3_AT_RUN_TIME)
// Sixteen bytes at a time from a character boundary, by three table lookups
// a block (PSHUFB), after Keiser and Lemire, "Validating UTF-8 In Less Than
// One Instruction Per Byte" (2021): each pair of neighbouring bytes is
// looked up by the high and low half of the first and the high half of the
// second, and the three answers share a bit only where the pair is wrong; a
// byte that the lead two or three before it wants as a continuation is
// checked apart. Returns the boundary up to which the text is well-formed;
// *wide when that part holds a byte E0 or above, a lead of three or four.
namespace lookup {

constexpr unsigned char TooShort = 1 << 0;   // 11______ 0_______ or 11______ 11______
constexpr unsigned char TooLong = 1 << 1;    // 0_______ 10______
constexpr unsigned char Overlong3 = 1 << 2;  // 11100000 100_____
constexpr unsigned char TooLarge = 1 << 3;   // 11110100 1001____ and above
constexpr unsigned char Surrogate = 1 << 4;  // 11101101 101_____
constexpr unsigned char Overlong2 = 1 << 5;  // 1100000_ 10______
constexpr unsigned char TooLarge1000 = 1 << 6;  // 11110101 1000____ and above
constexpr unsigned char Overlong4 = 1 << 6;  // 11110000 1000____
constexpr unsigned char TwoConts = 1 << 7;   // 10______ 10______
constexpr unsigned char Carry = TooShort | TooLong | TwoConts;

__attribute__((target("ssse3"))) inline __m128i Table(unsigned char a0, unsigned char a1, unsigned char a2,
                                                      unsigned char a3, unsigned char a4, unsigned char a5,
                                                      unsigned char a6, unsigned char a7, unsigned char a8,
                                                      unsigned char a9, unsigned char a10, unsigned char a11,
                                                      unsigned char a12, unsigned char a13, unsigned char a14,
                                                      unsigned char a15)
{
    return _mm_setr_epi8(static_cast<char>(a0), static_cast<char>(a1), static_cast<char>(a2), static_cast<char>(a3),
                         static_cast<char>(a4), static_cast<char>(a5), static_cast<char>(a6), static_cast<char>(a7),
                         static_cast<char>(a8), static_cast<char>(a9), static_cast<char>(a10), static_cast<char>(a11),
                         static_cast<char>(a12), static_cast<char>(a13), static_cast<char>(a14), static_cast<char>(a15));
}

struct Constants {
    __m128i firstHigh, firstLow, secondHigh, nibble, thirdFrom, fourthFrom, high;
};

// The bytes of `block` that are wrong after the block before it.
__attribute__((target("ssse3"))) inline __m128i Errors(__m128i block, __m128i previous, const Constants& k)
{
    const __m128i prev1 = _mm_alignr_epi8(block, previous, 15);
    const __m128i a = _mm_shuffle_epi8(k.firstHigh, _mm_and_si128(_mm_srli_epi16(prev1, 4), k.nibble));
    const __m128i b = _mm_shuffle_epi8(k.firstLow, _mm_and_si128(prev1, k.nibble));
    const __m128i c = _mm_shuffle_epi8(k.secondHigh, _mm_and_si128(_mm_srli_epi16(block, 4), k.nibble));
    const __m128i special = _mm_and_si128(_mm_and_si128(a, b), c);
    const __m128i third = _mm_subs_epu8(_mm_alignr_epi8(block, previous, 14), k.thirdFrom);
    const __m128i fourth = _mm_subs_epu8(_mm_alignr_epi8(block, previous, 13), k.fourthFrom);
    return _mm_xor_si128(_mm_and_si128(_mm_or_si128(third, fourth), k.high), special);
}

__attribute__((target("ssse3"))) std::size_t CheckBlocksByLookup(const unsigned char* t, std::size_t i,
                                                                 std::size_t length, bool* wide)
{
    const __m128i firstHigh = Table(TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong, TooLong,
                                    TwoConts, TwoConts, TwoConts, TwoConts, TooShort | Overlong2, TooShort,
                                    TooShort | Overlong3 | Surrogate, TooShort | TooLarge | TooLarge1000 | Overlong4);
    constexpr unsigned char big = Carry | TooLarge | TooLarge1000;
    const __m128i firstLow = Table(Carry | Overlong3 | Overlong2 | Overlong4, Carry | Overlong2, Carry, Carry,
                                   Carry | TooLarge, big, big, big, big, big, big, big, big, big | Surrogate, big, big);
    constexpr unsigned char cont = TooLong | Overlong2 | TwoConts;
    const __m128i secondHigh = Table(TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort, TooShort,
                                     cont | Overlong3 | TooLarge1000 | Overlong4, cont | Overlong3 | TooLarge,
                                     cont | Surrogate | TooLarge, cont | Surrogate | TooLarge, TooShort, TooShort,
                                     TooShort, TooShort);
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i thirdFrom = _mm_set1_epi8(static_cast<char>(0xE0 - 0x80));
    const __m128i fourthFrom = _mm_set1_epi8(static_cast<char>(0xF0 - 0x80));
    const __m128i high = _mm_set1_epi8(static_cast<char>(0x80));
    // A block whose last bytes begin a character that goes on past it.
    const __m128i unfinished = Table(0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                     0xF0 - 1, 0xE0 - 1, 0xC0 - 1);
    const __m128i zero = _mm_setzero_si128();
    const Constants k{firstHigh, firstLow, secondHigh, nibble, thirdFrom, fourthFrom, high};
    __m128i previous = zero;
    std::size_t boundary = i;
    bool wideSince = false;
    // Four blocks between the tests: a fault is rare, and the boundary is
    // needed only where the blocks end.
    while (i + 64 <= length) {
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + 16));
        const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + 32));
        const __m128i b3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + 48));
        const __m128i error = _mm_or_si128(_mm_or_si128(Errors(b0, previous, k), Errors(b1, b0, k)),
                                           _mm_or_si128(Errors(b2, b1, k), Errors(b3, b2, k)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(error, zero)) != 0xFFFF)
            break;
        const __m128i top = _mm_max_epu8(_mm_max_epu8(b0, b1), _mm_max_epu8(b2, b3));
        wideSince |= _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(top, _mm_set1_epi8(static_cast<char>(0xE0))), top)) != 0;
        previous = b3;
        i += 64;
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(b3, unfinished), zero)) == 0xFFFF) {
            boundary = i;
            *wide |= wideSince;
            wideSince = false;
        }
    }
    while (i + 16 <= length) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(Errors(block, previous, k), zero)) != 0xFFFF)
            break;
        wideSince |= _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(block, _mm_set1_epi8(static_cast<char>(0xE0))),
                                                      block)) != 0;
        previous = block;
        i += 16;
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(block, unfinished), zero)) == 0xFFFF) {
            boundary = i;
            *wide |= wideSince;
            wideSince = false;
        }
    }
    return boundary;
}

}  // namespace lookup

bool HasSsse3()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

// Whole blocks from a character boundary at i, as far as they are
// well-formed; returns the boundary reached. Without SSSE3, the characters
// are read one by one.
std::size_t CheckWholeBlocks(const unsigned char* t, std::size_t i, std::size_t length, bool* wide)
{
#if defined(VEXA_SSSE3_AT_RUN_TIME)
    if (HasSsse3())
        return lookup::CheckBlocksByLookup(t, i, length, wide);
#else
    (void)t, (void)length, (void)wide;
#endif
    return i;
}

// Writes Shift-JIS `sj` (one byte below 0x100, else a pair) at t + *o.
inline void PutShiftJis(unsigned char* t, std::size_t* o, unsigned sj)
{
    if (sj < 0x100) {
        t[(*o)++] = static_cast<unsigned char>(sj);
    } else {
        t[*o] = static_cast<unsigned char>(sj >> 8);
        t[*o + 1] = static_cast<unsigned char>(sj);
        *o += 2;
    }
}

// Bytes of 0x80 and more in t[i, len): enough room for every stray byte to
// become a pair.
std::size_t HighBytes(const unsigned char* t, std::size_t i, std::size_t len)
{
    std::size_t n = 0;
    for (; i < len; ++i)
        n += t[i] >> 7;
    return n;
}

}  // namespace

bool StartsWithByteOrderMark(const char* text, std::size_t length)
{
    return length >= kByteOrderMarkLength && std::memcmp(text, kByteOrderMark, kByteOrderMarkLength) == 0;
}

Check CheckText(const char* text, std::size_t length)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    Check result{0, false, false};
    std::size_t i = 0;
    std::size_t byCharacter = 0;  // below it, the blocks gave way to single characters
    while (i < length) {
        if (i >= byCharacter) {
            const std::size_t from = i;
            i = CheckWholeBlocks(t, i, length, &result.wide);
            byCharacter = i + 32;  // past a block the blocks could not take
            if (i > from)
                continue;
        }
        while (i + 8 <= length && !bytes::HasHighByte(bytes::Load64(t + i)))
            i += 8;
        if (i >= length)
            break;
        if (t[i] < 0x80) {
            ++i;
            continue;
        }
        // Kana and kanji come in runs of three-byte characters.
        while (i + 4 <= length && ThreeBytes(t + i)) {
            result.wide = true;
            i += 3;
        }
        if (i >= length || t[i] < 0x80)
            continue;
        std::size_t taken;
        bool cut;
        if (Decode(t, i, length, &taken, &cut) == cp932::kNone) {
            result.complete = i;
            result.invalid = !cut;
            return result;
        }
        result.wide |= taken >= 3;
        i += taken;
    }
    result.complete = length;
    return result;
}

bool IsUtf8Text(const char* text, std::size_t length)
{
    if (StartsWithByteOrderMark(text, length))
        return true;
    const Check check = CheckText(text, length);
    return check.wide && !check.invalid && check.complete == length;
}

std::size_t ToShiftJis(char* text, std::size_t from, std::size_t length, std::size_t capacity,
                       const ProgressSink* progress, std::uint64_t* replaced)
{
    unsigned char* t = reinterpret_cast<unsigned char*>(text);
    if (capacity == 0)
        return 0;
    std::size_t len = length < capacity ? length : capacity - 1;
    const std::size_t measured = len;  // the meter's positions are those of the text as it came
    std::size_t shift = 0;             // how far the unread rest was moved up
    std::uint64_t count = 0;
    std::size_t i = from < len ? from : len, o = 0;
    PercentTracker tracker(measured, progress);

    while (i < len) {
        std::size_t stop = tracker.BeginRun(i - shift, measured) + shift;
        std::uint64_t steps = 0;
        while (i < stop) {
            // One-byte characters up to the next lead byte, sixteen or
            // eight bytes at a time, moved down once the text has shrunk.
            steps += bytes::MovePlainDown(t, &i, stop, &o);
            if (i >= stop)
                break;
            // Kana and kanji come in runs of three-byte characters with a
            // Shift-JIS pair each.
            const std::size_t end3 = len < 4 ? 0 : stop < len - 3 ? stop : len - 3;
            // One table lookup a character: the table holds no pair for
            // what three bytes cannot stand for, which the general step
            // below then judges.
            while (i < end3) {
                std::uint32_t w;
                std::memcpy(&w, t + i, 4);
                if ((w & 0x00C0C0F0u) != 0x008080E0u)
                    break;
                const std::uint16_t* pair = &cp932::kThreeBytePairs[ThreeByteIndex(w)];
                if (*pair == 0)
                    break;
                std::memcpy(t + o, pair, 2);
                o += 2;
                i += 3;
                ++steps;
            }
            if (i >= stop)
                break;
            const unsigned char c = t[i];
            ++steps;
            if (c < 0x80) {
                t[o++] = c;
                ++i;
                continue;
            }
            std::size_t taken;
            bool cut;
            const std::uint32_t u = Decode(t, i, len, &taken, &cut);
            unsigned sj = u == cp932::kNone ? 0 : cp932::FromUnicode(u);
            if (sj == 0) {
                sj = kReplacementShiftJis;
                ++count;
            }
            const std::size_t need = sj < 0x100 ? 1 : 2;
            if (o + need > i + taken) {
                // A stray byte at a point where the text has not shrunk yet:
                // the unread rest moves up to make room for every such byte.
                const std::size_t extra = HighBytes(t, i, len);
                if (len + extra + 1 > capacity) {
                    i += taken;  // no room: dropped, and counted above
                    continue;
                }
                std::memmove(t + i + extra, t + i, len - i);
                i += extra;
                stop += extra;
                len += extra;
                shift += extra;
            }
            PutShiftJis(t, &o, sj);
            i += taken;
        }
        tracker.EndRun(steps);
    }
    tracker.Flush();
    t[o] = 0;
    if (replaced)
        *replaced += count;
    return o;
}

std::size_t FromShiftJis(const char* text, std::size_t length, char* output, std::size_t outputCapacity,
                         bool byteOrderMark, const ProgressSink* progress, std::uint64_t* replaced)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    unsigned char* out = reinterpret_cast<unsigned char*>(output);
    if (outputCapacity == 0)
        return 0;
    const std::size_t last = outputCapacity - 1;  // room for the terminator
    std::size_t i = 0, o = 0;
    std::uint64_t count = 0;
    if (byteOrderMark && last >= kByteOrderMarkLength) {
        std::memcpy(out, kByteOrderMark, kByteOrderMarkLength);
        o = kByteOrderMarkLength;
    }
    PercentTracker tracker(length, progress);

    while (i < length) {
        const std::size_t stop = tracker.BeginRun(i, length);
        std::uint64_t steps = 0;
        while (i < stop) {
            // A word fits while both its reading and its writing do.
            const std::size_t room = last - o < stop - i ? i + (last - o) : stop;
            steps += bytes::CopyWords(t, &i, room, out, &o, bytes::HasHighByte);
            if (i >= stop)
                break;
            if (o + 3 > last)
                goto full;
            const unsigned char c = t[i];
            ++steps;
            if (c < 0x80) {
                out[o++] = c;
                ++i;
                continue;
            }
            std::uint32_t u;
            if (i + 1 < length && sjis::IsPair(c, t[i + 1])) {
                u = cp932::PairToUnicode(c, t[i + 1]);
                i += 2;
            } else {
                u = cp932::SingleToUnicode(c);
                ++i;
            }
            if (u == cp932::kNone) {
                u = kReplacement;
                ++count;
            }
            if (u < 0x800) {
                out[o] = static_cast<unsigned char>(0xC0 | u >> 6);
                out[o + 1] = static_cast<unsigned char>(0x80 | (u & 0x3F));
                o += 2;
            } else {
                out[o] = static_cast<unsigned char>(0xE0 | u >> 12);
                out[o + 1] = static_cast<unsigned char>(0x80 | (u >> 6 & 0x3F));
                out[o + 2] = static_cast<unsigned char>(0x80 | (u & 0x3F));
                o += 3;
            }
        }
        tracker.EndRun(steps);
    }
full:
    tracker.Flush();
    out[o] = 0;
    if (replaced)
        *replaced += count;
    return o;
}

}  // namespace utf8
