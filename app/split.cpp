// The split view: a second pane below the main one, showing the same text.
#include <windows.h>

#include "app/appstate.h"
#include "app/global_buffer.h"
#include "app/shell.h"
#include "res/resource.h"

void ToggleSplit()
{
    HMENU menu = GetMenu(AppState.hwndMain);
    if (!AppState.splitOn) {
        CheckMenuItem(menu, IDM_SPLIT, MF_BYCOMMAND | MF_CHECKED);
        AppState.splitOn = true;
        AppState.hwndEditSub = CreatePane(AppState.hwndMain, ID_EDIT_SUB);
        AppState.hHookSub = InstallEditHook(AppState.hwndEditSub);
        if (!AppState.hHookSub)
            MessageBoxA(AppState.hwndMain, "Hooking error", "エディットコントロールのフックに失敗しました。", MB_ICONERROR);
        UpdateWindow(AppState.hwndEditSub);
        SetForegroundWindow(AppState.hwndEditSub);
        SyncPanesOrReport(AppState.hwndMain, ID_EDIT_MAIN);
        Relayout(AppState.hwndMain);
        DrawMenuBar(AppState.hwndMain);
    } else {
        CheckMenuItem(menu, IDM_SPLIT, MF_BYCOMMAND | MF_UNCHECKED);
        AppState.splitOn = false;
        UnhookWindowsHookEx(AppState.hHookSub);
        AppState.hHookSub = NULL;
        DestroyWindow(AppState.hwndEditSub);
        Relayout(AppState.hwndMain);
        AppState.hwndActiveEdit = AppState.hwndEdit;
        DrawMenuBar(AppState.hwndMain);
    }
}

ErrorCode SyncPanes(int sourceId)
{
    // A multi-line edit control sends no EN_CHANGE for WM_SETTEXT; should
    // one come anyway, it must not copy the text back.
    static bool copying = false;
    if (copying)
        return EC_SUCCESS;
    struct Guard {
        Guard() { copying = true; }
        ~Guard() { copying = false; }
    } guard;
    HWND source = sourceId == ID_EDIT_MAIN ? AppState.hwndEdit : AppState.hwndEditSub;
    HWND target = sourceId == ID_EDIT_MAIN ? AppState.hwndEditSub : AppState.hwndEdit;
    SIZE_T size = static_cast<SIZE_T>(SendMessageA(source, WM_GETTEXTLENGTH, 0, 0)) + 16;
    GlobalBuffer buffer(size);
    if (!buffer)
        return EC_NO_MEMORY;
    char* text = buffer.get();
    SendMessageA(source, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text));
    // Redrawing is off while the text changes so that the pane neither
    // flickers nor jumps to the top on every key.
    SendMessageA(target, WM_SETREDRAW, FALSE, 0);
    LRESULT firstLine = SendMessageA(target, EM_GETFIRSTVISIBLELINE, 0, 0);
    ErrorCode result = EC_SUCCESS;
    if (!SendMessageA(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text))) {
        result = EC_TEXT_REFUSED;
    } else {
        SendMessageA(target, EM_LINESCROLL, 0, firstLine);
    }
    SendMessageA(target, WM_SETREDRAW, TRUE, 0);
    if (result == EC_SUCCESS)
        InvalidateRect(target, NULL, TRUE);
    buffer.Release();
    if (result == EC_SUCCESS && sourceId != ID_EDIT_MAIN)
        SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    return result;
}

void SyncPanesOrReport(HWND window, int sourceId)
{
    ErrorCode result = SyncPanes(sourceId);
    if (result != EC_SUCCESS)
        ShowErrorBox(window, result, "同期上の問題");
}
