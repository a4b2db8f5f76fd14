// The split view: a second pane below the main one, showing the same text.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "app/appstate.h"
#include "app/history.h"
#include "app/shell.h"
#include "app/textdiff.h"
#include "app/pane_offsets.h"
#include "codec/sjis.h"
#include "res/resource.h"

namespace {

// While split, both panes hold this text as of the last copy between them:
// a change is then found from the source pane's text alone, without asking
// the other pane for its text. The buffers stay between keys so that
// typing takes no new memory. Every change of a pane's text comes through
// here (EN_CHANGE), and a load copies into the other pane at once.
//
// Where the panes count characters (Wine), they keep UTF-16, and reading
// them through the ANSI functions converts the whole text on every key:
// there the text is read, compared and replaced in UTF-16, whose units are
// the panes' own positions. Where they count bytes (an ANSI control on
// Windows), their text is the code page's and is read as it is.
template <typename Unit>
struct PaneText {
    std::vector<Unit> units;  // zero-terminated at length
    std::size_t length = 0;
};
PaneText<char> shared, incoming, saved;
PaneText<WCHAR> sharedWide, incomingWide, savedWide;
bool sharedKnown = false;

// The document's history, in the panes' units, and what it is doing now:
// a step being taken (its change is not recorded), a group of changes that
// makes one entry (ReplaceAll), the next change is no typing (a paste).
EditHistory history;
bool replaying = false;
int groupDepth = 0;
bool nextIsNoTyping = false;

LRESULT GetText(HWND pane, char* buffer, std::size_t size)
{
    return SendMessageA(pane, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
}
LRESULT GetText(HWND pane, WCHAR* buffer, std::size_t size)
{
    return SendMessageW(pane, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer));
}
LRESULT GetLength(HWND pane, const char*) { return SendMessageA(pane, WM_GETTEXTLENGTH, 0, 0); }
LRESULT GetLength(HWND pane, const WCHAR*) { return SendMessageW(pane, WM_GETTEXTLENGTH, 0, 0); }
void ReplaceSelection(HWND pane, const char* text) { SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text)); }
void ReplaceSelection(HWND pane, const WCHAR* text) { SendMessageW(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text)); }

// A pane's text into `into`, sized from the length expected so that the
// length need not be asked for first; asked only when it does not fit. A
// buffer grows with room to spare, so that typing does not make it move.
template <typename Unit>
void ReadPane(HWND pane, std::size_t expected, PaneText<Unit>* into)
{
    std::size_t size = expected + expected / 16 + 4096;
    for (;;) {
        if (into->units.size() < size)
            into->units.resize(size + size / 8);
        LRESULT got = GetText(pane, into->units.data(), into->units.size());
        std::size_t n = got > 0 ? static_cast<std::size_t>(got) : 0;
        if (n + 1 < into->units.size()) {
            into->length = n;
            into->units[n] = 0;
            return;
        }
        size = static_cast<std::size_t>(GetLength(pane, into->units.data())) + 4096;
    }
}

// The change between two UTF-16 texts, never inside a surrogate pair.
TextChange DiffWide(const WCHAR* a, std::size_t aLength, const WCHAR* b, std::size_t bLength)
{
    const std::size_t shorter = aLength < bLength ? aLength : bLength;
    const std::size_t kBlock = 32;  // units compared at a time before one by one
    std::size_t k = 0;
    while (k + kBlock <= shorter && std::memcmp(a + k, b + k, kBlock * sizeof(WCHAR)) == 0)
        k += kBlock;
    while (k < shorter && a[k] == b[k])
        ++k;
    if (k > 0 && IS_HIGH_SURROGATE(a[k - 1]))
        --k;
    std::size_t s = 0;
    while (s + kBlock <= shorter - k &&
           std::memcmp(a + aLength - s - kBlock, b + bLength - s - kBlock, kBlock * sizeof(WCHAR)) == 0)
        s += kBlock;
    while (s < shorter - k && a[aLength - s - 1] == b[bLength - s - 1])
        ++s;
    if (s > 0 && IS_LOW_SURROGATE(a[aLength - s]))
        --s;
    return TextChange{k, aLength - s, bLength - s};
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

// Applies a change to a pane, given in the text's units and, as start, end
// and inserted, in the pane's positions; keeps the first visible line and
// the selection. The middle is replaced (not undoably), or the whole text
// set when most of it is new: the control takes a whole text in about the
// time it takes that much replaced.
template <typename Unit>
ErrorCode ApplyChange(HWND pane, const Unit* newText, std::size_t newLength, std::size_t oldLength,
                      const TextChange& change, std::size_t start, std::size_t end, std::size_t inserted)
{
    SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
    const LRESULT firstLine = SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0);
    ErrorCode result = EC_SUCCESS;
    if (change.start == 0 && change.oldEnd == oldLength) {
        // Nothing shared: the whole text, as a new view gets it.
        if (!SetPaneText(pane, newText))
            result = EC_TEXT_REFUSED;
        else
            SendMessageA(pane, EM_LINESCROLL, 0, firstLine);
    } else {
        DWORD selStart = 0, selEnd = 0;
        SendMessageA(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
        if (change.newEnd - change.start > newLength / 2) {
            if (!SetPaneText(pane, newText))
                result = EC_TEXT_REFUSED;
        } else {
            std::vector<Unit> middle(newText + change.start, newText + change.newEnd);
            middle.push_back(0);
            SendMessageA(pane, EM_SETSEL, start, end);
            ReplaceSelection(pane, middle.data());
        }
        SendMessageA(pane, EM_SETSEL, Shifted(selStart, start, end, inserted), Shifted(selEnd, start, end, inserted));
        SendMessageA(pane, EM_LINESCROLL, 0, firstLine - SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0));
    }
    SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
    if (result == EC_SUCCESS)
        InvalidateRect(pane, NULL, TRUE);
    return result;
}

// Whether a change inserted one character and removed nothing: typing,
// which joins the entry before it.
template <typename Unit>
bool IsTyped(const Unit* inserted, std::size_t insertedLength, std::size_t removedLength)
{
    if (removedLength != 0 || insertedLength == 0 || insertedLength > 2)
        return false;
    for (std::size_t k = 0; k < insertedLength; ++k)
        if (inserted[k] == '\r' || inserted[k] == '\n')
            return false;
    if (insertedLength == 1)
        return true;
    if constexpr (sizeof(Unit) == 1)
        return sjis::IsPair(static_cast<unsigned char>(inserted[0]), static_cast<unsigned char>(inserted[1]));
    else
        return IS_HIGH_SURROGATE(inserted[0]);
}

template <typename Unit>
std::string UnitBytes(const Unit* from, std::size_t count)
{
    return std::string(reinterpret_cast<const char*>(from), count * sizeof(Unit));
}

// The history ran out of memory: it is gone, which the status line says.
void NoteHistoryDropped()
{
    SendMessageA(AppState.hwndStatus, SB_SETTEXTA, 0,
                 reinterpret_cast<LPARAM>("メモリが足りないため、元に戻す履歴を消しました"));
}

// The document is edited unless its text is the one last opened or saved.
template <typename Unit>
void ShowEdited(const PaneText<Unit>& now, const PaneText<Unit>& last)
{
    const bool clean = now.length == last.length &&
                       std::memcmp(now.units.data(), last.units.data(), now.length * sizeof(Unit)) == 0;
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, clean ? FALSE : TRUE, 0);
}

// A change of the source pane: found against the text both panes held,
// recorded in the history (unless `record` is false), copied into the
// target (the other pane while split, or none) in the units given. The
// document is edited unless its text is the one last opened or saved.
template <typename Unit>
ErrorCode NoteChangeIn(HWND source, HWND target, PaneText<Unit>* known, PaneText<Unit>* fresh,
                       const PaneText<Unit>& last, bool record)
{
    try {
        if (!sharedKnown) {
            // What the text was is known from the other pane; without one,
            // it is taken as it is now, and nothing before can be undone.
            ReadPane(target ? target : source, static_cast<std::size_t>(GetLength(source, known->units.data())),
                     known);
            sharedKnown = true;
            if (!target) {
                history.Reset(sizeof(Unit));
                history.Seal();
                return EC_SUCCESS;
            }
        }
        ReadPane(source, known->length, fresh);
    } catch (const std::bad_alloc&) {
        sharedKnown = false;
        return EC_NO_MEMORY;
    }
    const Unit* before = known->units.data();
    const Unit* after = fresh->units.data();
    TextChange change;
    std::size_t start, end, inserted;
    if constexpr (sizeof(Unit) == 1) {
        change = DiffTexts(before, known->length, after, fresh->length);
        const bool chars = PanesCountCharacters();
        start = PaneOffsetOfByte(before, known->length, change.start, chars);
        end = start + PaneOffsetOfByte(before + change.start, known->length - change.start, change.oldEnd - change.start,
                                       chars);
        inserted = PaneOffsetOfByte(after + change.start, change.newEnd - change.start, change.newEnd - change.start,
                                    chars);
    } else {
        change = DiffWide(before, known->length, after, fresh->length);
        start = change.start;
        end = change.oldEnd;
        inserted = change.newEnd - change.start;
    }
    if (change.start == change.oldEnd && change.start == change.newEnd) {
        ShowEdited(*known, last);  // the control marks even a replacement by the same text
        return EC_SUCCESS;
    }
    if (target) {
        ErrorCode result = ApplyChange(target, after, fresh->length, known->length, change, start, end, inserted);
        if (result != EC_SUCCESS) {
            sharedKnown = false;
            return result;
        }
    }
    if (record) {
        const std::size_t removedLength = change.oldEnd - change.start, insertedLength = change.newEnd - change.start;
        const bool typed = !nextIsNoTyping && IsTyped(after + change.start, insertedLength, removedLength);
        std::size_t at = change.start;
        if (typed) {
            // A character typed beside its like ("a" into "a") is found
            // after it; it was typed where the caret now ends it, which the
            // next one typed follows.
            DWORD caret = 0, caretEnd = 0;
            SendMessageA(source, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), reinterpret_cast<LPARAM>(&caretEnd));
            const std::size_t p = caretEnd >= insertedLength ? caretEnd - insertedLength : at;
            if (p != at && p <= known->length &&
                std::memcmp(before, after, p * sizeof(Unit)) == 0 &&
                std::memcmp(before + p, after + p + insertedLength, (known->length - p) * sizeof(Unit)) == 0)
                at = p;
        }
        if (!history.Record(at, UnitBytes(before + change.start, removedLength),
                            UnitBytes(after + change.start, insertedLength), typed, GetTickCount64()))
            NoteHistoryDropped();
    }
    nextIsNoTyping = false;
    // The pane's own undo (its context menu's item, Alt+Backspace) would
    // toggle its last edit behind the history's back: it is kept empty.
    SendMessageA(source, EM_EMPTYUNDOBUFFER, 0, 0);
    std::swap(*known, *fresh);
    // The next key reads into the other buffer: it is made as large now (a
    // new view or a load costs far more) rather than on that key.
    if (fresh->units.size() < known->units.size())
        fresh->units.resize(known->units.size());
    ShowEdited(*known, last);
    return EC_SUCCESS;
}

// The change of a pane, in the units the panes count in.
ErrorCode NoteChange(int sourceId, bool record)
{
    // Changing the target sends its own EN_CHANGE; it must not copy back.
    static bool copying = false;
    if (copying || groupDepth > 0)
        return EC_SUCCESS;
    struct Guard {
        Guard() { copying = true; }
        ~Guard() { copying = false; }
    } guard;
    HWND source = sourceId == ID_EDIT_MAIN ? AppState.hwndEdit : AppState.hwndEditSub;
    HWND target = !AppState.splitOn ? NULL : sourceId == ID_EDIT_MAIN ? AppState.hwndEditSub : AppState.hwndEdit;
    return PanesCountCharacters() ? NoteChangeIn(source, target, &sharedWide, &incomingWide, savedWide, record)
                                  : NoteChangeIn(source, target, &shared, &incoming, saved, record);
}

// The document's text as the panes hold it now, taken as the one last
// opened or saved.
template <typename Unit>
void TakeSavedText(PaneText<Unit>* known, PaneText<Unit>* last)
{
    ReadPane(AppState.hwndEdit, static_cast<std::size_t>(GetLength(AppState.hwndEdit, known->units.data())), known);
    sharedKnown = true;
    last->units.assign(known->units.begin(), known->units.begin() + static_cast<std::ptrdiff_t>(known->length + 1));
    last->length = known->length;
}

// A group starts from the text as the main pane holds it: one set with
// WM_SETTEXT, which tells of no change, starts the history afresh.
template <typename Unit>
void CheckKnown(PaneText<Unit>* known, PaneText<Unit>* fresh)
{
    ReadPane(AppState.hwndEdit, known->length, fresh);
    if (!sharedKnown || fresh->length != known->length ||
        std::memcmp(fresh->units.data(), known->units.data(), known->length * sizeof(Unit)) != 0) {
        std::swap(*known, *fresh);
        sharedKnown = true;
        history.Reset(sizeof(Unit));
    }
}

// The text of the document into a new second pane, whole. The main pane
// is read: a text set into it with WM_SETTEXT, which tells of no change,
// starts the history afresh.
template <typename Unit>
ErrorCode FillPane(HWND pane, PaneText<Unit>* known, PaneText<Unit>* fresh)
{
    CheckKnown(known, fresh);
    return SetPaneText(pane, known->units.data()) ? EC_SUCCESS : EC_TEXT_REFUSED;
}

// Takes a step of the history in a pane holding the known text: the units
// at the entry's start are replaced by the others, as the split view
// replaces a change (the whole text set where most of it is new, which
// the control takes in the time that much replaced takes), and selected.
template <typename Unit>
ErrorCode TakeStep(HWND pane, const EditEntry& entry, bool redo, const PaneText<Unit>& known)
{
    const std::string& put = redo ? entry.inserted : entry.removed;
    const std::string& taken = redo ? entry.removed : entry.inserted;
    const std::size_t putLength = put.size() / sizeof(Unit), takenLength = taken.size() / sizeof(Unit);
    if (!sharedKnown || entry.start + takenLength > known.length)
        return EC_UNDEFINED;
    std::vector<Unit> text(known.length - takenLength + putLength + 1, 0);
    std::memcpy(text.data(), known.units.data(), entry.start * sizeof(Unit));
    std::memcpy(text.data() + entry.start, put.data(), put.size());
    std::memcpy(text.data() + entry.start + putLength, known.units.data() + entry.start + takenLength,
                (known.length - entry.start - takenLength) * sizeof(Unit));
    const TextChange change{entry.start, entry.start + takenLength, entry.start + putLength};
    replaying = true;
    ErrorCode result = ApplyChange(pane, text.data(), text.size() - 1, known.length, change, change.start, change.oldEnd,
                                   putLength);
    replaying = false;
    SendMessageA(pane, EM_SETSEL, entry.start, entry.start + putLength);
    SendMessageA(pane, EM_SCROLLCARET, 0, 0);
    return result;
}

}  // namespace

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
        ErrorCode filled = EC_NO_MEMORY;
        try {
            filled = PanesCountCharacters() ? FillPane(AppState.hwndEditSub, &sharedWide, &incomingWide)
                                            : FillPane(AppState.hwndEditSub, &shared, &incoming);
        } catch (const std::bad_alloc&) {
            sharedKnown = false;
        }
        if (filled != EC_SUCCESS)
            ShowErrorBox(AppState.hwndMain, filled, "同期上の問題");
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


ErrorCode ReplaceInPane(HWND pane, const char* oldText, std::size_t oldLength, const char* newText,
                        std::size_t newLength, const TextChange& change)
{
    const bool chars = PanesCountCharacters();
    const std::size_t start = PaneOffsetOfByte(oldText, oldLength, change.start, chars);
    const std::size_t end =
        start + PaneOffsetOfByte(oldText + change.start, oldLength - change.start, change.oldEnd - change.start, chars);
    const std::size_t inserted = change.newEnd - change.start;
    const std::size_t insertedUnits = PaneOffsetOfByte(newText + change.start, inserted, inserted, chars);
    return ApplyChange(pane, newText, newLength, oldLength, change, start, end, insertedUnits);
}

// Only the part that changed goes into the other pane: the common beginning
// and end of the two texts stay, and the middle is replaced there. The
// target's view and selection stay where they were.
ErrorCode SyncPanes(int sourceId) { return NoteChange(sourceId, false); }

void NoteChangeOrReport(HWND window, int sourceId)
{
    ErrorCode result = NoteChange(sourceId, !replaying);
    if (result != EC_SUCCESS)
        ShowErrorBox(window, result, "同期上の問題");
}

void BeginEditGroup()
{
    if (groupDepth++ == 0) {
        try {
            if (PanesCountCharacters())
                CheckKnown(&sharedWide, &incomingWide);
            else
                CheckKnown(&shared, &incoming);
        } catch (const std::bad_alloc&) {
            sharedKnown = false;
        }
    }
}

void EndEditGroup(HWND window)
{
    if (--groupDepth == 0) {
        nextIsNoTyping = true;  // even where it comes down to one character
        NoteChangeOrReport(window, ID_EDIT_MAIN);
    }
}

void NoteNoTyping() { nextIsNoTyping = true; }

void SealHistory() { history.Seal(); }

// The main pane's text, now the one last opened or saved.
static void TakeSavedTextOfEitherUnit()
{
    try {
        if (PanesCountCharacters())
            TakeSavedText(&sharedWide, &savedWide);
        else
            TakeSavedText(&shared, &saved);
    } catch (const std::bad_alloc&) {
        sharedKnown = false;
    }
}

void ResetHistory()
{
    TakeSavedTextOfEitherUnit();
    history.Reset(PanesCountCharacters() ? sizeof(WCHAR) : 1);
}

void MarkDocumentSaved()
{
    TakeSavedTextOfEitherUnit();
    history.MarkSaved();
}

bool CanUndoEdit() { return history.CanUndo(); }
bool CanRedoEdit() { return history.CanRedo(); }

void StepHistory(bool redo)
{
    if (redo ? !history.CanRedo() : !history.CanUndo())
        return;
    const EditEntry& entry = redo ? history.Redo() : history.Undo();
    HWND pane = AppState.hwndActiveEdit;
    ErrorCode result = PanesCountCharacters() ? TakeStep(pane, entry, redo, sharedWide) : TakeStep(pane, entry, redo, shared);
    // A whole text set tells of no change: the other pane and the edited
    // flag follow here.
    if (result == EC_SUCCESS)
        result = NoteChange(pane == AppState.hwndEdit ? ID_EDIT_MAIN : ID_EDIT_SUB, false);
    if (result != EC_SUCCESS)
        ShowErrorBox(AppState.hwndMain, result, "同期上の問題");
}

void SyncPanesOrReport(HWND window, int sourceId)
{
    ErrorCode result = SyncPanes(sourceId);
    if (result != EC_SUCCESS)
        ShowErrorBox(window, result, "同期上の問題");
}
