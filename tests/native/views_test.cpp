// Keeping a second view of the text in step, and converting positions for
// panes that count bytes and panes that count characters.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "app/textdiff.h"
#include "codec/sjis.h"
#include "app/pane_offsets.h"
#include "find/search.h"
#include "test_util.h"

namespace {

// Bytes that exercise the Shift-JIS rules: leads, trails, both, neither.
Bytes RandomBytes(std::mt19937& rng, std::size_t n)
{
    const unsigned char alphabet[] = {'a', 'b', 0x40, 0x5C, 0x7F, 0x80, 0x81, 0x82, 0x9F, 0xA0,
                                      0xA4, 0xB1, 0xE0, 0xEA, 0xFC, 0xFD, 0x0D, 0x0A};
    Bytes t;
    for (std::size_t k = 0; k < n; ++k)
        t += static_cast<char>(alphabet[rng() % sizeof alphabet]);
    return t;
}

TEST(Boundaries, BackwardRuleAgreesWithTheForwardWalk)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 2000; ++round) {
        Bytes t = RandomBytes(rng, rng() % 40);
        BoundaryWalker walker(t.data(), t.size());
        for (std::size_t k = 0; k <= t.size(); ++k)
            ASSERT_EQ(sjis::IsBoundary(t.data(), t.size(), k), walker.IsBoundary(k)) << Hex(t) << " at " << k;
    }
}

// Hex when it has spaces, else the letters themselves.
Bytes TextOf(const char* s) { return std::strchr(s, ' ') ? Unhex(s) : Bytes(s); }

TEST(DiffTexts, Cases)
{
    const struct {
        const char* before;
        const char* after;
        std::size_t start, oldEnd, newEnd;
    } cases[] = {
        {"", "", 0, 0, 0},
        {"abc", "abc", 3, 3, 3},
        {"abc", "abXc", 2, 2, 3},              // a key typed
        {"abc", "ac", 1, 2, 1},                // a key deleted
        {"", "abc", 0, 0, 3},                  // a new pane
        {"abc", "", 0, 3, 0},
        {"aaaa", "aaaaa", 4, 4, 5},            // repeated bytes: the change at the end
        {"82 A0 82 A2", "82 A0 82 A4", 2, 4, 4},  // あい -> あう: the whole character
        {"82 A0 41", "82 A1 41", 0, 2, 2},     // differs at the trail byte: back to its lead
        {"81 41 41", "81 42 41", 0, 2, 2},
    };
    for (const auto& c : cases) {
        Bytes a = TextOf(c.before), b = TextOf(c.after);
        TextChange d = DiffTexts(a.data(), a.size(), b.data(), b.size());
        EXPECT_EQ(d.start, c.start) << c.before << " / " << c.after;
        EXPECT_EQ(d.oldEnd, c.oldEnd) << c.before << " / " << c.after;
        EXPECT_EQ(d.newEnd, c.newEnd) << c.before << " / " << c.after;
    }
}

TEST(DiffTexts, ApplyingTheChangeGivesTheNewTextAtBoundaries)
{
    std::mt19937 rng(17);
    for (int round = 0; round < 3000; ++round) {
        Bytes a = RandomBytes(rng, rng() % 60);
        Bytes b = a;
        // An edit somewhere: a cut, an insertion or both.
        std::size_t at = a.empty() ? 0 : rng() % (a.size() + 1);
        std::size_t cut = std::min<std::size_t>(rng() % 4, a.size() - at);
        b.replace(at, cut, RandomBytes(rng, rng() % 4));
        TextChange d = DiffTexts(a.data(), a.size(), b.data(), b.size());
        ASSERT_LE(d.start, d.oldEnd);
        ASSERT_LE(d.start, d.newEnd);
        Bytes applied = a.substr(0, d.start) + b.substr(d.start, d.newEnd - d.start) + a.substr(d.oldEnd);
        ASSERT_EQ(Hex(applied), Hex(b)) << Hex(a) << " -> " << Hex(b);
        for (std::size_t k : {d.start, d.oldEnd})
            ASSERT_TRUE(sjis::IsBoundary(a.data(), a.size(), k)) << Hex(a) << " at " << k;
        for (std::size_t k : {d.start, d.newEnd})
            ASSERT_TRUE(sjis::IsBoundary(b.data(), b.size(), k)) << Hex(b) << " at " << k;
    }
}

// A pane on Windows counts bytes; Wine's counts characters.
TEST(PaneOffsets, BytesAndCharacters)
{
    const Bytes text = Unhex("61 82 A0 62 95 5C 0D 0A 63");  // a あ b 表 CR LF c
    const struct {
        std::size_t byte, character;
    } points[] = {{0, 0}, {1, 1}, {3, 2}, {4, 3}, {6, 4}, {8, 6}, {9, 7}};
    for (const auto& p : points) {
        EXPECT_EQ(PaneOffsetOfByte(text.data(), text.size(), p.byte, true), p.character) << p.byte;
        EXPECT_EQ(ByteOffsetOfPaneOffset(text.data(), text.size(), p.character, true), p.byte) << p.byte;
        EXPECT_EQ(PaneOffsetOfByte(text.data(), text.size(), p.byte, false), p.byte) << p.byte;
        EXPECT_EQ(ByteOffsetOfPaneOffset(text.data(), text.size(), p.byte, false), p.byte) << p.byte;
    }
    // Past the end: the end, in either unit.
    EXPECT_EQ(PaneOffsetOfByte(text.data(), text.size(), 99, false), text.size());
    EXPECT_EQ(ByteOffsetOfPaneOffset(text.data(), text.size(), 99, true), text.size());
}

// The replacement done match by match on a copy, as the pane would be.
ReplaceAllPlan ReplaceOneByOne(Bytes text, const Bytes& pattern, const Bytes& replacement)
{
    ReplaceAllPlan plan;
    std::size_t p = 0, shift = 0;
    BoundaryWalker walker(text.data(), text.size());
    const std::size_t m = pattern.size(), r = replacement.size();
    while (p + m <= text.size()) {
        if (walker.IsBoundary(p) && MatchSpan(text.data(), text.size(), p, pattern.data(), m)) {
            plan.matches.push_back(p - shift);
            plan.percents.push_back(SearchPercent(static_cast<long>(p), text.size()));
            text.replace(p, m, replacement);
            walker.ResetAt(p);
            walker.SetText(text.data(), text.size());
            p += r;
            shift += r - m;
        } else {
            ++p;
        }
    }
    plan.percents.push_back(SearchPercent(static_cast<long>(p), text.size()));
    plan.result = text;
    return plan;
}

TEST(ReplaceAllPlan, MatchesReplacingOneByOne)
{
    std::mt19937 rng(23);
    for (int round = 0; round < 3000; ++round) {
        Bytes text = RandomBytes(rng, rng() % 80);
        Bytes pattern = RandomBytes(rng, 1 + rng() % 2);
        Bytes replacement = RandomBytes(rng, 1 + rng() % 3);
        if (round % 4 == 0 && text.size() > 4)
            pattern = text.substr(rng() % (text.size() - 2), 2);  // one that occurs
        ReplaceAllPlan want = ReplaceOneByOne(text, pattern, replacement);
        ReplaceAllPlan got = PlanReplaceAll(text.data(), text.size(), pattern.data(), pattern.size(),
                                            replacement.data(), replacement.size());
        ASSERT_EQ(Hex(got.result), Hex(want.result)) << Hex(text) << " / " << Hex(pattern) << " / " << Hex(replacement);
        ASSERT_EQ(got.matches, want.matches) << Hex(text);
        ASSERT_EQ(got.percents, want.percents) << Hex(text);
    }
}

TEST(ReplaceAllPlan, ReplacementsAreNeverMatchedAgain)
{
    ReplaceAllPlan plan = PlanReplaceAll("aaa", 3, "a", 1, "aa", 2);
    EXPECT_EQ(plan.result, "aaaaaa");
    EXPECT_EQ(plan.matches, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(plan.percents, (std::vector<int>{0, 50, 80, 100}));
}

}  // namespace
