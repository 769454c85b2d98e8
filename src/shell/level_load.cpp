#include <cstdio>
#include <cstddef>
#include <cstring>
#include <string>

#include "creature/creature.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "platform/files/files.h"
#include "platform/gfx/problems.h"
#include "render/gpu/graphics_objects.h"
#include "shell/level_load.h"
#include "shell/media_search.h"
#include "world/level_scan.h"
#include "world/world.h"

namespace {

// The world buffer holds the 36-byte layout; 0x42 is the format code it is created with.
constexpr DWORD kWorldBufferFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

// A lock refused as busy is asked for again, but not for ever.
constexpr int kLockAttempts = 1000;

HRESULT CreateWorldBuffer(CWorld& world, std::uint32_t bytes)
{
    world.vertexBufferBytes = 0;
    if (Gpu.device == nullptr) {
        return E_FAIL;
    }
    const HRESULT hr =
        Gpu.device->CreateVertexBuffer(bytes, 0, kWorldBufferFvf, D3DPOOL_DEFAULT, &world.vertexBuffer, nullptr);
    if (SUCCEEDED(hr) && world.vertexBuffer != nullptr) {
        world.vertexBufferBytes = bytes;
        return S_OK;
    }
    world.vertexBuffer = nullptr;
    return FAILED(hr) ? hr : E_FAIL;
}

HRESULT LockMap(IDirect3DTexture9* image, D3DLOCKED_RECT& locked)
{
    HRESULT hr = D3DERR_WASSTILLDRAWING;
    for (int attempt = 0; attempt < kLockAttempts && hr == D3DERR_WASSTILLDRAWING; ++attempt) {
        if (attempt > 0) {
            Sleep(1);
        }
        locked = D3DLOCKED_RECT{};
        hr = image->LockRect(0, &locked, nullptr, D3DLOCK_READONLY | D3DLOCK_DONOTWAIT);
    }
    return hr;
}

// Set while CheckLevelMap runs: the first line goes there instead of stderr.
std::string* ReportInto = nullptr;
bool Refused = false;

void Report(const char* file, const char* what, HRESULT hr)
{
    if (ReportInto == nullptr) {
        std::fprintf(stderr, "Level map \"%s\": %s (0x%08X)\n", file, what, static_cast<unsigned>(hr));
    } else if (ReportInto->empty()) {
        // The caller's own line gives the result.
        *ReportInto = std::string("level map ") + file + ": " + what;
    }
}

HRESULT ReportSize(const char* file, UINT width, UINT height)
{
    char what[96];
    std::snprintf(what, sizeof what, "is %u x %u pixels, not 128 x 128", width, height);
    Report(file, what, D3DXERR_INVALIDDATA);
    return D3DXERR_INVALIDDATA;
}

// Everything that can go wrong with a map image is checked here, before the world is touched.
HRESULT CheckMap(IDirect3DTexture9* image, const char* file)
{
    D3DSURFACE_DESC desc{};
    HRESULT hr = image->GetLevelDesc(0, &desc);
    if (FAILED(hr)) {
        Report(file, "has no readable image", hr);
        return hr;
    }
    if (desc.Width != static_cast<UINT>(kMapSize) || desc.Height != static_cast<UINT>(kMapSize)) {
        return ReportSize(file, desc.Width, desc.Height);
    }
    if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8) {
        Report(file, "does not decode to 8-bit colour channels", D3DXERR_INVALIDDATA);
        return D3DXERR_INVALIDDATA;
    }
    return S_OK;
}

// A level needs somewhere to begin and somewhere to end; without either it could only be
// skipped or never left. Null when both are there, else what is missing.
const char* MissingMarks(const std::uint8_t* bits, std::int32_t pitch)
{
    bool start = false;
    bool goal = false;
    for (int row = 0; row < kMapSize; ++row) {
        const std::uint8_t* p = bits + static_cast<std::ptrdiff_t>(row) * pitch;
        for (int column = 0; column < kMapSize; ++column, p += kMapPixelBytes) {
            const PixelClass kind = ClassifyPixel(p[2], p[1], p[0]);
            start = start || kind == PixelClass::Start;
            goal = goal || kind == PixelClass::Goal;
        }
    }
    return start && goal     ? nullptr
           : !start && !goal ? "has no start and no goal"
           : !start          ? "has no start"
                             : "has no goal";
}

// Locks a map image that passed CheckMap; `requireMarks` also asks for a start and a goal.
HRESULT LockForScan(IDirect3DTexture9* image, const char* file, bool requireMarks, D3DLOCKED_RECT& locked)
{
    const HRESULT lockResult = LockMap(image, locked);
    if (FAILED(lockResult) || locked.pBits == nullptr || locked.Pitch < kMapRowBytes) {
        if (SUCCEEDED(lockResult)) {
            image->UnlockRect(0);
        }
        Report(file, "cannot be read", FAILED(lockResult) ? lockResult : E_FAIL);
        return FAILED(lockResult) ? lockResult : E_FAIL;
    }
    const char* missing =
        requireMarks ? MissingMarks(static_cast<const std::uint8_t*>(locked.pBits), locked.Pitch) : nullptr;
    if (missing != nullptr) {
        image->UnlockRect(0);
        Report(file, missing, D3DXERR_INVALIDDATA);
        return D3DXERR_INVALIDDATA;
    }
    return S_OK;
}

// Rebuilds the whole world from a map image that has passed CheckMap. `built` tells whether
// the world was touched: a refused lock leaves it as it was.
HRESULT BuildFromImage(IDirect3DTexture9* image, const char* file, bool& built, bool requireMarks = false)
{
    built = false;
    D3DLOCKED_RECT locked{};
    const HRESULT lockResult = LockForScan(image, file, requireMarks, locked);
    if (FAILED(lockResult)) {
        return lockResult;
    }

    built = true;
    const HRESULT bufferResult = World.Reset();
    BoxList& collision = Creature.bodySystem.boxes;
    collision.Empty();
    ScanMap(static_cast<const std::uint8_t*>(locked.pBits), locked.Pitch, World.blocks, World.spikes, collision,
            World.startPoint, World.goalPoint);
    image->UnlockRect(0);

    World.BuildMesh();
    const HRESULT uploadResult = World.UploadMesh();
    collision.MergeBoxes();
    if (FAILED(bufferResult)) {
        return bufferResult;
    }
    return uploadResult;
}

}  // namespace

HRESULT CWorld::Reset()
{
    ReleaseBuffer();
    const HRESULT hr = CreateWorldBuffer(*this, kWorldBufferBytes);
    ClearContents();
    return hr;
}

void CWorld::ReleaseBuffer()
{
    if (vertexBuffer != nullptr) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    vertexBufferBytes = 0;
}

HRESULT CWorld::UploadMesh()
{
    const std::uint32_t bytes = static_cast<std::uint32_t>(vertexCount) * kVertexStride;
    // Only a map dense with exposed blocks and spikes needs more than the standard buffer.
    if (vertexBuffer == nullptr || bytes > vertexBufferBytes) {
        ReleaseBuffer();
        const HRESULT hr = CreateWorldBuffer(*this, bytes > kWorldBufferBytes ? bytes : kWorldBufferBytes);
        if (FAILED(hr)) {
            return hr;
        }
    }
    if (bytes == 0) {
        return S_OK;
    }
    void* data = nullptr;
    const HRESULT hr = vertexBuffer->Lock(0, bytes, &data, 0);
    if (FAILED(hr) || data == nullptr) {
        return FAILED(hr) ? hr : E_FAIL;
    }
    std::memcpy(data, mesh, bytes);
    return vertexBuffer->Unlock();
}

namespace {
HRESULT LoadFoundMap(const char* path, HRESULT found, bool requireMarks);
HRESULT OpenMap(const char* path, IDirect3DTexture9** opened);
}  // namespace

bool LevelMapRefused() { return Refused; }

HRESULT CheckLevelMap(int levelIndex, std::string* why)
{
    const char* file = LevelMapName(levelIndex);
    std::string line;
    ReportInto = &line;
    GfxProblemCapture problem;
    char path[kMaxPath];
    HRESULT hr = FindMediaFile(path, kMaxPath, file);
    IDirect3DTexture9* image = nullptr;
    if (FAILED(hr)) {
        Report(file, "not found", hr);
    } else {
        hr = OpenMap(path, &image);
    }
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(hr)) {
        hr = LockForScan(image, path, true, locked);
    }
    if (SUCCEEDED(hr)) {
        image->UnlockRect(0);
    }
    if (image != nullptr) {
        image->Release();
    }
    ReportInto = nullptr;
    if (FAILED(hr)) {
        *why = !line.empty() ? line : problem.Line();
    }
    return hr;
}

HRESULT LoadLevel(int levelIndex)
{
    const char* file = LevelMapName(levelIndex);
    char path[kMaxPath];
    const HRESULT found = FindMediaFile(path, kMaxPath, file);
    if (FAILED(found)) {
        Report(file, "not found", found);
    }
    return LoadFoundMap(path, found, true);
}

// The level tool reads maps still being drawn: a start or goal may be missing yet.
HRESULT LoadLevelFile(const char* path) { return LoadFoundMap(path, path != nullptr ? S_OK : E_INVALIDARG, false); }

namespace {

// The map picture, judged and decoded: S_OK with *opened set, or the failure reported.
HRESULT OpenMap(const char* path, IDirect3DTexture9** opened)
{
    *opened = nullptr;
    HRESULT hr = S_OK;
    // Judged from the header first: a map is always 128 x 128, so a bigger picture is
    // refused before it is decoded.
    if (SUCCEEDED(hr)) {
        D3DXIMAGE_INFO info{};
        ID3DXBuffer* why = nullptr;
        hr = D3DXGetImageInfoFromFileW(path, &info, &why);
        if (FAILED(hr)) {
            Report(path, why != nullptr ? static_cast<const char*>(why->GetBufferPointer()) : "cannot be read", hr);
        } else if (info.Width != static_cast<UINT>(kMapSize) || info.Height != static_cast<UINT>(kMapSize)) {
            hr = ReportSize(path, info.Width, info.Height);
        }
        if (why != nullptr) {
            why->Release();
        }
    }

    IDirect3DTexture9* image = nullptr;
    if (SUCCEEDED(hr)) {
        hr = Gpu.device != nullptr ? D3DXCreateTextureFromFileW(Gpu.device, path, &image) : E_FAIL;
        if (FAILED(hr) || image == nullptr) {
            // The graphics layer has already named the file for a bad picture.
            if (hr != D3DXERR_INVALIDDATA && hr != D3DERR_NOTFOUND) {
                Report(path, "cannot be made into a texture", FAILED(hr) ? hr : E_FAIL);
            }
            hr = FAILED(hr) ? hr : E_FAIL;
            image = nullptr;
        }
    }
    if (SUCCEEDED(hr)) {
        hr = CheckMap(image, path);
    }
    if (FAILED(hr) && image != nullptr) {
        image->Release();
        image = nullptr;
    }
    *opened = image;
    return hr;
}

// `found` is the media search's result; a failure only brings the previous level back.
HRESULT LoadFoundMap(const char* path, HRESULT found, bool requireMarks)
{
    Refused = true;
    HRESULT hr = found;
    IDirect3DTexture9* image = nullptr;
    if (SUCCEEDED(hr)) {
        hr = OpenMap(path, &image);
    }
    if (SUCCEEDED(hr)) {
        bool built = false;
        hr = BuildFromImage(image, path, built, requireMarks);
        if (built) {
            // Lists and mesh are whole even if the vertex buffer failed: the new image
            // replaces the old.
            if (Gpu.mapTexture != nullptr) {
                Gpu.mapTexture->Release();
            }
            Gpu.mapTexture = image;
            Refused = false;
            return hr;
        }
    }

    if (image != nullptr) {
        image->Release();
    }
    // The world itself is untouched, but the creature's collision boxes are emptied between
    // levels: bring back the previous level whole so both agree.
    if (Gpu.mapTexture != nullptr) {
        bool rebuilt = false;
        BuildFromImage(Gpu.mapTexture, "the previous level", rebuilt);
    }
    return hr;
}

}  // namespace

HRESULT StartLevel(int levelIndex)
{
    const HRESULT hr = LoadLevel(levelIndex);
    const Vector4 start = World.startPoint;
    Creature.Place(start);
    return hr;
}
