// The texture path from a file: header check, decode, texture creation on the recording
// device and a read of every row through LockRect. A texture is made exactly when the
// header check passes and the decoder agrees, and it has the header's size.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_device.h"
#include "platform/d3dx9.h"
#include "platform/gfx_tga.h"

namespace {

volatile unsigned sink = 0; // keeps the row reads

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20)) {
        return 0;
    }
    FuzzDevice& fuzz = TheFuzzDevice();
    IDirect3DDevice9* const device = fuzz.device;
    const std::string path = FuzzFolder() + "/picture.tga";
    FuzzWriteFile(path, data, size);

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::string why;
    const bool headerOk = GfxCheckTga(data, size, &width, &height, &why);

    IDirect3DTexture9* texture = nullptr;
    const HRESULT hr = D3DXCreateTextureFromFileW(device, path.c_str(), &texture);
    FuzzCheck(SUCCEEDED(hr) == (texture != nullptr));
    if (texture == nullptr) {
        FuzzCheck(hr == D3DXERR_INVALIDDATA && fuzz.NothingLeft());
        return 0;
    }
    FuzzCheck(headerOk);
    D3DSURFACE_DESC desc {};
    FuzzCheck(texture->GetLevelDesc(0, &desc) == S_OK);
    FuzzCheck(desc.Width == width && desc.Height == height && desc.Format == D3DFMT_A8R8G8B8);

    D3DLOCKED_RECT locked {};
    FuzzCheck(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) == S_OK);
    FuzzCheck(locked.pBits != nullptr && locked.Pitch >= static_cast<INT>(width * 4));
    unsigned sum = 0;
    for (std::uint32_t row = 0; row < height; ++row) {
        const auto* bytes
            = static_cast<const std::uint8_t*>(locked.pBits) + static_cast<std::size_t>(row) * locked.Pitch;
        for (std::uint32_t i = 0; i < width * 4; ++i) {
            sum += bytes[i];
        }
    }
    FuzzCheck(texture->UnlockRect(0) == S_OK);
    texture->Release();
    sink = sum;
    FuzzCheck(fuzz.NothingLeft());
    return 0;
}
