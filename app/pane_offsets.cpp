#include "app/pane_offsets.h"

#include "codec/sjis.h"

bool BoundaryWalker::IsBoundary(std::size_t p)
{
    while (position_ < p) {
        position_ += sjis::CharLength(text_, length_, position_);
        ++chars_;
    }
    return position_ == p;
}

std::size_t ByteOffsetOfChar(const char* text, std::size_t length, std::size_t charIndex)
{
    std::size_t b = 0;
    for (std::size_t c = 0; b < length && c < charIndex; ++c)
        b += sjis::CharLength(text, length, b);
    return b;
}

std::size_t CharIndexOfByte(const char* text, std::size_t length, std::size_t byteOffset)
{
    BoundaryWalker walker(text, length);
    if (byteOffset > length)
        byteOffset = length;
    walker.IsBoundary(byteOffset);
    return walker.CharIndex();
}

std::size_t PaneOffsetOfByte(const char* text, std::size_t length, std::size_t byteOffset, bool characters)
{
    if (!characters)
        return byteOffset < length ? byteOffset : length;
    return CharIndexOfByte(text, length, byteOffset);
}

std::size_t ByteOffsetOfPaneOffset(const char* text, std::size_t length, std::size_t paneOffset, bool characters)
{
    if (!characters)
        return paneOffset < length ? paneOffset : length;
    return ByteOffsetOfChar(text, length, paneOffset);
}
