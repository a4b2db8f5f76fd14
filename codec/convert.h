// Detection of a text's codes and the conversion passes between a file's
// bytes and the internal form (Shift-JIS, CR LF, ended by a zero byte).
//
// Every function takes explicit buffer sizes and never reads or writes
// outside them. A text ends at its first zero byte; a buffer with no zero
// byte holds a text of its whole size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/codes.h"
#include "codec/progress.h"

// Number of bytes before the first zero, at most size.
std::size_t TextLength(const char* text, std::size_t size);

// Where the text of a file's `dataLength` bytes lies: past a 128-byte
// MacBinary header (zero bytes at offsets 0 and 74) when there is one, up to
// the first zero byte after that.
void LoadTextBounds(const char* data, std::size_t dataLength, std::size_t* start, std::size_t* end);

// The kanji code of a text (ended by its first zero byte within size), by
// the first byte pair that is evidence of Shift-JIS or EUC; JIS when there
// is none.
KanjiCode DetectKanjiCode(const char* text, std::size_t size);

// Load pass 1. `data` holds the file's `dataLength` bytes (a zero byte after
// them is not needed). Skips a 128-byte MacBinary header, turns every line
// break into CR LF and writes the zero-terminated text, followed by one more
// zero, into `target`. Needs a capacity of 2 * dataLength + 2 for any input;
// a smaller target receives a shortened text. Returns the code of the first
// line break (CrLf when there is none); the output length without the
// terminator goes to *length when given.
LineBreakCode ConvertLineBreaksOnLoad(const char* data, std::size_t dataLength, char* target,
                                      std::size_t targetCapacity, const ProgressSink* progress,
                                      std::size_t* length = nullptr);

// What a load of UTF-8 has to tell beyond the code.
struct LoadNotes {
    bool byteOrderMark = false;  // the text began with one, which was skipped
    std::uint64_t replaced = 0;  // characters that became 〓 (utf8::ToShiftJis)
};

// Load pass 2, in place on the output of pass 1: `length` bytes without a
// zero, then the terminator, in `capacity` bytes. Detects the kanji code and
// converts a JIS, EUC or UTF-8 text to Shift-JIS. A pair opened by the last
// byte takes the terminating zero as its second byte and grows the text by
// one, which the second zero of pass 1 makes room for. The new length goes
// to *newLength when given; a UTF-8 text's byte-order mark and replaced
// characters to *notes.
// With `as` other than Auto, that code is read instead of the one detected.
KanjiCode ConvertKanjiOnLoad(char* text, std::size_t length, std::size_t capacity,
                             const ProgressSink* progress, std::size_t* newLength = nullptr,
                             LoadNotes* notes = nullptr, KanjiCode as = KanjiCode::Auto);

// Load pass 2 with the kanji code already known, on a piece of a text (the
// converter detects the code once and converts piece by piece): a UTF-8
// piece is taken as it is, without looking for a byte-order mark, and its
// characters that became 〓 are added to *replaced.
void ConvertKanjiOnLoadAs(KanjiCode code, char* text, std::size_t length, std::size_t capacity,
                          const ProgressSink* progress, std::size_t* newLength = nullptr,
                          std::uint64_t* replaced = nullptr);

// Extra bytes that ConvertLineBreaksOnSave needs beyond the text and its
// terminator: a lone CR written as LF CR takes one byte more.
std::size_t LineBreakGrowthOnSave(const char* text, std::size_t length, LineBreakCode target);

// Save pass 1, in place on `length` bytes held in `capacity`: every CR LF,
// and every CR that no LF follows, becomes the target's line break. A lone
// LF stays as it is. For CrLf the text is left alone. Returns the new
// length; a terminator follows it when the capacity has room.
std::size_t ConvertLineBreaksOnSave(char* text, std::size_t length, std::size_t capacity,
                                    LineBreakCode target, const ProgressSink* progress);

// The output capacity a save gives pass 2 for a text held in
// `textCapacity` bytes (text, terminator and slack): every byte may become
// four, and the terminator follows.
std::uint64_t KanjiOutputCapacity(std::uint64_t textCapacity);

// Save pass 2: writes the `length` bytes of the text in the target kanji
// code, zero-terminated, into `output`. Returns the output length without
// the terminator; no byte written before the terminator is zero. An output
// smaller than KanjiOutputCapacity(length + 1) receives a shortened text.
// For a Shift-JIS target `output` may be the text itself. A UTF-8 or UTF-16
// target begins with a byte-order mark when `byteOrderMark` asks for one.
// The characters the target code has no place for are written as 〓 and
// added to *replaced (CountWithoutPlace tells them beforehand). UTF-16
// output holds zero bytes: its length is the one returned.
std::size_t ConvertKanjiOnSave(const char* text, std::size_t length, char* output,
                               std::size_t outputCapacity, KanjiCode target,
                               const ProgressSink* progress, bool byteOrderMark = false,
                               std::uint64_t* replaced = nullptr);

// The characters of the `length` bytes of a text that a save in `target`
// has no place for and writes as 〓 (none in Shift-JIS); the byte offset of
// the first goes to *first (length when there is none).
std::uint64_t CountWithoutPlace(const char* text, std::size_t length, KanjiCode target, std::size_t* first);
