// Save conversion: the internal form to the target codes.
#include <algorithm>
#include <array>
#include <cstring>

#include "codec/bytes.h"
#include "codec/convert.h"
#include "codec/cp932.h"
#include "codec/euc.h"
#include "codec/jis.h"
#include "codec/sjis.h"
#include "codec/utf16.h"
#include "codec/utf8.h"

namespace {

// Shift-JIS as it is, from `text` to `output` (which may be `text`), a
// character a step for the meter; a capacity below the text's shortens it.
std::size_t CopyShiftJis(const unsigned char* t, std::size_t len, unsigned char* out, std::size_t outSize,
                         const ProgressSink* progress)
{
    if (len >= outSize)
        len = outSize - 1;
    std::size_t i = 0, o = 0;
    PercentTracker tracker(len, progress);
    tracker.RunAll(i, len, [&](std::size_t stop) {
        std::uint64_t steps = 0;
        while (i < stop) {
            steps += bytes::CopyWords(t, &i, stop, out, &o, bytes::HasHighByte);
            if (i >= stop)
                break;
            const std::size_t n = sjis::CharLength(reinterpret_cast<const char*>(t), len, i);
            out[o] = t[i];
            if (n == 2)
                out[o + 1] = t[i + 1];
            i += n;
            o += n;
            ++steps;
        }
        return steps;
    });
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
    if (target == KanjiCode::EUC)
        return euc::FromShiftJis(t, length, out, outputCapacity, progress, replaced);
    if (target == KanjiCode::JIS)
        return jis::FromShiftJis(t, length, out, outputCapacity, progress, replaced);
    return CopyShiftJis(t, length, out, outputCapacity, progress);
}

std::uint64_t CountWithoutPlace(const char* text, std::size_t length, KanjiCode target, std::size_t* first)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    std::uint64_t count = 0;
    *first = length;
    if (target == KanjiCode::ShiftJIS || target == KanjiCode::Auto)
        return 0;
    std::size_t i = 0;
    while (i < length) {
        while (i + 8 <= length && !bytes::HasHighByte(bytes::Load64(t + i)))
            i += 8;  // every code holds ASCII
        if (i >= length)
            break;
        std::size_t taken = 1;
        bool place;
        if (target == KanjiCode::EUC) {
            place = euc::HasPlace(t, length, i, &taken);
        } else if (target == KanjiCode::JIS) {
            place = jis::HasPlace(t, length, i, &taken);
        } else if (i + 1 < length && sjis::IsPair(t[i], t[i + 1])) {
            taken = 2;
            place = cp932::PairToUnicode(t[i], t[i + 1]) != cp932::kNone;
        } else {
            place = t[i] < 0x80 || cp932::SingleToUnicode(t[i]) != cp932::kNone;
        }
        if (!place && count++ == 0)
            *first = i;
        i += taken;
    }
    return count;
}
