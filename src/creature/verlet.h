#pragma once

#include <cstdint>

#include "math/vector.h"
#include "world/box.h"

// A point mass of position-based Verlet integration. Velocity is implicit in
// position - previous; every constant of the step is per frame.
struct VerletParticle {
    Vector4 position{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 previous{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 step{0.0f, 0.0f, 0.0f, 1.0f};
    bool collides = false;
    // Added to position and previous to give the point tested against the level.
    Vector4 collisionOffset{0.0f, 0.0f, 0.0f, 1.0f};
    // The tested point crossed a box edge since the last VerletStep.
    bool contact = false;

    // Computes the damped, gravity-pulled displacement into `step`; position stays.
    void VerletStep();
    void ApplyStep();
};

struct VerletStick {
    VerletParticle* a = nullptr;
    VerletParticle* b = nullptr;
    float restLength = 0.0f;

    // Closes half of the length error, shared equally by the two ends.
    void Relax();
};

constexpr std::int32_t kVerletCapacity = 100;
constexpr int kRelaxIterations = 20;

class CVerletSystem {
public:
    CVerletSystem();
    CVerletSystem(const CVerletSystem&) = delete;
    CVerletSystem& operator=(const CVerletSystem&) = delete;

    VerletParticle particles[kVerletCapacity];
    VerletStick sticks[kVerletCapacity];
    std::int32_t particleCount = 0;
    std::int32_t stickCount = 0;
    BoxList boxes;

    // Counts to zero; the array contents stay as they were.
    void Clear();
    // The skeleton is fixed, so neither checks the capacity.
    VerletParticle* AddParticle(const Vector4& point);
    VerletStick* AddStick(VerletParticle* a, VerletParticle* b, float restLength);

    void Integrate();
    // Moves every particle by the mean damped displacement, discarding relative motion.
    void IntegrateRigid();
    void ApplySteps();
    void Relax();
};
