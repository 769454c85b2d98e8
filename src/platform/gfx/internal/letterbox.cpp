// Where the back buffer lands in a window of another proportion, in whole pixels.

#include "platform/gfx/internal/letterbox.h"

#include <cstdint>

GfxViewRect GfxLetterbox(int drawableWidth, int drawableHeight, int pictureWidth, int pictureHeight)
{
    if (drawableWidth <= 0 || drawableHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) {
        return {0, 0, drawableWidth > 0 ? drawableWidth : 0, drawableHeight > 0 ? drawableHeight : 0};
    }
    const std::int64_t dw = drawableWidth;
    const std::int64_t dh = drawableHeight;
    const std::int64_t pw = pictureWidth;
    const std::int64_t ph = pictureHeight;
    if (dw * ph > dh * pw) {
        // Wider than the picture: bars left and right.
        const auto width = static_cast<int>((dh * pw + ph / 2) / ph);
        return {(drawableWidth - width) / 2, 0, width, drawableHeight};
    }
    const auto height = static_cast<int>((dw * ph + pw / 2) / pw);
    return {0, (drawableHeight - height) / 2, drawableWidth, height};
}
