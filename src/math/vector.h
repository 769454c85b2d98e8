#pragma once

// The game's one geometric value type. Every intermediate result is a 32-bit float
// (the build forbids contraction into fused multiply-adds), because the simulation's
// rounding is part of its behaviour and replays depend on it.

struct Vector4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    float Dot3(const Vector4& v) const { return x * v.x + y * v.y + z * v.z; }

    // Writes w = 1: the result is always used as a point.
    void Cross(const Vector4& v, Vector4& out) const
    {
        out.x = y * v.z - z * v.y;
        out.y = z * v.x - x * v.z;
        out.z = x * v.y - y * v.x;
        out.w = 1.0f;
    }

    void Add(const Vector4& v)
    {
        x += v.x;
        y += v.y;
        z += v.z;
    }

    void Sub(const Vector4& v)
    {
        x -= v.x;
        y -= v.y;
        z -= v.z;
    }

    void Scale(float s)
    {
        x *= s;
        y *= s;
        z *= s;
    }

    float LengthSquared() const { return x * x + y * y + z * z; }

    // Exactly 0 for squared lengths below 1e-9, so tiny vectors never divide.
    float Length() const;

    // Leaves vectors of length 1e-13 or less (the zero vector included) as they are.
    void Normalize();
};

struct Plane {
    Vector4 n;  // only x, y, z take part
    float d = 0.0f;

    float Distance(const Vector4& p) const { return n.x * p.x + n.y * p.y + n.z * p.z - d; }

    // The point where the line through a and b meets the plane; out.w = a.w.
    // A line parallel to the plane divides by zero: callers only pass crossing lines.
    void IntersectLine(const Vector4& a, const Vector4& b, Vector4& out) const;
};

static_assert(sizeof(Vector4) == 16, "Vector4 is four packed floats");
static_assert(sizeof(Plane) == 20, "Plane is a Vector4 followed by one float");
