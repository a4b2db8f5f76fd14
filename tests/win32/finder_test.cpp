// The finder through its real dialog: the buttons' states, the five
// operations on real panes, the question and result boxes, and the meter.
#include <windows.h>

#include "app/appstate.h"
#include "app/shell.h"
#include "find/finder.h"
#include "harness.h"
#include "res/resource.h"

namespace {

const int kAll[] = {IDC_FIND_NEXT, IDC_FIND_PREV, IDCANCEL, IDC_REPLACE_ALL, IDC_REPLACE_NEXT, IDC_REPLACE_REPEAT};

class FinderTest : public EditorTest {
protected:
    HWND OpenFinder()
    {
        Command(IDM_FIND);
        Pump();
        return AppState.hwndFinder;
    }
    static void Fields(HWND finder, const char* find, const char* replace)
    {
        SetDlgItemTextA(finder, IDC_FIND_TEXT, find);
        SetDlgItemTextA(finder, IDC_REPLACE_TEXT, replace);
    }
    static void Click(HWND finder, int id) { SendMessageA(GetDlgItem(finder, id), BM_CLICK, 0, 0); }
    static bool Enabled(HWND finder, int id) { return IsWindowEnabled(GetDlgItem(finder, id)) != FALSE; }
    void Text(const char* text, int selStart, int selEnd, HWND pane = NULL)
    {
        SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        SendMessageA(pane ? pane : AppState.hwndEdit, EM_SETSEL, selStart, selEnd);
    }
    static std::pair<DWORD, DWORD> Selection(HWND pane)
    {
        DWORD s = 0, e = 0;
        SendMessageA(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        return {s, e};
    }
    // The meter's colour in its middle row at client column x of a finder.
    static COLORREF MeterAt(HWND finder, int x)
    {
        HDC dc = GetDC(finder);
        COLORREF c = GetPixel(dc, x, 145);
        ReleaseDC(finder, dc);
        return c & 0xFFFFFF;
    }
};

// The meter's fill and track in its middle row, from the strip it is drawn
// with (columns 0 and 3 of METER2Y).
COLORREF StripColour(int column) { return GetPixel(AppState.hdcMeter2Y, column, 5) & 0xFFFFFF; }

TEST_F(FinderTest, ButtonsFollowTheFields)
{
    Start();
    HWND f = OpenFinder();
    ASSERT_TRUE(IsWindow(f));
    EXPECT_EQ(WindowText(f), "String finder/replacer");
    const struct {
        const char* find;
        const char* replace;
        bool finds, replaces;
    } states[] = {
        {"", "", false, false}, {"abc", "", true, false}, {"abc", "x", true, true},
        {"", "x", false, false}, {"a", "x", true, true},
    };
    for (const auto& s : states) {
        Fields(f, s.find, s.replace);
        EXPECT_EQ(Enabled(f, IDC_FIND_NEXT), s.finds) << s.find << "/" << s.replace;
        EXPECT_EQ(Enabled(f, IDC_FIND_PREV), s.finds);
        for (int id : {IDC_REPLACE_ALL, IDC_REPLACE_NEXT, IDC_REPLACE_REPEAT})
            EXPECT_EQ(Enabled(f, id), s.replaces) << id;
        EXPECT_TRUE(Enabled(f, IDCANCEL));
    }
}

TEST_F(FinderTest, TypedFieldsEnableTheButtonsToo)
{
    Start();
    HWND f = OpenFinder();
    HWND field = GetDlgItem(f, IDC_FIND_TEXT);
    SetFocus(field);
    TypeChar(field, 'q');
    EXPECT_EQ(WindowText(field), "q");
    EXPECT_TRUE(Enabled(f, IDC_FIND_NEXT));
    // No dialog keys: Esc and Enter neither close it nor press a button.
    TypeChar(field, 0x1B);
    Key(field, VK_RETURN);
    TypeChar(field, '\r');
    EXPECT_TRUE(IsWindow(f));
}

TEST_F(FinderTest, FindNextFromTheCaret)
{
    Start();
    Text("abcabc", 0, 0);
    HWND f = OpenFinder();
    Fields(f, "abc", "");
    Click(f, IDC_FIND_NEXT);
    EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(3ul, 6ul));
    EXPECT_EQ(MeterAt(f, 100), StripColour(0));  // 3 of 6: half the meter
    EXPECT_EQ(MeterAt(f, 120), StripColour(3));
    Click(f, IDC_FIND_NEXT);  // nothing further: the meter at 50, the selection stays
    EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(3ul, 6ul));
    EXPECT_EQ(MeterAt(f, 100), StripColour(0));
    EXPECT_EQ(MeterAt(f, 120), StripColour(3));
}

TEST_F(FinderTest, OverlappingAndCaseAndPrev)
{
    Start();
    HWND f = OpenFinder();
    Text("aaaa", 0, 0);
    Fields(f, "aa", "");
    Click(f, IDC_FIND_NEXT);
    EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(1ul, 3ul));
    Click(f, IDC_FIND_NEXT);
    EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(2ul, 4ul));

    Text("abcabc", 0, 0);
    Fields(f, "abc", "");
    Click(f, IDC_FIND_PREV);
    EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(0ul, 0ul));
    EXPECT_EQ(MeterAt(f, 20), StripColour(3));  // nothing found: the meter at 0
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 3, 6);
    Click(f, IDC_FIND_PREV);
    EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(0ul, 3ul));

    Text("ABC", 0, 0);
    Click(f, IDC_FIND_NEXT);
    Click(f, IDC_FIND_PREV);
    EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(0ul, 0ul));
}

TEST_F(FinderTest, MatchLineBecomesTheFirstVisibleLine)
{
    Start();
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += i == 70 ? "target here\r\n" : "filler line\r\n";
    Text(text.c_str(), 0, 0);
    HWND f = OpenFinder();
    Fields(f, "target", "");
    Click(f, IDC_FIND_NEXT);
    EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETFIRSTVISIBLELINE, 0, 0), 70);
}

TEST_F(FinderTest, ReplaceAllCountsAndNeverRematchesInsertedText)
{
    Start();
    HWND f = OpenFinder();
    const struct {
        const char* text;
        const char* find;
        const char* replace;
        const char* result;
        const char* message;
    } cases[] = {
        {"aaa", "a", "aa", "aaaaaa", "3個の文字列を置換しました。"},
        {"aaa", "aa", "b", "ba", "1個の文字列を置換しました。"},
        {"xyz", "q", "r", "xyz", "0個の文字列を置換しました。"},
        {"ab", "abc", "r", "ab", "0個の文字列を置換しました。"},
    };
    for (const auto& c : cases) {
        Text(c.text, 2, 2);  // occurrences before the caret are replaced too
        Fields(f, c.find, c.replace);
        Answerer answers;
        answers.Press(IDOK);
        Click(f, IDC_REPLACE_ALL);
        ASSERT_EQ(answers.boxes.size(), 1u) << c.text;
        EXPECT_EQ(Hex(answers.boxes[0].text), Hex(c.message));
        EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("文字列置換の結果"));
        EXPECT_EQ(answers.boxes[0].owner, f);
        EXPECT_EQ(PaneText(AppState.hwndEdit), c.result);
    }
}

TEST_F(FinderTest, ReplaceAllKeepsTheView)
{
    Start();
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "word\r\n";
    Text(text.c_str(), 0, 0);
    SendMessageA(AppState.hwndEdit, EM_LINESCROLL, 0, 30);
    HWND f = OpenFinder();
    Fields(f, "word", "w");
    Answerer answers;
    answers.Press(IDOK);
    Click(f, IDC_REPLACE_ALL);
    EXPECT_EQ(Hex(answers.boxes.at(0).text), Hex("100個の文字列を置換しました。"));
    EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETFIRSTVISIBLELINE, 0, 0), 30);
}

TEST_F(FinderTest, ReplaceNextAsksAndEachReplacementUndoesAlone)
{
    Start();
    Text("cat cat cat", 0, 0);
    HWND f = OpenFinder();
    Fields(f, "cat", "dog");
    {
        Answerer answers;
        answers.Press(IDNO);
        Click(f, IDC_REPLACE_NEXT);
        ASSERT_EQ(answers.boxes.size(), 1u);
        EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("発見しました"));
        EXPECT_EQ(Hex(answers.boxes[0].text), Hex("置換しますか？"));
        EXPECT_EQ(answers.boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(PaneText(AppState.hwndEdit), "cat cat cat");
        EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(4ul, 7ul));
    }
    {
        Answerer answers;
        answers.Press(IDYES).Press(IDYES);
        Click(f, IDC_REPLACE_NEXT);  // from one byte into the selection: 8
        EXPECT_EQ(PaneText(AppState.hwndEdit), "cat cat dog");
        SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 0);
        Click(f, IDC_REPLACE_NEXT);
        EXPECT_EQ(PaneText(AppState.hwndEdit), "cat dog dog");
    }
    Command(IDM_UNDO);  // 元に戻す takes back the last replacement alone
    EXPECT_EQ(PaneText(AppState.hwndEdit), "cat cat dog");
}

TEST_F(FinderTest, ReplaceRepeatYesNoCancel)
{
    Start();
    HWND f = OpenFinder();
    Fields(f, "ab", "X");
    {
        Text("ab ab ab ab", 0, 0);  // the first candidate is 1: the one at 0 stays
        Answerer answers;
        answers.Press(IDYES).Press(IDNO).Press(IDYES);
        Click(f, IDC_REPLACE_REPEAT);
        ASSERT_EQ(answers.boxes.size(), 3u);
        EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("連続後方置換の実行"));
        EXPECT_EQ(Hex(answers.boxes[0].text), Hex("この文字列を置換しますか？"));
        EXPECT_EQ(answers.boxes[0].buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
        EXPECT_EQ(PaneText(AppState.hwndEdit), "ab X ab X");
    }
    {
        Text("ab ab ab ab", 0, 0);
        Answerer answers;
        answers.Press(IDYES).Press(IDCANCEL);
        Click(f, IDC_REPLACE_REPEAT);
        EXPECT_EQ(answers.boxes.size(), 2u);
        EXPECT_EQ(PaneText(AppState.hwndEdit), "ab X ab ab");
    }
}

// Texts where ReplaceRepeat once patched its copy of the text past the
// replacement: the process ended, a match was skipped, or Yes replaced
// what the question had not shown. Each is answered Yes throughout.
TEST_F(FinderTest, ReplaceRepeatAfterLongerReplacements)
{
    Start();
    HWND f = OpenFinder();
    const struct {
        const char* text;
        const char* find;
        const char* replace;
        const char* result;
        std::size_t questions;
    } cases[] = {
        {"abca", "a", "ZZ", "abcZZ", 1},
        {"xaxa", "a", "ZZZ", "xZZZxZZZ", 2},
        {"あaあaあ", "あ", "いい", "あaいいaいい", 2},
        {"いxbｱ漢 abxあ漢b漢aaい", "x", "ZZZ", "いZZZbｱ漢 abZZZあ漢b漢aaい", 2},
    };
    for (const auto& c : cases) {
        Text(c.text, 0, 0);
        Fields(f, c.find, c.replace);
        Answerer answers;
        for (int k = 0; k < 4; ++k)
            answers.Press(IDYES);
        Click(f, IDC_REPLACE_REPEAT);
        ASSERT_TRUE(IsWindow(main_)) << c.text;
        EXPECT_EQ(Hex(PaneText(AppState.hwndEdit)), Hex(c.result)) << c.text;
        EXPECT_EQ(answers.boxes.size(), c.questions) << c.text;
    }
}

TEST_F(FinderTest, TwoByteCharactersAreNeverSplit)
{
    Start();
    HWND f = OpenFinder();
    // 表 (95 5C) and ソ (83 5C) end in a backslash; ァ (83 40) in "@".
    Text("\x95\x5C\x83\x5C\\\x83\x40@", 0, 0);
    Fields(f, "\\", "/");
    Answerer answers;
    answers.Press(IDOK);
    Click(f, IDC_REPLACE_ALL);
    EXPECT_EQ(Hex(answers.boxes.at(0).text), Hex("1個の文字列を置換しました。"));
    EXPECT_EQ(Hex(PaneText(AppState.hwndEdit)), Hex("\x95\x5C\x83\x5C/\x83\x40@"));
    Fields(f, "@", "a");
    Answerer more;
    more.Press(IDOK);
    Click(f, IDC_REPLACE_ALL);
    EXPECT_EQ(Hex(PaneText(AppState.hwndEdit)), Hex("\x95\x5C\x83\x5C/\x83\x40" "a"));
    // Japanese for Japanese.
    Text("東京と京都と東京", 0, 0);
    Fields(f, "東京", "大阪");
    Answerer japanese;
    japanese.Press(IDOK);
    Click(f, IDC_REPLACE_ALL);
    EXPECT_EQ(Hex(PaneText(AppState.hwndEdit)), Hex("大阪と京都と大阪"));
}

TEST_F(FinderTest, DuringAnActionAllSixAreDisabled)
{
    Start();
    Text("one two one", 0, 0);
    HWND f = OpenFinder();
    Fields(f, "one", "1");
    std::vector<bool> during;
    Answerer answers;
    answers.Press(IDNO, [&](HWND) {
        for (int id : kAll)
            during.push_back(Enabled(f, id));
        SetDlgItemTextA(f, IDC_FIND_TEXT, "");  // edited while the box is up
        during.push_back(Enabled(f, IDC_FIND_NEXT));
    });
    Click(f, IDC_REPLACE_NEXT);
    EXPECT_EQ(during, std::vector<bool>(7, false));
    EXPECT_FALSE(AppState.finderBusy);
    // Afterwards the buttons follow the fields as they are now.
    EXPECT_TRUE(Enabled(f, IDCANCEL));
    EXPECT_FALSE(Enabled(f, IDC_FIND_NEXT));
    EXPECT_FALSE(Enabled(f, IDC_REPLACE_ALL));
}

TEST_F(FinderTest, SplitOperationsStartFromTheActivePane)
{
    Start();
    Text("xa xa xa", 0, 0);
    Command(IDM_SPLIT);
    HWND sub = AppState.hwndEditSub;
    SetFocus(sub);
    Pump();
    SendMessageA(sub, EM_SETSEL, 3, 3);
    HWND f = OpenFinder();
    Fields(f, "xa", "Y");
    Click(f, IDC_FIND_NEXT);
    EXPECT_EQ(Selection(sub), std::make_pair(6ul, 8ul));
    // ReplaceRepeat edits the active pane; the main pane follows.
    SendMessageA(sub, EM_SETSEL, 0, 0);
    Answerer answers;
    answers.Press(IDYES).Press(IDYES);
    Click(f, IDC_REPLACE_REPEAT);
    EXPECT_EQ(PaneText(sub), "xa Y Y");
    EXPECT_EQ(PaneText(AppState.hwndEdit), "xa Y Y");
    // ReplaceNext edits the main pane; the second follows.
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab ab"));
    SendMessageA(sub, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab ab"));
    SendMessageA(sub, EM_SETSEL, 0, 0);
    Fields(f, "ab", "Z");
    Answerer yes;
    yes.Press(IDYES);
    Click(f, IDC_REPLACE_NEXT);
    EXPECT_EQ(PaneText(AppState.hwndEdit), "ab Z");
    EXPECT_EQ(PaneText(sub), "ab Z");
}

TEST_F(FinderTest, TwoFindersRunOneActionAtATime)
{
    Start();
    Text("one one one", 0, 0);
    HWND first = OpenFinder();
    HWND second = OpenFinder();
    Fields(first, "one", "1");
    Fields(second, "one", "");
    Answerer answers;
    answers.Press(IDNO, [&](HWND) {
        // The second finder's button is pressed while the first one asks.
        SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 0);
        Click(second, IDC_FIND_NEXT);
        EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(0ul, 0ul));
    });
    Click(first, IDC_REPLACE_NEXT);
    EXPECT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(PaneText(AppState.hwndEdit), "one one one");
}

TEST_F(FinderTest, ClosingTheNewestFinderHandsTheMeterToTheOther)
{
    Start();
    Text("abcabc", 0, 0);
    HWND first = OpenFinder();
    HWND second = OpenFinder();
    Fields(first, "abc", "");
    Click(second, IDCANCEL);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(AppState.hwndFinder, first);
    Click(first, IDC_FIND_NEXT);
    EXPECT_EQ(MeterAt(first, 100), StripColour(0));
    Click(first, IDCANCEL);
    EXPECT_EQ(AppState.hwndFinder, (HWND)NULL);
    EXPECT_EQ(GetFocus(), AppState.hwndEdit);
    // With no finder an operation still runs and draws no meter.
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 0);
    EXPECT_EQ(FindNext("abc"), EC_SUCCESS);
    EXPECT_EQ(Selection(AppState.hwndEdit), std::make_pair(3ul, 6ul));
    Answerer answers;
    answers.Press(IDOK);
    EXPECT_EQ(ReplaceAll("abc", "x"), EC_SUCCESS);
    EXPECT_EQ(answers.boxes.at(0).owner, main_);
    EXPECT_EQ(PaneText(AppState.hwndEdit), "xx");
}

TEST_F(FinderTest, EmptyTextShowsTheMeterAtZero)
{
    Start();
    HWND f = OpenFinder();
    Fields(f, "a", "");
    Click(f, IDC_FIND_NEXT);
    EXPECT_EQ(MeterAt(f, 20), StripColour(3));
    EXPECT_EQ(MeterAt(f, 200), StripColour(3));
}

TEST_F(FinderTest, MeterIsPaintedAgainWhenExposed)
{
    Start();
    Text("abcabc", 0, 0);
    HWND f = OpenFinder();
    Fields(f, "abc", "");
    Click(f, IDC_FIND_NEXT);
    InvalidateRect(f, NULL, TRUE);
    Pump();
    EXPECT_EQ(MeterAt(f, 100), StripColour(0));
}

}  // namespace
