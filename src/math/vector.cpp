#include "math/vector.h"

#include <cmath>

float Vector4::Length() const
{
    const float squared = LengthSquared();
    if (squared < 1e-9f) {
        return 0.0f;
    }
    return std::sqrt(squared);
}

void Vector4::Normalize()
{
    const float length = Length();
    if (length > 1e-13f) {
        Scale(1.0f / length);
    }
}

void Plane::IntersectLine(const Vector4& a, const Vector4& b, Vector4& out) const
{
    const float distanceA = Distance(a);
    Vector4 e = b;
    e.Sub(a);
    const float t = -distanceA / e.Dot3(n);
    e.Scale(t);
    Vector4 result = a;
    result.Add(e);
    out = result;
}
