#pragma once

// Holds presents to a steady 60 per second when the display cannot pace them (no vsync, or
// a refresh rate other than 60 Hz). Deadlines are counted from a fixed origin so rounding
// never accumulates: frame k is due at origin + k * 1/60 s.

#include <cstdint>

class GfxFramePacer {
public:
    static constexpr std::int64_t kNanosPerSecond = 1000000000;
    static constexpr std::int64_t kFramesPerSecond = 60;

    // Advances the schedule by one present made at `nowNs` and says how long to wait before
    // it (0 when it is due). A present more than one period late restarts the schedule
    // from `nowNs`, so a stall is not followed by a burst of catch-up frames.
    std::int64_t Schedule(std::int64_t nowNs);
    // Schedule against the steady clock, then sleep to the deadline.
    void Wait();
    // Sleeps until the steady clock reads `deadlineNs`.
    static void SleepUntil(std::int64_t deadlineNs);

    static std::int64_t NowNs();
    static std::int64_t Due(std::int64_t frame) { return frame * kNanosPerSecond / kFramesPerSecond; }

private:
    bool started_ = false;
    std::int64_t origin_ = 0;
    std::int64_t frame_ = 0;
};
