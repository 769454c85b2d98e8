#pragma once

#include <cstdint>

#include "math/vector.h"

// Which foot a stick steers: its outward direction (left for the first stick, right for
// the second) is the one the ramp and the fast button boost.
enum class StickSide { Left, Right };

// Turns one stick's raw axes (-1000..1000, y down) into the foot's steering vector. A stick
// held up past a quarter of its travel builds `ramp` (up to 150 frames); from the 51st frame
// the upward part grows to three times and the outward part to 1.5 times. Holding the
// side's fast button skips the build-up, fills the ramp and gives w = 0.
Vector4 ShapeStick(std::int32_t rawX, std::int32_t rawY, bool fastButton, StickSide side, std::int32_t& ramp);
