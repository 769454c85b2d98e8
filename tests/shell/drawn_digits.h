#pragma once

// Reads back the seven-segment numbers a draw call drew: its strips of four corners become
// bars, the bars digits (and a point), so a test can ask what a player would read.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/gfx/recording.h"
#include "render/number_display.h"

struct DrawnBar {
    float cx, cy, w, h;
};

// The text a number draw shows ("12", "4.5"); "" when the vertices are no such number.
inline std::string DrawnDigits(const std::vector<Vertex>& vertices)
{
    std::vector<Vertex> corners;
    for (const Vertex& v : vertices) {
        if (corners.empty() || corners.back().x != v.x || corners.back().y != v.y) {
            corners.push_back(v);
        }
    }
    if (corners.empty() || corners.size() % 4 != 0) {
        return {};
    }
    std::vector<DrawnBar> bars;
    bool hasPoint = false;
    float pointX = 0.0f;
    float size = 0.0f;
    for (std::size_t i = 0; i < corners.size(); i += 4) {
        float x0 = corners[i].x, x1 = x0, y0 = corners[i].y, y1 = y0;
        for (std::size_t k = i; k < i + 4; ++k) {
            x0 = std::min(x0, corners[k].x);
            x1 = std::max(x1, corners[k].x);
            y0 = std::min(y0, corners[k].y);
            y1 = std::max(y1, corners[k].y);
        }
        const DrawnBar bar{(x0 + x1) / 2.0f, (y0 + y1) / 2.0f, x1 - x0, y1 - y0};
        if (std::fabs(bar.w - bar.h) < 1e-4f) {
            hasPoint = true;
            pointX = bar.cx;
            continue;
        }
        if (bar.h > bar.w) {
            size = std::max(size, bar.h);
        }
        bars.push_back(bar);
    }
    if (bars.empty() || size <= 0.0f) {
        return {};
    }
    float top = -1e30f, bottom = 1e30f, right = -1e30f;
    for (const DrawnBar& b : bars) {
        top = std::max(top, b.cy + b.h / 2.0f);
        bottom = std::min(bottom, b.cy - b.h / 2.0f);
        if (b.h > b.w) {
            right = std::max(right, b.cx);
        }
    }
    const float middle = (top + bottom) / 2.0f;
    const float half = size / 2.0f;
    const float rightDigit = right - half;  // every digit has a bar on its right side
    // Digit slots from the right: the tenths, then (past the point's wider gap) the rest.
    auto slotOf = [&](float digitX) {
        float offset = rightDigit - digitX;
        if (hasPoint && digitX < pointX) {
            offset -= 0.5f * size;
        }
        return static_cast<int>(std::lround(offset / (1.5f * size)));
    };
    std::vector<int> masks;
    for (const DrawnBar& b : bars) {
        int bit = 0;
        float digitX = b.cx;
        if (b.w > b.h) {
            const float dy = b.cy - middle;
            bit = dy > half ? 1 : dy < -half ? 32 : 4;
        } else {
            // Which side: the slot the bar's right-side reading gives, if it fits one.
            const float asRight = b.cx - half;
            const float offset =
                (rightDigit - asRight - ((hasPoint && asRight < pointX) ? 0.5f * size : 0.0f)) / (1.5f * size);
            const bool isRight = std::fabs(offset - std::round(offset)) < 0.2f;
            digitX = isRight ? asRight : b.cx + half;
            const bool upper = b.cy > middle;
            bit = isRight ? (upper ? 8 : 64) : (upper ? 2 : 16);
        }
        const int slot = slotOf(digitX);
        if (slot < 0 || slot > 20) {
            return {};
        }
        if (masks.size() <= static_cast<std::size_t>(slot)) {
            masks.resize(static_cast<std::size_t>(slot) + 1, 0);
        }
        masks[static_cast<std::size_t>(slot)] |= bit;
    }
    std::string text;
    for (std::size_t slot = 0; slot < masks.size(); ++slot) {
        const int* found = std::find(kSegmentFont, kSegmentFont + 10, masks[slot]);
        if (found == kSegmentFont + 10) {
            return {};
        }
        text.insert(text.begin(), static_cast<char>('0' + (found - kSegmentFont)));
        if (hasPoint && slot == 0) {
            text.insert(text.begin(), '.');
        }
    }
    return text;
}

// The numbers the recorded draws show, in draw order (draws that are no number left out).
inline std::vector<std::string> DrawnNumbers(const GfxRecorder& recorder)
{
    std::vector<std::string> numbers;
    for (const GfxCall* draw : recorder.Find("DrawPrimitive")) {
        const std::string text = DrawnDigits(draw->vertices);
        if (!text.empty()) {
            numbers.push_back(text);
        }
    }
    return numbers;
}
