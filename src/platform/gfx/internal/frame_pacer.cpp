#include "platform/gfx/internal/frame_pacer.h"

#include <chrono>
#include <thread>

std::int64_t GfxFramePacer::NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t GfxFramePacer::Schedule(std::int64_t nowNs)
{
    if (!started_) {
        started_ = true;
        origin_ = nowNs;
        frame_ = 0;
        return 0;
    }
    ++frame_;
    const std::int64_t due = origin_ + Due(frame_);
    if (nowNs > due + Due(1)) {
        origin_ = nowNs;
        frame_ = 0;
        return 0;
    }
    return due > nowNs ? due - nowNs : 0;
}

void GfxFramePacer::Wait()
{
    const std::int64_t start = NowNs();
    const std::int64_t wait = Schedule(start);
    if (wait <= 0) {
        return;
    }
    const std::int64_t until = start + wait;
    // The scheduler may oversleep by a millisecond or more; sleep short, spin the rest.
    constexpr std::int64_t kSpinNs = 2000000;
    if (wait > kSpinNs) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(wait - kSpinNs));
    }
    while (NowNs() < until) {
        std::this_thread::yield();
    }
}
