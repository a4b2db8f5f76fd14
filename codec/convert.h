// Detection of a text's codes and the conversion passes between a file's
// bytes and the internal form (Shift-JIS, CR LF, ended by a zero byte).
//
// Every function takes explicit buffer sizes and never reads or writes
// outside them. A text ends at its first zero byte; a buffer with no zero
// byte holds a text of its whole size.
#pragma once

#include <cstddef>

#include "codec/codes.h"
#include "codec/progress.h"

// Number of bytes before the first zero, at most size.
std::size_t TextLength(const char* text, std::size_t size);

// The kanji code of a text, by the first byte pair that is evidence of
// Shift-JIS or EUC; JIS when there is none.
KanjiCode DetectKanjiCode(const char* text, std::size_t size);

// Load pass 1. `data` holds the file's `dataSize` bytes (a zero byte after
// them is not needed). Skips a 128-byte MacBinary header, turns every line
// break into CR LF and writes the zero-terminated text, followed by one more
// zero, into `target`. Needs 2 * dataSize + 2 bytes of target for any input;
// a smaller target receives a shortened text. Returns the code of the first
// line break (CrLf when there is none); the output length without the
// terminator goes to *length when given.
LineBreakCode ConvertLineBreaksOnLoad(const char* data, std::size_t dataSize, char* target,
                                      std::size_t targetSize, const ProgressSink* progress,
                                      std::size_t* length = nullptr);

// Load pass 2, in place on the output of pass 1. Detects the kanji code and
// converts a JIS or EUC text to Shift-JIS. A pair opened by the last byte
// takes the terminating zero as its second byte and grows the text by one,
// which the second zero of pass 1 makes room for.
KanjiCode ConvertKanjiOnLoad(char* text, std::size_t size, const ProgressSink* progress,
                             std::size_t* length = nullptr);

// Extra bytes that ConvertLineBreaksOnSave needs beyond the text and its
// terminator: a lone CR written as LF CR takes one byte more.
std::size_t LineBreakGrowthOnSave(const char* text, std::size_t size, LineBreakCode target);

// Save pass 1, in place: every CR LF, and every CR that no LF follows,
// becomes the target's line break. A lone LF stays as it is. For CrLf the
// text is left alone. Returns the new length.
std::size_t ConvertLineBreaksOnSave(char* text, std::size_t size, LineBreakCode target,
                                    const ProgressSink* progress);

// Bytes of output ConvertKanjiOnSave may need for a text of `length` bytes,
// terminator included.
std::size_t KanjiOutputBound(std::size_t length);

// Save pass 2: writes the text in the target kanji code, zero-terminated,
// into `output`. Returns the output length without the terminator; no byte
// written before the terminator is zero. An output smaller than
// KanjiOutputBound receives a shortened text.
std::size_t ConvertKanjiOnSave(const char* text, std::size_t size, char* output,
                               std::size_t outputSize, KanjiCode target,
                               const ProgressSink* progress);
