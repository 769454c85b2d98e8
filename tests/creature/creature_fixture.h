#pragma once

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "creature/creature.h"
#include "math/vector.h"
#include "world/box.h"

namespace creature_test {

inline Vector4 Point(float x, float y) { return Vector4{x, y, 0.0f, 1.0f}; }

inline void ExpectPoint(const Vector4& v, float x, float y)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
}

// A collision box given by its corners, as the merge leaves a rectangle of cells.
inline void AddRect(BoxList& list, float minX, float minY, float maxX, float maxY, std::int32_t kind = 0)
{
    const float halfWidth = (maxX - minX) * 0.5f;
    const float halfHeight = (maxY - minY) * 0.5f;
    ASSERT_TRUE(list.Append(Point(minX + halfWidth, minY + halfHeight), halfWidth, halfHeight, kind));
    Box& box = list[list.count - 1];
    box.min.x = minX;
    box.min.y = minY;
    box.max.x = maxX;
    box.max.y = maxY;
}

// The creature is large (two systems and two 16384-box lists), so tests keep it on the heap.
inline std::unique_ptr<CCreature> MakeCreature(float bodyX, float bodyY)
{
    auto creature = std::make_unique<CCreature>();
    creature->Reset();
    creature->Place(Point(bodyX, bodyY));
    return creature;
}

inline bool Finite(const Vector4& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

inline bool AllFinite(const CCreature& c)
{
    for (const CVerletSystem* system : {&c.bodySystem, &c.limbSystem}) {
        for (int i = 0; i < system->particleCount; ++i) {
            const VerletParticle& p = system->particles[i];
            if (!Finite(p.position) || !Finite(p.previous) || !Finite(p.step)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace creature_test
