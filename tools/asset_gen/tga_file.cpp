#include "tga_file.h"

#include <cstring>

std::vector<std::uint8_t> EncodeTga(const std::vector<std::uint8_t>& bgra, int width, int height, bool alpha)
{
    const int bytes = alpha ? 4 : 3;
    std::vector<std::uint8_t> out(18, 0);
    out[2] = 10;  // run-length encoded true colour
    out[12] = static_cast<std::uint8_t>(width & 0xFF);
    out[13] = static_cast<std::uint8_t>(width >> 8);
    out[14] = static_cast<std::uint8_t>(height & 0xFF);
    out[15] = static_cast<std::uint8_t>(height >> 8);
    out[16] = static_cast<std::uint8_t>(bytes * 8);
    out[17] = static_cast<std::uint8_t>(0x20 | (alpha ? 8 : 0));  // top-left origin, alpha bits
    const auto pixel = [&](int i) { return &bgra[static_cast<std::size_t>(i) * 4]; };
    const auto same = [&](int i, int j) {
        return std::memcmp(pixel(i), pixel(j), static_cast<std::size_t>(bytes)) == 0;
    };
    // Packets never cross a row, as the format asks.
    for (int y = 0; y < height; ++y) {
        const int rowEnd = (y + 1) * width;
        int i = y * width;
        while (i < rowEnd) {
            int run = 1;
            while (i + run < rowEnd && run < 128 && same(i, i + run)) {
                ++run;
            }
            if (run >= 2) {
                out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
                out.insert(out.end(), pixel(i), pixel(i) + bytes);
                i += run;
                continue;
            }
            int raw = 1;
            while (i + raw < rowEnd && raw < 128 && !(i + raw + 1 < rowEnd && same(i + raw, i + raw + 1))) {
                ++raw;
            }
            out.push_back(static_cast<std::uint8_t>(raw - 1));
            for (int k = 0; k < raw; ++k) {
                out.insert(out.end(), pixel(i + k), pixel(i + k) + bytes);
            }
            i += raw;
        }
    }
    return out;
}
