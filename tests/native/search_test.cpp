#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "find/search.h"
#include "test_util.h"

namespace {

long Forward(const std::string& text, long from, const std::string& pattern)
{
    return FindForward(text.data(), text.size(), from, pattern.data(), pattern.size());
}

long Backward(const std::string& text, long from, const std::string& pattern)
{
    return FindBackward(text.data(), text.size(), from, pattern.data(), pattern.size());
}

TEST(Search, ForwardCases)
{
    const struct {
        const char* text;
        long from;
        const char* pattern;
        long expected;
    } cases[] = {
        {"abcabc", 1, "abc", 3},     // a caret at 0 starts at 1: the match at 0 is not found
        {"abcabc", 4, "abc", kNoMatch},
        {"abcabc", 0, "abc", 0},
        {"aaaa", 1, "aa", 1},        // overlapping occurrences
        {"aaaa", 2, "aa", 2},
        {"aaaa", 3, "aa", kNoMatch},
        {"ABC", 0, "abc", kNoMatch}, // exact case
        {"ab", 0, "abc", kNoMatch},  // pattern longer than the text
        {"", 0, "a", kNoMatch},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Forward(c.text, c.from, c.pattern), c.expected) << c.text << " " << c.pattern << " " << c.from;
}

TEST(Search, BackwardCases)
{
    EXPECT_EQ(Backward("abcabc", 2, "abc"), 0);   // 3 to 6 selected: from s - 1 = 2
    EXPECT_EQ(Backward("abcabc", 5, "abc"), 3);
    EXPECT_EQ(Backward("abcabc", 10, "abc"), 3);  // only p + m <= L can match
    EXPECT_EQ(Backward("xbc", 0, "abc"), kNoMatch);
    EXPECT_EQ(Backward("aaaa", 1, "aa"), 1);
}

TEST(Search, NeverMatchesInsideATwoByteCharacter)
{
    // 表 is 95 5C and ソ is 83 5C: their second byte is a backslash.
    std::string text = "\x95\x5C\x83\x5C" "a\\b";
    EXPECT_EQ(Forward(text, 0, "\\"), 5);
    EXPECT_EQ(Backward(text, 6, "\\"), 5);
    EXPECT_EQ(Backward(text, 4, "\\"), kNoMatch);
    // ァ is 83 40: "@" must not match its second byte.
    std::string kana = "\x83\x40@";
    EXPECT_EQ(Forward(kana, 0, "@"), 2);
    EXPECT_EQ(Forward(kana, 0, "\x40"), 2);
    // A pattern made of the second byte and the next character's first.
    std::string pair = "\x82\xA0\x82\xA2";  // あい
    EXPECT_EQ(Forward(pair, 0, "\xA0\x82"), kNoMatch);
    EXPECT_EQ(Forward(pair, 0, "\x82\xA2"), 2);
    // Boundaries count from the start of the text, also past a lone lead byte.
    std::string lone = "\x82" "a\x82\xA0";
    EXPECT_EQ(Forward(lone, 0, "a"), kNoMatch);  // 82 61 is one character
    EXPECT_EQ(Forward(lone, 0, "\x82\xA0"), 2);
}

TEST(Search, WalkerFollowsBoundaries)
{
    std::string text = "a\x88\x9F" "b\x82";
    BoundaryWalker w(text.data(), text.size());
    EXPECT_TRUE(w.IsBoundary(0));
    EXPECT_TRUE(w.IsBoundary(1));
    EXPECT_FALSE(w.IsBoundary(2));
    EXPECT_TRUE(w.IsBoundary(3));
    EXPECT_TRUE(w.IsBoundary(4));  // a lead byte at the end is a character of its own
    EXPECT_TRUE(w.IsBoundary(5));
}

TEST(Search, Percent)
{
    EXPECT_EQ(SearchPercent(3, 6), 50);
    EXPECT_EQ(SearchPercent(0, 0), 0);  // empty text
    EXPECT_EQ(SearchPercent(9999999, 10000000), 99);  // no 32-bit overflow
    EXPECT_EQ(SearchPercent(2000000000, 2000000000), 100);
}

}  // namespace

namespace {

TEST(Search, MatchesEndOnABoundaryToo)
{
    // A pattern ending in a lone first byte would select half of あ.
    std::string text = "a\x82\xA0";
    EXPECT_EQ(Forward(text, 0, "a\x82"), kNoMatch);
    std::size_t chars = 0;
    EXPECT_TRUE(MatchSpan(text.data(), text.size(), 0, "a\x82\xA0", 3, &chars));
    EXPECT_EQ(chars, 2u);
}

TEST(Search, CharactersAndBytes)
{
    // 表 ソ \ ァ @ : the pane counts 5 characters where the text has 8 bytes.
    std::string text = "\x95\x5C\x83\x5C\\\x83\x40@";
    const std::size_t bytes[] = {0, 2, 4, 5, 7, 8};
    for (std::size_t c = 0; c < 6; ++c) {
        EXPECT_EQ(ByteOffsetOfChar(text.data(), text.size(), c), bytes[c]) << c;
        EXPECT_EQ(CharIndexOfByte(text.data(), text.size(), bytes[c]), c) << c;
    }
    EXPECT_EQ(ByteOffsetOfChar(text.data(), text.size(), 99), 8u);
    BoundaryWalker w(text.data(), text.size());
    ASSERT_TRUE(w.IsBoundary(5));
    EXPECT_EQ(w.CharIndex(), 3u);
}

}  // namespace
