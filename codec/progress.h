// Progress reporting of the conversion passes.
//
// A pass "advances the meter" at every step whose percentage is a multiple
// of 5, so the same value is reported over and over while the text passes
// through that percent. Calling out for each such step would cost an
// indirect call on a fifth of all bytes, so the pass reports runs instead:
// the first advance of a run as soon as it happens, the rest of the run in
// one call when the run ends. The sequence of advances a sink sees, expanded
// by the counts, is exactly the sequence of single advances.
#pragma once

#include <cstddef>
#include <cstdint>

struct ProgressSink {
    // The meter was advanced `times` times in a row to `percent`.
    void (*advance)(void* context, int percent, std::uint32_t times);
    void* context;
};

// Tracks p = pos * 100 / length for a monotonic sequence of step positions
// without dividing per step: a division happens only when a position
// crosses into the next percent. A pass cuts its loop into runs:
//
//     while (i < len) {
//         std::size_t stop = tracker.BeginRun(i, len);
//         ... plain loop over the steps that start before stop ...
//         tracker.EndRun(steps);
//     }
//     tracker.Flush();
class PercentTracker {
public:
    // With no sink, or a length of 0, nothing is reported and a run is the
    // whole text. skipFirst drops the first reported advance (used by the
    // pass that measures p after a step rather than before).
    PercentTracker(std::uint64_t length, const ProgressSink* sink, bool skipFirst = false)
        : length_(length ? length : 1), sink_(length ? sink : nullptr), skipFirst_(skipFirst) {}

    bool Tracking() const { return sink_ != nullptr; }

    // A run of steps starts at pos; returns where it ends, at most end.
    std::size_t BeginRun(std::uint64_t pos, std::size_t end)
    {
        if (!sink_)
            return end;
        Enter(pos);
        return limit_ < end ? static_cast<std::size_t>(limit_) : end;
    }

    // The run took `steps` steps (at least one).
    void EndRun(std::uint64_t steps)
    {
        if (sink_)
            AddSteps(steps - 1);
    }

    std::uint64_t Limit() const { return limit_; }

    // A whole pass over the positions from i to end, in the runs above:
    // `run(stop)` goes on from i (which it moves) while i is below stop and
    // returns the steps it took. Flushes at the end.
    template <typename Run>
    void RunAll(const std::size_t& i, std::size_t end, Run run)
    {
        while (i < end) {
            const std::size_t stop = BeginRun(i, end);
            EndRun(run(stop));
        }
        Flush();
    }

    // A step starts at pos >= Limit(): begins the run of its percentage and
    // counts that step.
    void Enter(std::uint64_t pos) {
        Flush();
        percent_ = static_cast<int>(pos * 100 / length_);
        std::uint64_t next = static_cast<std::uint64_t>(percent_) + 1;
        limit_ = (next * length_ + 99) / 100;  // first pos with a larger p
        reporting_ = sink_ && percent_ % 5 == 0;
        bool skip = skipFirst_;
        skipFirst_ = false;
        if (reporting_ && !skip)
            sink_->advance(sink_->context, percent_, 1);
    }

    // Further steps of the current run, beyond the one counted by Enter.
    void AddSteps(std::uint64_t steps) { pending_ += steps; }

    // Reports a final advance measured at pos (after the last step).
    void Final(std::uint64_t pos) {
        Enter(pos);
        Flush();
    }

    void Flush() {
        if (reporting_ && pending_ > 0) {
            // Runs longer than 4 G steps are reported in pieces.
            while (pending_ > 0) {
                std::uint32_t n = pending_ > 0xFFFFFFFFu ? 0xFFFFFFFFu
                                                         : static_cast<std::uint32_t>(pending_);
                sink_->advance(sink_->context, percent_, n);
                pending_ -= n;
            }
        }
        pending_ = 0;
    }

private:
    std::uint64_t length_;
    const ProgressSink* sink_;
    bool skipFirst_;
    std::uint64_t limit_ = 0;
    std::uint64_t pending_ = 0;
    int percent_ = 0;
    bool reporting_ = false;
};
