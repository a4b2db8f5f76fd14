// Positions in a pane and in its text. The edit control counts its
// positions (EM_GETSEL, EM_SETSEL, EM_LINEFROMCHAR) in bytes where it keeps
// the code page's text (an ANSI control on Windows) and in characters where
// it keeps UTF-16 (Wine's); the text it gives is Shift-JIS bytes either
// way. The panes say which at run time (PanesCountCharacters); these
// convert between the two. The character rule itself is codec/sjis.h's.
#pragma once

#include <cstddef>

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

// A byte offset as a pane's position and back: the identity for a pane
// that counts bytes, the character index for one that counts characters.
std::size_t PaneOffsetOfByte(const char* text, std::size_t length, std::size_t byteOffset, bool characters);
std::size_t ByteOffsetOfPaneOffset(const char* text, std::size_t length, std::size_t paneOffset, bool characters);
