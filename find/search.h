// Matching a pattern in a Shift-JIS snapshot of the document. A position on
// the second byte of a two-byte character is never a match, so no search
// selects half a character; character boundaries are counted from the
// start of the text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/pane_offsets.h"

constexpr long kNoMatch = -1;

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

// What ReplaceAll does, worked out on the text alone: the text is scanned
// from its start, each match (at a boundary, ending on one) is replaced and
// the scan goes on after the replacement, so that no replacement is matched
// again. The result is the text as replacing match by match in the pane
// leaves it; `matches` are the byte offsets of the matches in the original
// text, and `percents` the meter's value at each match (its position and the
// text's length at that moment) and, last, at the end of the scan.
struct ReplaceAllPlan {
    std::string result;
    std::vector<std::size_t> matches;
    std::vector<int> percents;
};
ReplaceAllPlan PlanReplaceAll(const char* text, std::size_t length, const char* pattern, std::size_t m,
                              const char* replacement, std::size_t r);
