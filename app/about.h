// The About box.
#pragma once

#include <windows.h>

INT_PTR CALLBACK AboutDlgProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

// Where the two lines are drawn over the picture: the credit, then the
// version below it.
extern const RECT kAboutCreditRect;
extern const RECT kAboutVersionRect;
