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

void DispatchLoopMessage(MSG* msg, HACCEL accelerators)
{
    // The panes' filter sees every message before it is translated.
    if (AppState.hHook)
        CallMsgFilterA(msg, kLoopFilterCode);
    if (!TranslateAcceleratorA(AppState.hwndMain, accelerators, msg)) {
        TranslateMessage(msg);
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
