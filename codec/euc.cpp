// EUC both ways (the byte rule is in euc.h), and the reader that 7-bit JIS
// shares with it.
#include "codec/euc.h"

#include <algorithm>
#include <cstring>

#include "codec/jis.h"
#include "codec/utf8.h"
#include "codec/writer.h"

namespace euc {

void ToShiftJis(char* text, std::size_t length, std::size_t capacity, const ProgressSink* progress,
                std::size_t* newLength, std::uint64_t* replaced)
{
    unsigned char* t = reinterpret_cast<unsigned char*>(text);
    std::size_t len = length < capacity ? length : capacity;
    if (newLength)
        *newLength = len;
    if (capacity == 0)
        return;
    if (len == capacity)
        len = capacity - 1;  // keep the last byte for the terminator

    auto at = [&](std::size_t k) -> unsigned { return k < len ? t[k] : 0u; };

    bool twoByte = false;
    bool kana = false;  // after ESC ( I: 21-5F are half-width katakana A1-DF
    std::size_t i = 0, o = 0;
    PercentTracker tracker(len, progress);
    // Most texts hold no ESC at all: their one-byte runs are then skipped
    // by the high bit alone.
    const bool hasEsc = std::memchr(t, ESC, len) != nullptr;

    while (i < len) {
        const std::size_t stop = tracker.BeginRun(i, len);
        std::uint64_t steps = 0;
        while (i < stop) {
            if (!twoByte && !kana) {
                // EUC and one-byte text in place: only pairs change, so
                // one-byte characters are stepped over a word at a time.
                // Once a single shift has shortened the text, the run
                // converted in place is then moved down as one.
                std::uint64_t pairs = 0;
                const std::size_t from = i;
                const std::size_t fast = std::min(stop, len - 1);  // a pair's second byte is in the text
                while (i < fast) {
#if defined(VEXA_SSE2)
                    // Sixteen bytes at a time, plain and pairs alike; what
                    // the blocks leave goes by the steps below.
                    i = FromEucBlocks(t, i, fast, hasEsc, tracker.Tracking() ? &pairs : nullptr);
#endif
                    i = bytes::SkipPlain(t, i, fast, ESC, hasEsc);
                    if (i >= fast)
                        break;
                    unsigned a = t[i];
                    if (a < 0x80)
                        break;  // ESC: the general step below obeys it
                    // Japanese comes in runs of pairs: four at a time while
                    // they last, then one by one.
                    std::uint64_t converted;
                    while (i + 8 <= fast && FromEuc4(bytes::Load64(t + i), &converted)) {
                        bytes::Store64(t + i, converted);
                        i += 8;
                        pairs += 4;
                    }
                    if (i >= fast)
                        break;
                    a = t[i];
                    unsigned b = t[i + 1];
                    while (a >= 0xA1 && b <= 0xFE) {
                        PairToShiftJis(a, b, t + i, t + i + 1);
                        i += 2;
                        ++pairs;
                        if (i >= fast)
                            break;
                        a = t[i];
                        b = t[i + 1];
                    }
                    if (i < fast && (a == kSingleShift2 || a == kSingleShift3))
                        break;  // shortens the text: the general step below
                    if (i < fast && a >= 0x80 && a < 0xA1)
                        ++i;  // 0x80-0xA0 begins no pair
                    else if (i < fast && a >= 0xA1)
                        ++i;  // a first byte whose second is 0xFF
                }
                if (o != from)
                    std::memmove(t + o, t + from, i - from);
                o += i - from;
                steps += (i - from) - pairs;
                if (i >= stop)
                    break;
            }
            unsigned c1 = t[i];
            unsigned c2 = at(i + 1);
            if (kana && c1 >= 0x21 && c1 <= 0x5F) {
                t[o++] = static_cast<unsigned char>(c1 | 0x80);
                ++i;
                ++steps;
                continue;
            }
            if (c1 == kSingleShift2 && IsKatakana(c2)) {
                t[o++] = static_cast<unsigned char>(c2);
                i += 2;
                ++steps;
                continue;
            }
            if (c1 == kSingleShift3 && c2 >= 0xA1 && c2 <= 0xFE && at(i + 2) >= 0xA1 && at(i + 2) <= 0xFE) {
                unsigned sj = cp932::EucSupplementToShiftJis(static_cast<unsigned char>(c2),
                                                             static_cast<unsigned char>(at(i + 2)));
                if (!sj) {
                    sj = utf8::kReplacementShiftJis;
                    if (replaced)
                        ++*replaced;
                }
                t[o] = static_cast<unsigned char>(sj >> 8);
                t[o + 1] = static_cast<unsigned char>(sj);
                o += 2;
                i += 3;
                ++steps;
                continue;
            }
            // A JIS pair is JIS X 0208's arithmetic alone; the user-defined
            // rows are EUC's.
            const bool jisPair = twoByte && c1 >= 0x21 && c2 <= 0x7E;
            if (jisPair) {
                c1 |= 0x80;
                c2 |= 0x80;
            }
            std::size_t taken;
            // A pair opened by the last byte takes the terminator as its second
            // byte and grows the text by one; without room for that it is copied.
            if (c1 >= 0xA1 && c2 <= 0xFE && (i + 1 < len || o + 2 < capacity)) {
                if (jisPair)
                    sjis::FromJis(c1, c2, t + o, t + o + 1);
                else
                    PairToShiftJis(c1, c2, t + o, t + o + 1);
                i += 2;
                o += 2;
            } else if (t[i] == ESC && jis::ReadEscape(t, len, i, &taken, &twoByte, &kana)) {
                i += taken;
            } else {
                t[o++] = t[i++];  // ESC that begins no sequence is kept as it is
            }
            ++steps;
        }
        tracker.EndRun(steps);
    }
    tracker.Flush();
    t[o] = 0;
    if (newLength)
        *newLength = o;
}

namespace {

// Longest output of one character: 8F and a pair.
constexpr std::size_t kMaxStepOutput = 3;

// Writes the EUC of the character at t[i]; returns its length in the text.
inline std::size_t PutCharacter(const unsigned char* t, std::size_t length, std::size_t i, unsigned char* out,
                                std::size_t* o, std::uint64_t* count)
{
    const unsigned c = t[i];
    std::uint32_t code;
    std::size_t taken = 1;
    if (i + 1 < length && sjis::IsPair(t[i], t[i + 1])) {
        code = OfPair(t[i], t[i + 1]);
        taken = 2;
    } else if (c < 0xA1) {
        out[(*o)++] = static_cast<unsigned char>(c);
        return 1;
    } else {
        code = IsKatakana(c) ? kSingleShift2 << 8 | c : 0;
    }
    if (!code) {
        code = kReplacement;
        ++*count;
    }
    if (code > 0xFFFF)
        out[(*o)++] = kSingleShift3;
    out[*o] = static_cast<unsigned char>(code >> 8);
    out[*o + 1] = static_cast<unsigned char>(code);
    *o += 2;
    return taken;
}

template <bool Checked>
std::size_t Write(const unsigned char* t, std::size_t len, unsigned char* out, std::size_t outSize,
                  const ProgressSink* progress, std::uint64_t* count)
{
    std::size_t i = 0, o = 0;
    PercentTracker tracker(len, progress);
    while (i < len) {
        const std::size_t stop = tracker.BeginRun(i, len);
        std::uint64_t steps = 0;
        while (i < stop) {
            if (!Checked) {
                // One-byte characters a word at a time, and JIS X 0208's
                // pairs by the arithmetic while they last; the rest by the
                // step below.
                std::uint64_t pairs = 0;
                const std::size_t from = i;
                const std::size_t fast = std::min(stop, len - 1);  // a pair's second byte is in the text
                while (i < fast) {
                    if (i + 8 <= fast) {
                        const std::uint64_t w = bytes::Load64(t + i);
                        const std::uint64_t mark = w & bytes::kHigh;
                        bytes::Store64(out + o, w);
                        if (!mark) {
                            i += 8;
                            o += 8;
                            continue;
                        }
                        const unsigned k = bytes::FirstMarked(mark);
                        i += k;
                        o += k;
                    }
                    unsigned a = t[i], b = t[i + 1];
                    if (a < 0x80) {
                        out[o++] = static_cast<unsigned char>(a);
                        ++i;
                        continue;
                    }
                    if (!IsPlainLead(a) || !sjis::IsTrail(static_cast<unsigned char>(b)))
                        break;
                    do {
                        sjis::ToJis(a, b, out + o, out + o + 1);
                        out[o] |= 0x80;
                        out[o + 1] |= 0x80;
                        i += 2;
                        o += 2;
                        ++pairs;
                        if (i >= fast)
                            break;
                        a = t[i];
                        b = t[i + 1];
                    } while (IsPlainLead(a) && sjis::IsTrail(static_cast<unsigned char>(b)));
                }
                steps += (i - from) - pairs;
                if (i >= stop)
                    break;
            }
            if (Checked && o + kMaxStepOutput >= outSize)
                goto full;
            i += PutCharacter(t, len, i, out, &o, count);
            ++steps;
        }
        tracker.EndRun(steps);
    }
full:
    tracker.Flush();
    out[o] = 0;
    return o;
}

}  // namespace

std::size_t FromShiftJis(const unsigned char* text, std::size_t length, unsigned char* output,
                         std::size_t outputCapacity, const ProgressSink* progress, std::uint64_t* replaced)
{
    return WriteEither(Write<false>, Write<true>, text, length, output, outputCapacity, progress, replaced);
}

}  // namespace euc
