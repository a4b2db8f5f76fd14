// The bitmap progress meter and the progress window of the conversions.
#pragma once

#include <windows.h>

#include "codec/pipeline.h"

void LoadMeterBitmaps(HWND window);
void FreeMeterBitmaps();
void DrawProgressMeter(HWND window, int x, int y, int width, int position, int total);

// Shows a CRCONV progress window around each pass of a load or save and
// advances its meter. The meter is painted only when the value to show
// changes: painting the same picture again at every advance would cost
// seconds per megabyte under a slow display.
const PassObserver* ConversionProgressObserver();

// What the conversion meters have shown since the program started.
struct MeterCounts {
    unsigned windows;
    unsigned paints;
    unsigned long long advances;
};
MeterCounts ConversionMeterCounts();
