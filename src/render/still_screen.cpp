#include "render/still_screen.h"

#include <cstring>

#include "render/gpu/graphics_objects.h"

namespace {

// Every field is four bytes wide: the key has no padding to compare.
static_assert(sizeof(StillScreenKey) == 6 * sizeof(float) + 2 * sizeof(D3DXMATRIX));

bool SameKey(const StillScreenKey& a, const StillScreenKey& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The texture made the size and format of `target`; false once that has been refused.
bool HaveTexture(IDirect3DSurface9* target)
{
    if (Gpu.stillScreenSurface != nullptr) {
        return true;
    }
    D3DSURFACE_DESC desc{};
    if (Gpu.stillScreenRefused || FAILED(target->GetDesc(&desc)) ||
        FAILED(Gpu.device->CreateTexture(desc.Width, desc.Height, 1, D3DUSAGE_RENDERTARGET, desc.Format,
                                         D3DPOOL_DEFAULT, &Gpu.stillScreen, nullptr)) ||
        FAILED(Gpu.stillScreen->GetSurfaceLevel(0, &Gpu.stillScreenSurface))) {
        if (Gpu.stillScreen != nullptr) {
            Gpu.stillScreen->Release();
            Gpu.stillScreen = nullptr;
        }
        Gpu.stillScreenSurface = nullptr;
        Gpu.stillScreenRefused = true;
        return false;
    }
    return true;
}

// Copies the kept frame onto the render target, or the render target into the kept frame
// (its texture made at the first such copy).
bool CopyKept(bool fromTarget)
{
    IDirect3DSurface9* target = nullptr;
    if (Gpu.device == nullptr || FAILED(Gpu.device->GetRenderTarget(0, &target))) {
        return false;
    }
    const bool ready = !fromTarget || HaveTexture(target);
    IDirect3DSurface9* from = fromTarget ? target : Gpu.stillScreenSurface;
    IDirect3DSurface9* to = fromTarget ? Gpu.stillScreenSurface : target;
    const bool copied = ready && SUCCEEDED(Gpu.device->StretchRect(from, nullptr, to, nullptr, D3DTEXF_NONE));
    target->Release();
    return copied;
}

}  // namespace

StillScreenKey StillScreenNow(int picture, float pointerX, float pointerY)
{
    StillScreenKey key;
    key.picture = picture;
    key.pointerX = pointerX;
    key.pointerY = pointerY;
    key.wind = Scene.windAmount;
    if (Gpu.device != nullptr) {
        Gpu.device->GetTransform(D3DTS_VIEW, &key.view);
        Gpu.device->GetTransform(D3DTS_PROJECTION, &key.projection);
    }
    return key;
}

bool ShowStillScreen(const StillScreenKey& key)
{
    if (Gpu.device == nullptr || Gpu.stillScreenSurface == nullptr || !Scene.stillKeptValid ||
        !SameKey(key, Scene.stillKept)) {
        return false;
    }
    Scene.stillKeptValid = CopyKept(false);
    return Scene.stillKeptValid;
}

void KeepStillScreen(const StillScreenKey& key)
{
    Scene.stillKeptValid = false;
    // Kept from the second frame on: the first copy builds the GPU's copy path, which would
    // delay the game's first frame.
    const bool seen = Scene.stillSeenValid && SameKey(key, Scene.stillSeen);
    Scene.stillSeen = key;
    Scene.stillSeenValid = true;
    if (seen && CopyKept(true)) {
        Scene.stillKept = key;
        Scene.stillKeptValid = true;
    }
}
