// The main window: creation, layout, the split bar, pane colours and the
// Edit menu's states, the save question, dropped files, closing, the memory
// warning and teardown.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "app/appstate.h"
#include "app/layout.h"
#include "app/shell.h"
#include "app/status.h"
#include "codec/pipeline.h"
#include "files/meter.h"
#include "res/resource.h"

namespace {

const DWORD kPaneStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                         ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN;
const DWORD kStatusStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | SBARS_SIZEGRIP | CCS_BOTTOM;

const COLORREF kPaneBackground = RGB(255, 255, 225);
// The status line's second part, the save's codes ("UTF-8 BOM  LF CR").
const int kSaveCodesWidth = 150;
const COLORREF kPaneText = RGB(0, 47, 94);

bool FileIsMissing(const char* path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void OnCreate(HWND window)
{
    InitCommonControls();
    AppState.hbrEdit = CreateSolidBrush(kPaneBackground);
    LoadMeterBitmaps(window);
    AppState.hwndStatus = CreateStatusWindowA(kStatusStyle, "VEXA Edit ! 起動しました", window, ID_STATUSBAR);
    AppState.hwndEdit = CreatePane(window, ID_EDIT_MAIN);
    AppState.hwndActiveEdit = AppState.hwndEdit;
    AppState.hHook = InstallEditHook(AppState.hwndEdit);
    if (!AppState.hHook)
        MessageBoxA(window, "Hooking error", "エディットコントロールのフックに失敗しました。", MB_ICONERROR);
    CheckMenuItem(GetMenu(window), IDM_SOUND, MF_BYCOMMAND | MF_CHECKED);
    DragAcceptFiles(window, TRUE);
    SendMessageA(AppState.hwndEdit, EM_LIMITTEXT, 0, 0);
    UpdateWindow(AppState.hwndEdit);
    SetForegroundWindow(AppState.hwndEdit);
    ShowCaret(AppState.hwndEdit);
    SetCaretPos(0, 0);
    // A start-up file that does not exist keeps its name, so that a save
    // creates it. One that exists but does not load is reported like a
    // failed Open, and the document is new: a save must not offer to
    // overwrite a file whose text was never shown.
    if (AppState.filePath[0]) {
        const bool missing = FileIsMissing(AppState.filePath);
        if (OpenDocument(window, AppState.filePath, !missing) != EC_SUCCESS && !missing)
            lstrcpyA(AppState.filePath, kNewDocumentName);
    } else {
        lstrcpyA(AppState.filePath, kNewDocumentName);
    }
    ShowDocumentTitle(window);
    ResetHistory();
    RefreshReopenItems(window);
    CheckMenuItem(GetMenu(window), IDM_KANJI_AUTO, MF_BYCOMMAND | MF_CHECKED);
    CheckMenuItem(GetMenu(window), IDM_LB_AUTO, MF_BYCOMMAND | MF_CHECKED);
}

int StatusBarHeight()
{
    RECT r;
    GetClientRect(AppState.hwndStatus, &r);
    return r.bottom - r.top;
}

int ClientHeight(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return r.bottom - r.top;
}

void MovePane(HWND pane, const PaneRect& r) { MoveWindow(pane, r.x, r.y, r.width, r.height, TRUE); }

void OnButtonDown(HWND window)
{
    if (!AppState.splitDragging && AppState.splitOn) {
        AppState.splitDragging = true;
        SetCapture(window);
    }
}

void OnMouseMove(HWND window, LPARAM lParam)
{
    if (AppState.splitDragging && AppState.splitOn) {
        int share;
        if (ComputeDragShare(HIWORD(lParam), ClientHeight(window), StatusBarHeight(), &share)) {
            AppState.splitPercent = share;
            Relayout(window);
        }
    }
    SetCursor(AppState.hCursorSplit);
}

void OnButtonUp()
{
    if (AppState.splitDragging) {
        AppState.splitDragging = false;
        ReleaseCapture();
    }
}

void EnableCommand(HMENU menu, UINT id, bool enabled)
{
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
}

// The Edit menu follows the active pane and the clipboard.
void RefreshEditMenu(HWND window)
{
    HMENU menu = GetMenu(window);
    HWND active = AppState.hwndActiveEdit;
    EnableCommand(menu, IDM_UNDO, CanUndoEdit());
    EnableCommand(menu, IDM_REDO, CanRedoEdit());
    DWORD start = 0, end = 0;
    SendMessageA(active, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    bool selected = static_cast<int>(end - start) >= 1;
    EnableCommand(menu, IDM_COPY, selected);
    EnableCommand(menu, IDM_CUT, selected);
    EnableCommand(menu, IDM_PASTE, IsClipboardFormatAvailable(CF_TEXT) == TRUE);
}

// A pane paints: the Edit menu is refreshed, then the colours.
HBRUSH OnCtlColorEdit(HWND window, HDC dc)
{
    RefreshEditMenu(window);
    DrawMenuBar(window);
    SetBkColor(dc, kPaneBackground);
    SetTextColor(dc, kPaneText);
    return AppState.hbrEdit;
}

// Returns false when the message is to go on to DefWindowProcA.
bool OnDropFiles(HWND window, HDROP drop)
{
    char path[MAX_PATH];
    UINT needed = DragQueryFileA(drop, 0, NULL, 0);
    UINT length = needed < sizeof path ? DragQueryFileA(drop, 0, path, sizeof path) : 0;
    DragFinish(drop);
    if (needed >= sizeof path) {
        // Cut to 259 bytes the name would be that of another file.
        ShowErrorBox(window, EC_OPEN_FAILED, "ファイルの読み込み");
        return true;
    }
    if (length == 0)
        return true;
    switch (ConfirmDiscard(window)) {
    case CONFIRM_CANCEL:
        return false;
    case CONFIRM_SAVE_CANCELLED:
        MessageBoxA(window, "ファイルの保存と読み込みを中断しました。", "ドラッグ＆ドロップ", MB_ICONINFORMATION);
        return true;
    case CONFIRM_SAVE_FAILED:
        return true;
    case CONFIRM_PROCEED:
        break;
    }
    OpenDocument(window, path, true);
    return true;
}

void OnCompacting(HWND window, WPARAM share)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "システムが不安定か、メモリが不足している可能性があり、CPU時間の%u[%%]がメモリ整理に消費されました。",
                  static_cast<unsigned>(share / 655));
    MessageBoxA(window, text, "SYSTEM WARNING !", MB_ICONERROR);
}

void OnDestroy()
{
    DestroyWindow(AppState.hwndEdit);
    UnhookWindowsHookEx(AppState.hHook);
    AppState.hHook = NULL;
    if (AppState.splitOn) {
        UnhookWindowsHookEx(AppState.hHookSub);
        AppState.hHookSub = NULL;
    }
    DeleteObject(AppState.hbrEdit);
    FreeMeterBitmaps();
    PostQuitMessage(0);
}

}  // namespace

HWND CreatePane(HWND parent, int id)
{
    return CreateWindowExA(0, "EDIT", "", kPaneStyle, 0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           AppState.hInstance, NULL);
}

// Wine's control takes a whole text more than twice as long while a long
// selection stands in it (1 MB: 1.9 s against 0.8, as after Ctrl+A or a
// step of the history, which selects what it restored): the selection is
// collapsed first, which costs next to nothing. Position 0 is the same
// whether the pane counts bytes (Windows) or characters (Wine).
bool SetPaneText(HWND pane, const char* text)
{
    SendMessageA(pane, EM_SETSEL, 0, 0);
    return SendMessageA(pane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

bool SetPaneText(HWND pane, const WCHAR* text)
{
    SendMessageA(pane, EM_SETSEL, 0, 0);
    return SendMessageW(pane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

bool PanesCountCharacters()
{
    static int answer = -1;
    if (answer < 0) {
        // One two-byte character (あ), selected whole: its end is 1 in
        // characters and 2 in bytes.
        HWND probe = CreateWindowExA(0, "EDIT", "\x82\xA0", WS_POPUP | ES_MULTILINE, 0, 0, 0, 0, NULL, NULL,
                                     AppState.hInstance, NULL);
        DWORD start = 0, end = 0;
        SendMessageA(probe, EM_SETSEL, 0, -1);
        SendMessageA(probe, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        DestroyWindow(probe);
        answer = end == 1 ? 1 : 0;
    }
    return answer == 1;
}

bool AnsiPathJoinsTwoByteChars()
{
    static int answer = -1;
    if (answer < 0) {
        HWND probe = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE, 0, 0, 0, 0, NULL, NULL,
                                     AppState.hInstance, NULL);
        SendMessageA(probe, WM_CHAR, 0x8A, 1);  // 漢, byte by byte
        SendMessageA(probe, WM_CHAR, 0xBF, 1);
        char text[8] = "";
        GetWindowTextA(probe, text, sizeof text);
        DestroyWindow(probe);
        answer = std::strcmp(text, "\x8A\xBF") == 0 ? 1 : 0;
    }
    return answer == 1;
}

void Relayout(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right - r.left, r.bottom - r.top));
}

void ReturnFocusToActivePane()
{
    SetForegroundWindow(AppState.hwndActiveEdit);
    SetFocus(AppState.hwndActiveEdit);
    ShowCaret(AppState.hwndActiveEdit);
}

void ShowSaveCodes()
{
    const KanjiCode kanji = EffectiveKanjiCode(AppState.kanjiSetting, AppState.detectedKanji);
    char text[40];
    FormatSaveCodes(text, sizeof text, kanji, EffectiveLineBreakCode(AppState.lineBreakSetting, AppState.detectedLineBreak),
                    WritesByteOrderMark(kanji, AppState.detectedByteOrderMark));
    SendMessageA(AppState.hwndStatus, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text));
}

void RefreshReopenItems(HWND window)
{
    const bool there = AppState.loadedPath[0] && GetFileAttributesA(AppState.loadedPath) != INVALID_FILE_ATTRIBUTES;
    HMENU menu = GetMenu(window);
    for (UINT id = IDM_REOPEN_AUTO; id <= IDM_REOPEN_UTF16BE; ++id)
        EnableCommand(menu, id, there);
}

void ShowErrorBox(HWND owner, ErrorCode code, const char* caption)
{
    MessageBoxA(owner, ErrorMessageText(code), caption, MB_ICONERROR);
}

ConfirmResult ConfirmDiscard(HWND owner)
{
    if (SendMessageA(AppState.hwndEdit, EM_GETMODIFY, 0, 0) != 1)
        return CONFIRM_PROCEED;
    int answer = MessageBoxA(owner, "「いいえ」を選択すると、変数は破棄されます。\r\nテキストを保存しますか？",
                             "テキストが編集されています。", MB_YESNOCANCEL);
    if (answer == IDNO)
        return CONFIRM_PROCEED;
    if (answer != IDYES)
        return CONFIRM_CANCEL;
    ErrorCode result = SaveFileByDialog(owner, KEEP_PATH_ONLY);
    if (result == EC_SUCCESS)
        return CONFIRM_PROCEED;
    return result == EC_CANCELLED ? CONFIRM_SAVE_CANCELLED : CONFIRM_SAVE_FAILED;
}

void LayoutPanes(HWND window, int width, int height)
{
    PaneLayout l = ComputePaneLayout(width, height, ClientHeight(window), StatusBarHeight(),
                                     AppState.splitOn, AppState.splitPercent);
    MovePane(AppState.hwndStatus, l.status);
    // The key, edited flag and sizes on the left; the save's codes at the right end.
    int parts[2] = {width > kSaveCodesWidth ? width - kSaveCodesWidth : 0, -1};
    SendMessageA(AppState.hwndStatus, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    ShowSaveCodes();
    MovePane(AppState.hwndEdit, l.main);
    if (AppState.splitOn)
        MovePane(AppState.hwndEditSub, l.sub);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_SIZE:
        LayoutPanes(window, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(window);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(window, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp();
        return 0;
    case WM_CTLCOLOREDIT:
        return reinterpret_cast<LRESULT>(OnCtlColorEdit(window, reinterpret_cast<HDC>(wParam)));
    case WM_DROPFILES:
        if (OnDropFiles(window, reinterpret_cast<HDROP>(wParam)))
            return 0;
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_CLOSE && ConfirmDiscard(window) != CONFIRM_PROCEED)
            return 0;
        break;
    case WM_QUERYENDSESSION:
        // The end of the Windows session closes the window too: the same
        // question, and a cancel or a failed save keeps the session.
        return ConfirmDiscard(window) == CONFIRM_PROCEED;
    case WM_SETFOCUS:
        // The keyboard belongs to the pane last used, at start-up and
        // whenever the window is activated again.
        SetFocus(AppState.hwndActiveEdit);
        return 0;
    case WM_COMPACTING:
        OnCompacting(window, wParam);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_INITMENU:
        // Sent when a menu opens, and by the accelerator translation before
        // it looks at an item's state (on Windows and under Wine alike): the
        // clipboard may have been filled, the file last read removed, since
        // the panes last painted.
        RefreshEditMenu(window);
        RefreshReopenItems(window);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
