// The program's one global state record.
#pragma once

#include <windows.h>

struct AppStateRecord {
    // Window and resource handles.
    HINSTANCE hInstance;
    HWND hwndMain;        // null until the main window's creation has returned
    HWND hwndEdit;        // the main pane: its text is the document
    HWND hwndEditSub;     // the second pane while split; keeps its old value after
    HWND hwndActiveEdit;  // the pane that last had the focus
    HWND hwndStatus;
    HWND hwndProgress;    // progress window of the conversion pass running
    HWND hwndFinder;      // the finder created last
    HWND hwndAbout;       // null while no About box is open
    HHOOK hHook;
    HHOOK hHookSub;
    HCURSOR hCursorSplit;
    HBRUSH hbrEdit;
    HBITMAP hbmMeter2T;
    HBITMAP hbmMeter2Y;
    HDC hdcMeter2T;
    HDC hdcMeter2Y;

    // Document and settings.
    char filePath[MAX_PATH];  // 260 bytes, Shift-JIS
    int soundOn;
    int kanjiSetting;      // a KanjiCode
    int lineBreakSetting;  // a LineBreakCode
    int detectedKanji;
    int detectedLineBreak;
    int splitOn;
    int splitDragging;
    int splitPercent;
    int finderBusy;
};

extern AppStateRecord AppState;
