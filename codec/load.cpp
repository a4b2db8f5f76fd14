// Load conversion: file bytes to the internal form.
#include <algorithm>
#include <array>
#include <cstring>

#include "codec/bytes.h"
#include "codec/convert.h"
#include "codec/cp932.h"
#include "codec/detect.h"
#include "codec/euc.h"
#include "codec/sjis.h"
#include "codec/utf8.h"

namespace {


constexpr std::size_t kMacBinaryHeader = 128;

#if defined(VEXA_SSE2)
// The load's line breaks sixteen bytes at a time from src + *i to dst + *o,
// while at least 32 bytes are left before `end`, for the two kinds of block
// most texts are made of: no CR at all (each LF becomes CR LF), or CR LF
// pairs only (copied as they are). Stops before any other block (a lone CR,
// a lone LF among CR LF, LF CR) and leaves it to the byte-wise steps.
// Advances both positions past whole steps, sets *code at the first line
// break when it is still 0, and returns the steps taken. Writes up to 32
// bytes beyond the output, as the byte-wise copy writes 16: the target has
// room for them, as the 32 bytes still to read may become 64.
std::uint64_t LineBreakBlocks(const unsigned char* src, std::size_t* i, std::size_t end, unsigned char* dst,
                              std::size_t* o, int* code)
{
    const __m128i cr = _mm_set1_epi8(CR), lf = _mm_set1_epi8(LF);
    std::size_t from = *i, to = *o;
    std::uint64_t steps = 0;
    unsigned carry = 0;  // bit 0: the block's first byte is the LF of a CR LF begun before it
    for (; from + 32 <= end; from += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + from));
        const unsigned crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
        const unsigned lfs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
        const unsigned next = src[from + 16];
        if (crs == 0) {
            if (carry || ((lfs >> 15) && next == CR))
                break;  // a CR LF's LF alone here, or LF CR across blocks
            // From each LF on, the block is written one byte later, after
            // a CR. The first LF goes without a branch (a block without one
            // writes only past its end), the rare others one by one.
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + to), v);
            unsigned k = static_cast<unsigned>(__builtin_ctz(lfs | 0x10000u));
            dst[to + k] = CR;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + to + k + 1),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + from + k)));
            unsigned extra = lfs != 0;
            for (unsigned m = lfs & (lfs - 1); m; m &= m - 1) {
                k = static_cast<unsigned>(__builtin_ctz(m));
                dst[to + k + extra] = CR;
                ++extra;
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + to + k + extra),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + from + k)));
            }
            if (!*code && extra)
                *code = static_cast<int>(LineBreakCode::Lf);
            to += 16 + extra;
            steps += 16;
        } else {
            const unsigned crThenLf = (lfs >> 1) | (next == LF ? 0x8000u : 0u);
            if ((crs & ~crThenLf) || (lfs & ~((crs << 1) | carry)))
                break;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + to), v);
            if (!*code)
                *code = static_cast<int>(LineBreakCode::CrLf);
            to += 16;
            steps += 16 - bytes::CountBits16(lfs);
            carry = crs >> 15;
        }
    }
    if (carry) {
        dst[to++] = LF;  // the pair's LF, in the next block, is part of its step
        ++from;
    }
    *i = from;
    *o = to;
    return steps;
}
#endif


}  // namespace

void LoadTextBounds(const char* data, std::size_t dataLength, std::size_t* start, std::size_t* end)
{
    *start = dataLength >= kMacBinaryHeader && data[0] == 0 && data[74] == 0 ? kMacBinaryHeader : 0;
    *end = *start + TextLength(data + *start, dataLength - *start);
}

LineBreakCode ConvertLineBreaksOnLoad(const char* data, std::size_t dataLength, char* target,
                                      std::size_t targetCapacity, const ProgressSink* progress,
                                      std::size_t* length)
{
    const unsigned char* src = reinterpret_cast<const unsigned char*>(data);
    unsigned char* dst = reinterpret_cast<unsigned char*>(target);
    if (length)
        *length = 0;
    if (targetCapacity < 2) {
        if (targetCapacity)
            dst[0] = 0;
        return LineBreakCode::CrLf;
    }

    std::size_t start = 0, end = 0;
    LoadTextBounds(data, dataLength, &start, &end);
    // Each byte may double, and two zeros follow; a short target shortens the text.
    std::size_t room = (targetCapacity - 2) / 2;
    if (end - start > room)
        end = start + room;

    int code = 0;  // none yet
    std::size_t i = start, o = 0;
    PercentTracker tracker(end, progress, /*skipFirst=*/true);

    while (i < end) {
        const std::size_t stop = tracker.BeginRun(i, end);
        std::uint64_t steps = 0;
        while (i < stop) {
#if defined(VEXA_SSE2)
            steps += LineBreakBlocks(src, &i, stop, dst, &o, &code);
#endif
            // Many bytes at a time up to the next CR or LF.
            steps += bytes::CopyUntil(src, &i, stop, dst, &o, CR, LF);
            if (i >= stop)
                break;
            unsigned char c = src[i];
            if (c == CR || c == LF) {
                unsigned char other = c == CR ? LF : CR;
                unsigned char next = i + 1 < end ? src[i + 1] : 0;
                bool pair = next == other;
                if (code == 0) {
                    code = static_cast<int>(c == CR ? (pair ? LineBreakCode::CrLf : LineBreakCode::Cr)
                                                    : (pair ? LineBreakCode::LfCr : LineBreakCode::Lf));
                }
                i += pair ? 2 : 1;
                dst[o] = CR;
                dst[o + 1] = LF;
                o += 2;
            } else {
                dst[o++] = c;
                ++i;
            }
            ++steps;
        }
        tracker.EndRun(steps);
    }

    // The terminator is a step of its own, measured after it at end + 1.
    if (tracker.Tracking()) {
        if (i >= tracker.Limit())
            tracker.Enter(i);
        else
            tracker.AddSteps(1);
        tracker.Final(i + 1);
    }
    dst[o] = 0;
    dst[o + 1] = 0;
    if (length)
        *length = o;
    return code ? static_cast<LineBreakCode>(code) : LineBreakCode::CrLf;
}

KanjiCode ConvertKanjiOnLoad(char* text, std::size_t length, std::size_t capacity,
                             const ProgressSink* progress, std::size_t* newLength, LoadNotes* notes,
                             KanjiCode as)
{
    const std::size_t len = length < capacity ? length : capacity;
    if (capacity == 0) {
        if (newLength)
            *newLength = 0;
        return as != KanjiCode::Auto ? as : KanjiCode::JIS;
    }
    const KanjiCode code = as != KanjiCode::Auto ? as : DetectKanjiCodeOfLength(text, len);
    if (code == KanjiCode::UTF8) {
        const bool mark = utf8::StartsWithByteOrderMark(text, len);
        if (notes)
            notes->byteOrderMark = mark;
        std::size_t n = utf8::ToShiftJis(text, mark ? utf8::kByteOrderMarkLength : 0, len, capacity, progress,
                                         notes ? &notes->replaced : nullptr);
        if (newLength)
            *newLength = n;
        return code;
    }
    ConvertKanjiOnLoadAs(code, text, length, capacity, progress, newLength, notes ? &notes->replaced : nullptr);
    return code;
}

void ConvertKanjiOnLoadAs(KanjiCode code, char* text, std::size_t length, std::size_t capacity,
                          const ProgressSink* progress, std::size_t* newLength, std::uint64_t* replaced)
{
    if (code == KanjiCode::UTF8) {
        std::size_t n = utf8::ToShiftJis(text, 0, length, capacity, progress, replaced);
        if (newLength)
            *newLength = n;
        return;
    }
    if (code == KanjiCode::ShiftJIS) {
        if (newLength)
            *newLength = length < capacity ? length : capacity;
        return;
    }
    euc::ToShiftJis(text, length, capacity, progress, newLength, replaced);  // JIS too
}
