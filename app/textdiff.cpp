#include "app/textdiff.h"

#include <cstring>

#include "codec/sjis.h"

TextChange DiffTexts(const char* oldText, std::size_t oldLength, const char* newText, std::size_t newLength)
{
    const std::size_t shorter = oldLength < newLength ? oldLength : newLength;
    // Common prefix, a word at a time, then back to a boundary of both.
    std::size_t k = 0;
    while (k + 8 <= shorter && std::memcmp(oldText + k, newText + k, 8) == 0)
        k += 8;
    while (k < shorter && oldText[k] == newText[k])
        ++k;
    while (k > 0 && !(sjis::IsBoundary(oldText, oldLength, k) && sjis::IsBoundary(newText, newLength, k)))
        --k;
    // Common suffix, within what the prefix left, back to boundaries too.
    std::size_t s = 0;
    const std::size_t room = shorter - k;
    while (s + 8 <= room && std::memcmp(oldText + oldLength - s - 8, newText + newLength - s - 8, 8) == 0)
        s += 8;
    while (s < room && oldText[oldLength - s - 1] == newText[newLength - s - 1])
        ++s;
    while (s > 0 && !(sjis::IsBoundary(oldText, oldLength, oldLength - s) &&
                      sjis::IsBoundary(newText, newLength, newLength - s)))
        --s;
    return TextChange{k, oldLength - s, newLength - s};
}
