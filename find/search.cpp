#include "find/search.h"

#include <cstring>

#include "codec/sjis.h"

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

ReplaceAllPlan PlanReplaceAll(const char* text, std::size_t length, const char* pattern, std::size_t m,
                              const char* replacement, std::size_t r)
{
    ReplaceAllPlan plan;
    if (m == 0)
        return plan;
    std::string& out = plan.result;
    out.reserve(r > m ? length + length / m * (r - m) : length);
    // The text as it stands during the scan is `out` (all before the scan
    // position p) followed by text[q...]; boundaries are walked through
    // both, as a replacement's last byte may pair with the byte after it.
    std::size_t q = 0, walked = 0;
    auto at = [&](std::size_t x) {
        return static_cast<unsigned char>(x < out.size() ? out[x] : text[q + (x - out.size())]);
    };
    while (q + m <= length) {
        const std::size_t p = out.size(), current = p + (length - q);
        while (walked < p)
            walked += walked + 1 < current && sjis::IsPair(at(walked), at(walked + 1)) ? 2 : 1;
        if (walked == p && MatchSpan(text + q, length - q, 0, pattern, m)) {
            plan.matches.push_back(q);
            plan.percents.push_back(SearchPercent(static_cast<long>(p), current));
            out.append(replacement, r);
            q += m;
        } else {
            out.push_back(text[q++]);
        }
    }
    plan.percents.push_back(SearchPercent(static_cast<long>(out.size()), out.size() + (length - q)));
    out.append(text + q, length - q);
    return plan;
}
