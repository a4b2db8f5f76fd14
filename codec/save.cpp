// Save conversion: the internal form to the target codes.
#include <algorithm>
#include <array>
#include <cstring>

#include "codec/bytes.h"
#include "codec/convert.h"
#include "codec/sjis.h"
#include "codec/utf16.h"
#include "codec/utf8.h"

namespace {

constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;
constexpr unsigned char ESC = 0x1B;


// Longest output of one step: ESC $ B and a pair, or ESC ( I and a byte.
constexpr std::size_t kMaxStepOutput = 5;

// Half-width katakana: one byte A1-DF in Shift-JIS. EUC writes each after
// the single shift 8E; JIS writes a run of them as 21-5F after ESC ( I.
inline bool IsKatakana(unsigned c) { return c >= 0xA1 && c <= 0xDF; }
constexpr unsigned char kSingleShift2 = 0x8E;

// Where a JIS text stands: which escape sequence was written last.
enum class JisMode { Ascii, Kanji, Kana };

// Writes ESC and the two bytes that switch JIS output to `to`.
inline void Switch(unsigned char* out, std::size_t* o, JisMode* mode, JisMode to)
{
    out[*o] = ESC;
    out[*o + 1] = to == JisMode::Kanji ? '$' : '(';
    out[*o + 2] = to == JisMode::Kanji ? 'B' : to == JisMode::Kana ? 'I' : 'B';
    *o += 3;
    *mode = to;
}

template <bool Checked>
std::size_t KanjiOnSave(const unsigned char* t, std::size_t len, unsigned char* out,
                        std::size_t outSize, KanjiCode target, const ProgressSink* progress)
{
    const bool jis = target == KanjiCode::JIS;
    const bool euc = target == KanjiCode::EUC;
    JisMode mode = JisMode::Ascii;
    std::size_t i = 0, o = 0;
    PercentTracker tracker(len, progress);

    while (i < len) {
        const std::size_t stop = tracker.BeginRun(i, len);
        std::uint64_t steps = 0;
        while (i < stop) {
            if (!Checked && mode == JisMode::Ascii) {
                // Outside two-byte mode: one-byte characters are copied a word
                // at a time and pairs converted until JIS output must open
                // two-byte mode, which the general step below does.
                std::uint64_t pairs = 0;
                const std::size_t from = i;
                const std::size_t fast = std::min(stop, len - 1);  // a pair's second byte is in the text
                while (i < fast) {
                    if (i + 8 <= fast) {
                        std::uint64_t w = bytes::Load64(t + i);
                        std::uint64_t mark = w & bytes::kHigh;
                        bytes::Store64(out + o, w);
                        if (!mark) {
                            i += 8;
                            o += 8;
                            continue;
                        }
                        unsigned k = bytes::FirstMarked(mark);
                        i += k;
                        o += k;
                    }
                    unsigned a = t[i];
                    unsigned b = t[i + 1];
                    if (sjis::IsSaveLead(a) && sjis::IsTrail(b)) {
                        if (jis)
                            break;
                        // Japanese comes in runs of pairs.
                        do {
                            if (euc) {
                                sjis::ToJis(a, b, out + o, out + o + 1);
                                out[o] |= 0x80;
                                out[o + 1] |= 0x80;
                            } else {
                                out[o] = static_cast<unsigned char>(a);
                                out[o + 1] = static_cast<unsigned char>(b);
                            }
                            i += 2;
                            o += 2;
                            ++pairs;
                            if (i >= fast)
                                break;
                            a = t[i];
                            b = t[i + 1];
                        } while (sjis::IsSaveLead(a) && sjis::IsTrail(b));
                    } else if (IsKatakana(a) && jis) {
                        break;  // opens kana mode: the general step
                    } else {
                        if (IsKatakana(a) && euc)
                            out[o++] = kSingleShift2;
                        out[o++] = static_cast<unsigned char>(a);
                        ++i;
                    }
                }
                steps += (i - from) - pairs;
                if (i >= stop)
                    break;
            }
            if (Checked && o + kMaxStepOutput >= outSize)
                goto full;
            unsigned c1 = t[i];
            unsigned c2 = i + 1 < len ? t[i + 1] : 0;
            if (sjis::IsSaveLead(static_cast<unsigned char>(c1)) && sjis::IsTrail(static_cast<unsigned char>(c2))) {
                if (!euc && !jis) {
                    out[o] = static_cast<unsigned char>(c1);
                    out[o + 1] = static_cast<unsigned char>(c2);
                } else {
                    unsigned char j1, j2;
                    sjis::ToJis(c1, c2, &j1, &j2);
                    if (euc) {
                        j1 |= 0x80;
                        j2 |= 0x80;
                    } else if (mode != JisMode::Kanji) {
                        Switch(out, &o, &mode, JisMode::Kanji);
                    }
                    out[o] = j1;
                    out[o + 1] = j2;
                }
                o += 2;
                i += 2;
            } else if (jis && IsKatakana(c1)) {
                if (mode != JisMode::Kana)
                    Switch(out, &o, &mode, JisMode::Kana);
                out[o++] = static_cast<unsigned char>(c1 & 0x7F);
                ++i;
            } else {
                if (mode != JisMode::Ascii)
                    Switch(out, &o, &mode, JisMode::Ascii);
                if (euc && IsKatakana(c1))
                    out[o++] = kSingleShift2;
                out[o++] = static_cast<unsigned char>(c1);
                ++i;
            }
            ++steps;
        }
        tracker.EndRun(steps);
    }
    // A run of katakana is closed even at the end, so that no reader takes
    // what may follow the file for katakana; a text that ends in a
    // two-byte character ends without ESC ( B, as this editor always wrote.
    if (mode == JisMode::Kana && (!Checked || o + 3 < outSize))
        Switch(out, &o, &mode, JisMode::Ascii);
full:
    tracker.Flush();
    out[o] = 0;
    return o;
}

}  // namespace

std::size_t LineBreakGrowthOnSave(const char* text, std::size_t len, LineBreakCode target)
{
    if (target != LineBreakCode::LfCr)
        return 0;
    std::size_t growth = 0;
    const char* p = text;
    const char* end = text + len;
    while ((p = static_cast<const char*>(std::memchr(p, CR, static_cast<std::size_t>(end - p)))) != nullptr) {
        ++p;
        if (p == end || static_cast<unsigned char>(*p) != LF)
            ++growth;
    }
    return growth;
}

std::size_t ConvertLineBreaksOnSave(char* text, std::size_t length, std::size_t capacity,
                                    LineBreakCode target, const ProgressSink* progress)
{
    const std::size_t len = length < capacity ? length : capacity;
    if (target != LineBreakCode::LfCr && target != LineBreakCode::Cr && target != LineBreakCode::Lf)
        return len;  // CR LF is the internal form already

    unsigned char* t = reinterpret_cast<unsigned char*>(text);
    // A lone CR written as LF CR grows the text. The text is first moved up
    // by the growth so that writing never overtakes reading.
    std::size_t shift = 0;
    bool expandLoneCr = true;
    if (target == LineBreakCode::LfCr) {
        std::size_t growth = LineBreakGrowthOnSave(text, len, target);
        if (growth > 0 && len + growth < capacity) {
            std::memmove(t + growth, t, len);
            shift = growth;
        } else if (growth > 0) {
            expandLoneCr = false;  // no room: lone CRs stay as they are
        }
    }
    const unsigned char* src = t + shift;

    std::size_t i = 0, o = 0;
    PercentTracker tracker(len, progress);
    tracker.RunAll(i, len, [&](std::size_t stop) {
        std::uint64_t steps = 0;
        while (i < stop) {
            steps += bytes::CopyWords(src, &i, stop, t, &o, [](std::uint64_t w) { return bytes::HasByte(w, CR); });
            if (i >= stop)
                break;
            unsigned char c = src[i];
            if (c == CR) {
                bool pair = i + 1 < len && src[i + 1] == LF;
                i += pair ? 2 : 1;
                switch (target) {
                case LineBreakCode::LfCr:
                    if (pair || expandLoneCr) {
                        t[o++] = LF;
                        t[o++] = CR;
                    } else {
                        t[o++] = CR;
                    }
                    break;
                case LineBreakCode::Cr: t[o++] = CR; break;
                default: t[o++] = LF; break;
                }
            } else {
                t[o++] = c;
                ++i;
            }
            ++steps;
        }
        return steps;
    });
    if (o < capacity)
        t[o] = 0;
    return o;
}

std::uint64_t KanjiOutputCapacity(std::uint64_t textCapacity) { return 5 * textCapacity; }

std::size_t ConvertKanjiOnSave(const char* text, std::size_t length, char* output,
                               std::size_t outputCapacity, KanjiCode target,
                               const ProgressSink* progress, bool byteOrderMark, std::uint64_t* replaced)
{
    if (outputCapacity == 0)
        return 0;
    if (target == KanjiCode::UTF8)
        return utf8::FromShiftJis(text, length, output, outputCapacity, byteOrderMark, progress, replaced);
    if (IsUtf16(target))
        return utf16::FromShiftJis(text, length, output, outputCapacity, target == KanjiCode::UTF16BE, byteOrderMark,
                                   progress, replaced);
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    unsigned char* out = reinterpret_cast<unsigned char*>(output);
    // Shift-JIS written over itself never overtakes its reading: the output
    // is as long as the text.
    const bool inPlace = output == text && outputCapacity > length && target != KanjiCode::JIS &&
                         target != KanjiCode::EUC;
    if (inPlace || outputCapacity >= KanjiOutputCapacity(length + 1))
        return KanjiOnSave<false>(t, length, out, outputCapacity, target, progress);
    return KanjiOnSave<true>(t, length, out, outputCapacity, target, progress);
}
