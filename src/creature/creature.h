#pragma once

#include "creature/verlet.h"
#include "math/vector.h"

// The grips and the steering: plain values, a base of the creature so that its members keep
// their names and a saved motion copies them as one.
struct CreatureControls {
    Vector4 leftGripPoint{0.0f, 0.0f, 0.0f, 1.0f};
    bool leftGripHeld = false;  // written by the frame driver every playing frame
    bool leftGripping = false;
    Vector4 rightGripPoint{0.0f, 0.0f, 0.0f, 1.0f};
    bool rightGripHeld = false;
    bool rightGripping = false;

    Vector4 leftSteer{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 rightSteer{0.0f, 0.0f, 0.0f, 1.0f};
};

// The player's creature: a physical skeleton (body, feet, hips) that collides with the
// level, and a cosmetic one (legs, knees, antennae) re-attached to it every step.
class CCreature : public CreatureControls {
public:
    CCreature() = default;
    CCreature(const CCreature&) = delete;
    CCreature& operator=(const CCreature&) = delete;

    bool alive = false;

    // Body system, particles 0 to 4.
    VerletParticle* body = nullptr;
    VerletParticle* leftFoot = nullptr;
    VerletParticle* rightFoot = nullptr;
    VerletParticle* leftHip = nullptr;
    VerletParticle* rightHip = nullptr;

    // Limb system, particles 0 to 9.
    VerletParticle* leftLegTop = nullptr;
    VerletParticle* rightLegTop = nullptr;
    VerletParticle* leftKnee = nullptr;
    VerletParticle* rightKnee = nullptr;
    VerletParticle* leftLegFoot = nullptr;
    VerletParticle* rightLegFoot = nullptr;
    VerletParticle* leftAntennaBase = nullptr;
    VerletParticle* leftAntennaTip = nullptr;
    VerletParticle* rightAntennaBase = nullptr;
    VerletParticle* rightAntennaTip = nullptr;

    // bodySystem.boxes is the creature's collision list, filled by the level loader.
    CVerletSystem bodySystem;
    CVerletSystem limbSystem;

    VerletStick* leftLegStick = nullptr;
    VerletStick* rightLegStick = nullptr;

    static constexpr int kBodyParticles = 5;
    static constexpr int kLimbParticles = 10;

    // Everything a step changes, as one value: every particle of both skeletons, the two leg
    // lengths, the grips and the steering. The links of the skeleton and the collision boxes
    // are not in it: only Reset and the level loader change them.
    struct Motion {
        VerletParticle body[kBodyParticles];
        VerletParticle limbs[kLimbParticles];
        float leftLegLength = 0.0f;
        float rightLegLength = 0.0f;
        bool alive = false;
        CreatureControls controls;
    };
    // Both need the skeleton that Reset builds. A restored motion steps on exactly as the
    // saved one would have.
    Motion SaveMotion() const;
    void RestoreMotion(const Motion& motion);

    // One simulation step; does nothing while dead.
    void Update();

    // Rebuilds both skeletons in the rest pose and empties the collision list.
    void Reset();
    // Puts the rest pose at `point` (the body lands on it) with no motion and no grips.
    void Place(const Vector4& point);
    void SteerLeft(const Vector4& input);
    void SteerRight(const Vector4& input);
    // Two units above the body particle; (0, 0, 0, 1) before the first Reset.
    Vector4 GetPosition() const;

    // The steps of Update, public so that each can be checked on its own.
    void MoveLeftFoot();
    void MoveRightFoot();
    void LevelHips();
    void AttachLimbs();
    void BendKnees();

    // Thirteen textured quads, feet first and the head last; nothing while dead.
    void Draw();
    // A square sprite: halfExtents x and y are its half width and half height.
    void DrawSprite(const Vector4& centre, const Vector4& halfExtents, int textureIndex);
    // A strip halfWidth to each side of the line from a to b, with the leg picture.
    void DrawBone(const Vector4& a, const Vector4& b, float halfWidth);
};

extern CCreature Creature;
