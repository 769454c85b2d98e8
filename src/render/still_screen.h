#pragma once

// A screen that holds still (its picture over the sky, no drops, the same pointer, wind and
// camera as the frame before) shows the same pixels again. Its second frame is kept in a
// texture; the frames after it are copied from there instead of drawing the sky and the
// picture's lens again.

#include "render/scene_state.h"

// The key of a frame that shows `picture`, with the camera the device holds now.
StillScreenKey StillScreenNow(int picture, float pointerX, float pointerY);

// Copies the kept frame onto the render target if it was kept under `key`; false, with
// nothing drawn, otherwise or when the copy fails.
bool ShowStillScreen(const StillScreenKey& key);

// Keeps the render target's pixels under `key` when the frame before was drawn under it too,
// making the texture at the first such call.
void KeepStillScreen(const StillScreenKey& key);
