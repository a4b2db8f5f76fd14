// A second thread for the converter: it runs one job at a time beside the
// main thread, so that two pieces of a text are converted at once.
#pragma once

#include "codec/piecewise.h"

class HelperThread {
public:
    HelperThread() = default;
    ~HelperThread();
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    PiecewiseConverter::Helper Helper() { return {&Start, &Wait, this}; }

private:
    static void Start(void* self, void (*job)(void*), void* argument);
    static void Wait(void* self);
    struct State;
    State* state_ = nullptr;  // made with the thread, at the first job
    bool failed_ = false;     // no thread could be made: jobs run at once
};
