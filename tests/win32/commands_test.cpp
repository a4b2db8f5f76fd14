// The command table, check marks and accelerators through the real loop.
#include <windows.h>

#include "app/appstate.h"
#include "app/shell.h"
#include "harness.h"
#include "res/resource.h"

namespace {

using CommandsTest = EditorTest;

struct CaptionSearch {
    std::string caption;
    int count;
};

BOOL CALLBACK CountCaption(HWND w, LPARAM l)
{
    auto* s = reinterpret_cast<CaptionSearch*>(l);
    if (IsWindowVisible(w) && WindowText(w) == s->caption)
        ++s->count;
    return TRUE;
}

int CountTopLevel(const std::string& caption)
{
    CaptionSearch search{caption, 0};
    EnumThreadWindows(GetCurrentThreadId(), CountCaption, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

TEST_F(CommandsTest, KanjiSettingsCheckOneItem)
{
    Start();
    const struct {
        UINT id;
        KanjiCode value;
    } items[] = {{IDM_KANJI_SJIS, KanjiCode::ShiftJIS},
                 {IDM_KANJI_EUC, KanjiCode::EUC},
                 {IDM_KANJI_JIS, KanjiCode::JIS},
                 {IDM_KANJI_UTF8, KanjiCode::UTF8},
                 {IDM_KANJI_AUTO, KanjiCode::Auto}};
    for (const auto& item : items) {
        Command(item.id);
        EXPECT_EQ(AppState.kanjiSetting, item.value);
        for (const auto& other : items)
            EXPECT_EQ(MenuChecked(other.id), other.id == item.id) << item.id << " " << other.id;
    }
    EXPECT_EQ(AppState.lineBreakSetting, LineBreakCode::Auto);
}

TEST_F(CommandsTest, Utf8AndUtf16AreTheLastItemsOfTheKanjiMenu)
{
    Start();
    EXPECT_EQ(MenuText(IDM_KANJI_UTF8), "UTF-8");
    EXPECT_EQ(MenuText(IDM_KANJI_UTF16), "UTF-16");
    // 設定 > 漢字コード: after JIS, UTF-8 and then UTF-16, the last.
    HMENU settings = GetSubMenu(GetMenu(main_), 2);
    HMENU kanji = NULL;
    for (int k = 0; k < GetMenuItemCount(settings); ++k)
        if (HMENU sub = GetSubMenu(settings, k); sub && GetMenuItemID(sub, 0) == IDM_KANJI_AUTO)
            kanji = sub;
    ASSERT_NE(kanji, (HMENU)NULL);
    const int count = GetMenuItemCount(kanji);
    ASSERT_EQ(count, 6);
    EXPECT_EQ(GetMenuItemID(kanji, count - 3), static_cast<UINT>(IDM_KANJI_JIS));
    EXPECT_EQ(GetMenuItemID(kanji, count - 2), static_cast<UINT>(IDM_KANJI_UTF8));
    EXPECT_EQ(GetMenuItemID(kanji, count - 1), static_cast<UINT>(IDM_KANJI_UTF16));
    EXPECT_FALSE(MenuChecked(IDM_KANJI_UTF8));
    EXPECT_FALSE(MenuChecked(IDM_KANJI_UTF16));
}

TEST_F(CommandsTest, LineBreakSettingsCheckOneItem)
{
    Start();
    // Macintosh is the lone CR, UNIX the lone LF.
    const struct {
        UINT id;
        LineBreakCode value;
    } items[] = {{IDM_LB_WINDOWS, LineBreakCode::CrLf},
                 {IDM_LB_MAC, LineBreakCode::Cr},
                 {IDM_LB_UNIX, LineBreakCode::Lf},
                 {IDM_LB_REVWIN, LineBreakCode::LfCr},
                 {IDM_LB_AUTO, LineBreakCode::Auto}};
    for (const auto& item : items) {
        Command(item.id);
        EXPECT_EQ(AppState.lineBreakSetting, item.value);
        for (const auto& other : items)
            EXPECT_EQ(MenuChecked(other.id), other.id == item.id) << item.id << " " << other.id;
    }
    // Choosing a setting converts nothing by itself.
    EXPECT_EQ(AppState.detectedLineBreak, LineBreakCode::CrLf);
}

TEST_F(CommandsTest, CtrlBTwiceReturnsTheSoundSetting)
{
    Start();
    TypeChar(AppState.hwndEdit, 0x02);
    EXPECT_FALSE(AppState.soundOn);
    EXPECT_FALSE(MenuChecked(IDM_SOUND));
    TypeChar(AppState.hwndEdit, 0x02);
    EXPECT_TRUE(AppState.soundOn);
    EXPECT_TRUE(MenuChecked(IDM_SOUND));
    EXPECT_EQ(PaneText(AppState.hwndEdit), "");  // the key never reached the pane
}

TEST_F(CommandsTest, EditKeysActOnTheActivePane)
{
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 2);
    // The menu items, and so their accelerators, follow the pane's last
    // repaint: a selection is seen once the pane has painted it.
    Pump();
    TypeChar(AppState.hwndEdit, 0x03);  // Ctrl+C
    EXPECT_EQ(ClipboardText(main_), "he");
    TypeChar(AppState.hwndEdit, 0x18);  // Ctrl+X
    EXPECT_EQ(PaneText(AppState.hwndEdit), "llo");
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 3, 3);
    TypeChar(AppState.hwndEdit, 0x16);  // Ctrl+V
    EXPECT_EQ(PaneText(AppState.hwndEdit), "llohe");
    TypeChar(AppState.hwndEdit, 0x1A);  // Ctrl+Z
    EXPECT_EQ(PaneText(AppState.hwndEdit), "llo");
    TypeChar(AppState.hwndEdit, 0x01);  // Ctrl+A
    DWORD start = 9, end = 9;
    SendMessageA(AppState.hwndEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 3u);
}

TEST_F(CommandsTest, SplitPaneReceivesEditCommandsButSelectAllSelectsTheMainPane)
{
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
    Command(IDM_SPLIT);
    Pump();
    HWND sub = AppState.hwndEditSub;
    SetFocus(sub);
    Pump();
    ASSERT_EQ(AppState.hwndActiveEdit, sub);
    SendMessageA(sub, EM_SETSEL, 0, 1);
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 4, 4);
    SetClipboardText(main_, "J");
    TypeChar(sub, 0x16);  // Ctrl+V into the second pane
    EXPECT_EQ(PaneText(sub), "Jello");
    EXPECT_EQ(PaneText(AppState.hwndEdit), "Jello");  // copied whole into the main pane
    EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 1);
    TypeChar(sub, 0x01);  // Ctrl+A selects the main pane's text
    DWORD start = 9, end = 9;
    SendMessageA(AppState.hwndEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
    // The split off: the main pane is the target again.
    Command(IDM_SPLIT);
    EXPECT_EQ(AppState.hwndActiveEdit, AppState.hwndEdit);
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 1);
    Pump();
    TypeChar(AppState.hwndEdit, 0x18);
    EXPECT_EQ(PaneText(AppState.hwndEdit), "ello");
}

TEST_F(CommandsTest, GrayedItemsIgnoreTheirAccelerators)
{
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
    SetClipboardText(main_, "unchanged");
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 1, 1);
    Pump();
    ASSERT_TRUE(MenuGrayed(IDM_COPY));
    TypeChar(AppState.hwndEdit, 0x03);
    EXPECT_EQ(ClipboardText(main_), "unchanged");
}

TEST_F(CommandsTest, FileAcceleratorsOpenTheDialogsAndExit)
{
    Start();
    {
        Answerer answers;
        answers.CancelDialog().CancelDialog();
        TypeChar(AppState.hwndEdit, 0x0F);  // Ctrl+O
        Pump();
        TypeChar(AppState.hwndEdit, 0x13);  // Ctrl+S
        Pump();
        EXPECT_EQ(answers.dialogs.size(), 2u);
        EXPECT_EQ(answers.unexpected, 0);
    }
    TypeChar(AppState.hwndEdit, 0x11);  // Ctrl+Q on unedited text
    Pump();
    EXPECT_FALSE(Running());
}

TEST_F(CommandsTest, ExitOnEditedTextAsks)
{
    Start();
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    {
        Answerer answers;
        answers.Press(IDCANCEL);
        Command(IDM_EXIT);
        Pump();
        EXPECT_EQ(answers.boxes.size(), 1u);
        EXPECT_TRUE(Running());
    }
    Answerer answers;
    answers.Press(IDNO);
    Command(IDM_EXIT);
    Pump();
    EXPECT_FALSE(Running());
}

TEST_F(CommandsTest, FindTwiceOpensTwoFinders)
{
    Start();
    TypeChar(AppState.hwndEdit, 0x06);
    HWND first = AppState.hwndFinder;
    TypeChar(AppState.hwndEdit, 0x06);
    HWND second = AppState.hwndFinder;
    EXPECT_TRUE(IsWindow(first));
    EXPECT_TRUE(IsWindow(second));
    EXPECT_NE(first, second);
    EXPECT_EQ(CountTopLevel("String finder/replacer"), 2);
    EXPECT_EQ(GetWindow(second, GW_OWNER), main_);
}

TEST_F(CommandsTest, AboutTwiceShowsOneBox)
{
    Start();
    Command(IDM_ABOUT);
    HWND box = AppState.hwndAbout;
    ASSERT_TRUE(IsWindow(box));
    Command(IDM_ABOUT);
    EXPECT_EQ(AppState.hwndAbout, box);
    EXPECT_EQ(CountTopLevel(WindowText(box)), 1);
    EXPECT_EQ(Hex(WindowText(box)), Hex("VEXA Edit ! について・・・"));
}

TEST_F(CommandsTest, PaneNotificationsShowTheirBoxes)
{
    Start();
    Answerer answers;
    answers.Press(IDOK).Press(IDOK);
    SendMessageA(main_, WM_COMMAND, MAKEWPARAM(ID_EDIT_MAIN, EN_ERRSPACE), reinterpret_cast<LPARAM>(AppState.hwndEdit));
    SendMessageA(main_, WM_COMMAND, MAKEWPARAM(ID_EDIT_MAIN, EN_MAXTEXT), reinterpret_cast<LPARAM>(AppState.hwndEdit));
    ASSERT_EQ(answers.boxes.size(), 2u);
    EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("システム中の問題"));
    EXPECT_EQ(Hex(answers.boxes[1].caption), Hex("上限容量の問題"));
    for (const auto& box : answers.boxes) {
        EXPECT_EQ(Hex(box.text), Hex("テキストバッファのサイズを超えました。"));
        EXPECT_EQ(box.owner, main_);
    }
}

TEST_F(CommandsTest, TypingInTheSecondPaneUpToItsLimitReportsIt)
{
    Start();
    Command(IDM_SPLIT);
    HWND sub = AppState.hwndEditSub;
    SendMessageA(sub, EM_LIMITTEXT, 3, 0);
    SetFocus(sub);
    Pump();
    Answerer answers;
    answers.Press(IDOK);
    for (char c : std::string("abcd"))
        TypeChar(sub, static_cast<unsigned char>(c));
    Pump();
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("上限容量の問題"));
    EXPECT_EQ(PaneText(AppState.hwndEdit), "abc");
}

TEST_F(CommandsTest, BlankAndUnknownCommandsDoNothing)
{
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("same"));
    EXPECT_EQ(SendMessageA(main_, WM_COMMAND, IDM_BLANK, 0), 0);
    EXPECT_EQ(SendMessageA(main_, WM_COMMAND, 4242, 0), 0);
    EXPECT_EQ(PaneText(AppState.hwndEdit), "same");
    EXPECT_TRUE(Running());
}

}  // namespace

namespace {

// Japanese from an input method comes through the loop as WM_IME_CHAR, or
// as the two bytes of a character in two WM_CHAR messages.
TEST_F(CommandsTest, JapaneseTypedThroughAnInputMethodArrivesWhole)
{
    Start();
    HWND pane = AppState.hwndEdit;
    SetFocus(pane);
    Pump();
    PostMessageA(pane, WM_CHAR, 0x8A, 1);  // 漢 as two bytes
    PostMessageA(pane, WM_CHAR, 0xBF, 1);
    Pump();
    EXPECT_EQ(Hex(PaneText(pane)), Hex("漢"));
    PostMessageA(pane, WM_IME_CHAR, 0x8E9A, 1);  // 字 as one message, lead byte high
    Pump();
    EXPECT_EQ(Hex(PaneText(pane)), Hex("漢字"));
    TypeChar(pane, 'a');
    EXPECT_EQ(Hex(PaneText(pane)), Hex("漢字a"));
}

}  // namespace

namespace {

// Text another program put on the clipboard after the panes last painted:
// Ctrl+V pastes it all the same, as the accelerator's item is brought up to
// date first.
TEST_F(CommandsTest, PasteTakesTextThatCameAfterTheLastPaint)
{
    Start();
    OpenClipboard(main_);
    EmptyClipboard();
    CloseClipboard();
    HWND pane = AppState.hwndEdit;
    SetFocus(pane);
    InvalidateRect(pane, NULL, TRUE);  // the pane paints with nothing to paste
    UpdateWindow(pane);
    Pump();
    ASSERT_TRUE(MenuGrayed(IDM_PASTE));
    // Another program copies the text, beside this one.
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    std::string helper = exe;
    helper = helper.substr(0, helper.find_last_of("\\/") + 1) + "put_clipboard.exe";
    std::string line = "\"" + helper + "\" pasted";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ASSERT_TRUE(CreateProcessA(helper.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) << helper;
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(pi.hProcess, &status);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(status, 0u);
    ASSERT_TRUE(MenuGrayed(IDM_PASTE));  // nothing has painted since
    TypeChar(pane, 0x16);                 // Ctrl+V
    EXPECT_EQ(PaneText(pane), "pasted");
}

// After an open of the same text in a split window, neither pane has
// anything to undo: the paste made in the second pane before stays.
TEST_F(CommandsTest, AfterAnOpenNeitherPaneHasAnythingToUndo)
{
    Start();
    const std::string path = TestFolder() + "undo.txt";
    WriteFileBytes(path, "hello\r\n");
    ASSERT_EQ(OpenDocument(main_, path.c_str(), true), EC_SUCCESS);
    Command(IDM_SPLIT);
    Pump();
    HWND sub = AppState.hwndEditSub;
    SetFocus(sub);
    Pump();
    SendMessageA(sub, EM_SETSEL, 0, 0);
    SetClipboardText(main_, "J");
    TypeChar(sub, 0x16);  // a paste in the second pane
    ASSERT_EQ(PaneText(AppState.hwndEdit), "Jhello\r\n");
    ASSERT_EQ(SaveDocument(main_, path.c_str()), EC_SUCCESS);
    ASSERT_EQ(OpenDocument(main_, path.c_str(), true), EC_SUCCESS);
    Pump();
    EXPECT_EQ(SendMessageA(sub, EM_CANUNDO, 0, 0), 0);
    EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_CANUNDO, 0, 0), 0);
    for (HWND pane : {sub, AppState.hwndEdit}) {
        SetFocus(pane);
        Pump();
        TypeChar(pane, 0x1A);  // Ctrl+Z in either pane
        EXPECT_EQ(PaneText(sub), "Jhello\r\n");
        EXPECT_EQ(PaneText(AppState.hwndEdit), "Jhello\r\n");
        EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 0);
    }
}

}  // namespace

namespace {

// A typed run is one step, taken back by Ctrl+Z and made again by Ctrl+Y,
// the restored text selected; the Edit menu offers a step only when there
// is one; the text loaded at start-up begins an empty history, and the
// document is unedited again once a step returns to it.
TEST_F(CommandsTest, TheHistoryByItsKeysAndMenuItems)
{
    const std::string path = TestFolder() + "start.txt";
    WriteFileBytes(path, "start\r\n");
    Start(path);
    HWND pane = AppState.hwndEdit;
    SetFocus(pane);
    Pump();
    auto refresh = [&] { SendMessageA(main_, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(main_)), 0); };
    refresh();
    EXPECT_EQ(MenuText(IDM_REDO), "やり直し Ctrl+Y");
    EXPECT_TRUE(MenuGrayed(IDM_UNDO));
    EXPECT_TRUE(MenuGrayed(IDM_REDO));
    TypeChar(pane, 0x1A);  // nothing to take back
    EXPECT_EQ(PaneText(pane), "start\r\n");
    SendMessageA(pane, EM_SETSEL, 5, 5);
    for (char c : std::string("abc"))
        TypeChar(pane, static_cast<unsigned char>(c));
    ASSERT_EQ(PaneText(pane), "startabc\r\n");
    refresh();
    EXPECT_FALSE(MenuGrayed(IDM_UNDO));
    EXPECT_TRUE(MenuGrayed(IDM_REDO));
    TypeChar(pane, 0x1A);
    EXPECT_EQ(PaneText(pane), "start\r\n");
    EXPECT_EQ(SendMessageA(pane, EM_GETMODIFY, 0, 0), 0);
    refresh();
    EXPECT_TRUE(MenuGrayed(IDM_UNDO));
    EXPECT_FALSE(MenuGrayed(IDM_REDO));
    TypeChar(pane, 0x19);  // Ctrl+Y
    EXPECT_EQ(PaneText(pane), "startabc\r\n");
    EXPECT_EQ(SendMessageA(pane, EM_GETMODIFY, 0, 0), 1);
    DWORD s = 0, e = 0;
    SendMessageA(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    EXPECT_EQ(s, 5u);
    EXPECT_EQ(e, 8u);
    // A new change after a step back drops the step ahead.
    TypeChar(pane, 0x1A);
    SendMessageA(pane, EM_SETSEL, 0, 0);
    TypeChar(pane, 'X');
    refresh();
    EXPECT_TRUE(MenuGrayed(IDM_REDO));
    EXPECT_EQ(PaneText(pane), "Xstart\r\n");
    // The pane's own undo (its context menu sends WM_UNDO) has nothing to
    // toggle; Alt+Backspace steps back through the history.
    EXPECT_EQ(SendMessageA(pane, EM_CANUNDO, 0, 0), 0);
    SendMessageA(pane, WM_UNDO, 0, 0);
    EXPECT_EQ(PaneText(pane), "Xstart\r\n");
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_MENU] |= 0x80;
    SetKeyboardState(keys);
    PostMessageA(pane, WM_SYSKEYDOWN, VK_BACK, 0x20000001);
    Pump();
    keys[VK_MENU] &= 0x7F;
    SetKeyboardState(keys);
    EXPECT_EQ(PaneText(pane), "start\r\n");
}

}  // namespace
