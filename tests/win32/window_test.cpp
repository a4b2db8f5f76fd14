// The main window: start-up, children, menu, colours, layout, the split
// bar, the save question, closing, the memory warning and teardown.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/appstate.h"
#include "app/shell.h"
#include "files/files.h"
#include "files/meter.h"
#include "harness.h"
#include "res/resource.h"

namespace {

using WindowTest = EditorTest;

LONG Style(HWND w) { return GetWindowLongA(w, GWL_STYLE); }

RECT ChildRect(HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(NULL, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int ClientHeight(HWND w)
{
    RECT r;
    GetClientRect(w, &r);
    return r.bottom;
}

int StatusHeight()
{
    RECT r;
    GetClientRect(AppState.hwndStatus, &r);
    return r.bottom;
}

// What a user meets on a plain start: an untitled document in one pane,
// and a save under the automatic settings writes Shift-JIS with CR LF.
TEST_F(WindowTest, StartsWithANewShiftJisDocumentInOnePane)
{
    Start();
    EXPECT_STREQ(AppState.filePath, "NewFile.txt");
    EXPECT_EQ(WindowText(main_), "VEXA Edit ! : NewFile.txt");
    EXPECT_EQ(GetDlgItem(main_, ID_EDIT_SUB), (HWND)NULL);
    EXPECT_EQ(AppState.hwndActiveEdit, AppState.hwndEdit);
    EXPECT_EQ(AppState.hwndAbout, (HWND)NULL);
    std::string path = TestFolder() + "new.txt";
    const char text[] = "\x82\xA0\r\nb";
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    ASSERT_EQ(SaveTextFile(path.c_str()), EC_SUCCESS);
    EXPECT_EQ(Hex(ReadFileBytes(path)), Hex(text));
    char cls[32];
    GetClassNameA(main_, cls, sizeof cls);
    EXPECT_STREQ(cls, "EditApli");
    EXPECT_EQ(Style(main_) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
}

TEST_F(WindowTest, ChildrenHaveTheirIdsClassesAndStyles)
{
    CreationRecorder created;
    Start();
    // A status bar with a size grip at the bottom; a bordered pane with both
    // scroll bars that scrolls, keeps its selection and takes Enter.
    EXPECT_EQ(created.StyleOf(ID_STATUSBAR),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | SBARS_SIZEGRIP | CCS_BOTTOM));
    EXPECT_EQ(created.StyleOf(ID_EDIT_MAIN),
              static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                 ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN));
    HWND status = GetDlgItem(main_, ID_STATUSBAR);
    HWND pane = GetDlgItem(main_, ID_EDIT_MAIN);
    EXPECT_EQ(status, AppState.hwndStatus);
    EXPECT_EQ(pane, AppState.hwndEdit);
    char cls[64];
    GetClassNameA(status, cls, sizeof cls);
    EXPECT_STREQ(cls, STATUSCLASSNAMEA);
    GetClassNameA(pane, cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, "Edit");
    EXPECT_EQ(Style(status) & (WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP), WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP);
    EXPECT_EQ(Style(pane) & (ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN),
              ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN);
    EXPECT_EQ(GetWindowLongA(pane, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    char text[128] = "";
    SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(Hex(text), Hex("VEXA Edit ! 起動しました"));
    // The pane takes any amount of text (EM_LIMITTEXT 0).
    EXPECT_GE(static_cast<unsigned long>(SendMessageA(pane, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEul);
    EXPECT_EQ(GetDlgItem(main_, ID_EDIT_SUB), (HWND)NULL);
}

TEST_F(WindowTest, MenuHoldsEveryItemInJapanese)
{
    Start();
    const struct {
        UINT id;
        const char* text;
    } items[] = {
        {IDM_OPEN, "開く(&O)\tCtrl+O"}, {IDM_SAVE, "保存(&S)\tCtrl+S"}, {IDM_EXIT, "終了(&X)\tCtrl+Q"},
        {IDM_UNDO, "元に戻す Ctrl+Z"}, {IDM_COPY, "コピー Ctrl+C"}, {IDM_PASTE, "張り付け Ctrl+V"},
        {IDM_CUT, "切り取り Ctrl+X"}, {IDM_SELECTALL, "全て選択 Ctrl+A"}, {IDM_FIND, "検索 Ctrl+F"},
        {IDM_SOUND, "サウンド(&S)\tCtrl+B"}, {IDM_SPLIT, "ウィンドウ分割(&E)"},
        {IDM_KANJI_AUTO, "自動"}, {IDM_KANJI_SJIS, "S-JIS"}, {IDM_KANJI_EUC, "EUC"}, {IDM_KANJI_JIS, "JIS"},
        {IDM_LB_AUTO, "自動"}, {IDM_LB_WINDOWS, "Windows"}, {IDM_LB_MAC, "Macintosh"}, {IDM_LB_UNIX, "UNIX"},
        {IDM_LB_REVWIN, "反Windows"}, {IDM_ABOUT, "&About"}, {IDM_BLANK, " "},
    };
    for (const auto& item : items)
        EXPECT_EQ(Hex(MenuText(item.id)), Hex(item.text)) << item.id;
    HMENU bar = GetMenu(main_);
    ASSERT_EQ(GetMenuItemCount(bar), 5);
    char title[64];
    const char* popups[] = {"ファイル(&F)", "編集(&E)", "設定(&S)", "&About", " "};
    for (int i = 0; i < 5; ++i) {
        GetMenuStringA(bar, i, title, sizeof title, MF_BYPOSITION);
        EXPECT_EQ(Hex(title), Hex(popups[i])) << i;
    }
    HMENU settings = GetSubMenu(bar, 2);
    GetMenuStringA(settings, 3, title, sizeof title, MF_BYPOSITION);
    EXPECT_EQ(Hex(title), Hex("漢字コード"));
    GetMenuStringA(settings, 4, title, sizeof title, MF_BYPOSITION);
    EXPECT_EQ(Hex(title), Hex("改行コード"));
    // Creation checks the sound and both automatic settings, nothing else.
    for (UINT id : {IDM_SOUND, IDM_KANJI_AUTO, IDM_LB_AUTO})
        EXPECT_TRUE(MenuChecked(id)) << id;
    for (UINT id : {IDM_SPLIT, IDM_KANJI_SJIS, IDM_KANJI_EUC, IDM_KANJI_JIS, IDM_LB_WINDOWS, IDM_LB_MAC,
                    IDM_LB_UNIX, IDM_LB_REVWIN})
        EXPECT_FALSE(MenuChecked(id)) << id;
}

TEST_F(WindowTest, PaneColoursAndEditMenuStates)
{
    Start();
    HDC dc = GetDC(AppState.hwndEdit);
    LRESULT brush = SendMessageA(main_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(AppState.hwndEdit));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), AppState.hbrEdit);
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 225));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 47, 94));
    LOGBRUSH lb;
    GetObjectA(AppState.hbrEdit, sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, RGB(255, 255, 225));
    ReleaseDC(AppState.hwndEdit, dc);

    // Nothing selected and no text on the clipboard: Copy, Cut, Paste grayed.
    OpenClipboard(main_);
    EmptyClipboard();
    CloseClipboard();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 1, 1);
    InvalidateRect(AppState.hwndEdit, NULL, TRUE);
    Pump();
    EXPECT_TRUE(MenuGrayed(IDM_COPY));
    EXPECT_TRUE(MenuGrayed(IDM_CUT));
    EXPECT_TRUE(MenuGrayed(IDM_PASTE));
    EXPECT_TRUE(MenuGrayed(IDM_UNDO));
    // A selection and an undoable edit enable them at the next repaint.
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 1);
    SendMessageA(AppState.hwndEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x"));
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 2);
    InvalidateRect(AppState.hwndEdit, NULL, TRUE);
    Pump();
    EXPECT_FALSE(MenuGrayed(IDM_COPY));
    EXPECT_FALSE(MenuGrayed(IDM_CUT));
    EXPECT_FALSE(MenuGrayed(IDM_UNDO));
    SendMessageA(AppState.hwndEdit, WM_COPY, 0, 0);
    InvalidateRect(AppState.hwndEdit, NULL, TRUE);
    Pump();
    EXPECT_FALSE(MenuGrayed(IDM_PASTE));
    // Other items are never grayed.
    EXPECT_FALSE(MenuGrayed(IDM_SELECTALL));
    EXPECT_FALSE(MenuGrayed(IDM_FIND));
}

TEST_F(WindowTest, LayoutWithoutSplit)
{
    Start();
    MoveWindow(main_, 0, 0, 640, 480, TRUE);
    Pump();
    RECT client;
    GetClientRect(main_, &client);
    RECT pane = ChildRect(AppState.hwndEdit);
    RECT status = ChildRect(AppState.hwndStatus);
    int s = StatusHeight();
    EXPECT_EQ(pane.left, 0);
    EXPECT_EQ(pane.top, 0);
    EXPECT_EQ(pane.right, client.right);
    EXPECT_EQ(pane.bottom, client.bottom - s);
    EXPECT_EQ(status.top, client.bottom - s);
    EXPECT_EQ(status.right, client.right);
}

TEST_F(WindowTest, LayoutAndDragWithSplit)
{
    Start();
    MoveWindow(main_, 0, 0, 640, 480, TRUE);
    Pump();
    // No split: no drag starts.
    SendMessageA(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 100));
    EXPECT_FALSE(AppState.splitDragging);
    EXPECT_EQ(GetCapture(), (HWND)NULL);

    Command(IDM_SPLIT);
    Pump();
    ASSERT_TRUE(AppState.splitOn);
    int h = ClientHeight(main_) - StatusHeight() - 4;
    RECT top = ChildRect(AppState.hwndEdit), bottom = ChildRect(AppState.hwndEditSub);
    EXPECT_EQ(top.bottom - top.top, h * 50 / 100);
    EXPECT_EQ(bottom.top, h * 50 / 100 + 4);
    EXPECT_EQ(bottom.bottom - bottom.top, h * 50 / 100);

    int p = ClientHeight(main_) - StatusHeight();
    SendMessageA(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, h / 2 + 2));
    EXPECT_TRUE(AppState.splitDragging);
    EXPECT_EQ(GetCapture(), main_);
    SendMessageA(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, p / 4));
    EXPECT_EQ(AppState.splitPercent, (p / 4) * 100 / p);
    top = ChildRect(AppState.hwndEdit);
    EXPECT_EQ(top.bottom - top.top, h * AppState.splitPercent / 100);
    SendMessageA(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 0));
    EXPECT_EQ(AppState.splitPercent, 10);
    SendMessageA(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, p + 50));
    EXPECT_EQ(AppState.splitPercent, 90);
    SendMessageA(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 65535));  // above the window
    EXPECT_EQ(AppState.splitPercent, 10);
    EXPECT_EQ(GetCursor(), AppState.hCursorSplit);
    SendMessageA(main_, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_FALSE(AppState.splitDragging);
    EXPECT_EQ(GetCapture(), (HWND)NULL);
    // Moves without the button only set the pointer.
    SendMessageA(main_, WM_MOUSEMOVE, 0, MAKELPARAM(10, p / 2));
    EXPECT_EQ(AppState.splitPercent, 10);
}

TEST_F(WindowTest, CloseOnUneditedTextCloses)
{
    Start();
    SendMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_FALSE(Running());
}

TEST_F(WindowTest, CloseOnEditedTextAsksAndCancelKeepsTheWindow)
{
    Start();
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    Answerer answers;
    answers.Press(IDCANCEL);
    SendMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    ASSERT_EQ(answers.boxes.size(), 1u);
    const SeenBox& box = answers.boxes[0];
    EXPECT_EQ(Hex(box.caption), Hex("テキストが編集されています。"));
    EXPECT_EQ(Hex(box.text), Hex("「いいえ」を選択すると、変数は破棄されます。\r\nテキストを保存しますか？"));
    EXPECT_EQ(box.buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
    EXPECT_EQ(box.owner, main_);
    EXPECT_TRUE(Running());
}

TEST_F(WindowTest, CloseOnEditedTextAnsweredNoCloses)
{
    Start();
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    Answerer answers;
    answers.Press(IDNO);
    SendMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_EQ(answers.boxes.size(), 1u);
    EXPECT_FALSE(Running());
}

TEST_F(WindowTest, CloseAnsweredYesThenDialogCancelledStaysWithoutMessage)
{
    Start();
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    Answerer answers;
    answers.Press(IDYES).CancelDialog();
    SendMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(200);
    EXPECT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(answers.dialogs.size(), 1u);
    EXPECT_EQ(answers.unexpected, 0);
    EXPECT_TRUE(Running());
}

TEST_F(WindowTest, CompactingWarningShowsThePercentAndBrackets)
{
    Start();
    Answerer answers;
    answers.Press(IDOK).Press(IDOK);
    SendMessageA(main_, WM_COMPACTING, 0x8000, 0);
    SendMessageA(main_, WM_COMPACTING, 0xFFFF, 0);
    ASSERT_EQ(answers.boxes.size(), 2u);
    EXPECT_EQ(answers.boxes[0].caption, "SYSTEM WARNING !");
    EXPECT_EQ(Hex(answers.boxes[0].text),
              Hex("システムが不安定か、メモリが不足している可能性があり、CPU時間の50[%]がメモリ整理に消費されました。"));
    EXPECT_EQ(Hex(answers.boxes[1].text),
              Hex("システムが不安定か、メモリが不足している可能性があり、CPU時間の100[%]がメモリ整理に消費されました。"));
}

TEST_F(WindowTest, TeardownRemovesHooksAndFreesEverything)
{
    Start();
    HHOOK hook = AppState.hHook;
    HBITMAP y = AppState.hbmMeter2Y, t = AppState.hbmMeter2T;
    HDC dcY = AppState.hdcMeter2Y;
    HBRUSH brush = AppState.hbrEdit;
    EXPECT_EQ(GetObjectType(y), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(GetObjectType(dcY), static_cast<DWORD>(OBJ_MEMDC));
    BITMAP bm;
    GetObjectA(y, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmHeight, 11);
    GetObjectA(t, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 11);
    EXPECT_EQ(bm.bmHeight, 4);
    Command(IDM_SPLIT);
    HHOOK hookSub = AppState.hHookSub;
    ASSERT_NE(hookSub, (HHOOK)NULL);
    Close();
    EXPECT_FALSE(UnhookWindowsHookEx(hook));
    EXPECT_FALSE(UnhookWindowsHookEx(hookSub));
    EXPECT_EQ(GetObjectType(y), 0u);
    EXPECT_EQ(GetObjectType(t), 0u);
    EXPECT_EQ(GetObjectType(dcY), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST_F(WindowTest, QuotedCommandLineOpensOnlyTheQuotedPath)
{
    Start("\"C:\\no such folder\\some file.txt\" further words");
    EXPECT_STREQ(AppState.filePath, "C:\\no such folder\\some file.txt");
    // The failed start-up load is not reported; the title names the path.
    EXPECT_EQ(WindowText(main_), "VEXA Edit ! : C:\\no such folder\\some file.txt");
    EXPECT_EQ(PaneText(AppState.hwndEdit), "");
}

TEST_F(WindowTest, UnquotedCommandLineIsOnePath)
{
    Start("C:\\no such\\a b c.txt");
    EXPECT_STREQ(AppState.filePath, "C:\\no such\\a b c.txt");
}

TEST_F(WindowTest, LoneQuoteGivesNewFile)
{
    Start("\"");
    EXPECT_STREQ(AppState.filePath, "NewFile.txt");
}

TEST_F(WindowTest, OverlongCommandLineIsNotOpenedAndOverflowsNothing)
{
    std::string line(5000, 'x');
    Start(line);
    EXPECT_STREQ(AppState.filePath, "NewFile.txt");
    EXPECT_EQ(AppState.splitPercent, 50);  // the fields after the path are intact
}

TEST_F(WindowTest, LongPathTitleIsShortenedAtACharacterBoundary)
{
    std::string path = "C:\\";
    while (path.size() < 250)
        path += "表";
    path += "\\end.txt";
    ASSERT_LT(path.size(), 260u);
    Start(path);
    std::string title = WindowText(main_);
    EXPECT_LT(title.size(), 260u);
    EXPECT_EQ(title.substr(0, 17), "VEXA Edit ! : ...");
    EXPECT_EQ(title.substr(title.size() - 8), "\\end.txt");
}

// The meter painted into a real window and read back pixel by pixel.
TEST_F(WindowTest, MeterPixels)
{
    Start();
    HWND w = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 260, 60, NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
    Pump();
    DrawProgressMeter(w, 14, 15, 196, 50, 100);
    HDC dc = GetDC(w);
    auto px = [&](int x, int y) { return GetPixel(dc, x, y) & 0xFFFFFF; };
    // The meter is built from the columns of the strip METER2Y: 0 the fill,
    // 2 the ticks, 3 the track. They differ, or the test could not tell.
    std::vector<COLORREF> column0, column2, column3;
    for (int row = 0; row < 11; ++row) {
        column0.push_back(GetPixel(AppState.hdcMeter2Y, 0, row) & 0xFFFFFF);
        column2.push_back(GetPixel(AppState.hdcMeter2Y, 2, row) & 0xFFFFFF);
        column3.push_back(GetPixel(AppState.hdcMeter2Y, 3, row) & 0xFFFFFF);
    }
    ASSERT_NE(column0[5], column3[5]);
    ASSERT_NE(column2[5], column0[5]);
    ASSERT_NE(column2[5], column3[5]);
    for (int row = 0; row < 11; ++row) {
        EXPECT_EQ(px(14, 15 + row), column3[row]) << "track at the left end, row " << row;
        EXPECT_EQ(px(20, 15 + row), column0[row]) << "fill, row " << row;
        EXPECT_EQ(px(111, 15 + row), column0[row]) << "last fill column, row " << row;
        EXPECT_EQ(px(160, 15 + row), column3[row]) << "track, row " << row;
        // A short tick over the fill at 34, a long one over the track at 209.
        EXPECT_EQ(px(34, 15 + row), (row >= 6 ? column2[row] : column0[row])) << "short tick, row " << row;
        EXPECT_EQ(px(209, 15 + row), (row >= 3 ? column2[row] : column3[row])) << "long tick, row " << row;
        EXPECT_EQ(px(112, 15 + row), (row >= 3 ? column2[row] : column3[row])) << "middle tick, row " << row;
    }
    ReleaseDC(w, dc);
    DestroyWindow(w);
}

}  // namespace

namespace {

// The keyboard goes to the pane from the start, and back to the active pane
// whenever the main window gets the focus again.
TEST_F(WindowTest, KeysTypedAfterStartUpReachThePane)
{
    Start();
    EXPECT_EQ(GetFocus(), AppState.hwndEdit);
    PostMessageA(GetFocus(), WM_CHAR, 'a', 1);
    Pump();
    EXPECT_EQ(PaneText(AppState.hwndEdit), "a");
    Command(IDM_SPLIT);
    SetFocus(AppState.hwndEditSub);
    Pump();
    SetFocus(main_);
    Pump();
    EXPECT_EQ(GetFocus(), AppState.hwndEditSub);
}

// A start-up file that exists but cannot be loaded is reported, and the
// document is not named after it; a missing one keeps its name for a save.
TEST_F(WindowTest, StartUpLoadFailureIsReportedAndTheDocumentIsNew)
{
    const std::string base = TestFolder();
    std::string folder = base;
    folder.pop_back();  // no trailing backslash: the folder's own name
    Answerer answers;
    answers.Press(IDOK);
    Start("\"" + folder + "\"");
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("ファイルの読み込み"));
    EXPECT_STREQ(AppState.filePath, "NewFile.txt");
    EXPECT_EQ(WindowText(main_), "VEXA Edit ! : NewFile.txt");
    Close();

    Answerer none;
    Start("\"" + base + "not there yet.txt\"");
    EXPECT_TRUE(none.boxes.empty());
    EXPECT_EQ(WindowText(main_), "VEXA Edit ! : " + base + "not there yet.txt");
}

// Ending the Windows session asks the save question like closing does.
TEST_F(WindowTest, EndingTheSessionAsksAboutEditedText)
{
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("edited"));
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    {
        Answerer answers;
        answers.Press(IDCANCEL);
        EXPECT_EQ(SendMessageA(main_, WM_QUERYENDSESSION, 0, 0), FALSE);
        ASSERT_EQ(answers.boxes.size(), 1u);
        EXPECT_EQ(Hex(answers.boxes[0].caption), Hex("テキストが編集されています。"));
    }
    {
        Answerer answers;
        answers.Press(IDYES).CancelDialog();
        EXPECT_EQ(SendMessageA(main_, WM_QUERYENDSESSION, 0, 0), FALSE);
    }
    {
        Answerer answers;
        answers.Press(IDNO);
        EXPECT_EQ(SendMessageA(main_, WM_QUERYENDSESSION, 0, 0), TRUE);
    }
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, FALSE, 0);
    Answerer none;
    EXPECT_EQ(SendMessageA(main_, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(none.boxes.empty());
}

}  // namespace
