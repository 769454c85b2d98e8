#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "math/vector.h"

namespace {

void ExpectVector(const Vector4& v, float x, float y, float z, float w)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.w, w);
}

TEST(Vector, CrossAlwaysWritesUnitW)
{
    Vector4 out{9, 9, 9, 9};
    Vector4{1, 0, 0, 0}.Cross(Vector4{0, 1, 0, 0}, out);
    ExpectVector(out, 0, 0, 1, 1);

    Vector4{0, 1, 0, 5}.Cross(Vector4{1, 0, 0, 7}, out);
    ExpectVector(out, 0, 0, -1, 1);

    Vector4{1, 2, 3, 0}.Cross(Vector4{4, 5, 6, 0}, out);
    ExpectVector(out, -3, 6, -3, 1);
}

TEST(Vector, InPlaceOperationsKeepW)
{
    Vector4 v{1, 2, 3, 1};
    v.Scale(2);
    ExpectVector(v, 2, 4, 6, 1);
    v.Add(Vector4{1, 1, 1, 9});
    ExpectVector(v, 3, 5, 7, 1);
    v.Sub(Vector4{3, 5, 7, -4});
    ExpectVector(v, 0, 0, 0, 1);
}

TEST(Vector, DotIgnoresW)
{
    EXPECT_FLOAT_EQ((Vector4{1, 2, 3, 100}.Dot3(Vector4{4, 5, 6, 100})), 32.0f);
    EXPECT_FLOAT_EQ((Vector4{1, 2, 3, 7}.LengthSquared()), 14.0f);
}

TEST(Vector, LengthThreshold)
{
    // 9e-10 is below the 1e-9 threshold: exactly zero, not a tiny root.
    EXPECT_EQ((Vector4{3e-5f, 0, 0, 1}.Length()), 0.0f);
    EXPECT_FLOAT_EQ((Vector4{1e-4f, 0, 0, 1}.Length()), 1e-4f);
    EXPECT_FLOAT_EQ((Vector4{3, 4, 0, 0}.Length()), 5.0f);
    EXPECT_EQ((Vector4{0, 0, 0, 1}.Length()), 0.0f);
    EXPECT_TRUE(std::isnan((Vector4{NAN, 0, 0, 1}.Length())));
}

TEST(Vector, NormalizeLeavesTinyVectorsAlone)
{
    Vector4 zero{0, 0, 0, 1};
    zero.Normalize();
    ExpectVector(zero, 0, 0, 0, 1);

    Vector4 tiny{2e-5f, 0, 0, 3};
    tiny.Normalize();
    ExpectVector(tiny, 2e-5f, 0, 0, 3);

    Vector4 v{0, 3, 4, 7};
    v.Normalize();
    ExpectVector(v, 0, 0.6f, 0.8f, 7);
}

TEST(Vector, NormalizeRoundsLikeFloatReciprocalScale)
{
    // The scale is by the float reciprocal of the length, not a division per component.
    Vector4 v{1, 1, 1, 1};
    v.Normalize();
    const float length = std::sqrt(3.0f);
    const float inverse = 1.0f / length;
    EXPECT_EQ(v.x, 1.0f * inverse);
    EXPECT_EQ(v.y, 1.0f * inverse);
}

TEST(Plane, DistanceAndIntersection)
{
    Plane p;
    p.n = Vector4{0, 1, 0, 0};
    p.d = 2;
    EXPECT_FLOAT_EQ(p.Distance(Vector4{0, 5, 0, 1}), 3.0f);
    EXPECT_FLOAT_EQ(p.Distance(Vector4{7, -1, 3, 1}), -3.0f);

    Plane ground;
    ground.n = Vector4{0, 1, 0, 0};
    ground.d = 0;
    Vector4 out{};
    ground.IntersectLine(Vector4{1, 1, 0, 1}, Vector4{1, -1, 0, 1}, out);
    ExpectVector(out, 1, 0, 0, 1);

    // The result keeps a's w, not b's.
    ground.IntersectLine(Vector4{0, 2, 0, 5}, Vector4{4, -2, 0, 9}, out);
    ExpectVector(out, 2, 0, 0, 5);

    // Output may alias an input.
    Vector4 a{2, 3, 0, 1};
    ground.IntersectLine(a, Vector4{2, -1, 0, 1}, a);
    ExpectVector(a, 2, 0, 0, 1);
}

TEST(Plane, ParallelLineGivesNonFinite)
{
    Plane p;
    p.n = Vector4{0, 1, 0, 0};
    p.d = 0;
    Vector4 out{};
    p.IntersectLine(Vector4{0, 1, 0, 1}, Vector4{5, 1, 0, 1}, out);
    EXPECT_FALSE(std::isfinite(out.x));
}

}  // namespace
