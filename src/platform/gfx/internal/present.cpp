// The present pacer: its schedule of 60 deadlines a second and the sleep to each, on the
// monotonic clock.

#include "platform/gfx/internal/present.h"

#include <time.h>

#include <cerrno>

std::int64_t GfxFramePacer::NowNs()
{
    // The clock SleepUntil waits on (and std::chrono::steady_clock's).
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNanosPerSecond + now.tv_nsec;
}

std::int64_t GfxFramePacer::Schedule(std::int64_t nowNs)
{
    const std::int64_t due = origin_ + Due(frame_ + 1);
    if (started_ && nowNs <= due + Due(1)) {
        ++frame_;
        return due > nowNs ? due - nowNs : 0;
    }
    // The first present, or one more than a period late: the schedule starts again from it.
    started_ = true;
    origin_ = nowNs;
    frame_ = 0;
    return 0;
}

void GfxFramePacer::Wait()
{
    const std::int64_t start = NowNs();
    const std::int64_t wait = Schedule(start);
    if (wait > 0) {
        SleepUntil(start + wait);
    }
}

void GfxFramePacer::SleepUntil(std::int64_t deadlineNs)
{
    // An absolute deadline on the steady clock's own clock: the kernel wakes us at it (plus
    // its timer slack, some 50 us), with no time spent spinning and no drift from early
    // or late wake-ups.
    const timespec until{static_cast<time_t>(deadlineNs / kNanosPerSecond),
                         static_cast<long>(deadlineNs % kNanosPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}
