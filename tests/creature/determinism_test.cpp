#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "creature_fixture.h"
#include "math/random.h"

using creature_test::AddRect;
using creature_test::MakeCreature;
using creature_test::Point;

namespace {

// FNV-1a over raw bytes: float bits, not values, so a changed rounding shows.
class Hasher {
public:
    void Bytes(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash_ = (hash_ ^ bytes[i]) * 1099511628211ull;
        }
    }
    void Float(float f)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        Bytes(&bits, sizeof bits);
    }
    void Vector(const Vector4& v)
    {
        Float(v.x);
        Float(v.y);
        Float(v.z);
        Float(v.w);
    }
    void Flag(bool b) { Bytes(&b, 1); }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 14695981039346656037ull;
};

void HashSystem(Hasher& h, const CVerletSystem& s)
{
    for (int i = 0; i < s.particleCount; ++i) {
        const VerletParticle& p = s.particles[i];
        h.Vector(p.position);
        h.Vector(p.previous);
        h.Vector(p.step);
        h.Flag(p.collides);
        h.Vector(p.collisionOffset);
        h.Flag(p.contact);
    }
    for (int i = 0; i < s.stickCount; ++i) {
        h.Float(s.sticks[i].restLength);
    }
}

void HashState(Hasher& h, const CCreature& c)
{
    h.Flag(c.alive);
    h.Vector(c.leftGripPoint);
    h.Flag(c.leftGripHeld);
    h.Flag(c.leftGripping);
    h.Vector(c.rightGripPoint);
    h.Flag(c.rightGripHeld);
    h.Flag(c.rightGripping);
    h.Vector(c.leftSteer);
    h.Vector(c.rightSteer);
    HashSystem(h, c.bodySystem);
    HashSystem(h, c.limbSystem);
    for (const CDropBurst& burst : Drops.bursts) {
        h.Flag(burst.active);
        h.Float(burst.age);
        for (const DropParticle& d : burst.particles) {
            h.Vector(d.position);
            h.Vector(d.velocity);
        }
    }
    h.Bytes(&Drops.nextSlot, sizeof Drops.nextSlot);
    h.Bytes(&Drops.leftCooldown, sizeof Drops.leftCooldown);
    h.Bytes(&Drops.rightCooldown, sizeof Drops.rightCooldown);
}

// A small room: floor, a wall with a ledge, a ceiling block, and absorbed cells.
void BuildRoom(BoxList& boxes)
{
    AddRect(boxes, -20.0f, -14.0f, 20.0f, -8.0f);
    AddRect(boxes, 6.0f, -8.0f, 9.0f, 4.0f);
    AddRect(boxes, -4.0f, -3.0f, 0.0f, -2.0f);
    AddRect(boxes, -12.0f, 3.0f, -2.0f, 4.0f);
    AddRect(boxes, -20.0f, -8.0f, -17.0f, 10.0f);
    AddRect(boxes, -19.765625f, -10.0f, -19.296875f, -9.53125f, kBoxAbsorbed);
}

// The scripted input: sticks and grips change every few dozen frames.
struct Input {
    Vector4 left;
    Vector4 right;
    bool leftGrip;
    bool rightGrip;
};

Input ScriptedInput(int frame)
{
    const int phase = (frame / 37) % 8;
    const float t = static_cast<float>(frame % 37) / 37.0f;
    Input in{Vector4{0.0f, 0.0f, 0.0f, 1.0f}, Vector4{0.0f, 0.0f, 0.0f, 1.0f}, false, false};
    switch (phase) {
    case 0: break;
    case 1:
        in.right = Vector4{1.5f, 0.5f + t, 0.0f, 1.0f};
        in.rightGrip = true;
        break;
    case 2:
        in.left = Vector4{-1.0f, 2.0f, 0.0f, 1.0f};
        in.rightGrip = true;
        break;
    case 3:
        in.left = Vector4{2.0f, 1.0f - t, 0.0f, 1.0f};
        in.leftGrip = true;
        break;
    case 4:
        in.right = Vector4{-2.0f, 1.0f, 0.0f, 0.0f};
        in.leftGrip = true;
        break;
    case 5:
        in.left = Vector4{-1.5f, -1.0f, 0.0f, 1.0f};
        in.right = Vector4{0.5f, 0.5f, 0.0f, 1.0f};  // below the threshold: idle
        break;
    case 6:
        in.left = Vector4{0.0f, 3.0f, 0.0f, 1.0f};
        in.right = Vector4{0.0f, 3.0f, 0.0f, 1.0f};
        in.leftGrip = frame % 2 == 0;
        break;
    default:
        in.right = Vector4{2.5f, -0.5f, 0.0f, 1.0f};
        in.rightGrip = true;
        break;
    }
    return in;
}

struct RunResult {
    std::uint64_t hash = 0;
    int leftGripFrames = 0;
    int rightGripFrames = 0;
    int bursts = 0;
};

// Frames first..last-1 of the script, in the frame driver's order; false once the state
// is no longer finite.
bool RunFrames(CCreature& c, int first, int last, RunResult& result)
{
    for (int frame = first; frame < last; ++frame) {
        for (CDropBurst& burst : Drops.bursts) {
            burst.Update();
        }
        c.Update();
        const Input in = ScriptedInput(frame);
        c.leftGripHeld = in.leftGrip;
        c.rightGripHeld = in.rightGrip;
        c.SteerLeft(in.left);
        const std::int32_t slot = Drops.nextSlot;
        SpawnFootDrops(c);
        result.bursts += (Drops.nextSlot - slot + kDropBurstSlots) % kDropBurstSlots;
        result.leftGripFrames += c.leftGripping ? 1 : 0;
        result.rightGripFrames += c.rightGripping ? 1 : 0;
        c.SteerRight(in.right);
        if (!creature_test::AllFinite(c)) {
            ADD_FAILURE() << "non-finite state at frame " << frame;
            return false;
        }
    }
    return true;
}

std::unique_ptr<CCreature> StartScript()
{
    Drops.Reset();
    SetRandState(1u);
    auto c = MakeCreature(0.0f, -4.0f);
    BuildRoom(c->bodySystem.boxes);
    return c;
}

std::uint64_t Hash(const CCreature& c)
{
    Hasher h;
    HashState(h, c);
    return h.Value();
}

RunResult RunScript(int frames)
{
    RunResult result;
    auto c = StartScript();
    if (RunFrames(*c, 0, frames, result)) {
        result.hash = Hash(*c);
    }
    return result;
}

// Recorded from the first run of this script; every build type must reproduce it.
constexpr std::uint64_t kGoldenHash = 0x6f073aa3856a8a33ull;

}  // namespace

TEST(CreatureDeterminism, ScriptedRunMatchesTheRecordedHash)
{
    const std::uint32_t saved = GetRandState();
    const RunResult run = RunScript(2000);
    const std::uint64_t hash = run.hash;
    SetRandState(saved);
    // The script must exercise grips on both feet and the drops, or the hash guards little.
    EXPECT_GT(run.leftGripFrames, 20);
    EXPECT_GT(run.rightGripFrames, 20);
    EXPECT_GT(run.bursts, 3);
    std::printf("grip frames %d / %d, bursts %d\n", run.leftGripFrames, run.rightGripFrames, run.bursts);
    RecordProperty("state_hash", std::to_string(hash));
    std::printf("creature state hash after 2000 steps: 0x%016llx\n", static_cast<unsigned long long>(hash));
    EXPECT_EQ(hash, kGoldenHash);
}

TEST(CreatureDeterminism, RunsAreRepeatableAndSensitive)
{
    const std::uint32_t saved = GetRandState();
    const std::uint64_t first = RunScript(300).hash;
    const std::uint64_t second = RunScript(300).hash;
    const std::uint64_t longer = RunScript(301).hash;
    SetRandState(saved);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, longer);
}

// The hash covers every particle, stick length, grip and steering vector: the restore must
// bring back each of them, and nothing outside the motion may carry the detour into the
// rest of the run.
TEST(CreatureDeterminism, ARunRestoredAfterADetourEndsAtTheRecordedHash)
{
    const std::uint32_t saved = GetRandState();
    RunResult result;
    auto c = StartScript();
    ASSERT_TRUE(RunFrames(*c, 0, 1000, result));
    const CCreature::Motion motion = c->SaveMotion();
    const DropPool drops = Drops;
    const std::uint32_t random = GetRandState();
    const std::uint64_t atSave = Hash(*c);

    // Other sticks and grips for a while, then every flag the other way.
    ASSERT_TRUE(RunFrames(*c, 1100, 1400, result));
    c->alive = !motion.alive;
    c->leftGripHeld = !motion.controls.leftGripHeld;
    c->leftGripping = !motion.controls.leftGripping;
    c->rightGripHeld = !motion.controls.rightGripHeld;
    c->rightGripping = !motion.controls.rightGripping;

    c->RestoreMotion(motion);
    Drops = drops;
    SetRandState(random);
    EXPECT_EQ(Hash(*c), atSave);
    ASSERT_TRUE(RunFrames(*c, 1000, 2000, result));
    const std::uint64_t hash = Hash(*c);
    SetRandState(saved);
    EXPECT_EQ(hash, kGoldenHash);
}
