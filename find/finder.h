// The finder dialog and the five search and replace operations.
#pragma once

#include <windows.h>

#include "app/error_text.h"

#define WM_FINDER_REFRESH WM_USER

INT_PTR CALLBACK FinderDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

ErrorCode FindNext(const char* pattern);
ErrorCode FindPrev(const char* pattern);
ErrorCode ReplaceNext(const char* pattern, const char* replacement);
ErrorCode ReplaceAll(const char* pattern, const char* replacement);
ErrorCode ReplaceRepeat(const char* pattern, const char* replacement);

// Draws the meter of the newest open finder, if there is one, and keeps the
// value so that the finder can paint it again when it is exposed.
void DrawFinderMeter(int percent);
