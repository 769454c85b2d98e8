#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/gl_device.h"
#include "support/temp_folder.h"

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
inline std::string MakeTga(int width, int height, const std::vector<Bgra>& topFirst, int bits, bool topOrigin, bool rle)
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
