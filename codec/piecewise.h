// A whole load and save of a text that arrives a piece at a time, as the
// converter reads a file: the editor's four passes run on each piece in
// buffers that stay small, which keeps the work in the cache and spares
// touching fresh memory for the whole file. Pieces are cut only where no
// pass carries anything over, so the bytes out are those of the whole text
// converted at once (ConvertFileOnLoad, then ConvertTextOnSave).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/codes.h"
#include "codec/detect.h"
#include "codec/pipeline.h"
#include "codec/utf8.h"

class PiecewiseConverter {
public:
    struct Input {
        // Up to `size` bytes into `buffer`; 0 at the end; *failed on an error.
        std::size_t (*read)(void* context, char* buffer, std::size_t size, bool* failed);
        void* context;
    };
    struct Output {
        bool (*write)(void* context, const char* data, std::size_t size);
        void* context;
    };
    enum Status { Done, ReadFailed, WriteFailed, TooLarge };

    // The save's settings (Auto keeps the detected codes) and the bytes
    // read at a time.
    PiecewiseConverter(KanjiCode kanjiSetting, LineBreakCode lineBreakSetting, std::size_t piece);
    // Reads the input to its end and writes the converted text. TooLarge
    // where the editor's buffers would not fit 32 bits.
    Status Run(const Input& in, const Output& out);

    // Another thread to convert every other piece on once the codes are
    // known: `start` runs job(argument) there and returns at once, `wait`
    // returns when that job is done. The bytes out are the same with or
    // without one.
    struct Helper {
        void (*start)(void* context, void (*job)(void*), void* argument);
        void (*wait)(void* context);
        void* context;
    };
    void UseHelper(const Helper& helper)
    {
        helper_ = helper;
        hasHelper_ = true;
    }
    ~PiecewiseConverter() { Stop(Done); }
    PiecewiseConverter(const PiecewiseConverter&) = delete;
    PiecewiseConverter& operator=(const PiecewiseConverter&) = delete;

    // A text is UTF-8 only when it is well-formed to its last byte, so Run
    // holds a text that may be UTF-8 until that is known. Input that can be
    // read twice (a file) is asked first instead: ScoutUtf8 reads it, on a
    // converter of its own, to its first fault or its end, holding no more
    // than an unfinished character; the converter that then runs from the
    // start is told the answer with KnowUtf8 and never holds the text.
    bool ScoutUtf8(const Input& in);
    // The same on a file read in two parts at once: `head`, its first bytes
    // (at least kStartLength), here, and `tail`, all the bytes after
    // them, on the helper thread (here, after the head, without one).
    bool ScoutUtf8(const Input& head, const Input& tail);
    // The first bytes that decide how a text starts: a MacBinary header and
    // a byte-order mark after it.
    static constexpr std::size_t kStartLength = 128 + utf8::kByteOrderMarkLength;
    void KnowUtf8(bool utf8) { hint_ = utf8 ? Hint::Utf8 : Hint::NotUtf8; }
    // A text that is not UTF-8 is JIS, EUC or Shift-JIS by the whole of it
    // (DetectLegacyKanjiCode), so Run holds such a text until its end, as
    // it holds one that may be UTF-8. A file is asked first instead: on a
    // converter of its own, after KnowUtf8(false), ScoutLegacy reads it
    // from its start, holding nothing, and gives the code; where that waits
    // on whether the whole text is Shift-JIS it returns false, and the
    // answer is ResolveLegacy(ScoutShiftJis on a third converter, reading
    // the file from its start again). The converter that then runs is told
    // with KnowLegacy.
    bool ScoutLegacy(const Input& in, KanjiCode* code);
    bool ScoutShiftJis(const Input& in);
    KanjiCode ResolveLegacy(bool shiftJisText) const { return legacy_.Resolve(shiftJisText); }
    void KnowLegacy(KanjiCode code) { legacyHint_ = code; }
    // Reads the input in `code` instead of the one detected, as the editor's
    // 開き直す does (Auto: detected); before Run. A byte-order mark of that
    // code is still skipped.
    void ReadAs(KanjiCode code) { readAs_ = code; }

    KanjiCode kanji() const { return kanji_; }
    // Characters that became 〓: on the way in (UTF-8 that Shift-JIS cannot
    // hold) and on the way out (Shift-JIS that UTF-8 output cannot hold).
    std::uint64_t replaced() const { return replacedOnLoad_ + replacedOnSave_; }
    LineBreakCode lineBreak() const { return lineBreakKnown_ ? lineBreak_ : LineBreakCode::CrLf; }
    // All the bytes the input gave, past a zero that ended the text too.
    std::uint64_t bytesRead() const { return read_; }
    // The bytes from a zero byte on (in UTF-16, from the unit U+0000), which
    // ended the text.
    std::uint64_t leftOut() const { return leftOut_; }

    // Whether a piece may end before byte p of a text (3 <= p < its length).
    static bool CanCutBefore(const char* text, std::size_t p);

private:
    // One piece on its way through the passes, in buffers of its own.
    struct Piece {
        std::vector<char> raw, text, output;  // raw: the helper's piece only
        std::size_t n = 0;                    // bytes of input
        KanjiCode loadAs = KanjiCode::ShiftJIS, kanjiTarget = KanjiCode::ShiftJIS;
        LineBreakCode lineBreakTarget = LineBreakCode::CrLf;
        bool byteOrderMark = false;
        // What the passes found and made.
        LineBreakCode found = LineBreakCode::CrLf;
        bool hasLineBreak = false, fits = true;
        std::size_t length = 0, growth = 0;
        std::uint64_t replacedOnLoad = 0;
        SavedText saved{};
    };

    bool Read(const Input& in, std::size_t want, bool* atEnd);
    bool ScoutPart(const Input& in, bool* utf8);
    template <typename Feed>
    bool ScoutText(const Input& in, Feed feed);
    bool StartWhenReady(bool atEnd);
    void Start(bool atEnd);
    void TakeUtf16(bool last);
    void EndAtZero(std::size_t from);
    void Decide();
    std::size_t CutPoint();
    // The codes a piece is saved in do not wait for the pieces before it.
    bool TargetsKnown() const
    {
        return decided_ && (lineBreakKnown_ || lineBreakSetting_ != LineBreakCode::Auto);
    }
    Status Consume(std::size_t n, bool last, const Output& out);
    static void ConvertHelped(void* self);
    Status Settle(const Output& out);
    Status Stop(Status result);
    void Prepare(Piece* piece, std::size_t n);
    void Load(Piece* piece, const char* raw);
    void NoteLineBreak(const Piece& piece);
    void Save(Piece* piece);
    Status Finish(Piece* piece, const Output& out);

    KanjiCode kanjiSetting_;
    LineBreakCode lineBreakSetting_;
    std::size_t piece_;
    std::vector<char> raw_, spare_;
    Piece mine_, helped_;
    Helper helper_{};
    bool hasHelper_ = false, helperBusy_ = false;
    bool helpersTurn_ = true;   // the next piece goes to the helper
    bool minePending_ = false;  // mine_ waits to be written after the helper's piece
    std::size_t length_ = 0;   // bytes of input held in raw_
    std::size_t checked_ = 0;  // of which looked at for a cut
    std::uint64_t read_ = 0;
    std::uint64_t leftOut_ = 0;
    // UTF-16 input is read into utf16_ and turned into Shift-JIS in raw_ as
    // it comes; an odd byte or a high surrogate waits there for the rest.
    bool isUtf16_ = false, bigEndian_ = false;
    std::vector<char> utf16_;
    std::size_t utf16Length_ = 0;
    std::uint64_t converted_ = 0, growth_ = 0;
    bool started_ = false, ended_ = false, whole_ = false, tooLarge_ = false;
    bool decided_ = false;  // the kanji code is known
    // Until then, how far the text is known to be well-formed UTF-8, and
    // whether it holds a character of three or four bytes.
    std::size_t utf8Checked_ = 0;
    bool utf8Wide_ = false, notUtf8_ = false;
    bool byteOrderMark_ = false, prepared_ = false;
    std::uint64_t replacedOnLoad_ = 0;
    std::uint64_t replacedOnSave_ = 0;
    enum class Hint { None, Utf8, NotUtf8 } hint_ = Hint::None;
    KanjiCode kanji_ = KanjiCode::JIS;
    KanjiCode readAs_ = KanjiCode::Auto;
    KanjiCode legacyHint_ = KanjiCode::Auto;  // KnowLegacy's code; Auto: not known
    LegacyDetector legacy_;
    LineBreakCode lineBreak_ = LineBreakCode::CrLf;
    bool lineBreakKnown_ = false;
};
