// The About box: the picture with two lines drawn over it.
#include "app/about.h"

#include "app/appstate.h"
#include "app/shell.h"
#include "res/resource.h"

const RECT kAboutCreditRect = {10, 190, 340, 210};
const RECT kAboutVersionRect = {40, 210, 320, 230};

namespace {

const char kAboutCredit[] = "制作：VEXA Project  2026";
const char kAboutVersion[] = "Version 1.00";

// The lines go on the box's own surface over the picture, black and with
// the picture showing between the letters.
void DrawAboutLines(HWND box)
{
    HDC dc = GetDC(box);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT credit = kAboutCreditRect;
    DrawTextA(dc, kAboutCredit, -1, &credit, 0);
    RECT version = kAboutVersionRect;
    DrawTextA(dc, kAboutVersion, -1, &version, 0);
    ReleaseDC(box, dc);
}

void CloseAbout(HWND box)
{
    DestroyWindow(box);
    ReturnFocusToActivePane();
    AppState.hwndAbout = NULL;
}

}  // namespace

INT_PTR CALLBACK AboutDlgProc(HWND box, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            CloseAbout(box);
            return TRUE;
        }
        DrawAboutLines(box);
        return TRUE;
    case WM_PAINT: {
        // Let the picture paint first and complete the paint request, so
        // that it does not come again, then draw the lines over it.
        PAINTSTRUCT ps;
        BeginPaint(box, &ps);
        EndPaint(box, &ps);
        UpdateWindow(GetDlgItem(box, IDC_ABOUT_PICTURE));
        DrawAboutLines(box);
        return TRUE;
    }
    case WM_MOVE:
        DrawAboutLines(box);
        return TRUE;
    }
    return FALSE;
}
