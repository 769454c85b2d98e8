#pragma once

// Starts reading and decoding these TGA pictures on a worker thread, so that the
// D3DXCreateTextureFromFileW calls for the same paths that follow find their pixels ready
// while the program spends the meantime starting its window and graphics. It changes no
// result: a picture that fails here is loaded again in the call, which reports as always.
// A new call first finishes and forgets the previous one's pictures.

#include <cstddef>

void GfxPrefetchPictures(const char* const* paths, std::size_t count);
