#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "map_text.h"
#include "platform/files/files.h"
#include "platform/gfx/recording.h"
#include "shell/playing_step.h"
#include "render/gpu/graphics_objects.h"
#include "shell/level_load.h"
#include "support/temp_folder.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;

// Checkerboard: as dense as a map can get for the creature's collision, single blocks that
// never merge, everywhere but a pocket around the start. Platforms: a level-like map, ledges
// of mixed lengths on every third row, walls and spikes, which merge into long rectangles.
std::string DenseMap(bool checkerboard)
{
    std::string text;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            const bool pocket = x >= 56 && x < 72 && y >= 56 && y < 72;
            char cell = (x + y) % 2 == 0 ? '#' : '.';
            if (!checkerboard) {
                cell = (y % 3 == 0 && (x * 7 + y) % 11 < 8) || x % 31 == 0 ? '#' : '.';
                if (cell == '.' && y % 3 == 2 && (x * 5 + y) % 13 == 0) {
                    cell = '^';
                }
            }
            if (pocket) {
                cell = y == 71 ? '#' : '.';
            }
            if (x == 60 && y == 66) {
                cell = 'S';
            }
            if (x == 70 && y == 58) {
                cell = 'G';
            }
            text += cell;
        }
        text += '\n';
    }
    return text;
}

void PlayingFrameLogic(benchmark::State& state)
{
    const bool checkerboard = state.range(0) != 0;
    // A level's own map instead, e.g. the densest: TARNWICK_BENCH_MAP=data/map5.tga.
    const char* given = std::getenv("TARNWICK_BENCH_MAP");
    const fs::path level = given != nullptr ? fs::absolute(given) : fs::path();
    TempFolder folder("tarnwick-bench");
    if (folder.Path().empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const fs::path root = folder.Path();
    fs::create_directories(root / "data");
    MapImage map;
    std::string error;
    if (!level.empty()) {
        fs::copy_file(level, root / "data/map1.tga");
    } else if (!TextToMap(DenseMap(checkerboard), map, error) ||
               !WriteTga((root / "data/map1.tga").string(), map, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    folder.Enter();
    GfxRecorder recorder;
    Gpu.device = GfxCreateRecordingDevice(&recorder);
    Creature.Reset();
    StartLevel(0);
    state.counters["boxes"] = static_cast<double>(Creature.bodySystem.boxes.count);
    // Both sticks pushed up and out with the grips held: the feet keep touching blocks.
    SteeringInput steer{-700, -900, 700, -900, false, false};
    StickRamps ramps;
    int frame = 0;
    int restarts = 0;
    for (auto _ : state) {
        if (++frame % 120 == 0) {
            steer.leftGrip = !steer.leftGrip;
            steer.rightGrip = !steer.rightGrip;
        }
        Creature.alive = true;
        const PlayOutcome outcome = PlayingStep(Creature, World, steer, ramps, true);
        for (CDropBurst& burst : Drops.bursts) {
            burst.Update();
        }
        if (outcome.reachedGoal) {
            state.PauseTiming();
            StartLevel(0);
            ++restarts;
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(Creature.body->position);
    }
    state.counters["restarts"] = restarts;
    World.ReleaseBuffer();
    Gpu.Reset();
}
BENCHMARK(PlayingFrameLogic)->ArgName("checkerboard")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
