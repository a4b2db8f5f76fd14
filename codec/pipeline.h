// A whole load or save: both conversion passes in order, with the buffer
// capacities the flows allocate. The editor's open and save flows and the
// command-line converter both go through these.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/codes.h"
#include "codec/progress.h"

// Capacities of one load: the raw file (size + 64) and the converted text
// (2 * size + 128). False when the file is 4 GiB or more or a capacity does
// not fit 32 bits.
bool LoadBufferSizes(std::uint64_t fileSize, std::uint32_t* raw, std::uint32_t* converted);

// Capacities of one save of a text of `length` bytes whose line-break pass
// grows it by `growth` bytes: the text (length + growth + 64) and the output
// (KanjiOutputCapacity of that). False when a capacity does not fit 32 bits.
bool SaveBufferSizes(std::uint64_t length, std::uint64_t growth, std::uint32_t* text,
                     std::uint32_t* output);

// Called around each of the two passes of a load or save; the editor shows a
// progress window from begin to end.
struct PassObserver {
    void (*beginPass)(void* context);
    void (*endPass)(void* context);
    ProgressSink sink;  // receives the pass's advances
};

struct LoadResult {
    LineBreakCode lineBreak;
    KanjiCode kanji;
    std::size_t length;  // of the converted text, without its terminator
    bool byteOrderMark;     // a UTF-8 file that began with one
    std::uint64_t replaced;  // characters that became 〓 (UTF-8, UTF-16, EUC's 8F)
    std::uint64_t leftOut;   // bytes from a zero byte on, which end the text
};

// Both load passes: `data` (dataLength bytes of a file) becomes the internal
// form in `converted`. A UTF-16 file is first turned into Shift-JIS in
// `data` itself, before the line-break pass, whose zero byte would cut it;
// `data` must have a byte to spare after the file's (the load flow gives
// it 64). A kanji code other than Auto in `as` is read instead of the one
// detected (the line-break code is still detected, a byte-order mark of
// that code still skipped).
LoadResult ConvertFileOnLoad(char* data, std::size_t dataLength, char* converted, std::size_t convertedCapacity,
                             const PassObserver* observer, KanjiCode as = KanjiCode::Auto);

// Whether a save in `kanji` begins with a byte-order mark: UTF-16 always,
// UTF-8 when the file loaded had one.
inline bool WritesByteOrderMark(KanjiCode kanji, bool markLoaded)
{
    return IsUtf16(kanji) || (kanji == KanjiCode::UTF8 && markLoaded);
}

struct SavedText {
    const char* data;  // the bytes to write: in `output`, or in `text` itself
    std::size_t length;
    std::uint64_t replaced;  // characters the output holds as 〓, having no place in its code
};

// Whether a save in `kanji` writes into an output buffer; Shift-JIS is the
// text itself.
bool SaveNeedsOutput(KanjiCode kanji);

// Both save passes with the effective target codes on the `length` bytes of
// `text` (capacity `textCapacity`): the line breaks in place, then the kanji
// code into `output`. Shift-JIS output is the text itself, observer or not:
// its pass then only reports progress, and `output` (which may be empty) is
// not used. UTF-8 output begins with a byte-order mark when asked.
SavedText ConvertTextOnSave(char* text, std::size_t length, std::size_t textCapacity, char* output,
                            std::size_t outputCapacity, KanjiCode kanji, LineBreakCode lineBreak,
                            const PassObserver* observer, bool byteOrderMark = false);
