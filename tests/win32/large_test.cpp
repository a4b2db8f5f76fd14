// Large documents: the second pane follows every kind of edit in either
// pane, and ReplaceAll on many matches gives the text, count, view and Undo
// that replacing match by match gives, split or not.
#include <windows.h>

#include <string>

#include "app/appstate.h"
#include "app/shell.h"
#include "harness.h"
#include "res/resource.h"

namespace {

class LargeTest : public EditorTest {
protected:
    // About 80,000 bytes and 50,000 characters: beyond the edit control's
    // default limit of 30,000.
    static std::string Document(int lines)
    {
        std::string s;
        for (int i = 0; i < lines; ++i)
            s += "行" + std::to_string(i) + " 日本語のテキスト and cat\r\n";
        return s;
    }
    void Activate(HWND pane)
    {
        SetFocus(pane);
        Pump();
    }
    // Puts the caret at the start of a line, in the pane's own units.
    static void CaretToLine(HWND pane, int line)
    {
        LRESULT at = SendMessageA(pane, EM_LINEINDEX, line, 0);
        SendMessageA(pane, EM_SETSEL, at, at);
    }
    void ExpectPanesEqual(const char* after)
    {
        std::string main = PaneText(AppState.hwndEdit), sub = PaneText(AppState.hwndEditSub);
        EXPECT_EQ(main.size(), sub.size()) << after;
        EXPECT_TRUE(main == sub) << after;
    }
};

TEST_F(LargeTest, PanesStayEqualThroughTypingPastingCuttingAndUndoInEitherPane)
{
    Start();
    MoveWindow(main_, 0, 0, 700, 600, TRUE);
    const std::string doc = Document(2000);
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(doc.c_str()));
    Command(IDM_SPLIT);
    HWND sub = AppState.hwndEditSub;
    ExpectPanesEqual("splitting");
    Answerer answers;  // no box may come

    // The second pane's view stays where the user left it.
    SendMessageA(sub, EM_LINESCROLL, 0, 100);
    LRESULT subView = SendMessageA(sub, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_GT(subView, 0);

    Activate(AppState.hwndEdit);
    CaretToLine(AppState.hwndEdit, 1500);
    TypeChar(AppState.hwndEdit, 'X');
    ExpectPanesEqual("typing in the main pane");
    EXPECT_EQ(SendMessageA(sub, EM_GETFIRSTVISIBLELINE, 0, 0), subView);

    SetClipboardText(main_, "貼り付けた文字");
    Command(IDM_PASTE);
    ExpectPanesEqual("pasting in the main pane");

    // The second pane of a document beyond the default limit takes keys.
    Activate(sub);
    CaretToLine(sub, 10);
    TypeChar(sub, 'Y');
    ExpectPanesEqual("typing in the second pane");
    EXPECT_EQ(PaneText(AppState.hwndEdit).find("Y行10 "), PaneText(AppState.hwndEdit).find("行10 ") - 1);

    LRESULT from = SendMessageA(sub, EM_LINEINDEX, 20, 0), to = SendMessageA(sub, EM_LINEINDEX, 25, 0);
    SendMessageA(sub, EM_SETSEL, from, to);
    Command(IDM_CUT);
    ExpectPanesEqual("cutting in the second pane");
    EXPECT_EQ(PaneText(AppState.hwndEdit).find("行20 "), std::string::npos);

    Command(IDM_UNDO);
    ExpectPanesEqual("undo in the second pane");
    EXPECT_NE(PaneText(AppState.hwndEdit).find("行20 "), std::string::npos);

    Activate(AppState.hwndEdit);
    CaretToLine(AppState.hwndEdit, 1999);
    TypeChar(AppState.hwndEdit, 'Z');
    Command(IDM_UNDO);
    ExpectPanesEqual("undo in the main pane");
    EXPECT_EQ(PaneText(AppState.hwndEdit).find('Z'), std::string::npos);

    EXPECT_EQ(answers.unexpected, 0);
    EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 1);
}

TEST_F(LargeTest, ReplaceAllOnManyMatchesSplitAndUnsplit)
{
    for (bool split : {false, true}) {
        Start();
        MoveWindow(main_, 0, 0, 700, 600, TRUE);
        const std::string doc = Document(3000);
        SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(doc.c_str()));
        if (split)
            Command(IDM_SPLIT);
        SendMessageA(AppState.hwndEdit, EM_LINESCROLL, 0, 500);
        Activate(AppState.hwndEdit);
        std::string expected = doc;
        for (std::size_t p = 0; (p = expected.find("cat", p)) != std::string::npos;) {
            expected.replace(p, 3, "犬");
            p += 2;
        }
        Command(IDM_FIND);
        Pump();
        HWND f = AppState.hwndFinder;
        SetDlgItemTextA(f, IDC_FIND_TEXT, "cat");
        SetDlgItemTextA(f, IDC_REPLACE_TEXT, "犬");
        Answerer answers;
        answers.Press(IDOK);
        SendMessageA(GetDlgItem(f, IDC_REPLACE_ALL), BM_CLICK, 0, 0);
        ASSERT_EQ(answers.boxes.size(), 1u) << split;
        EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("文字列置換の結果"));
        EXPECT_EQ(Hex(answers.boxes[0].text), Hex("3000個の文字列を置換しました。"));
        EXPECT_TRUE(PaneText(AppState.hwndEdit) == expected) << split;
        if (split) {
            EXPECT_TRUE(PaneText(AppState.hwndEditSub) == expected);
        }
        EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETFIRSTVISIBLELINE, 0, 0), 500) << split;
        // The whole ReplaceAll is one step back, and one forward.
        SendMessageA(f, WM_COMMAND, IDCANCEL, 0);
        Activate(AppState.hwndEdit);
        Command(IDM_UNDO);
        EXPECT_TRUE(PaneText(AppState.hwndEdit) == doc) << split;
        if (split) {
            EXPECT_TRUE(PaneText(AppState.hwndEditSub) == doc);
        }
        Command(IDM_REDO);
        EXPECT_TRUE(PaneText(AppState.hwndEdit) == expected) << split;
        if (split) {
            EXPECT_TRUE(PaneText(AppState.hwndEditSub) == expected);
        }
        Close();
    }
}

}  // namespace
