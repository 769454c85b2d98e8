#pragma once

#include "canvas.h"

// One palette for every picture: dusk sky, coral creature, fresh grass, plum earth, gold.
namespace palette {
constexpr Rgba kInk{0.17f, 0.11f, 0.22f, 1.0f};
constexpr Rgba kCream{1.0f, 0.95f, 0.84f, 1.0f};
constexpr Rgba kCoral{0.98f, 0.52f, 0.40f, 1.0f};
constexpr Rgba kCoralDeep{0.80f, 0.32f, 0.32f, 1.0f};
constexpr Rgba kCoralLight{1.0f, 0.76f, 0.60f, 1.0f};
constexpr Rgba kBlush{1.0f, 0.45f, 0.52f, 1.0f};
constexpr Rgba kLeaf{0.42f, 0.76f, 0.36f, 1.0f};
constexpr Rgba kLeafDeep{0.16f, 0.44f, 0.30f, 1.0f};
constexpr Rgba kLeafLight{0.76f, 0.93f, 0.46f, 1.0f};
constexpr Rgba kEarth{0.45f, 0.30f, 0.30f, 1.0f};
constexpr Rgba kEarthDeep{0.27f, 0.17f, 0.22f, 1.0f};
constexpr Rgba kEarthLight{0.64f, 0.45f, 0.38f, 1.0f};
constexpr Rgba kGold{1.0f, 0.80f, 0.32f, 1.0f};
constexpr Rgba kGoldLight{1.0f, 0.95f, 0.66f, 1.0f};
constexpr Rgba kTeal{0.18f, 0.62f, 0.66f, 1.0f};
constexpr Rgba kSkyHigh{0.16f, 0.20f, 0.46f, 1.0f};
constexpr Rgba kSkyMid{0.40f, 0.52f, 0.82f, 1.0f};
constexpr Rgba kSkyLow{0.98f, 0.72f, 0.56f, 1.0f};
constexpr Rgba kCrystal{0.86f, 0.84f, 0.96f, 1.0f};
constexpr Rgba kCrystalDeep{0.50f, 0.36f, 0.64f, 1.0f};
constexpr Rgba kWater{0.80f, 0.94f, 1.0f, 1.0f};
}  // namespace palette
