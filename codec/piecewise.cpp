// The converter's run of the passes, piece by piece (see piecewise.h).
#include "codec/piecewise.h"

#include <cstring>

#include "codec/convert.h"
#include "codec/detect.h"
#include "codec/pipeline.h"
#include "codec/utf16.h"
#include "codec/utf8.h"

namespace {

constexpr unsigned char CR = 0x0D, LF = 0x0A, ESC = 0x1B;
constexpr std::size_t kMacBinaryHeader = 128;

}  // namespace

// Whether a piece of the text may end before byte p (3 <= p < length): no
// pass carries anything across. After a byte below 0x80 the load starts a
// character (no EUC pair begins there), so of three such bytes the last two
// come out of the load as they went in; and two bytes below 0x80 end every
// pair of the save, as neither can lead. A CR LF or LF CR must not be cut
// in two. (A piece holding ESC is never cut: JIS's two-byte mode would
// carry over.) Two bytes are not enough: in EUC "CC 20 4C" the load takes
// CC 20 as a pair, and its Shift-JIS second byte leads 4C in the save.
bool PiecewiseConverter::CanCutBefore(const char* text, std::size_t p)
{
    const unsigned char w = text[p - 3], x = text[p - 2], y = text[p - 1], next = text[p];
    if (w >= 0x80 || x >= 0x80 || y >= 0x80)
        return false;
    return !((y == CR && next == LF) || (y == LF && next == CR));
}

PiecewiseConverter::PiecewiseConverter(KanjiCode kanjiSetting, LineBreakCode lineBreakSetting, std::size_t piece)
    : kanjiSetting_(kanjiSetting), lineBreakSetting_(lineBreakSetting), piece_(piece ? piece : 1)
{
}

PiecewiseConverter::Status PiecewiseConverter::Run(const Input& in, const Output& out)
{
    bool atEnd = false;
    while (!atEnd) {
        if (!Read(in, whole_ ? 4 * piece_ : piece_, &atEnd))
            return tooLarge_ ? TooLarge : ReadFailed;
        if (!StartWhenReady(atEnd))
            continue;
        std::size_t cut = atEnd ? length_ : CutPoint();
        // An empty text still makes an output of its own (a byte-order mark).
        if (cut == 0 && !(atEnd && !written_))
            continue;
        Status result = Convert(cut, atEnd, out);
        if (result != Done)
            return result;
        std::memmove(raw_.data(), raw_.data() + cut, length_ - cut);
        length_ -= cut;
        checked_ = 0;
        utf8Checked_ = utf8Checked_ > cut ? utf8Checked_ - cut : 0;
    }
    // After a zero that ended the text the rest is only counted.
    char skip[4096];
    for (;;) {
        bool failed = false;
        std::size_t n = in.read(in.context, skip, sizeof skip, &failed);
        if (failed)
            return ReadFailed;
        if (n == 0)
            break;
        read_ += n;
        leftOut_ += n;
    }
    return Done;
}

// The text ends at a zero byte at or after raw_ + from (within length_).
void PiecewiseConverter::EndAtZero(std::size_t from)
{
    if (const void* zero = std::memchr(raw_.data() + from, 0, length_ - from)) {
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(zero) - raw_.data());
        leftOut_ += length_ - at;
        length_ = at;
        ended_ = true;
    }
}

// Turns what UTF-16 input is waiting into Shift-JIS after the text held.
// U+0000 ends the text: what is left of the input from it on is counted.
void PiecewiseConverter::TakeUtf16(bool last)
{
    if (raw_.size() < length_ + utf16Length_ + 1)
        raw_.resize(length_ + utf16Length_ + 1);
    if (utf16Length_ == 0)
        return;
    std::memcpy(raw_.data() + length_, utf16_.data(), utf16Length_);
    std::size_t consumed = 0;
    bool zero = false;
    length_ += utf16::ToShiftJis(raw_.data() + length_, 0, utf16Length_, bigEndian_, last, &consumed,
                                 &replacedOnLoad_, &zero);
    if (zero) {
        leftOut_ += utf16Length_ - consumed;
        utf16Length_ = 0;
        ended_ = true;
        return;
    }
    std::memmove(utf16_.data(), utf16_.data() + consumed, utf16Length_ - consumed);
    utf16Length_ -= consumed;
}

// Appends up to `want` bytes of input; a zero byte ends the text there.
bool PiecewiseConverter::Read(const Input& in, std::size_t want, bool* atEnd)
{
    if (ended_) {
        *atEnd = true;
        return true;
    }
    if (raw_.size() < length_ + want)
        raw_.resize(length_ + want);
    bool failed = false;
    std::size_t got;
    if (isUtf16_) {
        if (utf16_.size() < utf16Length_ + want)
            utf16_.resize(utf16Length_ + want);
        got = in.read(in.context, utf16_.data() + utf16Length_, want, &failed);
    } else {
        got = in.read(in.context, raw_.data() + length_, want, &failed);
    }
    if (failed)
        return false;
    read_ += got;
    // The editor's limit on what it reads, for input of unknown size.
    std::uint32_t rawSize = 0, convertedSize = 0;
    if (!LoadBufferSizes(read_, &rawSize, &convertedSize)) {
        tooLarge_ = true;
        return false;
    }
    *atEnd = got < want;
    if (isUtf16_) {
        utf16Length_ += got;
        TakeUtf16(*atEnd);
    } else {
        length_ += got;
        // Before the start, zero bytes may belong to a MacBinary header or
        // to UTF-16: Start looks at them.
        if (started_)
            EndAtZero(length_ - got);
    }
    *atEnd = *atEnd || ended_;
    return true;
}

// Starts once enough bytes are there for a header and a mark after it, or
// at the end; false until then.
bool PiecewiseConverter::StartWhenReady(bool atEnd)
{
    if (!started_) {
        if (length_ < kMacBinaryHeader + utf8::kByteOrderMarkLength && !atEnd)
            return false;
        Start(atEnd);
    }
    return true;
}

// The first bytes are there (enough for a header and a mark after it):
// a UTF-16 text (by its mark) is turned into Shift-JIS from here on;
// otherwise skips a MacBinary header, ends the text at its first zero,
// takes off a UTF-8 byte-order mark, and takes the kanji code from the
// first piece when it shows one.
void PiecewiseConverter::Start(bool atEnd)
{
    started_ = true;
    // UTF-16 by its mark, before anything else: its zero bytes are no end.
    if (utf16::StartsWithByteOrderMark(raw_.data(), length_, &bigEndian_)) {
        isUtf16_ = true;
        kanji_ = bigEndian_ ? KanjiCode::UTF16BE : KanjiCode::UTF16;
        decided_ = true;
        utf16_.assign(raw_.begin() + utf16::kByteOrderMarkLength, raw_.begin() + length_);
        utf16Length_ = length_ - utf16::kByteOrderMarkLength;
        length_ = 0;
        TakeUtf16(atEnd);
        return;
    }
    std::size_t start = 0, end = 0;
    LoadTextBounds(raw_.data(), length_, &start, &end);
    if (end < length_) {
        leftOut_ += length_ - end;
        ended_ = true;
    }
    std::memmove(raw_.data(), raw_.data() + start, end - start);
    length_ = end - start;
    if (utf8::StartsWithByteOrderMark(raw_.data(), length_)) {
        std::memmove(raw_.data(), raw_.data() + utf8::kByteOrderMarkLength, length_ - utf8::kByteOrderMarkLength);
        length_ -= utf8::kByteOrderMarkLength;
        byteOrderMark_ = true;
        kanji_ = KanjiCode::UTF8;
        decided_ = true;
        return;
    }
    if (hint_ == Hint::Utf8) {
        kanji_ = KanjiCode::UTF8;
        decided_ = true;
        return;
    }
    notUtf8_ = hint_ == Hint::NotUtf8;
    Decide();
}

bool PiecewiseConverter::ScoutUtf8(const Input& in)
{
    bool atEnd = false;
    while (!atEnd) {
        if (!Read(in, piece_, &atEnd))
            return false;  // the run that follows meets the same failure
        if (!StartWhenReady(atEnd))
            continue;
        if (decided_)
            return kanji_ == KanjiCode::UTF8;  // a mark; or the other codes, after a fault
        Decide();
        if (notUtf8_)
            return false;
        // What is well-formed is done with; an unfinished character stays.
        std::memmove(raw_.data(), raw_.data() + utf8Checked_, length_ - utf8Checked_);
        length_ -= utf8Checked_;
        utf8Checked_ = 0;
    }
    return length_ == 0 && utf8Wide_;
}

// What is buffered starts after the last piece converted, which held no
// byte of 0x80 or more: the evidence of the whole text lies here or later.
// A text is UTF-8 only when it is well-formed to its very end, so while it
// may still be, nothing with a high byte is converted; the first fault
// leaves the other codes' rule, which the first byte pair decides.
void PiecewiseConverter::Decide()
{
    if (!notUtf8_) {
        const utf8::Check check = utf8::CheckText(raw_.data() + utf8Checked_, length_ - utf8Checked_);
        utf8Checked_ += check.complete;
        utf8Wide_ |= check.wide;
        notUtf8_ = check.invalid;
    }
    if (notUtf8_) {
        kanji_ = DetectLegacyKanjiCode(raw_.data(), length_);
        decided_ = kanji_ != KanjiCode::JIS;
    }
}

// Where the buffered bytes may be cut: the last safe point, or 0 to read on.
// Only bytes not looked at before are looked at (checked_).
std::size_t PiecewiseConverter::CutPoint()
{
    if (!decided_)
        Decide();
    if (!decided_) {
        // Until then only bytes below 0x80 and no ESC are converted: every
        // kanji code leaves them alike, on load and on save.
        std::size_t clean = 0;
        while (clean < length_ && static_cast<unsigned char>(raw_[clean]) < 0x80 && raw_[clean] != ESC)
            ++clean;
        checked_ = 0;
        for (std::size_t p = clean < length_ ? clean : length_ - 1; p >= 3 && p < length_; --p)
            if (CanCutBefore(raw_.data(), p))
                return p;
        return 0;
    }
    if (!whole_ && std::memchr(raw_.data() + checked_, ESC, length_ - checked_))
        whole_ = true;
    const std::size_t from = checked_ > 3 ? checked_ : 3;
    checked_ = length_;
    if (whole_)
        return 0;
    for (std::size_t p = length_ - 1; p >= from && p < length_; --p)
        if (CanCutBefore(raw_.data(), p))
            return p;
    return 0;
}

// The four passes on the first `n` bytes; `last` when they end the text.
PiecewiseConverter::Status PiecewiseConverter::Convert(std::size_t n, bool last, const Output& out)
{
    // Undecided at the end: the code is decided on the rest, as the load
    // decides on the whole text (what came before held no high byte).
    if (last && !decided_) {
        Decide();
        const bool utf8 = !notUtf8_ && utf8Checked_ == n && utf8Wide_;
        kanji_ = utf8 ? KanjiCode::UTF8 : DetectLegacyKanjiCode(raw_.data(), n);
        decided_ = true;
    }
    if (text_.size() < 2 * n + 2)
        text_.resize(2 * n + 2);
    std::size_t length = 0;
    LineBreakCode found = ConvertLineBreaksOnLoad(raw_.data(), n, text_.data(), text_.size(), nullptr, &length);
    if (!lineBreakKnown_ && std::memchr(text_.data(), CR, length)) {
        lineBreakKnown_ = true;
        lineBreak_ = found;
    }
    ConvertKanjiOnLoadAs(isUtf16_ ? KanjiCode::ShiftJIS : kanji_, text_.data(), length, text_.size(), nullptr, &length,
                         &replacedOnLoad_);

    // Before its first line break the text has nothing a line-break pass
    // changes, whatever the target.
    const LineBreakCode lineBreakTarget = EffectiveLineBreakCode(lineBreakSetting_, lineBreak());
    const KanjiCode kanjiTarget = EffectiveKanjiCode(kanjiSetting_, kanji_);
    const std::size_t growth = LineBreakGrowthOnSave(text_.data(), length, lineBreakTarget);
    converted_ += length;
    growth_ += growth;
    std::uint32_t textCapacity = 0, outputCapacity = 0;
    if (!SaveBufferSizes(converted_, growth_, &textCapacity, &outputCapacity) ||
        !SaveBufferSizes(length, growth, &textCapacity, &outputCapacity))
        return TooLarge;
    if (text_.size() < textCapacity)
        text_.resize(textCapacity);
    if (SaveNeedsOutput(kanjiTarget) && output_.size() < outputCapacity)
        output_.resize(outputCapacity);
    // A byte-order mark read is written again, once, before the first piece.
    SavedText saved = ConvertTextOnSave(text_.data(), length, text_.size(), output_.data(), output_.size(), kanjiTarget,
                                        lineBreakTarget, nullptr,
                                        WritesByteOrderMark(kanjiTarget, byteOrderMark_) && !written_);
    written_ = true;
    replacedOnSave_ += saved.replaced;
    return out.write(out.context, saved.data, saved.length) ? Done : WriteFailed;
}