// The split view: a second pane below the main one, showing the same text.
#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "app/appstate.h"
#include "app/shell.h"
#include "app/textdiff.h"
#include "find/search.h"
#include "res/resource.h"

namespace {

// While split, both panes hold this text as of the last copy between them:
// a change is then found from the source pane's text alone, without asking
// the other pane for its text (each whole-text request converts the whole
// text under Wine). The buffers stay between keys so that typing takes no
// new memory. Every change of a pane's text comes through here (EN_CHANGE),
// and a load copies into the other pane at once.
struct PaneText {
    std::vector<char> bytes;  // zero-terminated at length
    std::size_t length = 0;
};
PaneText shared, incoming;
bool sharedKnown = false;

// A pane's text into `into`, sized from the length expected so that the
// length need not be asked for first; asked only when it does not fit.
void ReadPane(HWND pane, std::size_t expected, PaneText* into)
{
    std::size_t size = expected + expected / 16 + 4096;
    for (;;) {
        if (into->bytes.size() < size)
            into->bytes.resize(size);
        LRESULT got = SendMessageA(pane, WM_GETTEXT, into->bytes.size(), reinterpret_cast<LPARAM>(into->bytes.data()));
        std::size_t n = got > 0 ? static_cast<std::size_t>(got) : 0;
        if (n + 1 < into->bytes.size()) {
            into->length = n;
            into->bytes[n] = 0;
            return;
        }
        size = static_cast<std::size_t>(SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0)) + 4096;
    }
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

void ToggleSplit()
{
    HMENU menu = GetMenu(AppState.hwndMain);
    if (!AppState.splitOn) {
        CheckMenuItem(menu, IDM_SPLIT, MF_BYCOMMAND | MF_CHECKED);
        AppState.splitOn = true;
        sharedKnown = false;
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
        sharedKnown = false;
        UnhookWindowsHookEx(AppState.hHookSub);
        AppState.hHookSub = NULL;
        DestroyWindow(AppState.hwndEditSub);
        Relayout(AppState.hwndMain);
        AppState.hwndActiveEdit = AppState.hwndEdit;
        DrawMenuBar(AppState.hwndMain);
    }
}


ErrorCode ReplaceInPane(HWND pane, const char* oldText, std::size_t oldLength, const char* newText,
                        std::size_t newLength, const TextChange& change)
{
    // Redrawing is off while the text changes so that the pane neither
    // flickers nor jumps on every key.
    SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
    const LRESULT firstLine = SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
    const std::size_t inserted = change.newEnd - change.start;
    ErrorCode result = EC_SUCCESS;
    if (change.start == 0 && change.oldEnd == oldLength) {
        // Nothing shared: the whole text, as a new view gets it.
        if (!SendMessageA(pane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(newText)))
            result = EC_TEXT_REFUSED;
        else
            SendMessageA(pane, EM_LINESCROLL, 0, firstLine);
    } else {
        const bool chars = PanesCountCharacters();
        const std::size_t start = PaneOffsetOfByte(oldText, oldLength, change.start, chars);
        const std::size_t end =
            start + PaneOffsetOfByte(oldText + change.start, oldLength - change.start, change.oldEnd - change.start, chars);
        const std::size_t insertedUnits = PaneOffsetOfByte(newText + change.start, inserted, inserted, chars);
        DWORD selStart = 0, selEnd = 0;
        SendMessageA(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
        if (inserted > newLength / 2) {
            // Most of the text is new: the control takes a whole text in
            // about the time it takes that much replaced.
            if (!SendMessageA(pane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(newText)))
                result = EC_TEXT_REFUSED;
        } else {
            std::string middle(newText + change.start, inserted);
            SendMessageA(pane, EM_SETSEL, start, end);
            SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(middle.c_str()));
        }
        SendMessageA(pane, EM_SETSEL, Shifted(selStart, start, end, insertedUnits),
                     Shifted(selEnd, start, end, insertedUnits));
        SendMessageA(pane, EM_LINESCROLL, 0, firstLine - SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0));
    }
    SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
    if (result == EC_SUCCESS)
        InvalidateRect(pane, NULL, TRUE);
    return result;
}

// Only the part that changed goes into the other pane: the common beginning
// and end of the two texts stay, and the middle is replaced there, in the
// pane's own units (see PanesCountCharacters). The target's view and
// selection stay where they were.
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
    try {
        if (!sharedKnown) {
            ReadPane(target, static_cast<std::size_t>(SendMessageA(target, WM_GETTEXTLENGTH, 0, 0)), &shared);
            sharedKnown = true;
        }
        ReadPane(source, shared.length, &incoming);
    } catch (const std::bad_alloc&) {
        sharedKnown = false;
        return EC_NO_MEMORY;
    }
    const TextChange change = DiffTexts(shared.bytes.data(), shared.length, incoming.bytes.data(), incoming.length);
    if (change.start == change.oldEnd && change.start == change.newEnd)
        return EC_SUCCESS;
    ErrorCode result = ReplaceInPane(target, shared.bytes.data(), shared.length, incoming.bytes.data(),
                                     incoming.length, change);
    if (result != EC_SUCCESS) {
        sharedKnown = false;
        return result;
    }
    std::swap(shared, incoming);
    if (sourceId != ID_EDIT_MAIN)
        SendMessageA(AppState.hwndEdit, EM_SETMODIFY, TRUE, 0);
    return EC_SUCCESS;
}

void SyncPanesOrReport(HWND window, int sourceId)
{
    ErrorCode result = SyncPanes(sourceId);
    if (result != EC_SUCCESS)
        ShowErrorBox(window, result, "同期上の問題");
}
