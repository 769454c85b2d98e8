#pragma once

// The game's graphics objects as tests and benchmarks set them up: a test effect with the
// game's parameters. Gpu.Reset() releases everything again.

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "render/gpu/graphics_objects.h"
#include "support/temp_folder.h"

// The game's parameters and a plain textured, vertex-coloured technique.
inline const char* const kTestEffect = R"(matrix mWorldViewProjection
texture RenderTargetTexture linear wrap
float WindAmount
vector CamerPosition
vertex Vs
out vec2 uv;
out vec4 color;
void main() { uv = inTexCoord; color = inColor; gl_Position = mWorldViewProjection * vec4(inPosition, 1.0); }
end
fragment Fs
in vec2 uv;
in vec4 color;
out vec4 fragColor;
void main() { fragColor = texture(RenderTargetTexture, uv) * color; }
end
technique WorldLighting
pass Vs Fs
end
)";

// A folder of the process's own keeps test processes that ctest runs side by side off each
// other's file: one removing it while another reads it made the other's set-up fail.
inline std::string WriteTestEffect(const char* fileName)
{
    static const TempFolder folder("tarnwick-effect");
    const std::filesystem::path path = folder.Path() / fileName;
    if (std::FILE* f = std::fopen(path.string().c_str(), "wb")) {
        std::fputs(kTestEffect, f);
        std::fclose(f);
    }
    return path.string();
}

// Creates the effect and looks up its handles as start-up and the frame driver do.
inline bool CreateGameEffect(IDirect3DDevice9* device, const char* fileName)
{
    const std::string path = WriteTestEffect(fileName);
    const HRESULT hr =
        D3DXCreateEffectFromFileW(device, path.c_str(), nullptr, nullptr, 0, nullptr, &Gpu.effect, nullptr);
    std::filesystem::remove(path);
    if (FAILED(hr) || Gpu.effect == nullptr) {
        return false;
    }
    Gpu.worldViewProjectionParam = Gpu.effect->GetParameterByName(nullptr, "mWorldViewProjection");
    Gpu.worldLightingTechnique = Gpu.effect->GetTechniqueByName("WorldLighting");
    return true;
}
