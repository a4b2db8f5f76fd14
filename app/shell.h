// Procedures of the application shell, shared by its files and the tests.
#pragma once

#include <windows.h>

#include "app/error_text.h"
#include "codec/codes.h"
#include "app/textdiff.h"

// Start-up, the message loop and shutdown (main.cpp). WinMain is these in
// order; the tests run everything but the endless loop.
bool StartApplication(HINSTANCE instance, const char* commandLine, int showCommand, HACCEL* accelerators);
void DispatchLoopMessage(MSG* msg, HACCEL accelerators);
int RunMessageLoop(HACCEL accelerators);
void FinishApplication();

// The main window (mainwnd.cpp).
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void LayoutPanes(HWND window, int width, int height);
// A pane: an EDIT child with the panes' style, at 0,0 with size 0 until laid out.
HWND CreatePane(HWND parent, int id);
// A whole text into a pane (WM_SETTEXT, which tells of no change); false
// when the pane refused it.
bool SetPaneText(HWND pane, const char* text);
bool SetPaneText(HWND pane, const WCHAR* text);
// Whether the panes count their positions (EM_GETSEL, EM_SETSEL,
// EM_LINEFROMCHAR) in characters rather than bytes. An ANSI edit control on
// Windows keeps its text in the code page and counts bytes; Wine's keeps
// UTF-16 and counts characters. Found once, on a scratch control.
bool PanesCountCharacters();
// Whether the ANSI message path joins a two-byte character sent to an edit
// control as two WM_CHAR messages (Windows does; Wine converts each byte
// alone). Found once, on a scratch control.
bool AnsiPathJoinsTwoByteChars();
// Resends WM_SIZE with the client size so that the panes follow a new share.
void Relayout(HWND window);
// Focus and a visible caret back to the pane last used (a closing dialog).
void ReturnFocusToActivePane();
void ShowErrorBox(HWND owner, ErrorCode code, const char* caption);

// The document (document.cpp). `window` is the main window, which owns the
// boxes and bears the title (AppState.hwndMain is still null while the
// window is being created).
// The name of a document that has no file yet.
extern const char kNewDocumentName[];
// A file becomes the document: loaded into the main pane (and the second
// one), named, unedited. A failure leaves the name as it was and is shown
// in a box when asked for. A file whose characters Shift-JIS could not all
// hold, or whose text a zero byte ended, becomes a new document, and a box
// says how many characters became 〓 or how many bytes were left out.
// With `as` other than Auto the file is read in that kanji code, which
// becomes the detected one.
ErrorCode OpenDocument(HWND window, const char* path, bool reportFailure, KanjiCode as = KanjiCode::Auto);
// What a save does to the document besides writing it: a save of its own
// names it (path, title, nothing edited); the save question's save only
// keeps the path, as the load or the close that follows decides the rest.
enum SaveNaming { NAME_DOCUMENT, KEEP_PATH_ONLY };
// The document saved under `path`; a failure is shown in a box.
ErrorCode SaveDocument(HWND window, const char* path, SaveNaming naming = NAME_DOCUMENT);
// The Open and Save commands: the dialog, then the transition above.
// EC_CANCELLED, silently, when the dialog is cancelled.
ErrorCode OpenFileByDialog(HWND window);
ErrorCode SaveFileByDialog(HWND window, SaveNaming naming = NAME_DOCUMENT);
// "VEXA Edit ! : " and the document's path.
void ShowDocumentTitle(HWND window);
// The codes a save would write now, in the status line's second part.
void ShowSaveCodes();
// The 開き直す items: enabled while the file last read is there.
void RefreshReopenItems(HWND window);

enum ConfirmResult {
    CONFIRM_PROCEED,         // not edited, answered No, or saved
    CONFIRM_CANCEL,          // answered Cancel
    CONFIRM_SAVE_CANCELLED,  // answered Yes and cancelled the save dialog
    CONFIRM_SAVE_FAILED,     // answered Yes and the save failed (already shown)
};
ConfirmResult ConfirmDiscard(HWND owner);

// Commands and pane notifications (commands.cpp).
void OnCommand(HWND window, int id, int code, HWND control);

// The message filter of the panes (hook.cpp). The loop calls it with this
// code for every message it takes.
const int kLoopFilterCode = 1024;
LRESULT CALLBACK EditHookProc(int code, WPARAM wParam, LPARAM lParam);
HHOOK InstallEditHook(HWND pane);

// The split view (split.cpp).
void ToggleSplit();
ErrorCode SyncPanes(int sourceId);
// Applies a change found by DiffTexts to a pane holding the old text,
// keeping its first visible line and its selection: the middle is replaced
// (not undoably), or the whole text set when most of it is new.
ErrorCode ReplaceInPane(HWND pane, const char* oldText, std::size_t oldLength, const char* newText,
                        std::size_t newLength, const TextChange& change);
// SyncPanes, and a box owned by `window` when it fails.
void SyncPanesOrReport(HWND window, int sourceId);

// The document's history (split.cpp, which sees every change of a pane).
// A change of a pane (EN_CHANGE): recorded as one entry, or joined to the
// typing before it, and copied into the other pane while split.
void NoteChangeOrReport(HWND window, int sourceId);
// The changes between the two make one entry (ReplaceAll).
void BeginEditGroup();
void EndEditGroup(HWND window);
// The next change is no typing, even of one character (paste, cut).
void NoteNoTyping();
// The caret moved: the next character typed starts a step of its own.
void SealHistory();
// A new, empty history: the text now is the one opened.
void ResetHistory();
// The text now is the one saved; the history stays.
void MarkDocumentSaved();
bool CanUndoEdit();
bool CanRedoEdit();
// One step back or forward in the active pane, selecting the text it
// restores; the other pane follows.
void StepHistory(bool redo);
