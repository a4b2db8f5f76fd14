// UTF-8 files: telling them apart, and their two passes between UTF-8 and
// the internal Shift-JIS by code page 932 (codec/cp932.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/progress.h"

namespace utf8 {

// EF BB BF at the start of a file.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kByteOrderMarkLength = 3;
bool StartsWithByteOrderMark(const char* text, std::size_t length);

// The replacement for a character that the other side cannot hold: 〓,
// U+3013, Shift-JIS 81 AC.
constexpr std::uint32_t kReplacement = 0x3013;
constexpr unsigned kReplacementShiftJis = 0x81AC;

struct Check {
    std::size_t complete;  // bytes up to the end of the last whole character read
    bool invalid;          // a byte that no well-formed text holds there
    bool wide;             // a character of three or four bytes
};

// Reads well-formed UTF-8 (shortest forms, no surrogates, nothing above
// U+10FFFF) until the first fault or the end. A sequence cut off by the
// end is neither whole nor invalid: it lies between `complete` and the end.
Check CheckText(const char* text, std::size_t length);

// The detection rule: a byte-order mark, or well-formed throughout with at
// least one character of three or four bytes (every kana and kanji is one).
bool IsUtf8Text(const char* text, std::size_t length);

// Load: the `length` bytes of UTF-8 from `from` on (past a byte-order mark)
// become Shift-JIS at the start of the buffer, zero-terminated, in place.
// A character that Shift-JIS cannot hold, and each ill-formed piece of a
// sequence, becomes 〓 and is counted in *replaced. Only a stray single
// byte grows the text; the rest of the text is moved up for it, within
// `capacity` (a byte without room is dropped, and still counted). Returns
// the new length.
std::size_t ToShiftJis(char* text, std::size_t from, std::size_t length, std::size_t capacity,
                       const ProgressSink* progress, std::uint64_t* replaced);

// Save: the `length` bytes of Shift-JIS become UTF-8 in `output`,
// zero-terminated, behind a byte-order mark when asked. Bytes that code
// page 932 gives no character (an unassigned pair, a lead byte without its
// trail) become 〓 and are counted. At most 3 * length + 4 bytes; a smaller
// output receives a shortened text. Returns the output length.
std::size_t FromShiftJis(const char* text, std::size_t length, char* output, std::size_t outputCapacity,
                         bool byteOrderMark, const ProgressSink* progress, std::uint64_t* replaced);

}  // namespace utf8
