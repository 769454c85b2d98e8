#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A plain RGB canvas for the level tools' pictures (poses, overviews, replay strips).
// Drawing outside it is clipped.
class PixelCanvas {
public:
    PixelCanvas(int w, int h);
    void Put(int x, int y, std::uint32_t rgb);
    // [x0, x1) x [y0, y1)
    void Fill(int x0, int y0, int x1, int y1, std::uint32_t rgb);
    void Disc(float cx, float cy, float r, std::uint32_t rgb);
    // `thickness` pixels wide towards +x.
    void Line(float x0, float y0, float x1, float y1, std::uint32_t rgb, int thickness = 1);
    bool WritePng(const std::string& path) const;

    int width;
    int height;

private:
    std::vector<unsigned char> pixels;
};
