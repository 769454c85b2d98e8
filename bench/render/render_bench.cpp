// The CPU time of drawing one busy playing frame on the GL backend (headless through SDL's
// offscreen driver): sky, ten drop bursts in flight, the creature, the world of a dense level,
// the goal arrow and the number, from the first ResetBatch to before EndScene and Present.
// The clears, the camera and the present are outside the timed part. "allocs/frame" counts
// heap allocations inside it. The argument 0 leaves the world mesh out, so the cost of the
// batch-drawn things shows on its own.

#include <benchmark/benchmark.h>

#include "support/counting_allocator.h"
#include "gl_scene.h"

namespace {

void BM_PlayingFrameDrawing(benchmark::State& state)
{
    GlScene scene;
    const std::string error = scene.Open();
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    if (!scene.Stage(DenseMap(), kDropBurstSlots, 10)) {
        state.SkipWithError("the dense level does not build");
        return;
    }
    // Warm up: the first frames create GL state and upload the world.
    for (int i = 0; i < 5; ++i) {
        scene.DrawFrame();
        scene.Present();
    }
    long allocations = 0;
    std::int64_t frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        scene.BeginFrame();
        const long before = counting_allocator::Count();
        state.ResumeTiming();

        scene.DrawPlaying(state.range(0) != 0);

        state.PauseTiming();
        allocations += counting_allocator::Count() - before;
        ++frames;
        scene.EndFrame();
        scene.Present();
        state.ResumeTiming();
    }
    state.counters["allocs/frame"] = benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(frames));
    state.counters["world vertices"] = static_cast<double>(World.vertexCount);
    std::int32_t active = 0;
    for (const CDropBurst& burst : Drops.bursts) {
        active += burst.active ? 1 : 0;
    }
    state.counters["bursts"] = active;
    scene.Close();
}
BENCHMARK(BM_PlayingFrameDrawing)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
