#include "contact_sheet.h"

#include <algorithm>
#include <vector>

#include <stb_image_write.h>

#include "canvas.h"
#include "palette.h"
#include "pictures.h"
#include "text.h"

bool WriteContactSheet(const std::string& path, const Font& font)
{
    constexpr int kCell = 256;
    constexpr int kLabel = 28;
    constexpr int kColumns = 6;
    const auto& pictures = Pictures();
    const int rows = (static_cast<int>(pictures.size()) + kColumns - 1) / kColumns;
    const int width = kColumns * kCell;
    const int height = rows * (kCell + kLabel);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 40);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const PictureSpec& spec = pictures[i];
        const std::vector<std::uint8_t> bgra = MakePicturePixels(spec, font);
        const int left = static_cast<int>(i % kColumns) * kCell;
        const int top = static_cast<int>(i / kColumns) * (kCell + kLabel);
        const float scale = std::min(static_cast<float>(kCell - 8) / static_cast<float>(spec.width),
                                     static_cast<float>(kCell - 8) / static_cast<float>(spec.height));
        const int w = static_cast<int>(static_cast<float>(spec.width) * scale);
        const int h = static_cast<int>(static_cast<float>(spec.height) * scale);
        const int ox = left + (kCell - w) / 2;
        const int oy = top + (kCell - h) / 2;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int sx = std::min(spec.width - 1, static_cast<int>(static_cast<float>(x) / scale));
                const int sy = std::min(spec.height - 1, static_cast<int>(static_cast<float>(y) / scale));
                const std::uint8_t* p = &bgra[(static_cast<std::size_t>(sy) * spec.width + sx) * 4];
                const float checker = ((x / 8 + y / 8) % 2 == 0) ? 0.55f : 0.75f;
                const float a = spec.alpha ? static_cast<float>(p[3]) / 255.0f : 1.0f;
                std::uint8_t* d = &rgb[(static_cast<std::size_t>(oy + y) * width + ox + x) * 3];
                for (int k = 0; k < 3; ++k) {
                    const float src = static_cast<float>(p[2 - k]) / 255.0f;
                    d[k] = ToByte(src * a + checker * (1.0f - a));
                }
            }
        }
        const std::vector<float> label =
            font.Distance(spec.file, 18.0f, static_cast<float>(kCell) * 0.5f, 20.0f, kCell, kLabel, 2.0f);
        for (int y = 0; y < kLabel; ++y) {
            for (int x = 0; x < kCell; ++x) {
                const float cover = Cover(label[static_cast<std::size_t>(y) * kCell + x], 1.0f);
                std::uint8_t* d = &rgb[(static_cast<std::size_t>(top + kCell + y) * width + left + x) * 3];
                for (int k = 0; k < 3; ++k) {
                    d[k] = ToByte((40.0f + 200.0f * cover) / 255.0f);
                }
            }
        }
    }
    return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}
