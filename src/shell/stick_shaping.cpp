#include "shell/stick_shaping.h"

namespace {

constexpr float kStickScale = 0.002f;
constexpr std::int32_t kRampFull = 150;
constexpr std::int32_t kRampDelay = 50;

Vector4 ScaledStick(std::int32_t rawX, std::int32_t rawY, float w)
{
    Vector4 v{static_cast<float>(rawX), static_cast<float>(-rawY), 0.0f, w};
    v.Scale(kStickScale);
    return v;
}

bool IsOutward(float x, StickSide side) { return side == StickSide::Left ? x < 0.0f : x > 0.0f; }

}  // namespace

Vector4 ShapeStick(std::int32_t rawX, std::int32_t rawY, bool fastButton, StickSide side, std::int32_t& ramp)
{
    Vector4 v = ScaledStick(rawX, rawY, 1.0f);
    if (v.y > 0.5f) {
        if (ramp < kRampFull) {
            ramp += 1;
        }
    } else {
        ramp = 0;
    }
    // Float division: an integer one would stay 0 until the ramp is full.
    const float t = static_cast<float>(ramp) / static_cast<float>(kRampFull);
    if (ramp > kRampDelay) {
        if (v.y > 0.0f) {
            v.y = v.y * (2.0f * t + 1.0f);
        }
        if (IsOutward(v.x, side)) {
            v.x = v.x * (0.5f * t + 1.0f);
        }
    }
    if (fastButton) {
        v = ScaledStick(rawX, rawY, 0.0f);
        if (v.y > 0.0f) {
            v.y = 3.0f * v.y;
            ramp = kRampFull;
        }
        if (IsOutward(v.x, side)) {
            v.x = 1.5f * v.x;
        }
    }
    return v;
}
