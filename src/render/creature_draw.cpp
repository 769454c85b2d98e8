#include "creature/creature.h"
#include "render/draw_batch.h"
#include "render/texture_index.h"

namespace {

constexpr float kLegHalfWidth = 0.1f;
constexpr float kStalkHalfWidth = 0.05f;
constexpr float kFootHalf = 0.2f;
constexpr float kGripFootHalf = 0.3f;
constexpr float kKneeHalf = 0.2f;
constexpr float kEyeHalf = 0.35f;
constexpr float kHeadHalf = 0.64f;
constexpr float kHeadRise = 2.5f;

Vector4 Extents(float half) { return Vector4{half, half, 1.0f, 1.0f}; }

}  // namespace

void CCreature::Draw()
{
    if (!alive) {
        return;
    }
    // A foot grows and changes picture while its grip control is held, gripping or not.
    DrawSprite(leftFoot->position, Extents(leftGripHeld ? kGripFootHalf : kFootHalf),
               leftGripHeld ? kTexAntenna : kTexKnee);
    DrawSprite(rightFoot->position, Extents(rightGripHeld ? kGripFootHalf : kFootHalf),
               rightGripHeld ? kTexAntenna : kTexKnee);
    // The shins end at the body's feet, not at the limb copies.
    DrawBone(leftKnee->position, leftFoot->position, kLegHalfWidth);
    DrawBone(rightKnee->position, rightFoot->position, kLegHalfWidth);
    DrawBone(leftKnee->position, leftLegTop->position, kLegHalfWidth);
    DrawBone(rightKnee->position, rightLegTop->position, kLegHalfWidth);
    DrawBone(leftAntennaBase->position, leftAntennaTip->position, kStalkHalfWidth);
    DrawBone(rightAntennaBase->position, rightAntennaTip->position, kStalkHalfWidth);
    DrawSprite(leftKnee->position, Extents(kKneeHalf), kTexAntenna);
    DrawSprite(rightKnee->position, Extents(kKneeHalf), kTexAntenna);
    DrawSprite(leftAntennaTip->position, Extents(kEyeHalf), kTexEye);
    DrawSprite(rightAntennaTip->position, Extents(kEyeHalf), kTexEye);
    Vector4 head = body->position;
    head.y = head.y + kHeadRise;
    DrawSprite(head, Extents(kHeadHalf), kTexHead);
}

void CCreature::DrawSprite(const Vector4& centre, const Vector4& halfExtents, int textureIndex)
{
    ResetBatch();
    const float left = centre.x - halfExtents.x;
    const float right = centre.x + halfExtents.x;
    const float top = centre.y + halfExtents.y;
    const float bottom = centre.y - halfExtents.y;
    AddVertex(Vector4{left, top, centre.z, 1.0f}, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 0.0f, 0.0f);
    AddVertex(Vector4{right, top, centre.z, 1.0f}, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 1.0f, 0.0f);
    AddVertex(Vector4{left, bottom, centre.z, 1.0f}, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f);
    AddVertex(Vector4{right, bottom, centre.z, 1.0f}, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 1.0f, 1.0f);
    EndStrip();
    DrawBatch(textureIndex);
    ResetBatch();
}

void CCreature::DrawBone(const Vector4& a, const Vector4& b, float halfWidth)
{
    ResetBatch();
    Vector4 d = a;
    d.Sub(b);
    // Coincident ends still need a direction; the bone then has no area.
    if (d.LengthSquared() < 1e-6f) {
        d.y = 1.0f;
    }
    d.Normalize();
    Vector4 n;
    d.Cross(Vector4{0.0f, 0.0f, 1.0f, 1.0f}, n);
    n.z = 0.0f;
    n.Scale(halfWidth);
    AddVertex(Vector4{a.x - n.x, a.y - n.y, a.z, a.w}, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 0.0f, 0.0f);
    AddVertex(Vector4{a.x + n.x, a.y + n.y, a.z, a.w}, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 1.0f, 0.0f);
    AddVertex(Vector4{b.x - n.x, b.y - n.y, b.z, b.w}, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f);
    AddVertex(Vector4{b.x + n.x, b.y + n.y, b.z, b.w}, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, -1.0f, 1.0f, 1.0f);
    EndStrip();
    DrawBatch(kTexLeg);
    ResetBatch();
}
