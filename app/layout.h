// Arithmetic of the main window: where the panes and the status bar go,
// what share a drag of the split bar gives, and the window title.
#pragma once

#include <cstddef>

struct PaneRect {
    int x, y, width, height;
};

struct PaneLayout {
    PaneRect status;
    PaneRect main;
    PaneRect sub;  // only meaningful when split
};

// width and height are the size WM_SIZE reports, clientHeight the main
// window's client height and statusHeight the status bar's.
PaneLayout ComputePaneLayout(int width, int height, int clientHeight, int statusHeight, bool split,
                             int splitPercent);

// The top pane's share for a drag to yWord (the high word of the mouse
// message, unsigned: a pointer above the client area gives a large value).
// False, and no share, when the height left to the panes is zero.
bool ComputeDragShare(unsigned yWord, int clientHeight, int statusHeight, int* share);

// "VEXA Edit ! : " and the path, zero-terminated within titleSize bytes. A
// path too long keeps its end (the file name) after "...", never split
// inside a two-byte Shift-JIS character.
void FormatTitle(const char* path, char* title, std::size_t titleSize);
