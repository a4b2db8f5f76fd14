// UTF-16 with a byte-order mark, both ways.
//
// Load: each unit (two bytes in the mark's order) below D800 or from E000
// is one character, written as code page 932's one or two bytes, or 〓
// when it has none. A high surrogate (D800-DBFF) and the low one after it
// (DC00-DFFF) stand for a character beyond U+FFFF, which Shift-JIS never
// holds: one 〓. A lone surrogate is one 〓 too. Every unit takes two bytes
// and gives at most two, so the pass runs in place.
//
// Save: each Shift-JIS character (a pair, or a single byte) becomes the
// unit of its code page 932 character, or 〓 (U+3013) for bytes that have
// none; the mark leads when asked.
#include "codec/utf16.h"

#include "codec/cp932.h"
#include "codec/sjis.h"
#include "codec/utf8.h"

namespace utf16 {

namespace {

inline unsigned UnitAt(const unsigned char* t, bool bigEndian)
{
    return bigEndian ? (t[0] << 8 | t[1]) : (t[1] << 8 | t[0]);
}

inline void PutUnit(unsigned char* out, unsigned u, bool bigEndian)
{
    out[bigEndian ? 0 : 1] = static_cast<unsigned char>(u >> 8);
    out[bigEndian ? 1 : 0] = static_cast<unsigned char>(u);
}

inline bool IsHighSurrogate(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
inline bool IsLowSurrogate(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

bool StartsWithByteOrderMark(const char* data, std::size_t length, bool* bigEndian)
{
    if (length < kByteOrderMarkLength)
        return false;
    const unsigned char a = static_cast<unsigned char>(data[0]), b = static_cast<unsigned char>(data[1]);
    if (!((a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF)))
        return false;
    *bigEndian = a == 0xFE;
    return true;
}

std::size_t ToShiftJis(char* data, std::size_t from, std::size_t length, bool bigEndian, bool last,
                       std::size_t* consumed, std::uint64_t* replaced, bool* endedAtZero)
{
    unsigned char* t = reinterpret_cast<unsigned char*>(data);
    std::size_t i = from, o = 0;
    std::uint64_t count = 0;
    *endedAtZero = false;
    while (i + 2 <= length) {
        unsigned u = UnitAt(t + i, bigEndian);
        if (u == 0) {
            *endedAtZero = true;
            break;
        }
        std::size_t taken = 2;
        if (IsHighSurrogate(u)) {
            if (i + 4 <= length) {
                if (IsLowSurrogate(UnitAt(t + i + 2, bigEndian)))
                    taken = 4;
            } else if (!last) {
                break;  // its low half may come with the next piece
            }
        }
        unsigned sj;
        if (IsHighSurrogate(u) || IsLowSurrogate(u) || (sj = cp932::FromUnicode(u)) == 0)
            sj = utf8::kReplacementShiftJis, ++count;
        if (sj < 0x100) {
            t[o++] = static_cast<unsigned char>(sj);
        } else {
            t[o] = static_cast<unsigned char>(sj >> 8);
            t[o + 1] = static_cast<unsigned char>(sj);
            o += 2;
        }
        i += taken;
    }
    if (last && i < length && !*endedAtZero) {
        // An odd byte at the very end is no character: 〓, in its own place.
        t[o] = static_cast<unsigned char>(utf8::kReplacementShiftJis >> 8);
        t[o + 1] = static_cast<unsigned char>(utf8::kReplacementShiftJis & 0xFF);
        o += 2;
        ++count;
        i = length;
    }
    if (consumed)
        *consumed = i;
    if (replaced)
        *replaced += count;
    return o;
}

std::size_t FromShiftJis(const char* text, std::size_t length, char* output, std::size_t outputCapacity,
                         bool bigEndian, bool byteOrderMark, const ProgressSink* progress,
                         std::uint64_t* replaced)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    unsigned char* out = reinterpret_cast<unsigned char*>(output);
    std::size_t o = 0, i = 0;
    std::uint64_t count = 0;
    if (outputCapacity < 2)
        return 0;
    const std::size_t last = outputCapacity - 2;  // room for the two zeros
    if (byteOrderMark && last >= 2) {
        PutUnit(out, 0xFEFF, bigEndian);
        o = 2;
    }
    PercentTracker tracker(length, progress);
    while (i < length) {
        const std::size_t stop = tracker.BeginRun(i, length);
        std::uint64_t steps = 0;
        while (i < stop) {
            if (o + 2 > last)
                goto full;
            std::uint32_t u;
            if (i + 1 < length && sjis::IsPair(t[i], t[i + 1])) {
                u = cp932::PairToUnicode(t[i], t[i + 1]);
                i += 2;
            } else {
                u = t[i] < 0x80 ? t[i] : cp932::SingleToUnicode(t[i]);
                ++i;
            }
            if (u == cp932::kNone) {
                u = utf8::kReplacement;
                ++count;
            }
            PutUnit(out + o, u, bigEndian);
            o += 2;
            ++steps;
        }
        tracker.EndRun(steps);
    }
full:
    tracker.Flush();
    out[o] = 0;
    out[o + 1] = 0;
    if (replaced)
        *replaced += count;
    return o;
}

}  // namespace utf16
