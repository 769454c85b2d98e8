#include "soak.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "math/random.h"
#include "platform/files/files.h"
#include "shell/game_state.h"
#include "world/level_scan.h"

namespace {

// The map's cells span 64 cells either side of the origin.
constexpr float kMapHalfExtent = (kMapSize / 2 + 1) * kCellSize;
constexpr std::int64_t kForcedDeathEvery = 1500;

double ResidentMb() { return static_cast<double>(ResidentMemoryBytes()) / (1024.0 * 1024.0); }

std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int Between(int low, int high) { return low + Rand() % (high - low + 1); }

std::int32_t Axis()
{
    const int pick = Rand() % 4;
    return pick == 0 ? 0 : pick == 1 ? (Rand() % 2 == 0 ? -1000 : 1000) : Between(-1000, 1000);
}

bool Finite(const Vector4& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

Script MakeSoakScript(const SoakOptions& options)
{
    const std::uint32_t kept = GetRandState();
    SetRandState(options.seed == 0 ? 1 : options.seed);
    Script script;
    script.endFrame = options.frames;
    auto add = [&](std::int64_t frame, CommandKind kind) -> ScriptCommand& {
        ScriptCommand command;
        command.frame = frame;
        command.kind = kind;
        script.commands.push_back(command);
        return script.commands.back();
    };
    std::int64_t frame = 0;
    std::int64_t spaceUpAt = -1;
    while (frame < options.frames) {
        if (spaceUpAt >= 0 && spaceUpAt <= frame) {
            add(spaceUpAt, CommandKind::KeyUp).key = ScriptKey::Space;
            spaceUpAt = -1;
        }
        const int action = Rand() % 100;
        if (action < 50) {
            PadState& pad = add(frame, CommandKind::Pad).pad;
            pad.lx = Axis();
            pad.ly = Axis();
            pad.rx = Axis();
            pad.ry = Axis();
            pad.b4 = Rand() % 2 == 0;
            pad.b5 = Rand() % 2 == 0;
            pad.b0 = Rand() % 10 == 0;
            pad.b1 = Rand() % 30 == 0;
        } else if (action < 66) {
            ScriptCommand& move = add(frame, CommandKind::Mouse);
            move.x = Between(0, 639);
            move.y = Between(0, 479);
            add(frame, CommandKind::Click);
        } else if (action < 78) {
            ScriptCommand& move = add(frame, CommandKind::Mouse);
            move.x = Between(0, 639);
            move.y = Between(0, 479);
        } else if (action < 82) {
            add(frame, CommandKind::Key).key = ScriptKey::W;
        } else if (action < 92 && spaceUpAt < 0) {
            add(frame, CommandKind::KeyDown).key = ScriptKey::Space;
            spaceUpAt = frame + Between(1, 12);
        } else {
            add(frame, Rand() % 2 == 0 ? CommandKind::Down : CommandKind::Up);
        }
        // Mostly short gaps, now and then a long stretch of play.
        frame += Rand() % 8 == 0 ? Between(40, 400) : Between(1, 30);
    }
    if (spaceUpAt >= 0 && spaceUpAt < options.frames) {
        add(spaceUpAt, CommandKind::KeyUp).key = ScriptKey::Space;
    }
    SetRandState(kept);
    return script;
}

Soak::Soak(const SoakOptions& options) : options_(options) {}

void Soak::Begin()
{
    startMb_ = ResidentMb();
    warmMb_ = startMb_;
    lastState_ = Session.screen;
    beganNs_ = NowNs();
}

bool Soak::AfterFrame(std::int64_t frame)
{
    if (Session.screen == Screen::Playing && lastState_ != Screen::Playing) {
        ++levelsStarted_;
    }
    if (Session.screen == Screen::LevelUp && lastState_ == Screen::Playing) {
        ++levelsDone_;
    }
    if (frame % kForcedDeathEvery == kForcedDeathEvery / 2 && Session.screen == Screen::Playing && Creature.alive) {
        Creature.alive = false;
    }
    if (wasAlive_ && !Creature.alive && Session.screen == Screen::Playing) {
        ++deaths_;
    }
    wasAlive_ = Creature.alive && Session.screen == Screen::Playing;
    lastState_ = Session.screen;
    if (frame == options_.injectNanAt) {
        Creature.limbSystem.particles[0].position.x = std::numeric_limits<float>::quiet_NaN();
    }

    char where[96] = {};
    for (const CVerletSystem* system : {&Creature.bodySystem, &Creature.limbSystem}) {
        for (std::int32_t i = 0; i < system->particleCount && where[0] == '\0'; ++i) {
            const VerletParticle& p = system->particles[i];
            if (!Finite(p.position) || !Finite(p.previous)) {
                std::snprintf(where, sizeof where, "%s particle %d is not finite",
                              system == &Creature.bodySystem ? "body" : "limb", i);
            }
        }
    }
    for (const CDropBurst& burst : Drops.bursts) {
        for (const DropParticle& drop : burst.particles) {
            if (burst.active && where[0] == '\0' && (!Finite(drop.position) || !Finite(drop.velocity))) {
                std::snprintf(where, sizeof where, "a drop is not finite");
            }
        }
    }
    const Vector4 body = Creature.GetPosition();
    if (where[0] == '\0' && Session.screen == Screen::Playing && Creature.alive &&
        (std::fabs(body.x) > kMapHalfExtent || std::fabs(body.y) > kMapHalfExtent)) {
        std::snprintf(where, sizeof where, "the creature left the map alive at (%.3g, %.3g)",
                      static_cast<double>(body.x), static_cast<double>(body.y));
    }
    if (where[0] != '\0') {
        problem_ = "frame " + std::to_string(frame) + ": " + where;
        return false;
    }

    // Warm-up: the first tenth, at most 5,000 frames; the memory after it must stay put.
    const std::int64_t warmUp = options_.frames / 10 < 5000 ? options_.frames / 10 : 5000;
    if (frame == warmUp) {
        warmMb_ = ResidentMb();
        warmFrame_ = frame;
    }
    return true;
}

bool Soak::Report(std::int64_t framesRun)
{
    const double seconds = static_cast<double>(NowNs() - beganNs_) / 1e9;
    const double endMb = ResidentMb();
    std::fprintf(stderr,
                 "tarnwick_run: soak: %lld frames in %.1f s, %.0f frames/s; RSS %.1f MB at the start, %.1f MB "
                 "after warm-up (frame %lld), %.1f MB at the end; %lld levels started, %lld completed, %lld "
                 "deaths\n",
                 static_cast<long long>(framesRun), seconds,
                 seconds > 0.0 ? static_cast<double>(framesRun) / seconds : 0.0, startMb_, warmMb_,
                 static_cast<long long>(warmFrame_), endMb, static_cast<long long>(levelsStarted_),
                 static_cast<long long>(levelsDone_), static_cast<long long>(deaths_));
    if (options_.maxRssGrowthMb >= 0.0 && endMb - warmMb_ > options_.maxRssGrowthMb) {
        std::fprintf(stderr, "tarnwick_run: soak: RSS grew %.1f MB after warm-up, more than %.1f MB\n", endMb - warmMb_,
                     options_.maxRssGrowthMb);
        return false;
    }
    return true;
}
