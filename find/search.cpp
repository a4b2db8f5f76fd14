#include "find/search.h"

#include <cstring>

bool IsShiftJisPair(unsigned char c, unsigned char d)
{
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    bool trail = (d >= 0x40 && d <= 0x7E) || (d >= 0x80 && d <= 0xFC);
    return lead && trail;
}

bool BoundaryWalker::IsBoundary(std::size_t p)
{
    while (position_ < p) {
        unsigned char c = static_cast<unsigned char>(text_[position_]);
        bool pair = position_ + 1 < length_ && IsShiftJisPair(c, static_cast<unsigned char>(text_[position_ + 1]));
        position_ += pair ? 2 : 1;
        ++chars_;
    }
    return position_ == p;
}

std::size_t ByteOffsetOfChar(const char* text, std::size_t length, std::size_t charIndex)
{
    std::size_t b = 0;
    for (std::size_t c = 0; b < length && c < charIndex; ++c) {
        bool pair = b + 1 < length &&
                    IsShiftJisPair(static_cast<unsigned char>(text[b]), static_cast<unsigned char>(text[b + 1]));
        b += pair ? 2 : 1;
    }
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
        bool pair = b + 1 < length &&
                    IsShiftJisPair(static_cast<unsigned char>(text[b]), static_cast<unsigned char>(text[b + 1]));
        b += pair ? 2 : 1;
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
