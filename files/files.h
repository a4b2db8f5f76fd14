// Opening and saving the document, with the common file dialogs.
#pragma once

#include "app/error_text.h"

ErrorCode OpenFileByDialog();
ErrorCode SaveFileByDialog();
ErrorCode LoadTextFile(const char* path);
ErrorCode SaveTextFile(const char* path);

// What the last load or save showed, for the tests and the benchmarks.
struct FlowStatistics {
    unsigned progressWindows;
    unsigned meterPaints;
    unsigned long long advances;
    double paneSeconds;     // inside WM_SETTEXT / WM_GETTEXT of the pane
    double diskSeconds;     // writing the file through to the disk and replacing the target
    double totalSeconds;
};
extern FlowStatistics LastFlowStatistics;
