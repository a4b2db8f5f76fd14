// The bitmap progress meter and the progress window of the conversions.
#include "files/meter.h"

#include "app/appstate.h"
#include "files/meter_geometry.h"

namespace {

// The strip METER2Y: column 0 is the fill, column 2 the tick marks,
// column 3 the empty track; all 11 pixels high.
const int kFillColumn = 0;
const int kTickColumn = 2;
const int kTrackColumn = 3;
const int kHeight = 11;

}  // namespace

// Both strips are loaded and kept for the whole run, as the program always
// has done: the meters draw from METER2Y only, and METER2T (the same strip
// on its side) is never drawn from.
void LoadMeterBitmaps(HWND window)
{
    AppState.hbmMeter2T = LoadBitmapA(AppState.hInstance, "METER2T");
    AppState.hbmMeter2Y = LoadBitmapA(AppState.hInstance, "METER2Y");
    HDC dc = GetDC(window);
    AppState.hdcMeter2T = CreateCompatibleDC(dc);
    AppState.hdcMeter2Y = CreateCompatibleDC(dc);
    SelectObject(AppState.hdcMeter2T, AppState.hbmMeter2T);
    SelectObject(AppState.hdcMeter2Y, AppState.hbmMeter2Y);
    ReleaseDC(window, dc);
}

void FreeMeterBitmaps()
{
    DeleteDC(AppState.hdcMeter2T);
    DeleteDC(AppState.hdcMeter2Y);
    DeleteObject(AppState.hbmMeter2T);
    DeleteObject(AppState.hbmMeter2Y);
    AppState.hdcMeter2T = AppState.hdcMeter2Y = NULL;
    AppState.hbmMeter2T = AppState.hbmMeter2Y = NULL;
}

void DrawProgressMeter(HWND window, int x, int y, int width, int position, int total)
{
    HDC strip = AppState.hdcMeter2Y;
    HDC dc = GetDC(window);
    // Track, fill over it, ticks over both.
    StretchBlt(dc, x, y, width, kHeight, strip, kTrackColumn, 0, 1, kHeight, SRCCOPY);
    StretchBlt(dc, x + 1, y, MeterFillWidth(width, position, total), kHeight, strip, kFillColumn, 0, 1, kHeight,
               SRCCOPY);
    const int ticks = MeterTickCount(total);
    for (int i = 0; i < ticks; ++i) {
        int tick = MeterTickIsLong(i) ? 8 : 5;
        StretchBlt(dc, MeterTickX(x, width, i, total), y + kHeight - tick, 1, tick, strip, kTickColumn,
                   kHeight - tick, 1, tick, SRCCOPY);
    }
    ReleaseDC(window, dc);
}

namespace {

int painted = -1;  // the value the current pass's meter shows, or -1
MeterCounts counts;

void BeginPass(void*)
{
    // A window with nothing to answer: the dialog manager's defaults do.
    AppState.hwndProgress = CreateDialogParamA(AppState.hInstance, "CRCONV", AppState.hwndMain, NULL, 0);
    painted = -1;
    ++counts.windows;
}

void EndPass(void*) { DestroyWindow(AppState.hwndProgress); }

void Advance(void*, int percent, std::uint32_t times)
{
    counts.advances += times;
    int shown = percent > 100 ? 100 : percent;
    if (shown != painted) {
        DrawProgressMeter(AppState.hwndProgress, 14, 15, 196, percent, 100);
        painted = shown;
        ++counts.paints;
    }
}

const PassObserver kObserver = {BeginPass, EndPass, {Advance, nullptr}};

}  // namespace

const PassObserver* ConversionProgressObserver() { return &kObserver; }

MeterCounts ConversionMeterCounts() { return counts; }
