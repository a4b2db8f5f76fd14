// UTF-16 files (what Windows' own editor calls Unicode), told apart by their
// byte-order mark alone, and their two passes to and from the internal
// Shift-JIS by code page 932 (codec/cp932.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/progress.h"

namespace utf16 {

constexpr std::size_t kByteOrderMarkLength = 2;

// FF FE (little-endian) or FE FF (big-endian) at the start: true, and the
// order in *bigEndian.
bool StartsWithByteOrderMark(const char* data, std::size_t length, bool* bigEndian);

// Load, in place: the bytes of UTF-16 from `from` (past the mark) to
// `length` become Shift-JIS at the start of the buffer. The output is never
// longer than what it was read from, but for an odd last byte, whose 〓
// takes one byte past `length`: the buffer must hold it. A character that Shift-JIS cannot hold (a
// surrogate pair, a lone surrogate, one of no cell) becomes 〓 and is
// counted in *replaced. U+0000 ends the text, as a zero byte ends any
// other: the reading stops before it and *endedAtZero is set. Unless
// `last`, an odd byte or a high surrogate at the end is left unread for the
// next piece. *consumed receives where the reading stopped. Returns the
// output length.
std::size_t ToShiftJis(char* data, std::size_t from, std::size_t length, bool bigEndian, bool last,
                       std::size_t* consumed, std::uint64_t* replaced, bool* endedAtZero);

// Save: the `length` bytes of Shift-JIS become UTF-16 in `output`, behind a
// byte-order mark when asked, followed by two zero bytes when there is
// room. Bytes that code page 932 gives no character become 〓 and are
// counted. At most 2 * length + 4 bytes; a smaller output receives a
// shortened text. Returns the output length without the zeros.
std::size_t FromShiftJis(const char* text, std::size_t length, char* output, std::size_t outputCapacity,
                         bool bigEndian, bool byteOrderMark, const ProgressSink* progress,
                         std::uint64_t* replaced);

}  // namespace utf16
