// Matching a pattern in a Shift-JIS snapshot of the document. A position on
// the second byte of a two-byte character is never a match, so no search
// selects half a character; character boundaries are counted from the
// start of the text.
#pragma once

#include <cstddef>

constexpr long kNoMatch = -1;

// Walks character boundaries forward from a known boundary, counting the
// characters it passes: the edit control counts its positions in
// characters, the snapshot in bytes.
class BoundaryWalker {
public:
    BoundaryWalker(const char* text, std::size_t length) : text_(text), length_(length) {}
    // Whether a character begins at p (p at or after the last position asked).
    bool IsBoundary(std::size_t p);
    // Characters before the position last walked to.
    std::size_t CharIndex() const { return chars_; }
    // The text changed from p on; p is the boundary last walked to.
    void ResetAt(std::size_t p) { position_ = p; }
    void SetText(const char* text, std::size_t length)
    {
        text_ = text;
        length_ = length;
    }

private:
    const char* text_;
    std::size_t length_;
    std::size_t position_ = 0;
    std::size_t chars_ = 0;
};

// The byte offset of the character at charIndex (the end for an index past
// the last character).
std::size_t ByteOffsetOfChar(const char* text, std::size_t length, std::size_t charIndex);

// The number of characters in the first byteOffset bytes.
std::size_t CharIndexOfByte(const char* text, std::size_t length, std::size_t byteOffset);

// The m bytes of the pattern stand at p (p + m <= length).
bool MatchesAt(const char* text, std::size_t length, std::size_t p, const char* pattern, std::size_t m);

// A match at the boundary p: the pattern's bytes stand there and end on a
// boundary too, so that no half character is selected. *chars, when given,
// receives the number of characters the match spans.
bool MatchSpan(const char* text, std::size_t length, std::size_t p, const char* pattern, std::size_t m,
               std::size_t* chars = nullptr);

// The first match at from or after, or kNoMatch.
long FindForward(const char* text, std::size_t length, long from, const char* pattern, std::size_t m);

// The last match at from or before, or kNoMatch.
long FindBackward(const char* text, std::size_t length, long from, const char* pattern, std::size_t m);

// 100 * p / length, truncated; 0 for an empty text.
int SearchPercent(long p, std::size_t length);
