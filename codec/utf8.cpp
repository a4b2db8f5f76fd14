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
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codec/bytes.h"
#include "codec/cp932.h"
#include "codec/sjis.h"

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

#if defined(__SSE2__)
// Sixteen bytes at a time from a character boundary at i, by the masks of
// their kinds: every continuation byte (80-BF) must stand where the lead
// bytes before it want one, and no byte may be C0, C1 or F5-FF. The four
// leads whose second byte has a narrower range (E0, ED, F0, F4) are left
// to the single characters. Returns the boundary up to which the text is
// well-formed; *wide when that part holds a character of three or four.
std::size_t CheckBlocks(const unsigned char* t, std::size_t i, std::size_t length, bool* wide)
{
    const __m128i c0 = _mm_set1_epi8(static_cast<char>(0xC0)), c1 = _mm_set1_epi8(static_cast<char>(0xC1));
    const __m128i df = _mm_set1_epi8(static_cast<char>(0xDF)), ef = _mm_set1_epi8(static_cast<char>(0xEF));
    const __m128i f4 = _mm_set1_epi8(static_cast<char>(0xF4)), e0 = _mm_set1_epi8(static_cast<char>(0xE0));
    const __m128i ed = _mm_set1_epi8(static_cast<char>(0xED)), f0 = _mm_set1_epi8(static_cast<char>(0xF0));
    std::uint32_t carry = 0;  // continuation bytes the last block's leads still want, from bit 0
    std::size_t boundary = i;
    bool wideSince = false;
    while (i + 16 <= length) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(b));
        if (high == 0 && carry == 0) {
            i += 16;
            boundary = i;
            continue;
        }
        // Signed compares: 80-BF lie below C0, which lies below the leads.
        const unsigned cont = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(b, c0)));
        const unsigned aboveC1 = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(b, c1))) & high;
        const unsigned aboveDf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(b, df))) & high;
        const unsigned aboveEf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(b, ef))) & high;
        const unsigned aboveF4 = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(b, f4))) & high;
        const __m128i narrow = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, e0), _mm_cmpeq_epi8(b, ed)),
                                            _mm_or_si128(_mm_cmpeq_epi8(b, f0), _mm_cmpeq_epi8(b, f4)));
        const unsigned c0c1 = high & ~cont & ~aboveC1;
        if (c0c1 | aboveF4 | static_cast<unsigned>(_mm_movemask_epi8(narrow)))
            break;
        const unsigned two = aboveC1 & ~aboveDf, three = aboveDf & ~aboveEf, four = aboveEf;
        const std::uint32_t want = carry | (two | three | four) << 1 | (three | four) << 2 | four << 3;
        if ((want & 0xFFFF) != cont)
            break;
        wideSince |= (three | four) != 0;
        carry = want >> 16;
        i += 16;
        if (carry == 0) {
            boundary = i;
            *wide |= wideSince;
            wideSince = false;
        }
    }
    return boundary;
}
#else
std::size_t CheckBlocks(const unsigned char*, std::size_t i, std::size_t, bool*) { return i; }
#endif

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
    return length >= kByteOrderMarkLength && std::memcmp(text, "\xEF\xBB\xBF", kByteOrderMarkLength) == 0;
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
            i = CheckBlocks(t, i, length, &result.wide);
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
            // One-byte characters a word at a time.
            steps += bytes::CopyWords(t, &i, stop, t, &o, bytes::HasHighByte);
            if (i >= stop)
                break;
            // Kana and kanji come in runs of three-byte characters with a
            // Shift-JIS pair each.
            const std::size_t end3 = len < 4 ? 0 : stop < len - 3 ? stop : len - 3;
            while (i < end3) {
                const std::uint32_t u3 = ThreeBytes(t + i);
                const unsigned sj3 = u3 ? cp932::FromUnicode(u3) : 0;
                if (sj3 < 0x100)
                    break;
                t[o] = static_cast<unsigned char>(sj3 >> 8);
                t[o + 1] = static_cast<unsigned char>(sj3);
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
            if (need == 1) {
                t[o++] = static_cast<unsigned char>(sj);
            } else {
                t[o] = static_cast<unsigned char>(sj >> 8);
                t[o + 1] = static_cast<unsigned char>(sj);
                o += 2;
            }
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
        std::memcpy(out, "\xEF\xBB\xBF", kByteOrderMarkLength);
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
            if (sjis::IsLead(c) && i + 1 < length && sjis::IsTrail(t[i + 1])) {
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
