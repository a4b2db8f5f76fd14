// The bitmap progress meter and the progress window of the conversions.
#pragma once

#include <windows.h>

#include "codec/document.h"

void LoadMeterBitmaps(HWND window);
void FreeMeterBitmaps();
void DrawProgressMeter(HWND window, int x, int y, int width, int position, int total);
void DrawMeterWithStrip(HWND window, int x, int y, int width, int position, int total, HDC strip);
void PaintMeter(HDC strip, int tickColumn, int trackWidth, int height, HDC target, const RECT* meter,
                int total, int position);
INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows a CRCONV progress window around each pass of a load or save and
// advances its meter. The meter is painted only when the value to show
// changes: painting the same picture again at every advance would cost
// seconds per megabyte under a slow display.
struct ConversionProgress {
    PassObserver observer;
    int painted;         // value painted in the current pass, or -1
    unsigned windows;    // progress windows shown so far
    unsigned paints;     // meter paints so far
    unsigned long long advances;  // advances received so far
};
void InitConversionProgress(ConversionProgress* progress);
