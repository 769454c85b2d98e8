#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "creature/verlet.h"
#include "world/box.h"

namespace {
constexpr float kWorldLimit = 30.0f;
constexpr int kPushPasses = 5;
constexpr std::int32_t kPushCandidates = 1024;

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

// Walls take back the horizontal part of the move and keep the vertical. The y range is
// inclusive so that a crossing exactly through a corner counts as a wall.
void TestWall(VerletParticle& p, const Vector4& o, const Box& box)
{
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
void TestFloor(VerletParticle& p, const Vector4& o, const Box& box)
{
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

// Within one loop every hit writes the same values (contact, and position back to previous)
// and a test after a hit can only write them again, so the outcome is "did any box hit" and
// the boxes may be visited in any order, some more than once. Only boxes the move's
// rectangle comes near can hit; the index gives a superset of those.
//
// Two coordinates both within about 1e-23 of an edge can make the side test's product
// underflow to 0 and place the crossing far outside the move; near zero the full scan is kept.
bool NearZero(float a, float b) { return std::fabs(a) < 1e-10f || std::fabs(b) < 1e-10f; }
}  // namespace

void BoxList::CollideParticle(VerletParticle& p) const
{
    if (!p.collides) {
        return;
    }
    const Vector4 o = p.collisionOffset;
    ClampToWorld(p, o);

    Vector4 cur;
    Vector4 old;
    TestedPoints(p, o, cur, old);
    BoxIndex::CellRange cells{};
    const bool indexed = index_.BuiltFor(count) && !NearZero(cur.x, old.x) && !NearZero(cur.y, old.y) &&
                         index_.RectCells(std::min(cur.x, old.x), std::min(cur.y, old.y), std::max(cur.x, old.x),
                                          std::max(cur.y, old.y), cells);
    // Every hit only shrinks the move back towards `old`, so the cells found for the whole
    // move still hold every box either loop could meet.
    for (void (*test)(VerletParticle&, const Vector4&, const Box&) : {TestWall, TestFloor}) {
        if (!indexed) {
            for (std::int32_t i = 0; i < count; ++i) {
                if (entries[i].kind != kBoxAbsorbed) {
                    test(p, o, entries[i]);
                }
            }
            continue;
        }
        for (int cy = cells.y0; cy <= cells.y1; ++cy) {
            for (int cx = cells.x0; cx <= cells.x1; ++cx) {
                std::int32_t n = 0;
                const std::int32_t* items = index_.RectCell(cx, cy, n);
                for (std::int32_t k = 0; k < n; ++k) {
                    test(p, o, entries[items[k]]);
                }
            }
        }
    }
}

void BoxList::PushPointOut(Vector4& point, float radius) const
{
    const float radiusSquared = radius * radius;
    // The pushes of a pass add up in entry order, so the nearby entries are visited in it.
    // A centre further than the radius on one axis fails the distance test exactly.
    std::int32_t near[kPushCandidates];
    for (int pass = 0; pass < kPushPasses; ++pass) {
        // Every push of a pass is measured from where the point stood when it began.
        const Vector4 start = point;
        const std::int32_t found =
            !index_.BuiltFor(count) ? -1 : index_.CentersNear(start.x, start.y, radius, near, kPushCandidates);
        const std::int32_t visits = found < 0 ? count : found;
        for (std::int32_t k = 0; k < visits; ++k) {
            Vector4 d = entries[found < 0 ? k : near[k]].center;
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
