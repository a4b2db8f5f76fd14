// The finder: a modeless dialog whose buttons run the search and replace
// operations on the panes.
#include <windows.h>

#include <vector>

#include "app/appstate.h"
#include "app/shell.h"
#include "files/meter.h"
#include "find/finder.h"
#include "res/resource.h"

namespace {

const int kActionButtons[] = {IDC_FIND_NEXT, IDC_FIND_PREV, IDC_REPLACE_ALL, IDC_REPLACE_NEXT, IDC_REPLACE_REPEAT};
const int kReplaceButtons[] = {IDC_REPLACE_ALL, IDC_REPLACE_NEXT, IDC_REPLACE_REPEAT};

// The open finders, oldest first, so that closing the newest can hand its
// place in AppState.hwndFinder to one that still exists.
std::vector<HWND> openFinders;

void EnableButton(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

void Refresh(HWND dialog)
{
    LRESULT f = SendDlgItemMessageA(dialog, IDC_FIND_TEXT, WM_GETTEXTLENGTH, 0, 0);
    LRESULT r = SendDlgItemMessageA(dialog, IDC_REPLACE_TEXT, WM_GETTEXTLENGTH, 0, 0);
    EnableButton(dialog, IDC_FIND_NEXT, f > 0);
    EnableButton(dialog, IDC_FIND_PREV, f > 0);
    for (int id : kReplaceButtons)
        EnableButton(dialog, id, f > 0 && r > 0);
}

void DrawMeter(HWND dialog, int percent)
{
    SetWindowLongPtrA(dialog, DWLP_USER, percent);
    DrawProgressMeter(dialog, 14, 140, 196, percent, 100);
}

void OnInit(HWND dialog)
{
    // The busy flag is left alone: another finder's action may be running.
    openFinders.push_back(dialog);
    for (int id : kActionButtons)
        EnableButton(dialog, id, false);
    DrawMeter(dialog, 0);
}

void RunAction(HWND dialog, int id)
{
    // One action at a time, whichever finder it is started from.
    if (AppState.finderBusy)
        return;
    char pattern[260], replacement[260];
    GetDlgItemTextA(dialog, IDC_FIND_TEXT, pattern, 259);
    bool replacing = id == IDC_REPLACE_ALL || id == IDC_REPLACE_NEXT || id == IDC_REPLACE_REPEAT;
    replacement[0] = 0;
    if (replacing)
        GetDlgItemTextA(dialog, IDC_REPLACE_TEXT, replacement, 259);
    if (!pattern[0] || (replacing && !replacement[0]))
        return;  // a field emptied since the buttons were refreshed
    AppState.finderBusy = true;
    for (int button : kActionButtons)
        EnableButton(dialog, button, false);
    EnableButton(dialog, IDCANCEL, false);
    switch (id) {
    case IDC_FIND_NEXT: FindNext(pattern); break;
    case IDC_FIND_PREV: FindPrev(pattern); break;
    case IDC_REPLACE_NEXT: ReplaceNext(pattern, replacement); break;
    case IDC_REPLACE_ALL: ReplaceAll(pattern, replacement); break;
    case IDC_REPLACE_REPEAT: ReplaceRepeat(pattern, replacement); break;
    }
    EnableButton(dialog, IDCANCEL, true);
    AppState.finderBusy = false;
    // Fields of every finder may have changed while a box was up.
    for (HWND finder : std::vector<HWND>(openFinders))
        SendMessageA(finder, WM_FINDER_REFRESH, 0, 0);
}

// A finder goes away: AppState.hwndFinder then names the newest one left.
void Forget(HWND dialog)
{
    for (auto it = openFinders.begin(); it != openFinders.end(); ++it)
        if (*it == dialog) {
            openFinders.erase(it);
            break;
        }
    if (AppState.hwndFinder == dialog)
        AppState.hwndFinder = openFinders.empty() ? NULL : openFinders.back();
}

void OnClose(HWND dialog)
{
    DestroyWindow(dialog);
    ReturnFocusToActivePane();
}

}  // namespace

void DrawFinderMeter(int percent)
{
    if (AppState.hwndFinder && IsWindow(AppState.hwndFinder))
        DrawMeter(AppState.hwndFinder, percent);
}

INT_PTR CALLBACK FinderDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog);
        return TRUE;
    case WM_FINDER_REFRESH:
        Refresh(dialog);
        return FALSE;
    case WM_PAINT: {
        // The meter is painted again with the value it showed last.
        PAINTSTRUCT ps;
        BeginPaint(dialog, &ps);
        EndPaint(dialog, &ps);
        DrawProgressMeter(dialog, 14, 140, 196, static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER)), 100);
        return TRUE;
    }
    case WM_DESTROY:
        Forget(dialog);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_FIND_NEXT:
        case IDC_FIND_PREV:
        case IDC_REPLACE_ALL:
        case IDC_REPLACE_NEXT:
        case IDC_REPLACE_REPEAT:
            RunAction(dialog, LOWORD(wParam));
            return TRUE;
        case IDCANCEL:
            OnClose(dialog);
            return TRUE;
        case IDC_FIND_TEXT:
        case IDC_REPLACE_TEXT:
            if (!AppState.finderBusy)
                SendMessageA(dialog, WM_FINDER_REFRESH, 0, 0);
            return FALSE;
        }
        return FALSE;
    }
    return FALSE;
}
