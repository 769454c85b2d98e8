#include <initializer_list>

#include "creature/verlet.h"
#include "world/box.h"

namespace {
constexpr float kWorldLimit = 30.0f;
constexpr int kPushPasses = 5;

// The level's outer frame. Clamping is not a touch: it never sets contact.
void ClampToWorld(VerletParticle& p, const Vector4& o)
{
    if (p.position.y > kWorldLimit - o.y) {
        p.position.y = kWorldLimit - o.y;
    }
    if (p.position.y < -kWorldLimit - o.y) {
        p.position.x = p.previous.x;
        p.position.y = -kWorldLimit - o.y;
    }
    if (p.position.x > kWorldLimit - o.x) {
        p.position.x = kWorldLimit - o.x;
    }
    if (p.position.x < -kWorldLimit - o.x) {
        p.position.x = -kWorldLimit - o.x;
    }
}

void TestedPoints(const VerletParticle& p, const Vector4& o, Vector4& cur, Vector4& old)
{
    cur = p.position;
    cur.Add(o);
    old = p.previous;
    old.Add(o);
}

// Whether the move from old to cur crosses or touches the edge line at e (the coordinate
// along `normal`), and where it meets it. Both ends on the line give 0 / 0, a point that
// fails every range test, so sliding along an edge is no hit.
bool MeetsEdge(float curSide, float oldSide, float e, const Vector4& normal, const Vector4& old, const Vector4& cur,
               Vector4& q)
{
    if ((curSide - e) * (oldSide - e) > 0.0f) {
        return false;
    }
    Plane plane;
    plane.n = normal;
    plane.d = e;
    plane.IntersectLine(old, cur, q);
    return true;
}

const Vector4 kAlongX{1.0f, 0.0f, 0.0f, 0.0f};
const Vector4 kAlongY{0.0f, 1.0f, 0.0f, 0.0f};
}  // namespace

void BoxList::CollideParticle(VerletParticle& p) const
{
    if (!p.collides) {
        return;
    }
    const Vector4 o = p.collisionOffset;
    ClampToWorld(p, o);

    // Walls: take back the horizontal part of the move, keep the vertical. The y range
    // is inclusive so that a crossing exactly through a corner counts as a wall.
    for (std::int32_t i = 0; i < count; ++i) {
        const Box& box = entries[i];
        if (box.kind == kBoxAbsorbed) {
            continue;
        }
        Vector4 cur;
        Vector4 old;
        TestedPoints(p, o, cur, old);
        for (const float e : {box.max.x, box.min.x}) {
            Vector4 q;
            if (MeetsEdge(cur.x, old.x, e, kAlongX, old, cur, q) && box.min.y <= q.y && q.y <= box.max.y) {
                p.contact = true;
                p.position.x = p.previous.x;
            }
        }
    }

    // Floors and ceilings take back the whole move: there is no sliding along them.
    for (std::int32_t i = 0; i < count; ++i) {
        const Box& box = entries[i];
        if (box.kind == kBoxAbsorbed) {
            continue;
        }
        Vector4 cur;
        Vector4 old;
        TestedPoints(p, o, cur, old);
        for (const float e : {box.max.y, box.min.y}) {
            Vector4 q;
            if (MeetsEdge(cur.y, old.y, e, kAlongY, old, cur, q) && box.min.x < q.x && q.x < box.max.x) {
                p.contact = true;
                p.position.x = p.previous.x;
                p.position.y = p.previous.y;
            }
        }
    }
}

void BoxList::PushPointOut(Vector4& point, float radius) const
{
    const float radiusSquared = radius * radius;
    for (int pass = 0; pass < kPushPasses; ++pass) {
        // Every push of a pass is measured from where the point stood when it began.
        const Vector4 start = point;
        for (std::int32_t i = 0; i < count; ++i) {
            Vector4 d = entries[i].center;
            d.Sub(start);
            if (d.LengthSquared() < radiusSquared) {
                const float depth = radius - d.Length();
                d.Normalize();
                d.Scale(-depth);
                point.Add(d);
            }
        }
    }
}
