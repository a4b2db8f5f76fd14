// Detection of the kanji code: UTF-8 by its own rule, and otherwise the
// first byte pair that only Shift-JIS or only EUC can hold, checked against
// the whole text; a text with neither is taken as JIS.
#include <cstring>

#include "codec/bytes.h"
#include "codec/convert.h"
#include "codec/cp932.h"
#include "codec/detect.h"
#include "codec/sjis.h"
#include "codec/utf8.h"

namespace {

// EUC read a byte at a time: false at a byte no EUC character has there.
inline bool EucStep(unsigned c, unsigned* need, unsigned* low, unsigned* high)
{
    if (*need) {
        --*need;
        return c >= *low && c <= *high;
    }
    if (c < 0x80)
        return true;
    *low = 0xA1;
    *high = c == 0x8E ? 0xDF : 0xFE;  // 8E: a half-width katakana
    *need = c == 0x8F ? 2 : 1;
    return c == 0x8E || c == 0x8F || (c >= 0xA1 && c <= 0xFE);
}

// Shift-JIS read a byte at a time: false at a byte that is part of no
// character of code page 932.
inline bool ShiftJisStep(unsigned c, unsigned* lead)
{
    if (*lead) {
        const bool ok = sjis::IsTrail(static_cast<unsigned char>(c)) &&
                        cp932::PairToUnicode(static_cast<unsigned char>(*lead), static_cast<unsigned char>(c)) !=
                            cp932::kNone;
        *lead = 0;
        return ok;
    }
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF))
        return true;
    *lead = sjis::IsLead(static_cast<unsigned char>(c)) ? c : 0;
    return *lead != 0;  // 80, A0 and FD-FF stand for nothing alone
}

// A byte no EUC text holds: 80-A0 but the single shifts, and FF.
inline bool EucNever(unsigned c) { return (c >= 0x80 && c <= 0xA0 && c != 0x8E && c != 0x8F) || c == 0xFF; }

// The first byte from i on that EUC never holds, or n.
std::size_t FindEucNever(const unsigned char* t, std::size_t i, std::size_t n)
{
#if defined(VEXA_SSE2)
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i low = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(static_cast<char>(0x80))), v);
        const __m128i high = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(static_cast<char>(0xA0))), v);
        const __m128i shifts = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0x8E))),
                                            _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0x8F))));
        const __m128i never = _mm_or_si128(_mm_andnot_si128(shifts, _mm_and_si128(low, high)),
                                           _mm_cmpeq_epi8(v, _mm_set1_epi8(-1)));
        if (const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(never)))
            return i + static_cast<unsigned>(__builtin_ctz(m));
    }
#endif
    // A word whose bytes are none of 80-A0 and FF is passed whole: of a
    // byte's low seven bits, 00-20 stay below 80 when 5F is added.
    for (; i + 8 <= n; i += 8) {
        const std::uint64_t w = bytes::Load64(t + i);
        const std::uint64_t low7 = w & 0x7F7F7F7F7F7F7F7Full;
        if ((w & ~(low7 + 0x5F5F5F5F5F5F5F5Full) & bytes::kHigh) == 0 && !bytes::HasZeroByte(~w))
            continue;
        for (std::size_t k = i; k < i + 8; ++k)
            if (EucNever(t[k]))
                return k;
    }
    for (; i < n; ++i)
        if (EucNever(t[i]))
            return i;
    return n;
}

}  // namespace

std::size_t TextLength(const char* text, std::size_t size)
{
    const void* zero = std::memchr(text, 0, size);
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : size;
}

bool IsEucText(const char* text, std::size_t length)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    unsigned need = 0, low = 0, high = 0;
    for (std::size_t i = 0; i < length; ++i) {
        while (need == 0 && i + 8 <= length && !bytes::HasHighByte(bytes::Load64(t + i)))
            i += 8;
        if (i < length && !EucStep(t[i], &need, &low, &high))
            return false;
    }
    return need == 0;
}

void ShiftJisChecker::Feed(const char* text, std::size_t length)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; i < length && valid_; ++i) {
        while (lead_ == 0 && i + 8 <= length && !bytes::HasHighByte(bytes::Load64(t + i)))
            i += 8;
        if (i < length)
            valid_ = ShiftJisStep(t[i], &lead_);
    }
}

bool IsShiftJisText(const char* text, std::size_t length)
{
    ShiftJisChecker checker;
    checker.Feed(text, length);
    return checker.Finish();
}

void LegacyDetector::Evidence(unsigned a, unsigned b)
{
    if (a < 0x80)
        return;
    if (sjis::IsShiftJisOnlyLead(static_cast<unsigned char>(a)) && sjis::IsTrail(static_cast<unsigned char>(b)))
        first_ = KanjiCode::ShiftJIS;
    else if (sjis::IsEucEvidence(static_cast<unsigned char>(a), static_cast<unsigned char>(b)))
        first_ = KanjiCode::EUC;
    else
        return;
    lead_ = a;
    if (first_ == KanjiCode::ShiftJIS && lead_ != 0x8E && lead_ != 0x8F)
        done_ = true;  // a lead EUC never has: Shift-JIS whatever follows
    if (first_ == KanjiCode::EUC && !sjisText_)
        done_ = true;  // EUC, as Shift-JIS cannot read the text
}

void LegacyDetector::Step(unsigned c)
{
    if (hasPrevious_)
        Evidence(previous_, c);
    previous_ = c;
    hasPrevious_ = true;
    if (eucText_ && !EucStep(c, &eucNeed_, &eucLow_, &eucHigh_))
        eucText_ = false;
    if (sjisText_ && !ShiftJisStep(c, &sjisLead_))
        sjisText_ = false;
    eucNever_ |= EucNever(c);
}

void LegacyDetector::Feed(const char* text, std::size_t length)
{
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    // Until the first answer: every byte through the three readings; runs
    // of ASCII change none of them.
    while (i < length && !done_ && first_ == KanjiCode::JIS) {
        while (i + 8 <= length && eucNeed_ == 0 && sjisLead_ == 0 && previous_ < 0x80 &&
               !bytes::HasHighByte(bytes::Load64(t + i))) {
            previous_ = t[i + 7];
            hasPrevious_ = true;
            i += 8;
        }
        if (i < length)
            Step(t[i++]);
        if (done_ || first_ != KanjiCode::JIS)
            break;
    }
    if (done_ || first_ == KanjiCode::JIS)
        return;
    if (first_ == KanjiCode::ShiftJIS) {
        // By a single shift: the answer is EUC only if all of it is EUC.
        for (; i < length && eucText_; ++i) {
            while (eucNeed_ == 0 && i + 8 <= length && !bytes::HasHighByte(bytes::Load64(t + i)))
                i += 8;
            if (i < length && !EucStep(t[i], &eucNeed_, &eucLow_, &eucHigh_))
                eucText_ = false;
        }
        done_ = !eucText_;
    } else if (eucNever_) {
        // EUC, with a byte EUC never has already: Shift-JIS if all of it is.
        for (; i < length && sjisText_; ++i) {
            while (sjisLead_ == 0 && i + 8 <= length && !bytes::HasHighByte(bytes::Load64(t + i)))
                i += 8;
            if (i < length && !ShiftJisStep(t[i], &sjisLead_))
                sjisText_ = false;
        }
        done_ = !sjisText_;
    } else {
        // EUC unless a byte EUC never has comes: the Shift-JIS reading
        // stops here, and is asked of the whole text should one come.
        sjisKnown_ = false;
        if (FindEucNever(t, i, length) < length) {
            eucNever_ = true;
            done_ = true;
        }
    }
}

bool LegacyDetector::Finish()
{
    if (eucNeed_)
        eucText_ = false;
    if (sjisLead_ && sjisKnown_)
        sjisText_ = false;
    return first_ == KanjiCode::EUC && eucNever_ && !sjisKnown_;
}

KanjiCode LegacyDetector::Resolve(bool shiftJisText) const
{
    if (first_ == KanjiCode::ShiftJIS)
        return (lead_ == 0x8E || lead_ == 0x8F) && eucText_ ? KanjiCode::EUC : KanjiCode::ShiftJIS;
    if (first_ == KanjiCode::EUC && eucNever_)
        return (sjisKnown_ ? sjisText_ : shiftJisText) ? KanjiCode::ShiftJIS : KanjiCode::EUC;
    return first_;
}

KanjiCode DetectKanjiCodeOfLength(const char* text, std::size_t len)
{
    return utf8::IsUtf8Text(text, len) ? KanjiCode::UTF8 : DetectLegacyKanjiCode(text, len);
}

KanjiCode DetectLegacyKanjiCode(const char* text, std::size_t len)
{
    LegacyDetector detector;
    detector.Feed(text, len);
    const bool ask = detector.Finish();
    return detector.Resolve(ask && IsShiftJisText(text, len));
}

KanjiCode DetectKanjiCode(const char* text, std::size_t size)
{
    return DetectKanjiCodeOfLength(text, TextLength(text, size));
}
