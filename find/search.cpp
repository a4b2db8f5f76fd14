#include "find/search.h"

#include <cstring>

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

bool MatchesAt(const char* text, std::size_t length, std::size_t p, const char* pattern, std::size_t m)
{
    return m > 0 && p + m <= length && std::memcmp(text + p, pattern, m) == 0;
}

bool MatchSpan(const char* text, std::size_t length, std::size_t p, const char* pattern, std::size_t m,
               std::size_t* chars)
{
    if (!MatchesAt(text, length, p, pattern, m))
        return false;
    std::size_t b = p, n = 0;
    while (b < p + m) {
        b += sjis::CharLength(text, length, b);
        ++n;
    }
    if (chars)
        *chars = n;
    return b == p + m;
}

long FindForward(const char* text, std::size_t length, long from, const char* pattern, std::size_t m)
{
    if (m == 0 || m > length || from < 0)
        return kNoMatch;
    BoundaryWalker walker(text, length);
    const unsigned char first = static_cast<unsigned char>(pattern[0]);
    std::size_t p = static_cast<std::size_t>(from);
    const std::size_t last = length - m;  // the last candidate
    while (p <= last) {
        const void* hit = std::memchr(text + p, first, last - p + 1);
        if (!hit)
            break;
        p = static_cast<std::size_t>(static_cast<const char*>(hit) - text);
        if (walker.IsBoundary(p) && MatchSpan(text, length, p, pattern, m))
            return static_cast<long>(p);
        ++p;
    }
    return kNoMatch;
}

long FindBackward(const char* text, std::size_t length, long from, const char* pattern, std::size_t m)
{
    if (m == 0 || m > length || from < 0)
        return kNoMatch;
    std::size_t top = static_cast<std::size_t>(from);
    if (top > length - m)
        top = length - m;
    // Boundaries are only known walking forward: keep the last match seen.
    long found = kNoMatch;
    BoundaryWalker walker(text, length);
    for (std::size_t p = 0; p <= top; ++p) {
        const void* hit = std::memchr(text + p, static_cast<unsigned char>(pattern[0]), top - p + 1);
        if (!hit)
            break;
        p = static_cast<std::size_t>(static_cast<const char*>(hit) - text);
        if (walker.IsBoundary(p) && MatchSpan(text, length, p, pattern, m))
            found = static_cast<long>(p);
    }
    return found;
}

int SearchPercent(long p, std::size_t length)
{
    if (length == 0)
        return 0;
    return static_cast<int>(static_cast<long long>(p) * 100 / static_cast<long long>(length));
}
