// Pictures read and decoded on a worker thread during start-up, handed to the texture
// calls that ask for the same paths, the loader both use and the whole-file reader.

#include "platform/gfx/internal/picture_prefetch.h"

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/files/files.h"
#include "platform/gfx/internal/tga.h"
#include "platform/gfx/prefetch.h"

namespace {

// Largest file any picture we read can need: a 4096 x 4096 RLE picture of one-pixel
// packets at 4 bytes a pixel, with the longest ID and colour map.
constexpr std::uint64_t kMaxPictureFileBytes = 5ull * kGfxMaxTextureSide * kGfxMaxTextureSide + 18 + 255 + 65535 * 4;

struct Slot {
    std::string path;
    bool done = false;
    bool ok = false;
    bool taken = false;
    GfxPrefetchedPicture picture;
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
            const bool ok = GfxLoadPicture(slot.path.c_str(), &picture, &why) == S_OK;
            const std::lock_guard<std::mutex> lock(mutex);
            slot.picture = picture;
            slot.ok = ok;
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

HRESULT GfxReadPicture(const char* path, std::vector<std::uint8_t>* bytes, std::uint32_t* width,
                       std::uint32_t* height, std::string* why)
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
    picture.pixels =
        static_cast<std::byte*>(std::calloc(static_cast<std::size_t>(picture.width) * picture.height, 4));
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
    if (paths == nullptr || count == 0) {
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (paths[i] != nullptr) {
            state.slots.emplace_back();
            state.slots.back().path = paths[i];
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
        if (!slot.ok) {
            return false;
        }
        *out = slot.picture;
        slot.picture = GfxPrefetchedPicture{};
        return true;
    }
    return false;
}
