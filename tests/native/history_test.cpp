#include <gtest/gtest.h>

#include "app/history.h"

namespace {

// What the history holds, entry by entry: "start:removed>inserted".
std::string Entries(EditHistory h)
{
    std::string out;
    while (h.CanUndo()) {
        const EditEntry& e = h.Undo();
        out = std::to_string(e.start) + ":" + e.removed + ">" + e.inserted + (out.empty() ? "" : " ") + out;
    }
    return out;
}

// Typing at one place joins one entry until a pause of a second, another
// place, another kind of change or a seal.
TEST(EditHistory, TypedRunsJoin)
{
    const struct {
        std::size_t start;
        const char* removed;
        const char* inserted;
        bool typing, seal;
        std::uint64_t time;
    } steps[] = {
        {0, "", "a", true, false, 0},      {1, "", "b", true, false, 500},  {2, "", "c", true, false, 1400},
        {3, "", "d", true, false, 2400},   // a pause of a second
        {9, "", "e", true, false, 2500},   // elsewhere
        {10, "", "f", true, true, 2600},   // after a seal (the caret moved)
        {11, "", "g", true, false, 2700},  {12, "", "\r\n", false, false, 2800},  // a line break is no typing
        {14, "", "h", true, false, 2900},  {14, "h", "", false, false, 3000},     // Backspace: another kind
        {14, "", "i", true, false, 3100},
    };
    EditHistory h;
    for (const auto& s : steps) {
        if (s.seal)
            h.Seal();
        ASSERT_TRUE(h.Record(s.start, s.removed, s.inserted, s.typing, s.time));
    }
    EXPECT_EQ(Entries(h), "0:>abc 3:>d 9:>e 10:>fg 12:>\r\n 14:>h 14:h> 14:>i");
    // In UTF-16 units, a character is two bytes.
    EditHistory wide(2);
    wide.Record(0, "", std::string("a\0", 2), true, 0);
    wide.Record(1, "", std::string("b\0", 2), true, 1);
    EXPECT_EQ(wide.Count(), 1u);
}

TEST(EditHistory, StepsBackAndForthAndANewChangeDropsWhatWasAhead)
{
    EditHistory h;
    h.Record(0, "", "x", false, 0);
    h.Record(1, "", "y", false, 0);
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.Undo().inserted, "y");
    EXPECT_TRUE(h.CanRedo());
    EXPECT_EQ(h.Redo().inserted, "y");
    h.Undo();
    h.Undo();
    EXPECT_FALSE(h.CanUndo());
    h.Record(0, "", "z", true, 0);
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(Entries(h), "0:>z");
}

// The oldest entries go beyond the budget; one entry larger than all of it
// stays, alone.
TEST(EditHistory, BudgetDropsTheOldest)
{
    EditHistory h(1, 10);
    h.Record(0, "", "aaaa", false, 0);
    h.Record(4, "", "bbbb", false, 0);
    h.Record(8, "cc", "", false, 0);
    EXPECT_EQ(h.Bytes(), 10u);
    EXPECT_EQ(h.Count(), 3u);
    h.Record(0, "", "d", false, 0);
    EXPECT_EQ(Entries(h), "4:>bbbb 8:cc> 0:>d");
    h.Record(0, std::string(20, 'e'), "f", false, 0);
    EXPECT_EQ(h.Count(), 1u);
    EXPECT_EQ(h.Bytes(), 21u);
}

}  // namespace
