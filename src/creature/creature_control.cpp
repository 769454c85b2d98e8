#include "creature/creature.h"

namespace {
struct RestPoint {
    float x;
    float y;
};

// The rest pose, body at (0, -6); indices are those of the two systems.
constexpr RestPoint kBodyRest[5] = {{0.0f, -6.0f}, {-1.0f, -7.0f}, {1.0f, -7.0f}, {-0.5f, -7.0f}, {0.5f, -7.0f}};
constexpr RestPoint kLimbRest[10] = {
    {-0.5f, -5.0f}, {0.5f, -5.0f},  {-1.5f, -5.0f}, {1.5f, -5.0f}, {-1.0f, -7.0f},
    {1.0f, -7.0f},  {-0.5f, -5.0f}, {-0.5f, -4.0f}, {0.5f, -5.0f}, {0.5f, -4.0f},
};

constexpr float kBodyCollisionLift = 3.5f;
constexpr float kPositionLift = 2.0f;
constexpr float kIdleThreshold = 0.4f;

Vector4 RestPosition(const RestPoint& r) { return Vector4{r.x, r.y, 0.0f, 1.0f}; }

// Squared length at or below the threshold counts as a stick left alone.
Vector4 Steering(const Vector4& input, bool hanging)
{
    if (input.LengthSquared() > kIdleThreshold) {
        return input;
    }
    return hanging ? Vector4{0.0f, 6.0f, 0.0f, 1.0f} : Vector4{0.0f, -0.3f, 0.0f, 1.0f};
}

// The drawn leg's top hangs below a foot whose grip is held.
bool Hanging(bool gripHeld, const VerletParticle* legTop, const VerletParticle* foot)
{
    return gripHeld && legTop != nullptr && foot != nullptr && legTop->position.y < foot->position.y;
}
}  // namespace

void CCreature::Reset()
{
    alive = true;
    bodySystem.Clear();
    limbSystem.Clear();
    leftGripHeld = false;
    rightGripHeld = false;

    body = bodySystem.AddParticle(RestPosition(kBodyRest[0]));
    body->collides = true;
    body->collisionOffset = Vector4{0.0f, kBodyCollisionLift, 0.0f, 0.0f};
    leftFoot = bodySystem.AddParticle(RestPosition(kBodyRest[1]));
    rightFoot = bodySystem.AddParticle(RestPosition(kBodyRest[2]));
    leftFoot->collides = true;
    rightFoot->collides = true;
    leftHip = bodySystem.AddParticle(RestPosition(kBodyRest[3]));
    rightHip = bodySystem.AddParticle(RestPosition(kBodyRest[4]));

    leftLegStick = bodySystem.AddStick(leftFoot, leftHip, 2.0f);
    rightLegStick = bodySystem.AddStick(rightFoot, rightHip, 2.0f);
    bodySystem.AddStick(leftHip, rightHip, 1.0f);
    bodySystem.AddStick(leftHip, body, 0.5f);
    bodySystem.AddStick(rightHip, body, 0.5f);

    leftLegTop = limbSystem.AddParticle(RestPosition(kLimbRest[0]));
    rightLegTop = limbSystem.AddParticle(RestPosition(kLimbRest[1]));
    leftKnee = limbSystem.AddParticle(RestPosition(kLimbRest[2]));
    rightKnee = limbSystem.AddParticle(RestPosition(kLimbRest[3]));
    leftLegFoot = limbSystem.AddParticle(RestPosition(kLimbRest[4]));
    rightLegFoot = limbSystem.AddParticle(RestPosition(kLimbRest[5]));
    leftAntennaBase = limbSystem.AddParticle(RestPosition(kLimbRest[6]));
    leftAntennaTip = limbSystem.AddParticle(RestPosition(kLimbRest[7]));
    rightAntennaBase = limbSystem.AddParticle(RestPosition(kLimbRest[8]));
    rightAntennaTip = limbSystem.AddParticle(RestPosition(kLimbRest[9]));

    limbSystem.AddStick(leftAntennaTip, leftAntennaBase, 1.0f);
    limbSystem.AddStick(rightAntennaTip, rightAntennaBase, 1.0f);
    limbSystem.AddStick(leftLegTop, rightLegTop, 1.0f);
    limbSystem.AddStick(leftLegTop, leftKnee, 1.75f);
    limbSystem.AddStick(rightLegTop, rightKnee, 1.75f);
    limbSystem.AddStick(leftLegFoot, leftKnee, 1.75f);
    limbSystem.AddStick(rightLegFoot, rightKnee, 1.75f);
}

void CCreature::Place(const Vector4& point)
{
    leftGripHeld = false;
    rightGripHeld = false;
    // Before the first Reset there is no skeleton to move.
    if (bodySystem.particleCount < 5 || limbSystem.particleCount < 10) {
        leftGripping = false;
        rightGripping = false;
        return;
    }
    const Vector4 offset{point.x, point.y + 6.0f, point.z, 0.0f};
    for (int i = 0; i < 5; ++i) {
        VerletParticle& p = bodySystem.particles[i];
        p.position = RestPosition(kBodyRest[i]);
        p.position.Add(offset);
    }
    for (int i = 0; i < 5; ++i) {
        bodySystem.particles[i].contact = false;
    }
    leftGripping = false;
    rightGripping = false;
    for (int i = 0; i < 10; ++i) {
        VerletParticle& p = limbSystem.particles[i];
        p.position = RestPosition(kLimbRest[i]);
        p.position.Add(offset);
    }
    for (int i = 0; i < 10; ++i) {
        limbSystem.particles[i].previous = limbSystem.particles[i].position;
    }
    for (int i = 0; i < 5; ++i) {
        bodySystem.particles[i].previous = bodySystem.particles[i].position;
    }
}

void CCreature::SteerLeft(const Vector4& input)
{
    leftSteer = Steering(input, Hanging(leftGripHeld, leftLegTop, leftFoot));
}

void CCreature::SteerRight(const Vector4& input)
{
    rightSteer = Steering(input, Hanging(rightGripHeld, rightLegTop, rightFoot));
}

Vector4 CCreature::GetPosition() const
{
    if (body == nullptr) {
        return Vector4{0.0f, 0.0f, 0.0f, 1.0f};
    }
    Vector4 position = body->position;
    position.y += kPositionLift;
    return position;
}
