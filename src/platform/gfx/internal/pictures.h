#pragma once

// Private to the graphics layer: TGA pictures for textures, checked against their header before
// stb_image sees them (a short or oversized file fails cleanly); their loader, the hand-over of
// pictures prefetched on a worker (platform/gfx/prefetch.h), and the file reader effects share.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/d3dx9.h"

constexpr std::uint32_t kGfxMaxTextureSide = 4096;

// Checks that the header describes a picture we read (true colour, grey or colour-mapped,
// plain or RLE, at most kGfxMaxTextureSide a side) and that the file holds every pixel the
// header promises. False with the reason in *why.
bool GfxCheckTga(const std::uint8_t* data, std::size_t size, std::uint32_t* width, std::uint32_t* height,
                 std::string* why);

// Decodes to rows top first, 4 bytes a pixel in the order blue, green, red, alpha, straight
// into `bgra`, which holds width x height x 4 bytes for the size GfxCheckTga reported, so a
// texture's own pixels need no second copy.
bool GfxDecodeTgaInto(const std::uint8_t* data, std::size_t size, std::uint32_t width, std::uint32_t height,
                      std::uint8_t* bgra, std::string* why);

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
HRESULT GfxReadPicture(const char* path, std::vector<std::uint8_t>* bytes, std::uint32_t* width, std::uint32_t* height,
                       std::string* why);

// Reads and decodes a TGA file now, into freshly calloc'd pixels the caller frees. On
// failure nothing is kept and *why says what was wrong.
HRESULT GfxLoadPicture(const char* path, GfxPrefetchedPicture* out, std::string* why);

// Waits for the picture prefetched under exactly this path and takes it. False when there
// is none, it was taken already, or it failed to load (the caller then loads it itself).
bool GfxTakePrefetchedPicture(const char* path, GfxPrefetchedPicture* out);
