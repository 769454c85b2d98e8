#pragma once

// Where the back buffer goes in the window: as large as fits, in the proportion the picture
// was made for, centred; the rest of the window is black bars.

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
