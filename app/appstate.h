// The program's one global state record.
#pragma once

#include <windows.h>

#include "codec/codes.h"

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
    char loadedPath[MAX_PATH];  // the file last read in this run, whatever the document is named
    bool soundOn;
    KanjiCode kanjiSetting;
    LineBreakCode lineBreakSetting;
    KanjiCode detectedKanji;  // by the last load that converted a file
    LineBreakCode detectedLineBreak;
    bool detectedByteOrderMark;  // the last load was UTF-8 behind a byte-order mark
    bool splitOn;
    bool splitDragging;
    int splitPercent;  // the top pane's share of the height, 10 to 90
    bool finderBusy;   // a finder's action is running
};

extern AppStateRecord AppState;
