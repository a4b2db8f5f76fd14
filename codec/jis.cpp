// 7-bit JIS written from Shift-JIS (the byte rule is in jis.h; reading is
// EUC's reader).
#include "codec/jis.h"

#include <algorithm>

#include "codec/bytes.h"
#include "codec/writer.h"

namespace jis {

namespace {

// Longest output of one step: ESC $ B and a pair, or ESC ( I and a byte.
constexpr std::size_t kMaxStepOutput = 5;

// Writes ESC and the two bytes that switch the output to `to`.
inline void Switch(unsigned char* out, std::size_t* o, Mode* mode, Mode to)
{
    out[*o] = ESC;
    out[*o + 1] = to == Mode::Kanji ? '$' : '(';
    out[*o + 2] = to == Mode::Kana ? 'I' : 'B';
    *o += 3;
    *mode = to;
}

template <bool Checked>
std::size_t Write(const unsigned char* t, std::size_t len, unsigned char* out, std::size_t outSize,
                  const ProgressSink* progress, std::uint64_t* count)
{
    Mode mode = Mode::Ascii;
    std::size_t i = 0, o = 0;
    PercentTracker tracker(len, progress);
    while (i < len) {
        const std::size_t stop = tracker.BeginRun(i, len);
        std::uint64_t steps = 0;
        while (i < stop) {
            if (!Checked && mode == Mode::Ascii) {
                // One-byte characters are copied a word at a time until one
                // that needs another mode.
                steps += bytes::CopyWords(t, &i, stop, out, &o, bytes::HasHighByte);
                if (i >= stop)
                    break;
            }
            if (Checked && o + kMaxStepOutput >= outSize)
                goto full;
            const unsigned c1 = t[i];
            if (i + 1 < len && sjis::IsPair(t[i], t[i + 1])) {
                unsigned char j1, j2;
                if (!OfPair(t[i], t[i + 1], &j1, &j2)) {
                    j1 = kReplacement[0];
                    j2 = kReplacement[1];
                    ++*count;
                }
                if (mode != Mode::Kanji)
                    Switch(out, &o, &mode, Mode::Kanji);
                out[o] = j1;
                out[o + 1] = j2;
                o += 2;
                i += 2;
            } else if (IsKatakana(c1)) {
                if (mode != Mode::Kana)
                    Switch(out, &o, &mode, Mode::Kana);
                out[o++] = static_cast<unsigned char>(c1 & 0x7F);
                ++i;
            } else if (c1 < 0x80) {
                if (mode != Mode::Ascii)
                    Switch(out, &o, &mode, Mode::Ascii);
                out[o++] = static_cast<unsigned char>(c1);
                ++i;
            } else {
                if (mode != Mode::Kanji)
                    Switch(out, &o, &mode, Mode::Kanji);
                out[o] = kReplacement[0];
                out[o + 1] = kReplacement[1];
                o += 2;
                ++i;
                ++*count;
            }
            ++steps;
        }
        tracker.EndRun(steps);
    }
    // A run of katakana is closed even at the end, so that no reader takes
    // what may follow the file for katakana; a text that ends in a
    // two-byte character ends without ESC ( B, as this editor always wrote.
    if (mode == Mode::Kana && (!Checked || o + 3 < outSize))
        Switch(out, &o, &mode, Mode::Ascii);
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

}  // namespace jis
