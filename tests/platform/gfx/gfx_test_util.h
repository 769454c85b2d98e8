#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "math/vertex.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"

// A per-test scratch folder under the system temp dir.
inline std::filesystem::path ScratchDir()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "tarnwick_gfx_tests" /
                                (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::string WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (f != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path.string();
}

struct Bgra {
    std::uint8_t b, g, r, a;
};

// A TGA file. `rows` are given top first; `topOrigin` decides the order they are stored in.
inline std::string MakeTga(int width, int height, const std::vector<Bgra>& topFirst, int bits, bool topOrigin,
                           bool rle)
{
    std::string out(18, '\0');
    out[2] = static_cast<char>(rle ? 10 : 2);
    out[12] = static_cast<char>(width & 0xFF);
    out[13] = static_cast<char>(width >> 8);
    out[14] = static_cast<char>(height & 0xFF);
    out[15] = static_cast<char>(height >> 8);
    out[16] = static_cast<char>(bits);
    out[17] = static_cast<char>((topOrigin ? 0x20 : 0x00) | (bits == 32 ? 8 : 0));
    auto pixel = [&](const Bgra& p) {
        out += static_cast<char>(p.b);
        out += static_cast<char>(p.g);
        out += static_cast<char>(p.r);
        if (bits == 32) {
            out += static_cast<char>(p.a);
        }
    };
    for (int i = 0; i < height; ++i) {
        const int row = topOrigin ? i : height - 1 - i;
        for (int x = 0; x < width; ++x) {
            if (rle) {
                out += static_cast<char>(0);  // a raw packet of one pixel
            }
            pixel(topFirst[static_cast<std::size_t>(row * width + x)]);
        }
    }
    return out;
}

inline Vertex V(float x, float y, float z, std::uint32_t color, float u = 0.0f, float v = 0.0f)
{
    return Vertex{x, y, z, 0.0f, 0.0f, -1.0f, color, u, v};
}

// Writes vertices into a buffer through one Lock per vertex, as the game does.
inline void FillBuffer(IDirect3DVertexBuffer9* vb, const std::vector<Vertex>& vertices, UINT firstVertex = 0)
{
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        void* p = nullptr;
        ASSERT_EQ(vb->Lock(static_cast<UINT>((firstVertex + i) * sizeof(Vertex)), sizeof(Vertex), &p, 0), S_OK);
        *static_cast<Vertex*>(p) = vertices[i];
        ASSERT_EQ(vb->Unlock(), S_OK);
    }
}
