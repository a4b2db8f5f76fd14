// Entry point, start-up and the only message loop.
#include <windows.h>

#include <cstring>

#include "app/appstate.h"
#include "app/cmdline.h"
#include "app/shell.h"

AppStateRecord AppState;

namespace {

const char kClassName[] = "EditApli";
HBRUSH classBrush;

}  // namespace

bool StartApplication(HINSTANCE instance, const char* commandLine, int showCommand, HACCEL* accelerators)
{
    // Every run starts alike: sounds on, both settings on Auto, a new
    // document taken as Shift-JIS with CR LF, not split, at half and half.
    AppState = AppStateRecord{};
    AppState.soundOn = true;
    AppState.kanjiSetting = KanjiCode::Auto;
    AppState.lineBreakSetting = LineBreakCode::Auto;
    AppState.detectedKanji = KanjiCode::ShiftJIS;
    AppState.detectedLineBreak = LineBreakCode::CrLf;
    AppState.splitOn = false;
    AppState.splitDragging = false;
    AppState.splitPercent = 50;
    AppState.hInstance = instance;

    // A path too long for the record is not opened at all rather than cut
    // into the name of some other file.
    ParseCommandLine(commandLine, AppState.filePath, sizeof AppState.filePath);

    classBrush = CreateSolidBrush(RGB(10, 200, 150));
    WNDCLASSEXA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = 0;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "A00AppIcon");
    wc.hIconSm = LoadIconA(instance, "A00AppIcon");
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = classBrush;
    wc.lpszMenuName = "MYMENU";
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc)) {
        DeleteObject(classBrush);
        classBrush = NULL;
        return false;
    }

    HWND window = CreateWindowExA(0, kClassName, "VEXA Edit ! : 無題.txt", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL,
                                  NULL, instance, NULL);
    AppState.hwndMain = window;

    *accelerators = LoadAcceleratorsA(instance, "MYMENU");
    AppState.hCursorSplit = LoadCursorA(instance, "MOVEUD");
    // Without a window the loop would wait for ever: give up instead.
    if (!window)
        return false;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return true;
}

namespace {

// A two-byte character typed through an input method reaches the loop as
// two WM_CHAR messages, its lead byte and its trail byte (WM_IME_CHAR
// becomes the same two). Windows hands both to the pane, which joins them.
// Wine's ANSI message path converts each byte to Unicode on its own, and the
// lead byte alone becomes a wrong character; there the loop joins the two
// and sends the character as one Unicode WM_CHAR. Which of the two the
// system does is found once (AnsiPathJoinsTwoByteChars).
bool DispatchTwoByteChar(const MSG* msg)
{
    static HWND leadWindow;
    static BYTE lead;
    if (msg->message != WM_CHAR || !msg->hwnd || AnsiPathJoinsTwoByteChars())
        return false;
    const BYTE byte = static_cast<BYTE>(msg->wParam);
    if (leadWindow) {
        HWND window = leadWindow;
        leadWindow = NULL;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(byte)};
        WCHAR character;
        if (window == msg->hwnd && MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, pair, 2, &character, 1) == 1) {
            SendMessageW(msg->hwnd, WM_CHAR, character, msg->lParam);
            return true;
        }
        SendMessageA(window, WM_CHAR, lead, msg->lParam);  // no trail came: the byte as it was
    }
    if (IsDBCSLeadByte(byte)) {
        leadWindow = msg->hwnd;
        lead = byte;
        return true;
    }
    return false;
}

}  // namespace

void DispatchLoopMessage(MSG* msg, HACCEL accelerators)
{
    // The panes' filter sees every message before it is translated.
    if (AppState.hHook)
        CallMsgFilterA(msg, kLoopFilterCode);
    if (!TranslateAcceleratorA(AppState.hwndMain, accelerators, msg)) {
        TranslateMessage(msg);
        if (!DispatchTwoByteChar(msg))
            DispatchMessageA(msg);
    }
}

int RunMessageLoop(HACCEL accelerators)
{
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0))
        DispatchLoopMessage(&msg, accelerators);
    return static_cast<int>(msg.wParam);
}

void FinishApplication()
{
    UnregisterClassA(kClassName, AppState.hInstance);
    DeleteObject(classBrush);
    classBrush = NULL;
}
