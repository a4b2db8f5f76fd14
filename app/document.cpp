// The document's two transitions: a file becomes the document, and the
// document is saved under a name. The start-up load, a drop, the Open and
// Save commands and the save question all go through these.
#include <windows.h>

#include <string>

#include "app/appstate.h"
#include "app/layout.h"
#include "app/shell.h"
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

}  // namespace

void ShowDocumentTitle(HWND window)
{
    char title[MAX_PATH];
    FormatTitle(AppState.filePath, title, sizeof title);
    SetWindowTextA(window, title);
}

ErrorCode OpenDocument(HWND window, const char* path, bool reportFailure)
{
    ErrorCode result = LoadTextFile(path);
    if (result != EC_SUCCESS) {
        if (reportFailure)
            ShowErrorBox(window, result, "ファイルの読み込み");
        return result;
    }
    // The second pane shows the new text too; a failure to copy it is
    // reported here, and the load still counts.
    if (AppState.splitOn)
        SyncPanesOrReport(window, ID_EDIT_MAIN);
    NameDocument(window, path);
    return EC_SUCCESS;
}

ErrorCode SaveDocument(HWND window, const char* path)
{
    ErrorCode result = SaveTextFile(path);
    if (result == EC_SUCCESS) {
        NameDocument(window, path);
    } else if (SaveKeptCopy()[0]) {
        // The new text survives in a file of its own: the box says where.
        std::string text = std::string(ErrorMessageText(result)) + "\r\n\r\n保存する内容は次のファイルに残っています：\r\n" +
                           SaveKeptCopy();
        MessageBoxA(window, text.c_str(), "ファイルの保存", MB_ICONERROR);
    } else {
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

ErrorCode SaveFileByDialog(HWND window)
{
    char file[MAX_PATH];
    lstrcpynA(file, AppState.filePath, sizeof file);
    return ChooseFileToSave(file) ? SaveDocument(window, file) : EC_CANCELLED;
}
