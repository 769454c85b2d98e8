#include "creature/creature.h"

#include <algorithm>
#include <cmath>

CCreature Creature;

namespace {
constexpr float kHeadRadius = 1.5f;
constexpr float kFootFollow = 0.8f;
constexpr float kFootShare = 0.5f;
constexpr float kLegTopAboveHip = 2.5f;
constexpr float kKneeClearance = 0.5f;
constexpr float kAntennaLift = 0.1f;

// Pulls the foot a tenth of the way towards hip + steering and the hip the other way;
// the leg stick takes the new length so that the relaxation keeps it.
void MoveFoot(const Vector4& steer, VerletParticle& hip, VerletParticle& foot, VerletStick& legStick)
{
    Vector4 target = steer;
    target.Add(hip.position);
    Vector4 toFoot = foot.position;
    toFoot.Sub(target);
    toFoot.Scale(kFootFollow);
    target.Add(toFoot);
    target.Sub(foot.position);
    target.Scale(kFootShare);
    foot.position.Add(target);
    hip.position.Sub(target);
    Vector4 leg = hip.position;
    leg.Sub(foot.position);
    legStick.restLength = leg.Length();
}

struct KneeFrame {
    Vector4 perpendicular;  // P: the leg line turned a quarter to the left
    float side;             // m: z of Cross(A, B), the sign of the knee's side
    float distance;         // h: the knee's signed distance from the leg line
};

KneeFrame MeasureKnee(const VerletParticle& foot, const VerletParticle& top, const VerletParticle& knee)
{
    Vector4 a = foot.position;
    a.Sub(top.position);
    Vector4 b = knee.position;
    b.Sub(top.position);
    Vector4 cross;
    a.Cross(b, cross);
    KneeFrame frame;
    frame.side = cross.z;
    frame.perpendicular = Vector4{-a.y, a.x, 0.0f, 1.0f};
    frame.perpendicular.Normalize();
    frame.distance = b.Dot3(frame.perpendicular);
    return frame;
}

void MoveKnee(const KneeFrame& frame, float correction, VerletParticle& knee, VerletParticle& top)
{
    Vector4 push = frame.perpendicular;
    push.Scale(correction);
    knee.position.Sub(push);
    top.position.Add(push);
}

void ZeroStep(VerletParticle& p)
{
    p.step.x = 0.0f;
    p.step.y = 0.0f;
    p.step.z = 0.0f;
}

void UpdateGrip(const VerletParticle& foot, bool held, bool& gripping, Vector4& gripPoint)
{
    if (foot.contact) {
        if (held) {
            gripping = true;
            gripPoint = foot.position;
        } else {
            gripping = false;
        }
    } else if (!held) {
        gripping = false;
    }
}
}  // namespace

void CCreature::Update()
{
    if (!alive) {
        return;
    }
    bodySystem.IntegrateRigid();

    Vector4 head = body->position;
    head.Add(body->collisionOffset);
    bodySystem.boxes.PushPointOut(head, kHeadRadius);
    head.Sub(body->collisionOffset);
    body->position = head;

    MoveLeftFoot();
    MoveRightFoot();
    LevelHips();
    bodySystem.Relax();

    limbSystem.Integrate();
    AttachLimbs();
    BendKnees();
    limbSystem.ApplySteps();
    limbSystem.Relax();
    AttachLimbs();

    if (leftGripping) {
        leftFoot->position = leftGripPoint;
    }
    if (rightGripping) {
        rightFoot->position = rightGripPoint;
    }
    UpdateGrip(*leftFoot, leftGripHeld, leftGripping, leftGripPoint);
    UpdateGrip(*rightFoot, rightGripHeld, rightGripping, rightGripPoint);
}

void CCreature::MoveLeftFoot() { MoveFoot(leftSteer, *leftHip, *leftFoot, *leftLegStick); }

void CCreature::MoveRightFoot() { MoveFoot(rightSteer, *rightHip, *rightFoot, *rightLegStick); }

void CCreature::LevelHips()
{
    Vector4 d = rightHip->position;
    d.Sub(leftHip->position);
    d.Normalize();
    d.Sub(Vector4{1.0f, 0.0f, 0.0f, 0.0f});
    d.Scale(0.5f);
    // A hip already sweeping along the correction gets less of it, so it does not overshoot.
    float k = 10.0f * leftHip->step.Dot3(d);
    if (k < 1.0f) {
        k = 1.0f;
    }
    d.Scale(1.0f / k);
    leftHip->position.Add(d);
    rightHip->position.Sub(d);
}

void CCreature::AttachLimbs()
{
    leftLegTop->position = leftHip->position;
    leftLegTop->position.y += kLegTopAboveHip;
    leftLegTop->previous = leftLegTop->position;
    leftLegFoot->position = leftFoot->position;
    rightLegTop->position = rightHip->position;
    rightLegTop->position.y += kLegTopAboveHip;
    rightLegTop->previous = rightLegTop->position;
    rightLegFoot->position = rightFoot->position;
    leftAntennaBase->position = leftLegTop->position;
    rightAntennaBase->position = rightLegTop->position;
}

void CCreature::BendKnees()
{
    ZeroStep(*leftKnee);
    ZeroStep(*rightKnee);
    ZeroStep(*leftLegTop);
    ZeroStep(*rightLegTop);
    ZeroStep(*leftLegFoot);
    ZeroStep(*rightLegFoot);

    // The left knee belongs on the -P side of its leg line, the right one on the +P side.
    const KneeFrame left = MeasureKnee(*leftFoot, *leftLegTop, *leftKnee);
    if (std::fabs(left.distance) < kKneeClearance && left.side < 0.0f) {
        const float c = left.distance < 0.0f ? left.distance + kKneeClearance : left.distance - kKneeClearance;
        MoveKnee(left, c, *leftKnee, *leftLegTop);
    } else if (left.side > 0.0f) {
        MoveKnee(left, left.distance + kKneeClearance, *leftKnee, *leftLegTop);
    }

    const KneeFrame right = MeasureKnee(*rightFoot, *rightLegTop, *rightKnee);
    if (std::fabs(right.distance) < kKneeClearance && right.side > 0.0f) {
        const float c = right.distance < 0.0f ? right.distance + kKneeClearance : right.distance - kKneeClearance;
        MoveKnee(right, c, *rightKnee, *rightLegTop);
    } else if (right.side < 0.0f) {
        MoveKnee(right, right.distance - kKneeClearance, *rightKnee, *rightLegTop);
    }

    leftAntennaTip->position.y += kAntennaLift;
    rightAntennaTip->position.y += kAntennaLift;
}

CCreature::Motion CCreature::SaveMotion() const
{
    Motion m;
    std::copy_n(bodySystem.particles, kBodyParticles, m.body);
    std::copy_n(limbSystem.particles, kLimbParticles, m.limbs);
    m.leftLegLength = leftLegStick->restLength;
    m.rightLegLength = rightLegStick->restLength;
    m.alive = alive;
    m.controls = *this;
    return m;
}

void CCreature::RestoreMotion(const Motion& m)
{
    std::copy_n(m.body, kBodyParticles, bodySystem.particles);
    std::copy_n(m.limbs, kLimbParticles, limbSystem.particles);
    leftLegStick->restLength = m.leftLegLength;
    rightLegStick->restLength = m.rightLegLength;
    alive = m.alive;
    static_cast<CreatureControls&>(*this) = m.controls;
}
