// The part of a text that changed, for updating a view of it in place.
#pragma once

#include <cstddef>

// Bytes [start, oldEnd) of the old text became [start, newEnd) of the new
// one; both ends lie on character boundaries, and what stands before start
// and after the ends is the same in both.
struct TextChange {
    std::size_t start;
    std::size_t oldEnd;
    std::size_t newEnd;
};

// The smallest such change, by the common prefix and the common suffix.
TextChange DiffTexts(const char* oldText, std::size_t oldLength, const char* newText, std::size_t newLength);
