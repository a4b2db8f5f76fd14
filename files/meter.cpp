#include "files/meter.h"

#include "app/appstate.h"
#include "files/meter_geometry.h"

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
    DrawMeterWithStrip(window, x, y, width, position, total, AppState.hdcMeter2Y);
}

void DrawMeterWithStrip(HWND window, int x, int y, int width, int position, int total, HDC strip)
{
    HDC dc = GetDC(window);
    RECT meter = {x, y, x + width, y + 11};
    PaintMeter(strip, 2, 1, 11, dc, &meter, total, position);
    ReleaseDC(window, dc);
}

void PaintMeter(HDC strip, int tickColumn, int trackWidth, int height, HDC target, const RECT* meter,
                int total, int position)
{
    const int w = meter->right - meter->left;
    const int l = meter->left;
    const int t = meter->top;
    // Track, fill over it, ticks over both.
    StretchBlt(target, l, t, w, height, strip, tickColumn + 1, 0, trackWidth, height, SRCCOPY);
    StretchBlt(target, l + 1, t, MeterFillWidth(w, position, total), height, strip, 0, 0, 1, height, SRCCOPY);
    const int ticks = MeterTickCount(total);
    for (int i = 0; i < ticks; ++i) {
        int x = MeterTickX(l, w, i, total);
        int tick = MeterTickIsLong(i) ? 8 : 5;
        StretchBlt(target, x, t + height - tick, 1, tick, strip, tickColumn, height - tick, 1, tick, SRCCOPY);
    }
}

INT_PTR CALLBACK ProgressDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

namespace {

void BeginPass(void* context)
{
    auto* p = static_cast<ConversionProgress*>(context);
    AppState.hwndProgress =
        CreateDialogParamA(AppState.hInstance, "CRCONV", AppState.hwndMain, ProgressDlgProc, 0);
    p->painted = -1;
    ++p->windows;
}

void EndPass(void*) { DestroyWindow(AppState.hwndProgress); }

void Advance(void* context, int percent, std::uint32_t times)
{
    auto* p = static_cast<ConversionProgress*>(context);
    p->advances += times;
    int shown = percent > 100 ? 100 : percent;
    if (shown != p->painted) {
        DrawProgressMeter(AppState.hwndProgress, 14, 15, 196, percent, 100);
        p->painted = shown;
        ++p->paints;
    }
}

}  // namespace

void InitConversionProgress(ConversionProgress* progress)
{
    progress->observer.beginPass = BeginPass;
    progress->observer.endPass = EndPass;
    progress->observer.sink.advance = Advance;
    progress->observer.sink.context = progress;
    progress->painted = -1;
    progress->windows = 0;
    progress->paints = 0;
    progress->advances = 0;
}
