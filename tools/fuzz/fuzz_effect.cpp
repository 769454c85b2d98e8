// The effect file parser, then the effect made from the same bytes as a file on the
// recording device: they must agree, and every parsed shader must assemble into source.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_device.h"
#include "platform/d3dx9.h"
#include "platform/gfx_effect.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 16)) {
        return 0;
    }
    FuzzDevice& fuzz = TheFuzzDevice();
    IDirect3DDevice9* const device = fuzz.device;
    const std::string text(reinterpret_cast<const char*>(data), size);
    GfxEffectDesc desc;
    std::string error;
    const bool parsed = GfxParseEffect(text, "fuzz.fx", &desc, &error);
    FuzzCheck(parsed == error.empty());
    if (parsed) {
        for (const auto& technique : desc.techniques) {
            for (const auto& pass : technique.passes) {
                FuzzCheck(pass.vertexShader >= 0 && pass.vertexShader < static_cast<int>(desc.shaders.size()));
                FuzzCheck(pass.fragmentShader >= 0 && pass.fragmentShader < static_cast<int>(desc.shaders.size()));
            }
        }
        for (const auto& shader : desc.shaders) {
            FuzzCheck(!GfxShaderSource(desc, shader, true).empty());
        }
    }

    const std::string path = FuzzFolder() + "/effect.fx";
    FuzzWriteFile(path, data, size);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT hr = D3DXCreateEffectFromFileW(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors);
    FuzzCheck(SUCCEEDED(hr) == parsed && (effect != nullptr) == parsed && (errors != nullptr) == !parsed);
    if (effect != nullptr) {
        for (const auto& technique : desc.techniques) {
            FuzzCheck(effect->GetTechniqueByName(technique.name.c_str()) != nullptr);
        }
        for (const auto& param : desc.params) {
            FuzzCheck(effect->GetParameterByName(nullptr, param.name.c_str()) != nullptr);
        }
        effect->Release();
    }
    if (errors != nullptr) {
        errors->Release();
    }
    FuzzCheck(fuzz.NothingLeft());
    return 0;
}
