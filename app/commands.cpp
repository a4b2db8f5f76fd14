// Menu commands, accelerators and the panes' notifications.
#include <windows.h>

#include "app/about.h"
#include "app/appstate.h"
#include "app/shell.h"
#include "codec/codes.h"
#include "find/finder.h"
#include "res/resource.h"

namespace {

template <typename Code>
struct SettingItem {
    int id;
    Code value;
};

const SettingItem<KanjiCode> kKanjiItems[] = {
    {IDM_KANJI_AUTO, KanjiCode::Auto},
    {IDM_KANJI_SJIS, KanjiCode::ShiftJIS},
    {IDM_KANJI_EUC, KanjiCode::EUC},
    {IDM_KANJI_JIS, KanjiCode::JIS},
    {IDM_KANJI_UTF8, KanjiCode::UTF8},
    {IDM_KANJI_UTF16, KanjiCode::UTF16},
};

// 開き直す: the file last read, in the code named.
const SettingItem<KanjiCode> kReopenItems[] = {
    {IDM_REOPEN_AUTO, KanjiCode::Auto},   {IDM_REOPEN_SJIS, KanjiCode::ShiftJIS},
    {IDM_REOPEN_EUC, KanjiCode::EUC},     {IDM_REOPEN_JIS, KanjiCode::JIS},
    {IDM_REOPEN_UTF8, KanjiCode::UTF8},   {IDM_REOPEN_UTF16, KanjiCode::UTF16},
    {IDM_REOPEN_UTF16BE, KanjiCode::UTF16BE},
};

// A lone LF is the UNIX line break and a lone CR the classic Macintosh one.
const SettingItem<LineBreakCode> kLineBreakItems[] = {
    {IDM_LB_AUTO, LineBreakCode::Auto},
    {IDM_LB_WINDOWS, LineBreakCode::CrLf},
    {IDM_LB_MAC, LineBreakCode::Cr},
    {IDM_LB_UNIX, LineBreakCode::Lf},
    {IDM_LB_REVWIN, LineBreakCode::LfCr},
};

// Checks the chosen item of a group and stores its value.
template <typename Code, size_t N>
bool ChooseSetting(HWND window, const SettingItem<Code> (&items)[N], int id, Code* field)
{
    const SettingItem<Code>* chosen = nullptr;
    for (const auto& item : items)
        if (item.id == id)
            chosen = &item;
    if (!chosen)
        return false;
    *field = chosen->value;
    HMENU menu = GetMenu(window);
    for (const auto& item : items)
        CheckMenuItem(menu, item.id, MF_BYCOMMAND | (item.id == id ? MF_CHECKED : MF_UNCHECKED));
    DrawMenuBar(window);
    return true;
}

void OnOpen(HWND window)
{
    if (ConfirmDiscard(window) == CONFIRM_PROCEED)
        OpenFileByDialog(window);
}

// Reads the file last read again, in the code of the item `id` (Auto:
// detected again), after the save question; false for another item.
bool OnReopen(HWND window, int id)
{
    for (const auto& item : kReopenItems) {
        if (item.id != id)
            continue;
        char path[MAX_PATH];
        lstrcpynA(path, AppState.loadedPath, sizeof path);
        if (path[0] && ConfirmDiscard(window) == CONFIRM_PROCEED)
            OpenDocument(window, path, true, item.value);
        return true;
    }
    return false;
}

void OnExit(HWND window)
{
    if (ConfirmDiscard(window) == CONFIRM_PROCEED)
        DestroyWindow(window);
}

void OnSound(HWND window)
{
    HMENU menu = GetMenu(window);
    if (AppState.soundOn) {
        CheckMenuItem(menu, IDM_SOUND, MF_BYCOMMAND | MF_UNCHECKED);
        AppState.soundOn = false;
    } else {
        CheckMenuItem(menu, IDM_SOUND, MF_BYCOMMAND | MF_CHECKED);
        AppState.soundOn = true;
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
    if (code == EN_CHANGE)
        NoteChangeOrReport(window, id);
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
    case IDM_SAVE: SaveFileByDialog(window); break;
    case IDM_EXIT: OnExit(window); break;
    case IDM_COPY: SendMessageA(AppState.hwndActiveEdit, WM_COPY, 0, 0); break;
    case IDM_PASTE:
        NoteNoTyping();
        SendMessageA(AppState.hwndActiveEdit, WM_PASTE, 0, 0);
        break;
    case IDM_CUT:
        NoteNoTyping();
        SendMessageA(AppState.hwndActiveEdit, WM_CUT, 0, 0);
        break;
    case IDM_UNDO: StepHistory(false); break;
    case IDM_REDO: StepHistory(true); break;
    case IDM_SELECTALL: SendMessageA(AppState.hwndEdit, EM_SETSEL, 0, -1); break;
    case IDM_FIND: OnFind(window); break;
    case IDM_SOUND: OnSound(window); break;
    case IDM_SPLIT: ToggleSplit(); break;
    case IDM_BLANK: break;
    case IDM_ABOUT: OnAbout(window); break;
    case ID_EDIT_MAIN:
    case ID_EDIT_SUB: OnPaneNotification(window, id, code, control); break;
    default:
        if (OnReopen(window, id))
            break;
        if (ChooseSetting(window, kKanjiItems, id, &AppState.kanjiSetting) ||
            ChooseSetting(window, kLineBreakItems, id, &AppState.lineBreakSetting))
            ShowSaveCodes();
        break;
    }
}
