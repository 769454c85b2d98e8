#pragma once

// How presents reach the window: where (as large as fits, in the picture's proportion, centred
// between black bars) and when (60 a second where the display cannot pace them; frame k is due
// at origin + k / 60 s, so rounding never accumulates).

#include <cstdint>

struct GfxViewRect {
    int x;  // GL window coordinates: x from the left, y from the bottom
    int y;
    int width;
    int height;
};

// Pure, in whole pixels. A picture size of zero (unknown) fills the whole drawable.
inline GfxViewRect GfxLetterbox(int drawableWidth, int drawableHeight, int pictureWidth, int pictureHeight)
{
    if (drawableWidth <= 0 || drawableHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) {
        return {0, 0, drawableWidth > 0 ? drawableWidth : 0, drawableHeight > 0 ? drawableHeight : 0};
    }
    const std::int64_t dw = drawableWidth, dh = drawableHeight, pw = pictureWidth, ph = pictureHeight;
    if (dw * ph > dh * pw) {
        // Wider than the picture: bars left and right.
        const auto width = static_cast<int>((dh * pw + ph / 2) / ph);
        return {(drawableWidth - width) / 2, 0, width, drawableHeight};
    }
    const auto height = static_cast<int>((dw * ph + pw / 2) / pw);
    return {0, (drawableHeight - height) / 2, drawableWidth, height};
}

// Holds presents to 60 a second where vsync does not (none, or a display not at 60 Hz).
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
