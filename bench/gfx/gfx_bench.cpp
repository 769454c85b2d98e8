// The graphics layer's costs on the real GL backend (headless by default, through SDL's
// offscreen driver): the game's per-vertex locking pattern, and the paced present rate.

#include <cstdlib>
#include <cstring>

#include <benchmark/benchmark.h>

#include "math/vertex.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "platform/gfx/windowed_device.h"
#include "platform/window/hidden_gl_window.h"

namespace {

struct Rig {
    explicit Rig(UINT interval)
    {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (window.Handle() != nullptr) {
            GfxCreateWindowedDevice(d3d, window.Handle(), interval, &device);
        }
        if (device != nullptr) {
            // The game's shared buffer: 2,000,000 vertices.
            device->CreateVertexBuffer(72000000, 0, 0x42, D3DPOOL_DEFAULT, &vb, nullptr);
            device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            device->SetRenderState(D3DRS_LIGHTING, FALSE);
            device->SetStreamSource(0, vb, 0, 36);
            device->SetFVF(kVertexFvf);
        }
    }
    ~Rig()
    {
        if (vb != nullptr) {
            vb->Release();
        }
        if (device != nullptr) {
            device->Release();
        }
        if (d3d != nullptr) {
            d3d->Release();
        }
    }
    bool Ready() const { return vb != nullptr; }

    IDirect3D9* d3d = nullptr;
    HiddenGlWindow window{"bench", 640, 480};
    IDirect3DDevice9* device = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
};

// 10,000 vertices each written through its own 36-byte lock, then one strip draw of them
// all, then an unpaced present so the GPU work is part of the measure.
void BM_TenThousandVertexLocksAndOneDraw(benchmark::State& state)
{
    Rig rig(D3DPRESENT_INTERVAL_IMMEDIATE);
    if (!rig.Ready()) {
        state.SkipWithError("no GL device");
        return;
    }
    constexpr UINT kVertices = 10000;
    for (auto _ : state) {
        rig.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        rig.device->BeginScene();
        for (UINT i = 0; i < kVertices; ++i) {
            void* p = nullptr;
            rig.vb->Lock(i * 36, 36, &p, 0);
            const float x = static_cast<float>(i % 100) * 0.02f - 1.0f;
            const float y = static_cast<float>(i / 100) * 0.02f - 1.0f;
            const Vertex v{x, y + (i % 2 != 0 ? 0.01f : 0.0f), 0.5f, 0, 0, -1, 0xFFFFFFFFu, 0, 0};
            std::memcpy(p, &v, sizeof v);
            rig.vb->Unlock();
        }
        rig.device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, kVertices - 2);
        rig.device->EndScene();
        rig.device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    state.SetItemsProcessed(state.iterations() * kVertices);
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TenThousandVertexLocksAndOneDraw)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 10,000 locks without the draw: the CPU side of the pattern alone.
void BM_TenThousandVertexLocks(benchmark::State& state)
{
    Rig rig(D3DPRESENT_INTERVAL_IMMEDIATE);
    if (!rig.Ready()) {
        state.SkipWithError("no GL device");
        return;
    }
    for (auto _ : state) {
        for (UINT i = 0; i < 10000; ++i) {
            void* p = nullptr;
            rig.vb->Lock(i * 36, 36, &p, 0);
            std::memset(p, static_cast<int>(i & 0x7F), 36);
            rig.vb->Unlock();
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_TenThousandVertexLocks)->Unit(benchmark::kMicrosecond);

// Presents with the default interval: held to 60 per second by vsync or the limiter.
void BM_PacedPresents(benchmark::State& state)
{
    Rig rig(D3DPRESENT_INTERVAL_DEFAULT);
    if (!rig.Ready()) {
        state.SkipWithError("no GL device");
        return;
    }
    rig.device->Present(nullptr, nullptr, nullptr, nullptr);
    for (auto _ : state) {
        rig.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        rig.device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    state.counters["presents/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PacedPresents)->Iterations(180)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
