// The converter's run of the passes, piece by piece (see piecewise.h).
#include "codec/piecewise.h"

#include <cstring>

#include "codec/bytes.h"
#include "codec/convert.h"
#include "codec/detect.h"
#include "codec/pipeline.h"
#include "codec/utf16.h"
#include "codec/utf8.h"

namespace {

// The scout keeps nothing but an unfinished character, and reads four
// pieces at a time: fewer, larger reads cost less.
constexpr std::size_t kScoutPieces = 4;

}  // namespace

// Whether a piece of the text may end before byte p (3 <= p < length): no
// pass carries anything across. After a byte below 0x80 the load starts a
// character (no EUC pair begins there), so of three such bytes the last two
// come out of the load as they went in; and two bytes below 0x80 end every
// pair of the save, as neither can lead. A CR LF or LF CR must not be cut
// in two. (A piece of a JIS or EUC text holding ESC is never cut: the
// two-byte mode would carry over.) Two bytes are not enough: in EUC
// "CC 20 4C" the load takes CC 20 as a pair, and its Shift-JIS second
// byte leads 4C in the save.
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
        // The helper's piece is half as large again: the main thread reads
        // and writes them all.
        const bool helpers = hasHelper_ && helpersTurn_ && TargetsKnown();
        if (!Read(in, whole_ ? 4 * piece_ : helpers ? piece_ + piece_ / 2 : piece_, &atEnd))
            return Stop(tooLarge_ ? TooLarge : ReadFailed);
        if (!StartWhenReady(atEnd))
            continue;
        std::size_t cut = atEnd ? length_ : CutPoint();
        // An empty text still makes an output of its own (a byte-order mark).
        if (cut == 0 && !(atEnd && !prepared_))
            continue;
        const Status result = Consume(cut, atEnd, out);
        if (result != Done)
            return Stop(result);
    }
    const Status result = Settle(out);
    if (result != Done)
        return result;
    // After a zero that ended the text the rest is only counted.
    char skip[4096];
    for (;;) {
        bool failed = false;
        const std::size_t n = in.read(in.context, skip, sizeof skip, &failed);
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
        if (length_ < kStartLength && !atEnd)
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
    // Read as UTF-16, the text starts at once unless a mark of its order is there.
    bool markBigEndian = false;
    const bool marked = utf16::StartsWithByteOrderMark(raw_.data(), length_, &markBigEndian);
    if (readAs_ == KanjiCode::Auto ? marked : IsUtf16(readAs_)) {
        bigEndian_ = readAs_ == KanjiCode::Auto ? markBigEndian : readAs_ == KanjiCode::UTF16BE;
        const std::size_t skip = marked && markBigEndian == bigEndian_ ? utf16::kByteOrderMarkLength : 0;
        isUtf16_ = true;
        kanji_ = bigEndian_ ? KanjiCode::UTF16BE : KanjiCode::UTF16;
        decided_ = true;
        utf16_.assign(raw_.begin() + static_cast<std::ptrdiff_t>(skip), raw_.begin() + static_cast<std::ptrdiff_t>(length_));
        utf16Length_ = length_ - skip;
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
    if (readAs_ != KanjiCode::Auto && readAs_ != KanjiCode::UTF8) {
        kanji_ = readAs_;
        decided_ = true;
        return;
    }
    if (utf8::StartsWithByteOrderMark(raw_.data(), length_)) {
        std::memmove(raw_.data(), raw_.data() + utf8::kByteOrderMarkLength, length_ - utf8::kByteOrderMarkLength);
        length_ -= utf8::kByteOrderMarkLength;
        byteOrderMark_ = true;
        kanji_ = KanjiCode::UTF8;
        decided_ = true;
        return;
    }
    if (hint_ == Hint::Utf8 || readAs_ == KanjiCode::UTF8) {
        kanji_ = KanjiCode::UTF8;
        decided_ = true;
        return;
    }
    notUtf8_ = hint_ == Hint::NotUtf8;
    Decide();
}

// Reads `in` from its start to the end of its text, giving `feed` each
// part of it held (after a MacBinary header, up to a zero byte) and keeping
// none, until `feed` says it has its answer. False when the text turned out
// to be UTF-16 or UTF-8 by a mark, or the input failed.
template <typename Feed>
bool PiecewiseConverter::ScoutText(const Input& in, Feed feed)
{
    KnowUtf8(false);
    bool atEnd = false;
    while (!atEnd) {
        if (!Read(in, kScoutPieces * piece_, &atEnd))
            return false;  // the run that follows meets the same failure
        if (!StartWhenReady(atEnd))
            continue;
        if (decided_)
            return false;
        const bool done = feed(raw_.data(), length_);
        length_ = 0;
        if (done)
            break;
    }
    return true;
}

bool PiecewiseConverter::ScoutLegacy(const Input& in, KanjiCode* code)
{
    *code = KanjiCode::Auto;
    if (!ScoutText(in, [this](const char* text, std::size_t length) {
            legacy_.Feed(text, length);
            return legacy_.Done();
        }))
        return true;
    const bool ask = legacy_.Finish();
    *code = legacy_.Resolve();
    return !ask;
}

bool PiecewiseConverter::ScoutShiftJis(const Input& in)
{
    ShiftJisChecker checker;
    ScoutText(in, [&checker](const char* text, std::size_t length) {
        checker.Feed(text, length);
        return false;
    });
    return checker.Finish();
}

bool PiecewiseConverter::ScoutUtf8(const Input& in)
{
    bool utf8 = false;
    if (!ScoutPart(in, &utf8))
        utf8 = length_ == 0 && utf8Wide_;
    return utf8;
}

// Reads `in` to its end, or until the answer is known whatever may follow
// (a mark, a fault, or a zero byte that ends the text): then *utf8 holds it
// and the result is true. False when all of `in` was well-formed, up to an
// unfinished character that stays in raw_.
bool PiecewiseConverter::ScoutPart(const Input& in, bool* utf8)
{
    *utf8 = false;
    bool atEnd = false;
    while (!atEnd) {
        if (!Read(in, kScoutPieces * piece_, &atEnd))
            return true;  // the run that follows meets the same failure
        if (!StartWhenReady(atEnd))
            continue;
        if (decided_) {
            *utf8 = kanji_ == KanjiCode::UTF8;  // a mark; or the other codes, after a fault
            return true;
        }
        Decide();
        if (notUtf8_)
            return true;
        // What is well-formed is done with; an unfinished character stays.
        std::memmove(raw_.data(), raw_.data() + utf8Checked_, length_ - utf8Checked_);
        length_ -= utf8Checked_;
        utf8Checked_ = 0;
    }
    if (!ended_)
        return false;
    *utf8 = length_ == 0 && utf8Wide_;
    return true;
}

namespace {

// The second part of a text scouted in two: up to three continuation
// bytes at its start end a character begun in the first part and are kept
// for the check across the cut; from there on it must be well-formed to
// its end or its first zero byte.
struct TailScout {
    PiecewiseConverter::Input in;
    std::size_t piece;
    char first[3];
    std::size_t firstLength = 0;
    bool invalid = false, wide = false;
};

void ScoutTail(void* argument)
{
    TailScout* s = static_cast<TailScout*>(argument);
    std::vector<char> buffer(s->piece + 4);
    std::size_t held = 0;  // an unfinished character, carried to the next piece
    bool skipping = true;
    for (;;) {
        bool failed = false;
        const std::size_t got = s->in.read(s->in.context, buffer.data() + held, s->piece, &failed);
        if (failed) {
            s->invalid = true;  // the run that follows meets the same failure
            return;
        }
        bool end = got < s->piece;
        std::size_t length = held + got;
        if (const void* zero = std::memchr(buffer.data() + held, 0, got)) {
            length = static_cast<std::size_t>(static_cast<const char*>(zero) - buffer.data());
            end = true;
        }
        std::size_t from = 0;
        while (skipping && from < length) {
            if (s->firstLength < 3 && (static_cast<unsigned char>(buffer[from]) & 0xC0) == 0x80)
                s->first[s->firstLength++] = buffer[from++];
            else
                skipping = false;
        }
        const utf8::Check check = utf8::CheckText(buffer.data() + from, length - from);
        s->wide |= check.wide;
        held = length - from - check.complete;
        if (check.invalid || (end && held != 0)) {
            s->invalid = true;
            return;
        }
        if (end)
            return;
        std::memmove(buffer.data(), buffer.data() + from + check.complete, held);
    }
}

}  // namespace

bool PiecewiseConverter::ScoutUtf8(const Input& head, const Input& tail)
{
    TailScout t;
    t.in = tail;
    t.piece = kScoutPieces * piece_;
    if (hasHelper_)
        helper_.start(helper_.context, &ScoutTail, &t);
    bool utf8 = false;
    const bool known = ScoutPart(head, &utf8);
    if (hasHelper_)
        helper_.wait(helper_.context);
    else if (!known)
        ScoutTail(&t);
    if (known)
        return utf8;
    if (t.invalid)
        return false;
    // The character across the cut: what the head left unfinished, and the
    // tail's first continuation bytes.
    char span[3 + 3];
    if (length_ > 3)
        return false;  // not so after a head of kStartLength or more
    std::memcpy(span, raw_.data(), length_);
    std::memcpy(span + length_, t.first, t.firstLength);
    const std::size_t spanLength = length_ + t.firstLength;
    const utf8::Check check = utf8::CheckText(span, spanLength);
    if (check.invalid || check.complete != spanLength)
        return false;
    return utf8Wide_ || t.wide || check.wide;
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
    // Not UTF-8: the whole text decides, as scouted, or at its end.
    if (notUtf8_ && legacyHint_ != KanjiCode::Auto) {
        kanji_ = legacyHint_;
        decided_ = true;
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
    // Escape sequences are obeyed only in a text read as JIS or EUC; other
    // codes copy ESC like any control byte.
    const bool escapes = !isUtf16_ && (kanji_ == KanjiCode::JIS || kanji_ == KanjiCode::EUC);
    if (!whole_ && escapes && std::memchr(raw_.data() + checked_, ESC, length_ - checked_))
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
// Once the codes are known, every other piece goes to the helper thread:
// the main thread reads and converts the next piece meanwhile, and reads
// the helper's next one; the pieces are written in order. Leaves in raw_
// what follows the n bytes.
PiecewiseConverter::Status PiecewiseConverter::Consume(std::size_t n, bool last, const Output& out)
{
    // Undecided at the end: the code is decided on the rest, as the load
    // decides on the whole text (what came before held no high byte).
    if (last && !decided_) {
        Decide();
        const bool utf8 = !notUtf8_ && utf8Checked_ == n && utf8Wide_;
        kanji_ = utf8 ? KanjiCode::UTF8 : DetectLegacyKanjiCode(raw_.data(), n);
        decided_ = true;
    }
    const bool targetsKnown = TargetsKnown();
    const bool helped = hasHelper_ && targetsKnown;
    Status result = Done;
    // The last piece stays here: a text of one piece starts no thread.
    if (helped && helpersTurn_ && !last) {
        // The piece moves to a buffer of its own, and what follows it back.
        std::swap(raw_, spare_);
        if (raw_.size() < spare_.size())
            raw_.resize(spare_.size());
        std::memcpy(raw_.data(), spare_.data() + n, length_ - n);
        // The pieces before it are written before it starts.
        result = Settle(out);
        if (result == Done) {
            std::swap(spare_, helped_.raw);
            Prepare(&helped_, n);
            helperBusy_ = true;
            helper_.start(helper_.context, &PiecewiseConverter::ConvertHelped, this);
        }
    } else {
        // A last piece in the helper's turn: the piece before it waits in mine_.
        if (minePending_)
            result = Settle(out);
        Prepare(&mine_, n);
        Load(&mine_, raw_.data());
        if (!targetsKnown) {
            NoteLineBreak(mine_);
            mine_.lineBreakTarget = EffectiveLineBreakCode(lineBreakSetting_, lineBreak());
        }
        Save(&mine_);
        // Behind the helper's piece, it waits for it.
        if (helperBusy_)
            minePending_ = true;
        else if (result == Done)
            result = Finish(&mine_, out);
        std::memmove(raw_.data(), raw_.data() + n, length_ - n);
    }
    if (helped)
        helpersTurn_ = !helpersTurn_;
    length_ -= n;
    checked_ = 0;
    utf8Checked_ = utf8Checked_ > n ? utf8Checked_ - n : 0;
    return result;
}

// The helper's job: both passes on its piece.
void PiecewiseConverter::ConvertHelped(void* self)
{
    PiecewiseConverter* c = static_cast<PiecewiseConverter*>(self);
    c->Load(&c->helped_, c->helped_.raw.data());
    c->Save(&c->helped_);
}

// Ends a run that failed: the helper's piece is waited for, and neither it
// nor the piece behind it is written.
PiecewiseConverter::Status PiecewiseConverter::Stop(Status result)
{
    if (helperBusy_) {
        helper_.wait(helper_.context);
        helperBusy_ = false;
    }
    minePending_ = false;
    return result;
}

// Writes the helper's piece once it is done, and the piece behind it.
PiecewiseConverter::Status PiecewiseConverter::Settle(const Output& out)
{
    if (!helperBusy_)
        return Done;
    helper_.wait(helper_.context);
    helperBusy_ = false;
    Status result = Finish(&helped_, out);
    if (result == Done && minePending_)
        result = Finish(&mine_, out);
    minePending_ = false;
    return result;
}

// The settings a piece's passes need, taken before it is converted: the
// code it is read in, the save's effective codes (the line break's may yet
// be decided by the piece itself) and whether the byte-order mark goes
// before it.
void PiecewiseConverter::Prepare(Piece* piece, std::size_t n)
{
    piece->n = n;
    piece->loadAs = isUtf16_ ? KanjiCode::ShiftJIS : kanji_;
    piece->kanjiTarget = EffectiveKanjiCode(kanjiSetting_, kanji_);
    piece->lineBreakTarget = EffectiveLineBreakCode(lineBreakSetting_, lineBreak());
    // A byte-order mark read is written again, once, before the first piece.
    piece->byteOrderMark = WritesByteOrderMark(piece->kanjiTarget, byteOrderMark_) && !prepared_;
    prepared_ = true;
}

// The load's passes on a piece, into its own text buffer.
void PiecewiseConverter::Load(Piece* piece, const char* raw)
{
    const std::size_t n = piece->n;
    if (piece->text.size() < 2 * n + 2)
        piece->text.resize(2 * n + 2);
    std::size_t length = 0;
    piece->found = ConvertLineBreaksOnLoad(raw, n, piece->text.data(), piece->text.size(), nullptr, &length);
    piece->hasLineBreak = std::memchr(piece->text.data(), CR, length) != nullptr;
    piece->replacedOnLoad = 0;
    ConvertKanjiOnLoadAs(piece->loadAs, piece->text.data(), length, piece->text.size(), nullptr, &length,
                         &piece->replacedOnLoad);
    piece->length = length;
}

// The first line break read decides the text's line-break code.
void PiecewiseConverter::NoteLineBreak(const Piece& piece)
{
    if (!lineBreakKnown_ && piece.hasLineBreak) {
        lineBreakKnown_ = true;
        lineBreak_ = piece.found;
    }
}

// The save's passes on a loaded piece. A piece whose buffers would not fit
// 32 bits is not converted (Finish reports it).
void PiecewiseConverter::Save(Piece* piece)
{
    piece->growth = LineBreakGrowthOnSave(piece->text.data(), piece->length, piece->lineBreakTarget);
    std::uint32_t textCapacity = 0, outputCapacity = 0;
    piece->fits = SaveBufferSizes(piece->length, piece->growth, &textCapacity, &outputCapacity);
    if (!piece->fits)
        return;
    if (piece->text.size() < textCapacity)
        piece->text.resize(textCapacity);
    if (SaveNeedsOutput(piece->kanjiTarget) && piece->output.size() < outputCapacity)
        piece->output.resize(outputCapacity);
    piece->saved = ConvertTextOnSave(piece->text.data(), piece->length, piece->text.size(), piece->output.data(),
                                     piece->output.size(), piece->kanjiTarget, piece->lineBreakTarget, nullptr,
                                     piece->byteOrderMark);
}

// A converted piece, in its turn: counted, checked against the editor's
// limits for the whole text so far, and written.
PiecewiseConverter::Status PiecewiseConverter::Finish(Piece* piece, const Output& out)
{
    NoteLineBreak(*piece);
    converted_ += piece->length;
    growth_ += piece->growth;
    std::uint32_t textCapacity = 0, outputCapacity = 0;
    if (!piece->fits || !SaveBufferSizes(converted_, growth_, &textCapacity, &outputCapacity))
        return TooLarge;
    replacedOnLoad_ += piece->replacedOnLoad;
    replacedOnSave_ += piece->saved.replaced;
    return out.write(out.context, piece->saved.data, piece->saved.length) ? Done : WriteFailed;
}
