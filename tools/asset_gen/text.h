#pragma once

// Text for the pictures, rendered when the pictures are made: glyph outlines from a TrueType
// font, turned into a distance field so that fills, outlines and shadows stay soft.

#include <string>
#include <vector>

class Font {
public:
    explicit Font(const std::string& path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    bool Loaded() const { return info_ != nullptr; }

    // Width in pixels of `text` at `pixelHeight`.
    float Measure(const std::string& text, float pixelHeight) const;

    // Signed distance in pixels (negative inside, at most `reach` outside) from every pixel
    // of a width x height picture to `text`, centred on centreX with its baseline at baseline.
    std::vector<float> Distance(const std::string& text, float pixelHeight, float centreX, float baseline, int width,
                                int height, float reach) const;

private:
    std::vector<unsigned char> bytes_;
    void* info_ = nullptr;
};
