// The status line and key sounds through the real loop, the split view and
// the About box.
#include <windows.h>
#include <commctrl.h>

#include "app/appstate.h"
#include "app/shell.h"
#include "app/sound.h"
#include "app/about.h"
#include "files/files.h"
#include "harness.h"
#include "res/resource.h"

namespace {

std::vector<std::string> played;

BOOL WINAPI RecordSound(LPCSTR sound, HMODULE, DWORD flags)
{
    EXPECT_EQ(flags, static_cast<DWORD>(SND_FILENAME | SND_ASYNC));
    played.push_back(sound);
    return TRUE;
}

class HookTest : public EditorTest {
protected:
    void SetUp() override
    {
        played.clear();
        saved_ = PlayKeySound;
        PlayKeySound = RecordSound;
    }
    void TearDown() override
    {
        EditorTest::TearDown();
        PlayKeySound = saved_;
    }
    static std::string Status()
    {
        char text[256] = "";
        SendMessageA(AppState.hwndStatus, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
    SoundPlayer saved_;
};

std::string Lines(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "line " + std::to_string(i) + "\r\n";
    return s;
}

TEST_F(HookTest, KeyShowsTheFiguresFromBeforeTheKey)
{
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab\r\ncd"));
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 4, 6);
    Key(AppState.hwndEdit, 'X');
    EXPECT_EQ(Hex(Status()), Hex("KeyCode = 00000058 : 編集無し : Size = 6Bytes : Line = 2/2 : 選択量 2Bytes"));
    // The key took effect after the hook looked: the next key shows it.
    Key(AppState.hwndEdit, VK_LEFT);
    EXPECT_EQ(Hex(Status()), Hex("KeyCode = 00000025 : 編集あり : Size = 5Bytes : Line = 2/2 : 選択量 0Bytes"));
}

TEST_F(HookTest, SelectionIsShownInBytes)
{
    // The pane counts characters; two of あいう are four bytes.
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a\x82\xA0\x82\xA2\x82\xA4"));
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 1, 3);
    Key(AppState.hwndEdit, VK_SHIFT);
    EXPECT_EQ(Hex(Status()), Hex("KeyCode = 00000010 : 編集無し : Size = 7Bytes : Line = 1/1 : 選択量 4Bytes"));
}

TEST_F(HookTest, MouseMoveWithTheButtonShowsItsFlags)
{
    Start();
    PostMessageA(AppState.hwndEdit, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
    Pump();
    EXPECT_EQ(Status().substr(0, 18), "KeyCode = 00000001");
}

TEST_F(HookTest, MessagesForOtherWindowsLeaveTheStatus)
{
    Start();
    std::string before = Status();
    PostMessageA(AppState.hwndStatus, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PostMessageA(main_, WM_KEYDOWN, 'A', 1);
    Pump();
    EXPECT_EQ(Hex(Status()), Hex(before));
    EXPECT_EQ(Hex(before), Hex("VEXA Edit ! 起動しました"));
    EXPECT_TRUE(played.empty());
}

TEST_F(HookTest, SoundsByKeyAndRepeat)
{
    Start();
    HWND pane = AppState.hwndEdit;
    Key(pane, 'A');
    Key(pane, 'A', true);   // letters click on every repeat
    Key(pane, VK_RETURN, true);
    Key(pane, VK_SHIFT);
    Key(pane, VK_SHIFT, true);  // Shift clicks once
    Key(pane, VK_HOME, true);
    Key(pane, VK_HOME);
    EXPECT_EQ(played, (std::vector<std::string>{"Sound1.WAV", "Sound1.WAV", "Sound2.WAV", "Sound3.WAV", "Sound1.WAV"}));
    // With the sound off keys are silent and the status still follows.
    Command(IDM_SOUND);
    played.clear();
    Key(pane, 'B');
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(Status().substr(0, 18), "KeyCode = 00000042");
}

TEST_F(HookTest, EditedFlagFollowsTheMainPaneOverTheSecondPane)
{
    Start();
    Command(IDM_SPLIT);
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    PostMessageA(AppState.hwndEditSub, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    Pump();
    EXPECT_NE(Status().find("\x95\xD2\x8F\x57\x82\xA0\x82\xE8"), std::string::npos);  // 編集あり
    Key(AppState.hwndEditSub, 'Q');
    EXPECT_EQ(played.back(), "Sound1.WAV");
}

using SplitTest = HookTest;

TEST_F(SplitTest, SplittingAnEmptyDocumentGivesTwoEmptyPanes)
{
    Start();
    Answerer answers;
    Command(IDM_SPLIT);
    Pump();
    EXPECT_TRUE(answers.boxes.empty());
    EXPECT_TRUE(MenuChecked(IDM_SPLIT));
    EXPECT_EQ(GetDlgItem(main_, ID_EDIT_SUB), AppState.hwndEditSub);
    EXPECT_EQ(PaneText(AppState.hwndEditSub), "");
    EXPECT_NE(AppState.hHookSub, (HHOOK)NULL);
    EXPECT_EQ(AppState.hwndActiveEdit, AppState.hwndEdit);
}

TEST_F(SplitTest, TypingInEitherPaneShowsInBoth)
{
    Start();
    Command(IDM_SPLIT);
    HWND sub = AppState.hwndEditSub;
    for (char c : std::string("abc"))
        TypeChar(AppState.hwndEdit, static_cast<unsigned char>(c));
    EXPECT_EQ(PaneText(sub), "abc");
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, FALSE, 0);
    SetFocus(sub);
    SendMessageA(sub, EM_SETSEL, 3, 3);
    for (char c : std::string("xy"))
        TypeChar(sub, static_cast<unsigned char>(c));
    EXPECT_EQ(PaneText(AppState.hwndEdit), "abcxy");
    // Typing in the second pane edits the document.
    EXPECT_EQ(SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0), 1);
}

TEST_F(SplitTest, TypingInTheMainPaneKeepsTheSecondPanesView)
{
    Start();
    MoveWindow(main_, 0, 0, 600, 500, TRUE);
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Lines(200).c_str()));
    Command(IDM_SPLIT);
    HWND sub = AppState.hwndEditSub;
    SendMessageA(sub, EM_LINESCROLL, 0, 40);
    ASSERT_EQ(SendMessageA(sub, EM_GETFIRSTVISIBLELINE, 0, 0), 40);
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 0);
    TypeChar(AppState.hwndEdit, 'Z');
    EXPECT_EQ(PaneText(sub).substr(0, 5), "Zline");
    EXPECT_EQ(SendMessageA(sub, EM_GETFIRSTVISIBLELINE, 0, 0), 40);
}

TEST_F(SplitTest, LoadWhileSplitShowsTheTextInBoth)
{
    Start();
    Command(IDM_SPLIT);
    ASSERT_EQ(OpenDocument(main_, DataFile("euc-lf.txt").c_str(), true), EC_SUCCESS);
    EXPECT_TRUE(PaneText(AppState.hwndEditSub) == ReadFileBytes(DataFile("reference.txt")));
}

TEST_F(SplitTest, OffAndOnAgainOpensAtTheLastShare)
{
    Start();
    MoveWindow(main_, 0, 0, 600, 500, TRUE);
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("text"));
    Command(IDM_SPLIT);
    SendMessageA(main_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 200));
    SendMessageA(main_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 100));
    SendMessageA(main_, WM_LBUTTONUP, 0, MAKELPARAM(5, 100));
    int share = AppState.splitPercent;
    EXPECT_LT(share, 50);
    Command(IDM_SPLIT);
    EXPECT_FALSE(MenuChecked(IDM_SPLIT));
    EXPECT_FALSE(IsWindow(AppState.hwndEditSub));
    EXPECT_EQ(AppState.hHookSub, (HHOOK)NULL);
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"));
    Command(IDM_SPLIT);
    EXPECT_EQ(AppState.splitPercent, share);
    EXPECT_EQ(PaneText(AppState.hwndEditSub), "changed");
    RECT top;
    GetClientRect(AppState.hwndEdit, &top);
    RECT client, status;
    GetClientRect(main_, &client);
    GetClientRect(AppState.hwndStatus, &status);
    RECT window;
    GetWindowRect(AppState.hwndEdit, &window);
    EXPECT_EQ(window.bottom - window.top, (client.bottom - status.bottom - 4) * share / 100);
}

TEST_F(SplitTest, EditMenuFollowsTheActivePaneWhicheverPanePaints)
{
    Start();
    SendMessageA(AppState.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
    Command(IDM_SPLIT);
    HWND sub = AppState.hwndEditSub;
    SetFocus(sub);
    Pump();
    SendMessageA(sub, EM_SETSEL, 0, 3);
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 0);
    InvalidateRect(AppState.hwndEdit, NULL, TRUE);  // the other pane paints
    Pump();
    EXPECT_FALSE(MenuGrayed(IDM_COPY));
    SendMessageA(sub, EM_SETSEL, 1, 1);
    SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, 4);
    InvalidateRect(AppState.hwndEdit, NULL, TRUE);
    Pump();
    EXPECT_TRUE(MenuGrayed(IDM_COPY));
}

using AboutTest = EditorTest;

int DarkPixels(HWND box, const RECT& area)
{
    const int left = area.left, top = area.top, right = area.right, bottom = area.bottom;
    HDC dc = GetDC(box);
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            if (GetRValue(c) < 60 && GetGValue(c) < 60 && GetBValue(c) < 60)
                ++n;
        }
    ReleaseDC(box, dc);
    return n;
}

TEST_F(AboutTest, DrawsBothLinesOverThePictureAndGivesTheFocusBack)
{
    Start();
    Command(IDM_SPLIT);
    SetFocus(AppState.hwndEditSub);
    Pump();
    Command(IDM_ABOUT);
    HWND box = AppState.hwndAbout;
    ASSERT_TRUE(IsWindow(box));
    EXPECT_NE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(GetWindowLongA(box, GWL_STYLE) & WS_SYSMENU, 0);
    // The picture takes its own size (and its sunken edge).
    HWND picture = GetDlgItem(box, IDC_ABOUT_PICTURE);
    RECT r;
    GetWindowRect(picture, &r);
    EXPECT_GE(r.right - r.left, 340);
    EXPECT_GE(r.bottom - r.top, 249);
    Pump(100);
    // Black letters on the light lower panel of the picture.
    EXPECT_GT(DarkPixels(box, kAboutCreditRect), 20);
    EXPECT_GT(DarkPixels(box, kAboutVersionRect), 20);
    // A second command repaints the same box; the lines are there again.
    Command(IDM_ABOUT);
    Pump(100);
    EXPECT_EQ(AppState.hwndAbout, box);
    EXPECT_GT(DarkPixels(box, kAboutVersionRect), 20);
    // Other commands only redraw; OK closes and hands the focus back.
    SendMessageA(box, WM_COMMAND, 5, 0);
    EXPECT_TRUE(IsWindow(box));
    // The picture has the id 1 too: the button is found by its class.
    HWND ok = FindWindowExA(box, NULL, "Button", NULL);
    ASSERT_NE(ok, (HWND)NULL);
    SendMessageA(ok, BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(AppState.hwndAbout, (HWND)NULL);
    EXPECT_EQ(GetFocus(), AppState.hwndEditSub);
    Command(IDM_ABOUT);
    EXPECT_TRUE(IsWindow(AppState.hwndAbout));
    EXPECT_NE(AppState.hwndAbout, box);
}

TEST_F(AboutTest, PaintRequestsDoNotRepeat)
{
    Start();
    Command(IDM_ABOUT);
    Pump(100);
    HWND box = AppState.hwndAbout;
    InvalidateRect(box, NULL, FALSE);
    Pump(50);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(box, &update, FALSE));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, box, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

}  // namespace
