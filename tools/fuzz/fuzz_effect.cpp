// The effect file through D3DXCreateEffectFromFileW on the recording device: the parser,
// then every pass of the chosen technique begun and ended. A failure must come with its
// message and leave nothing alive; a success must hold a technique that runs.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_device.h"
#include "platform/gfx/d3dx9.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 16)) {
        return 0;
    }
    FuzzDevice& fuzz = TheFuzzDevice();
    const std::string path = FuzzFolder() + "/effect.fx";
    FuzzWriteFile(path, data, size);

    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr =
        D3DXCreateEffectFromFileW(fuzz.device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors);
    FuzzCheck(SUCCEEDED(hr) == (effect != nullptr) && (errors != nullptr) == (effect == nullptr));
    if (errors != nullptr) {
        const auto* text = static_cast<const char*>(errors->GetBufferPointer());
        FuzzCheck(errors->GetBufferSize() >= 1 && text[errors->GetBufferSize() - 1] == '\0');
        errors->Release();
    }
    if (effect != nullptr) {
        UINT passes = 0;
        if (effect->GetCurrentTechnique() != nullptr && effect->Begin(&passes, 0) == S_OK) {
            for (UINT pass = 0; pass < passes; ++pass) {
                FuzzCheck(effect->BeginPass(pass) == S_OK);
                FuzzCheck(effect->CommitChanges() == S_OK);
                FuzzCheck(effect->EndPass() == S_OK);
            }
            FuzzCheck(effect->BeginPass(passes) == D3DERR_INVALIDCALL);
            FuzzCheck(effect->End() == S_OK);
        }
        effect->Release();
    }
    FuzzCheck(fuzz.NothingLeft());
    return 0;
}
