#pragma once

// Private to the graphics layer: the picture loader, the hand-over of prefetched pictures
// (the public call is platform/gfx/prefetch.h) and the file reader effects share with them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/d3dx9.h"

// One prefetched picture handed over: its pixels, calloc'd width x height x 4 bytes in the
// texture layout (rows top first, B G R A), now owned by the taker.
struct GfxPrefetchedPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::byte* pixels = nullptr;
};

// ReadRegularFile, with the reason alone (no path in front) on failure.
bool GfxReadFile(const char* path, std::uint64_t maxBytes, std::vector<std::uint8_t>* bytes, std::string* why);

// Reads a TGA file and checks its header against its length, without decoding. The result
// is the texture call's: D3DERR_NOTFOUND when the file cannot be read (missing, a folder,
// too long, a read error), D3DXERR_INVALIDDATA when it is not a TGA we read or is cut short.
HRESULT GfxReadPicture(const char* path, std::vector<std::uint8_t>* bytes, std::uint32_t* width,
                       std::uint32_t* height, std::string* why);

// Reads and decodes a TGA file now, into freshly calloc'd pixels the caller frees. On
// failure nothing is kept and *why says what was wrong.
HRESULT GfxLoadPicture(const char* path, GfxPrefetchedPicture* out, std::string* why);

// Waits for the picture prefetched under exactly this path and takes it. False when there
// is none, it was taken already, or it failed to load (the caller then loads it itself).
bool GfxTakePrefetchedPicture(const char* path, GfxPrefetchedPicture* out);
