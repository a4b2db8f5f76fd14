// The split view: a second pane below the main one, showing the same text.
#include <windows.h>

#include "app/appstate.h"
#include "app/global_buffer.h"
#include "app/shell.h"
#include "app/textdiff.h"
#include "find/search.h"
#include "res/resource.h"

void ToggleSplit()
{
    HMENU menu = GetMenu(AppState.hwndMain);
    if (!AppState.splitOn) {
        CheckMenuItem(menu, IDM_SPLIT, MF_BYCOMMAND | MF_CHECKED);
        AppState.splitOn = true;
        AppState.hwndEditSub = CreatePane(AppState.hwndMain, ID_EDIT_SUB);
        // A view of the same document takes as much text as the main pane:
        // with the platform's default limit, every key typed into it on a
        // longer document was refused.
        SendMessageA(AppState.hwndEditSub, EM_LIMITTEXT, 0, 0);
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

namespace {

// A pane's whole text in a movable block, zero-terminated.
bool TakeText(HWND pane, GlobalBuffer* buffer, std::size_t* length)
{
    SIZE_T size = static_cast<SIZE_T>(SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0)) + 16;
    if (!buffer->Allocate(size))
        return false;
    LRESULT got = SendMessageA(pane, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer->get()));
    *length = got > 0 && static_cast<SIZE_T>(got) < size ? static_cast<std::size_t>(got) : 0;
    buffer->get()[*length] = 0;
    return true;
}

// A position of the target's selection moved by a change of [start, end)
// into `inserted` units.
LPARAM Shifted(DWORD position, std::size_t start, std::size_t end, std::size_t inserted)
{
    if (position <= start)
        return position;
    if (position >= end)
        return static_cast<LPARAM>(position - end + start + inserted);
    return static_cast<LPARAM>(start + inserted);
}

}  // namespace

// Only the part that changed goes into the other pane: the common beginning
// and end of the two texts stay, and the middle is replaced there, in the
// pane's own units (see PanesCountCharacters). A pane that shares nothing
// with the source, as the new second pane or one after a load, gets the
// whole text. The target's view and selection stay where they were.
ErrorCode SyncPanes(int sourceId)
{
    // Changing the target sends its own EN_CHANGE; it must not copy back.
    static bool copying = false;
    if (copying)
        return EC_SUCCESS;
    struct Guard {
        Guard() { copying = true; }
        ~Guard() { copying = false; }
    } guard;
    HWND source = sourceId == ID_EDIT_MAIN ? AppState.hwndEdit : AppState.hwndEditSub;
    HWND target = sourceId == ID_EDIT_MAIN ? AppState.hwndEditSub : AppState.hwndEdit;
    GlobalBuffer newText, oldText;
    std::size_t newLength = 0, oldLength = 0;
    if (!TakeText(source, &newText, &newLength) || !TakeText(target, &oldText, &oldLength))
        return EC_NO_MEMORY;
    const TextChange change = DiffTexts(oldText.get(), oldLength, newText.get(), newLength);
    if (change.start == change.oldEnd && change.start == change.newEnd)
        return EC_SUCCESS;

    // Redrawing is off while the text changes so that the pane neither
    // flickers nor jumps on every key.
    SendMessageA(target, WM_SETREDRAW, FALSE, 0);
    LRESULT firstLine = SendMessageA(target, EM_GETFIRSTVISIBLELINE, 0, 0);
    ErrorCode result = EC_SUCCESS;
    if (change.start == 0 && change.oldEnd == oldLength) {
        if (!SendMessageA(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(newText.get())))
            result = EC_TEXT_REFUSED;
        else
            SendMessageA(target, EM_LINESCROLL, 0, firstLine);
    } else {
        const bool chars = PanesCountCharacters();
        const char* old = oldText.get();
        const std::size_t start = PaneOffsetOfByte(old, oldLength, change.start, chars);
        const std::size_t end = PaneOffsetOfByte(old, oldLength, change.oldEnd, chars);
        const std::size_t inserted =
            PaneOffsetOfByte(newText.get() + change.start, change.newEnd - change.start, change.newEnd - change.start,
                             chars);
        DWORD selStart = 0, selEnd = 0;
        SendMessageA(target, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
        newText.get()[change.newEnd] = 0;  // the middle, as a string of its own
        SendMessageA(target, EM_SETSEL, start, end);
        SendMessageA(target, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(newText.get() + change.start));
        SendMessageA(target, EM_SETSEL, Shifted(selStart, start, end, inserted),
                     Shifted(selEnd, start, end, inserted));
        SendMessageA(target, EM_LINESCROLL, 0, firstLine - SendMessageA(target, EM_GETFIRSTVISIBLELINE, 0, 0));
    }
    SendMessageA(target, WM_SETREDRAW, TRUE, 0);
    if (result == EC_SUCCESS)
        InvalidateRect(target, NULL, TRUE);
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
