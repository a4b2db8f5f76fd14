// Menu commands, accelerators and the panes' notifications.
#include <windows.h>

#include "app/appstate.h"
#include "app/shell.h"
#include "codec/codes.h"
#include "files/about.h"
#include "files/files.h"
#include "find/finder.h"
#include "res/resource.h"

namespace {

struct SettingItem {
    int id;
    int value;
};

const SettingItem kKanjiItems[] = {
    {IDM_KANJI_AUTO, static_cast<int>(KanjiCode::Auto)},
    {IDM_KANJI_SJIS, static_cast<int>(KanjiCode::ShiftJIS)},
    {IDM_KANJI_EUC, static_cast<int>(KanjiCode::EUC)},
    {IDM_KANJI_JIS, static_cast<int>(KanjiCode::JIS)},
};

// A lone LF is the UNIX line break and a lone CR the classic Macintosh one.
const SettingItem kLineBreakItems[] = {
    {IDM_LB_AUTO, static_cast<int>(LineBreakCode::Auto)},
    {IDM_LB_WINDOWS, static_cast<int>(LineBreakCode::CrLf)},
    {IDM_LB_MAC, static_cast<int>(LineBreakCode::Cr)},
    {IDM_LB_UNIX, static_cast<int>(LineBreakCode::Lf)},
    {IDM_LB_REVWIN, static_cast<int>(LineBreakCode::LfCr)},
};

// Checks the chosen item of a group and stores its value.
template <size_t N>
bool ChooseSetting(HWND window, const SettingItem (&items)[N], int id, int* field)
{
    const SettingItem* chosen = nullptr;
    for (const SettingItem& item : items)
        if (item.id == id)
            chosen = &item;
    if (!chosen)
        return false;
    *field = chosen->value;
    HMENU menu = GetMenu(window);
    for (const SettingItem& item : items)
        CheckMenuItem(menu, item.id, MF_BYCOMMAND | (item.id == id ? MF_CHECKED : MF_UNCHECKED));
    DrawMenuBar(window);
    return true;
}

// After an open or save through its dialog: the title and the modify flag
// on success, a box for a failure, nothing for a cancelled dialog.
void FinishFileCommand(HWND window, ErrorCode result, const char* caption)
{
    if (result == EC_SUCCESS) {
        SendMessageA(AppState.hwndEdit, EM_SETMODIFY, FALSE, 0);
        SetMainTitle();
    } else if (result != EC_CANCELLED) {
        ShowErrorBox(window, result, caption);
    }
}

void OnOpen(HWND window)
{
    if (ConfirmDiscard(window) == CONFIRM_PROCEED)
        FinishFileCommand(window, OpenFileByDialog(), "ファイルの読み込み");
}

void OnExit(HWND window)
{
    if (ConfirmDiscard(window) == CONFIRM_PROCEED)
        DestroyWindow(window);
}

void OnSound(HWND window)
{
    HMENU menu = GetMenu(window);
    if (AppState.soundOn == 1) {
        CheckMenuItem(menu, IDM_SOUND, MF_BYCOMMAND | MF_UNCHECKED);
        AppState.soundOn = 0;
    } else {
        CheckMenuItem(menu, IDM_SOUND, MF_BYCOMMAND | MF_CHECKED);
        AppState.soundOn = 1;
    }
    DrawMenuBar(window);
}

void OnFind(HWND window)
{
    AppState.hwndFinder = CreateDialogParamA(AppState.hInstance, "FINDER", window, FinderDlgProc, 0);
}

void OnAbout(HWND window)
{
    if (!AppState.hwndAbout)
        AppState.hwndAbout = CreateDialogParamA(AppState.hInstance, "ABOUT", window, AboutDlgProc, 0);
    InvalidateRect(AppState.hwndAbout, NULL, FALSE);
}

void OnPaneNotification(HWND window, int id, int code, HWND pane)
{
    if (code == EN_ERRSPACE)
        ShowErrorBox(window, EC_TEXT_FULL, "システム中の問題");
    if (code == EN_CHANGE && AppState.splitOn == 1) {
        ErrorCode result = SyncPanes(id);
        if (result != EC_SUCCESS)
            ShowErrorBox(window, result, "同期上の問題");
    }
    if (code == EN_MAXTEXT)
        ShowErrorBox(window, EC_TEXT_FULL, "上限容量の問題");
    if (code == EN_SETFOCUS)
        AppState.hwndActiveEdit = pane;
}

}  // namespace

void OnCommand(HWND window, int id, int code, HWND control)
{
    switch (id) {
    case IDM_OPEN: OnOpen(window); break;
    case IDM_SAVE: FinishFileCommand(window, SaveFileByDialog(), "ファイルの保存"); break;
    case IDM_EXIT: OnExit(window); break;
    case IDM_COPY: SendMessageA(AppState.hwndActiveEdit, WM_COPY, 0, 0); break;
    case IDM_PASTE: SendMessageA(AppState.hwndActiveEdit, WM_PASTE, 0, 0); break;
    case IDM_CUT: SendMessageA(AppState.hwndActiveEdit, WM_CUT, 0, 0); break;
    case IDM_UNDO: SendMessageA(AppState.hwndActiveEdit, EM_UNDO, 0, 0); break;
    case IDM_SELECTALL: SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, -1); break;
    case IDM_FIND: OnFind(window); break;
    case IDM_SOUND: OnSound(window); break;
    case IDM_SPLIT: ToggleSplit(); break;
    case IDM_BLANK: break;
    case IDM_ABOUT: OnAbout(window); break;
    case ID_EDIT_MAIN:
    case ID_EDIT_SUB: OnPaneNotification(window, id, code, control); break;
    default:
        if (!ChooseSetting(window, kKanjiItems, id, &AppState.kanjiSetting))
            ChooseSetting(window, kLineBreakItems, id, &AppState.lineBreakSetting);
        break;
    }
}
