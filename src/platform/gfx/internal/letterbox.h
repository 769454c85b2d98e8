#pragma once

// Where the back buffer goes in the window: as large as fits, in the proportion the picture
// was made for, centred; the rest of the window is black bars.

struct GfxViewRect {
    int x;  // GL window coordinates: x from the left, y from the bottom
    int y;
    int width;
    int height;
};

// Pure. A picture size of zero (unknown) fills the whole drawable.
GfxViewRect GfxLetterbox(int drawableWidth, int drawableHeight, int pictureWidth, int pictureHeight);
