// The About box.
#pragma once

#include <windows.h>

INT_PTR CALLBACK AboutDlgProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

// The two lines drawn over the picture.
extern const char kAboutCredit[];
extern const char kAboutVersion[];
