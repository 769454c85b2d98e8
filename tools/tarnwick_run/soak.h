#pragma once

// The runner's soak mode: pseudo-random play for many frames on the recording backend, with
// the creature checked after every frame and the memory watched. See README.md.

#include <cstdint>
#include <string>

#include "run_script.h"
#include "shell/game_state.h"

struct SoakOptions {
    std::int64_t frames = 0;
    std::uint32_t seed = 1;
    std::int64_t injectNanAt = -1;  // a test hook: poisons a particle after this frame
    double maxRssGrowthMb = -1.0;   // after warm-up; negative: not checked
};

// The input of a whole soak, made from the game's own generator with its state put back
// after: sticks, grips, buttons, clicks, mouse moves, W and held keys, never Esc.
Script MakeSoakScript(const SoakOptions& options);

class Soak {
public:
    explicit Soak(const SoakOptions& options);

    // Before frame 0, after start-up.
    void Begin();
    // After each frame: the occasional forced death (a spike the random sticks never reach),
    // the injected fault, then the checks. False, with Problem() set, when a check fails.
    bool AfterFrame(std::int64_t frame);
    // The one summary line; false when the memory grew more than allowed.
    bool Report(std::int64_t framesRun);
    const std::string& Problem() const { return problem_; }

private:
    SoakOptions options_;
    std::string problem_;
    double startMb_ = 0.0;
    double warmMb_ = 0.0;
    std::int64_t warmFrame_ = 0;
    std::int64_t levelsStarted_ = 0;
    std::int64_t deaths_ = 0;
    std::int64_t levelsDone_ = 0;
    Screen lastState_ = Screen::Title;
    bool wasAlive_ = false;
    std::int64_t beganNs_ = 0;
};
