// The document's two transitions: a file becomes the document, and the
// document is saved under a name. The start-up load, a drop, the Open and
// Save commands and the save question all go through these.
#include <windows.h>

#include <string>

#include "app/appstate.h"
#include "app/layout.h"
#include "app/pane_offsets.h"
#include "app/shell.h"
#include "codec/sjis.h"
#include "files/files.h"
#include "res/resource.h"

namespace {

// Names the document: its path, the title, and nothing edited since.
void NameDocument(HWND window, const char* path)
{
    if (path != AppState.filePath)
        lstrcpynA(AppState.filePath, path, sizeof AppState.filePath);
    SendMessageA(AppState.hwndEdit, EM_SETMODIFY, FALSE, 0);
    ShowDocumentTitle(window);
}

// A box that tells how many characters became 〓; `format` holds one %lu
// (a count beyond 32 bits is shown as the largest that fits) and may hold
// one %s, given `name`.
void ShowReplacedCount(HWND window, const char* format, std::uint64_t replaced, const char* name,
                       const char* caption)
{
    char text[256];
    wsprintfA(text, format, static_cast<unsigned long>(replaced < 0xFFFFFFFFu ? replaced : 0xFFFFFFFFu), name);
    MessageBoxA(window, text, caption, MB_ICONWARNING);
}

// Characters the save's code has no place for: the box asks whether to
// write them as 〓; No selects the first of them in the main pane.
bool AskToWritePlaceless(KanjiCode kanji, std::uint64_t count, const char* text, std::size_t length,
                         std::size_t first)
{
    char message[256];
    wsprintfA(message, "%lu 個の文字は %s では表せないため、〓 として保存されます。\r\n保存しますか？",
              static_cast<unsigned long>(count < 0xFFFFFFFFu ? count : 0xFFFFFFFFu), KanjiCodeMenuName(kanji));
    if (MessageBoxA(AppState.hwndMain, message, "ファイルの保存", MB_YESNO | MB_ICONWARNING) == IDYES)
        return true;
    // The pane counts bytes on Windows and characters under Wine.
    const bool characters = PanesCountCharacters();
    const std::size_t end = first + sjis::CharLength(text, length, first);
    SendMessageA(AppState.hwndEdit, EM_SETSEL, PaneOffsetOfByte(text, length, first, characters),
                 PaneOffsetOfByte(text, length, end, characters));
    SendMessageA(AppState.hwndEdit, EM_SCROLLCARET, 0, 0);
    SetFocus(AppState.hwndEdit);
    return false;
}

}  // namespace

const char kNewDocumentName[] = "NewFile.txt";

void ShowDocumentTitle(HWND window)
{
    char title[MAX_PATH];
    FormatTitle(AppState.filePath, title, sizeof title);
    SetWindowTextA(window, title);
}

ErrorCode OpenDocument(HWND window, const char* path, bool reportFailure, KanjiCode as)
{
    std::uint64_t replaced = 0, leftOut = 0;
    ErrorCode result = LoadTextFile(path, &replaced, &leftOut, as);
    ShowSaveCodes();
    RefreshReopenItems(window);
    if (result != EC_SUCCESS) {
        if (reportFailure)
            ShowErrorBox(window, result, "ファイルの読み込み");
        return result;
    }
    // The second pane shows the new text too; a failure to copy it is
    // reported here, and the load still counts.
    if (AppState.splitOn)
        SyncPanesOrReport(window, ID_EDIT_MAIN);
    // A new history, and nothing from before the load left in the panes'
    // own undo (the second pane's copy replaces only what changed).
    ResetHistory();
    SendMessageA(AppState.hwndEdit, EM_EMPTYUNDOBUFFER, 0, 0);
    if (AppState.splitOn)
        SendMessageA(AppState.hwndEditSub, EM_EMPTYUNDOBUFFER, 0, 0);
    if (replaced == 0 && leftOut == 0) {
        NameDocument(window, path);
        return EC_SUCCESS;
    }
    // Characters that Shift-JIS cannot hold are 〓 now, or a zero byte ended
    // the text before the file's end. The document is a new one, so that no
    // save overwrites the file with less unless the user names it.
    NameDocument(window, kNewDocumentName);
    if (leftOut > 0)
        ShowReplacedCount(window,
                          "ファイルの途中にゼロのバイトがあり、そこから後の %lu バイトは読み込まれていません。\r\n"
                          "元のファイルを上書きしないよう、文書は %s になりました。",
                          leftOut, kNewDocumentName, "ファイルの読み込み");
    if (replaced > 0)
        ShowReplacedCount(window,
                          "Shift-JIS で表せない文字 %lu 個を 〓 に置き換えました。\r\n"
                          "元のファイルを上書きしないよう、文書は %s になりました。",
                          replaced, kNewDocumentName, "ファイルの読み込み");
    return EC_SUCCESS;
}

ErrorCode SaveDocument(HWND window, const char* path, SaveNaming naming)
{
    std::uint64_t replaced = 0;
    ErrorCode result = SaveTextFile(path, &replaced, AskToWritePlaceless);
    if (result == EC_SUCCESS) {
        MarkDocumentSaved();
        if (naming == NAME_DOCUMENT)
            NameDocument(window, path);
        else if (path != AppState.filePath)
            lstrcpynA(AppState.filePath, path, sizeof AppState.filePath);
    } else if (SaveKeptCopy()[0]) {
        // The new text survives in a file of its own: the box says where.
        std::string text = std::string(ErrorMessageText(result)) + "\r\n\r\n保存する内容は次のファイルに残っています：\r\n" +
                           SaveKeptCopy();
        MessageBoxA(window, text.c_str(), "ファイルの保存", MB_ICONERROR);
    } else if (result != EC_CANCELLED) {  // No to the question about 〓 is no failure
        ShowErrorBox(window, result, "ファイルの保存");
    }
    return result;
}

ErrorCode OpenFileByDialog(HWND window)
{
    char file[MAX_PATH];
    lstrcpynA(file, AppState.filePath, sizeof file);
    return ChooseFileToOpen(file) ? OpenDocument(window, file, true) : EC_CANCELLED;
}

ErrorCode SaveFileByDialog(HWND window, SaveNaming naming)
{
    char file[MAX_PATH];
    lstrcpynA(file, AppState.filePath, sizeof file);
    return ChooseFileToSave(file) ? SaveDocument(window, file, naming) : EC_CANCELLED;
}
