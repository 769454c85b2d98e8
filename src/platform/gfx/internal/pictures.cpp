// TGA pictures: the header and length check that guards the decoder and the decoding into
// texture rows through stb_image; the loader, the prefetch worker that decodes pictures
// during start-up for the texture calls that ask for the same paths, and the file reader.

#include "platform/gfx/internal/pictures.h"

#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include <stb_image.h>

#include "platform/files/files.h"
#include "platform/gfx/prefetch.h"

namespace {

std::uint32_t Read16(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
}

bool Refuse(std::string* why, std::string reason)
{
    *why = std::move(reason);
    return false;
}

// Largest file any picture we read can need: a 4096 x 4096 RLE picture of one-pixel
// packets at 4 bytes a pixel, with the longest ID and colour map.
constexpr std::uint64_t kMaxPictureFileBytes = 5ull * kGfxMaxTextureSide * kGfxMaxTextureSide + 18 + 255 + 65535 * 4;

struct Slot {
    std::string path;
    bool done = false;
    bool taken = false;
    GfxPrefetchedPicture picture;  // no pixels when it failed to load
};

struct Prefetch {
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<Slot> slots;  // sized before the worker starts; only the flags change
    std::thread worker;

    void Finish()
    {
        if (worker.joinable()) {
            worker.join();
        }
        for (Slot& slot : slots) {
            std::free(slot.picture.pixels);
        }
        slots.clear();
    }

    void Run()
    {
        std::string why;
        for (Slot& slot : slots) {
            GfxPrefetchedPicture picture;
            GfxLoadPicture(slot.path.c_str(), &picture, &why);
            const std::lock_guard<std::mutex> lock(mutex);
            slot.picture = picture;
            slot.done = true;
            ready.notify_all();
        }
    }
};

// Never destroyed: the program's exit must not wait on a worker still reading (a new
// prefetch does wait for the old one).
Prefetch& State()
{
    static Prefetch* state = new Prefetch();
    return *state;
}

}  // namespace

bool GfxCheckTga(const std::uint8_t* data, std::size_t size, std::uint32_t* width, std::uint32_t* height,
                 std::string* why)
{
    constexpr std::size_t kHeader = 18;
    if (data == nullptr || size < kHeader) {
        return Refuse(why, "shorter than a TGA header");
    }
    if (size > static_cast<std::size_t>(INT_MAX)) {
        return Refuse(why, "too large");
    }
    const std::uint32_t idLength = data[0];
    const std::uint32_t mapType = data[1];
    const std::uint32_t type = data[2];
    const std::uint32_t mapLength = Read16(data + 5);
    const std::uint32_t mapEntryBits = data[7];
    const std::uint32_t w = Read16(data + 12);
    const std::uint32_t h = Read16(data + 14);
    const std::uint32_t bits = data[16];
    const bool rle = type >= 9;
    const std::uint32_t base = rle ? type - 8 : type;
    if ((type < 1 || type > 3) && (type < 9 || type > 11)) {
        return Refuse(why, "not a TGA picture type we read");
    }
    if ((base == 1) != (mapType == 1) || mapType > 1) {
        return Refuse(why, "colour map does not match the picture type");
    }
    const bool bitsOk = base == 1
                            ? (bits == 8 && mapLength > 0 &&
                               (mapEntryBits == 15 || mapEntryBits == 16 || mapEntryBits == 24 || mapEntryBits == 32))
                        : base == 2 ? (bits == 15 || bits == 16 || bits == 24 || bits == 32)
                                    : (bits == 8 || bits == 16);
    if (!bitsOk) {
        return Refuse(why, "unsupported bits per pixel");
    }
    if (w == 0 || h == 0 || w > kGfxMaxTextureSide || h > kGfxMaxTextureSide) {
        return Refuse(why, "picture size outside 1.." + std::to_string(kGfxMaxTextureSide));
    }
    const std::uint64_t pixelBytes = (bits + 7) / 8;
    std::uint64_t pos =
        kHeader + idLength + (mapType == 1 ? mapLength * static_cast<std::uint64_t>((mapEntryBits + 7) / 8) : 0);
    const std::uint64_t pixels = static_cast<std::uint64_t>(w) * h;
    if (!rle) {
        pos += pixels * pixelBytes;
    } else {
        std::uint64_t done = 0;
        while (done < pixels && pos < size) {
            const std::uint32_t packet = data[pos];
            const std::uint64_t count = (packet & 0x7Fu) + 1;
            pos += 1 + ((packet & 0x80u) != 0 ? pixelBytes : count * pixelBytes);
            done += count;
        }
        if (done < pixels) {
            return Refuse(why, "the RLE data ends before the last pixel");
        }
    }
    if (pos > size) {
        return Refuse(why, "the file ends before the last pixel");
    }
    *width = w;
    *height = h;
    return true;
}

bool GfxDecodeTgaInto(const std::uint8_t* data, std::size_t size, std::uint32_t width, std::uint32_t height,
                      std::uint8_t* bgra, std::string* why)
{
    int x = 0, y = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(data, static_cast<int>(size), &x, &y, &channels, 4);
    if (rgba == nullptr) {
        const char* reason = stbi_failure_reason();
        return Refuse(why, reason != nullptr ? reason : "undecodable");
    }
    if (static_cast<std::uint32_t>(x) != width || static_cast<std::uint32_t>(y) != height) {
        stbi_image_free(rgba);
        return Refuse(why, "decoded size differs from the header");
    }
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    for (std::size_t i = 0; i < bytes; i += 4) {
        bgra[i] = rgba[i + 2];
        bgra[i + 1] = rgba[i + 1];
        bgra[i + 2] = rgba[i];
        bgra[i + 3] = rgba[i + 3];
    }
    stbi_image_free(rgba);
    return true;
}

bool GfxReadFile(const char* path, std::uint64_t maxBytes, std::vector<std::uint8_t>* bytes, std::string* why)
{
    if (ReadRegularFile(path, maxBytes, bytes, why)) {
        return true;
    }
    // The callers put the path in front themselves.
    const std::size_t named = std::strlen(path) + 1;
    if (why->size() > named) {
        why->erase(0, named);
    }
    return false;
}

HRESULT GfxReadPicture(const char* path, std::vector<std::uint8_t>* bytes, std::uint32_t* width, std::uint32_t* height,
                       std::string* why)
{
    if (!GfxReadFile(path, kMaxPictureFileBytes, bytes, why)) {
        return D3DERR_NOTFOUND;
    }
    return GfxCheckTga(bytes->data(), bytes->size(), width, height, why) ? S_OK : D3DXERR_INVALIDDATA;
}

HRESULT GfxLoadPicture(const char* path, GfxPrefetchedPicture* out, std::string* why)
{
    std::vector<std::uint8_t> bytes;
    GfxPrefetchedPicture picture;
    const HRESULT read = GfxReadPicture(path, &bytes, &picture.width, &picture.height, why);
    if (read != S_OK) {
        return read;
    }
    picture.pixels = static_cast<std::byte*>(std::calloc(static_cast<std::size_t>(picture.width) * picture.height, 4));
    if (picture.pixels == nullptr) {
        *why = "too large to hold";
        return D3DXERR_INVALIDDATA;
    }
    if (!GfxDecodeTgaInto(bytes.data(), bytes.size(), picture.width, picture.height,
                          reinterpret_cast<std::uint8_t*>(picture.pixels), why)) {
        std::free(picture.pixels);
        return D3DXERR_INVALIDDATA;
    }
    *out = picture;
    return S_OK;
}

void GfxPrefetchPictures(const char* const* paths, std::size_t count)
{
    Prefetch& state = State();
    state.Finish();
#ifdef __EMSCRIPTEN__
    // Threads in a page need special server headers: every picture loads in its own call.
    (void)paths;
    (void)count;
    return;
#endif
    if (paths == nullptr || count == 0) {
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (paths[i] != nullptr) {
            state.slots.emplace_back().path = paths[i];
        }
    }
    try {
        state.worker = std::thread([&state] { state.Run(); });
    } catch (const std::system_error&) {
        state.slots.clear();  // no thread: every picture loads in its own call
    }
}

bool GfxTakePrefetchedPicture(const char* path, GfxPrefetchedPicture* out)
{
    Prefetch& state = State();
    if (path == nullptr || out == nullptr) {
        return false;
    }
    std::unique_lock<std::mutex> lock(state.mutex);
    for (Slot& slot : state.slots) {
        if (slot.taken || slot.path != path) {
            continue;
        }
        state.ready.wait(lock, [&slot] { return slot.done; });
        slot.taken = true;
        *out = std::exchange(slot.picture, GfxPrefetchedPicture{});
        return out->pixels != nullptr;
    }
    return false;
}
