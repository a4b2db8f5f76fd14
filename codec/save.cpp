// Save conversion: the internal form to the target codes.
#include <algorithm>
#include <array>
#include <cstring>

#include "codec/bytes.h"
#include "codec/convert.h"

namespace {

constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;
constexpr unsigned char ESC = 0x1B;

// Shift-JIS byte classes and the Shift-JIS to JIS X 0208 arithmetic as tables.
struct SjisTables {
    std::array<unsigned char, 256> isLead{};
    std::array<unsigned char, 256> isTrail{};
    std::array<unsigned char, 256> row{};       // (s1 - 0x70) * 2, as a byte
    std::array<unsigned char, 256> cell{};      // j2
    std::array<unsigned char, 256> upperHalf{}; // 1 when s2 >= 0x9E: the even row
};

constexpr SjisTables MakeSjisTables()
{
    SjisTables t{};
    for (unsigned c = 0; c < 256; ++c) {
        t.isLead[c] = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFE);
        t.isTrail[c] = (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
        unsigned s1 = c >= 0xE0 ? c - 0x40 : c;
        t.row[c] = static_cast<unsigned char>((s1 - 0x70) * 2);
        unsigned s2 = c >= 0x80 ? c - 1 : c;
        bool upper = s2 >= 0x9E;
        t.upperHalf[c] = upper;
        t.cell[c] = static_cast<unsigned char>(upper ? s2 - 0x7D : s2 - 0x1F);
    }
    return t;
}

constexpr SjisTables kSjis = MakeSjisTables();

// Longest output of one step: ESC $ B and a pair, or ESC ( B and a byte.
constexpr std::size_t kMaxStepOutput = 5;

template <bool Checked>
std::size_t KanjiOnSave(const unsigned char* t, std::size_t len, unsigned char* out,
                        std::size_t outSize, KanjiCode target, const ProgressSink* progress)
{
    const bool jis = target == KanjiCode::JIS;
    const bool euc = target == KanjiCode::EUC;
    bool twoByte = false;
    std::size_t i = 0, o = 0;
    PercentTracker tracker(len, progress);

    while (i < len) {
        const std::size_t stop = tracker.BeginRun(i, len);
        std::uint64_t steps = 0;
        while (i < stop) {
            if (!Checked && !twoByte) {
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
                    if (kSjis.isLead[a] && kSjis.isTrail[b]) {
                        if (jis)
                            break;
                        // Japanese comes in runs of pairs.
                        do {
                            if (euc) {
                                out[o] = static_cast<unsigned char>((kSjis.row[a] - (kSjis.upperHalf[b] ? 0 : 1)) | 0x80);
                                out[o + 1] = static_cast<unsigned char>(kSjis.cell[b] | 0x80);
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
                        } while (kSjis.isLead[a] && kSjis.isTrail[b]);
                    } else {
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
            if (kSjis.isLead[c1] && kSjis.isTrail[c2]) {
                if (!euc && !jis) {
                    out[o] = static_cast<unsigned char>(c1);
                    out[o + 1] = static_cast<unsigned char>(c2);
                } else {
                    unsigned char j1 = static_cast<unsigned char>(kSjis.row[c1] - (kSjis.upperHalf[c2] ? 0 : 1));
                    unsigned char j2 = kSjis.cell[c2];
                    if (euc) {
                        j1 |= 0x80;
                        j2 |= 0x80;
                    } else if (!twoByte) {
                        out[o] = ESC;
                        out[o + 1] = '$';
                        out[o + 2] = 'B';
                        o += 3;
                        twoByte = true;
                    }
                    out[o] = j1;
                    out[o + 1] = j2;
                }
                o += 2;
                i += 2;
            } else {
                if (twoByte) {
                    out[o] = ESC;
                    out[o + 1] = '(';
                    out[o + 2] = 'B';
                    o += 3;
                    twoByte = false;
                }
                out[o++] = static_cast<unsigned char>(c1);
                ++i;
            }
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

std::size_t LineBreakGrowthOnSave(const char* text, std::size_t size, LineBreakCode target)
{
    if (target != LineBreakCode::LfCr)
        return 0;
    const std::size_t len = TextLength(text, size);
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

std::size_t ConvertLineBreaksOnSave(char* text, std::size_t size, LineBreakCode target,
                                    const ProgressSink* progress)
{
    const std::size_t len = TextLength(text, size);
    if (target != LineBreakCode::LfCr && target != LineBreakCode::Cr && target != LineBreakCode::Lf)
        return len;  // CR LF is the internal form already

    unsigned char* t = reinterpret_cast<unsigned char*>(text);
    // A lone CR written as LF CR grows the text. The text is first moved up
    // by the growth so that writing never overtakes reading.
    std::size_t shift = 0;
    bool expandLoneCr = true;
    if (target == LineBreakCode::LfCr) {
        std::size_t growth = LineBreakGrowthOnSave(text, len, target);
        if (growth > 0 && len + growth < size) {
            std::memmove(t + growth, t, len);
            shift = growth;
        } else if (growth > 0) {
            expandLoneCr = false;  // no room: lone CRs stay as they are
        }
    }
    const unsigned char* src = t + shift;

    std::size_t i = 0, o = 0;
    PercentTracker tracker(len, progress);
    while (i < len) {
        const std::size_t stop = tracker.BeginRun(i, len);
        std::uint64_t steps = 0;
        while (i < stop) {
            while (i + 8 <= stop) {
                std::uint64_t w = bytes::Load64(src + i);
                if (bytes::HasByte(w, CR))
                    break;
                bytes::Store64(t + o, w);
                i += 8;
                o += 8;
                steps += 8;
            }
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
        tracker.EndRun(steps);
    }
    tracker.Flush();
    if (o < size)
        t[o] = 0;
    return o;
}

std::size_t KanjiOutputBound(std::size_t length) { return 4 * length + 1; }

std::size_t ConvertKanjiOnSave(const char* text, std::size_t size, char* output,
                               std::size_t outputSize, KanjiCode target,
                               const ProgressSink* progress)
{
    if (outputSize == 0)
        return 0;
    const std::size_t len = TextLength(text, size);
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    unsigned char* out = reinterpret_cast<unsigned char*>(output);
    if (outputSize >= KanjiOutputBound(len))
        return KanjiOnSave<false>(t, len, out, outputSize, target, progress);
    return KanjiOnSave<true>(t, len, out, outputSize, target, progress);
}
