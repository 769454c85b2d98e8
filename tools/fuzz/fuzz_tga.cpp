// The texture path from a file: header check, decode, texture creation on the recording
// device and a read of every row through LockRect. A texture is made only when the image
// info call accepts the file, and it has the size that call reported.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_device.h"
#include "platform/gfx/d3dx9.h"

namespace {

volatile unsigned sink = 0;  // keeps the row reads

// A small file can claim a huge picture through run-length packets; decoding one takes
// seconds under the sanitizers and teaches the fuzzer nothing the small ones do not.
constexpr std::uint64_t kMaxPixels = 512 * 512;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20)) {
        return 0;
    }
    FuzzDevice& fuzz = TheFuzzDevice();
    IDirect3DDevice9* const device = fuzz.device;
    const std::string path = FuzzFolder() + "/picture.tga";
    FuzzWriteFile(path, data, size);

    D3DXIMAGE_INFO info{};
    const bool headerOk = SUCCEEDED(D3DXGetImageInfoFromFileW(path.c_str(), &info));
    const UINT width = info.Width;
    const UINT height = info.Height;
    if (headerOk && std::uint64_t{width} * height > kMaxPixels) {
        return 0;
    }

    IDirect3DTexture9* texture = nullptr;
    const HRESULT hr = D3DXCreateTextureFromFileW(device, path.c_str(), &texture);
    FuzzCheck(SUCCEEDED(hr) == (texture != nullptr));
    if (texture == nullptr) {
        FuzzCheck((hr == D3DXERR_INVALIDDATA || hr == D3DERR_NOTFOUND) && fuzz.NothingLeft());
        return 0;
    }
    FuzzCheck(headerOk);
    D3DSURFACE_DESC desc{};
    FuzzCheck(texture->GetLevelDesc(0, &desc) == S_OK);
    FuzzCheck(desc.Width == width && desc.Height == height && desc.Format == D3DFMT_A8R8G8B8);

    D3DLOCKED_RECT locked{};
    FuzzCheck(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) == S_OK);
    FuzzCheck(locked.pBits != nullptr && locked.Pitch >= static_cast<INT>(width * 4));
    unsigned sum = 0;
    for (std::uint32_t row = 0; row < height; ++row) {
        const auto* bytes =
            static_cast<const std::uint8_t*>(locked.pBits) + static_cast<std::size_t>(row) * locked.Pitch;
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
