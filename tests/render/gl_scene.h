#pragma once

// A playing frame of the game on the GL backend, headless: a hidden square window, the
// game's graphics globals with made-up pictures and a small effect, a level built from a
// map held in memory, the creature on its start, and drop bursts in flight. Shared by the
// composed-frame test and the drawing benchmark.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "game_graphics.h"
#include "math/vertex.h"
#include "platform/gfx/windowed_device.h"
#include "platform/window/hidden_gl_window.h"
#include "render/camera.h"
#include "render/draw_batch.h"
#include "render/number_display.h"
#include "render/screen_pictures.h"
#include "world/level_scan.h"
#include "world/world.h"

struct Rgba {
    std::uint8_t r, g, b, a;
};

// A map picture in memory, cell by cell.
class TestMap {
public:
    TestMap() : pixels_(static_cast<std::size_t>(kMapSize) * kMapRowBytes, 0) {}

    void Fill(int c0, int r0, int c1, int r1, Rgba colour)
    {
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                std::uint8_t* p = &pixels_[static_cast<std::size_t>(r) * kMapRowBytes + c * kMapPixelBytes];
                p[0] = colour.b;
                p[1] = colour.g;
                p[2] = colour.r;
                p[3] = 255;
            }
        }
    }
    const std::uint8_t* Bits() const { return pixels_.data(); }

    static constexpr Rgba kSolid{255, 255, 255, 255};
    static constexpr Rgba kSpikeUp{255, 0, 255, 255};
    static constexpr Rgba kSpikeDown{255, 255, 0, 255};
    static constexpr Rgba kStart{255, 0, 0, 255};
    static constexpr Rgba kGoal{0, 0, 255, 255};

private:
    std::vector<std::uint8_t> pixels_;
};

// What a level load does, from a map in memory instead of a file.
inline bool BuildLevel(const TestMap& map)
{
    if (FAILED(World.Reset())) {
        return false;
    }
    BoxList& collision = Creature.bodySystem.boxes;
    collision.Empty();
    ScanMap(map.Bits(), kMapRowBytes, World.blocks, World.spikes, collision, World.startPoint, World.goalPoint);
    World.BuildMesh();
    if (FAILED(World.UploadMesh())) {
        return false;
    }
    collision.MergeBoxes();
    return true;
}

// The level of the composed frame: a floor, a ledge, a row of spikes, start and goal.
inline TestMap ShowcaseMap()
{
    TestMap map;
    map.Fill(30, 70, 100, 76, TestMap::kSolid);
    map.Fill(74, 63, 84, 69, TestMap::kSolid);
    map.Fill(52, 69, 56, 69, TestMap::kSpikeUp);
    map.Fill(88, 55, 92, 55, TestMap::kSpikeDown);
    map.Fill(88, 54, 92, 54, TestMap::kSolid);
    map.Fill(64, 62, 64, 62, TestMap::kStart);
    map.Fill(80, 60, 80, 60, TestMap::kGoal);
    return map;
}

// A crowded level for timing: blocks, ledges and spikes over most of the map.
inline TestMap DenseMap()
{
    TestMap map;
    for (int r = 4; r < 124; r += 4) {
        for (int c = 2; c < 126; c += 3) {
            map.Fill(c, r, c + 1, r + 1, TestMap::kSolid);
            map.Fill(c, r + 2, c, r + 2, ((r / 4) % 2 == 0) ? TestMap::kSpikeDown : TestMap::kSpikeUp);
        }
    }
    map.Fill(64, 3, 64, 3, TestMap::kStart);
    map.Fill(120, 120, 120, 120, TestMap::kGoal);
    return map;
}

class GlScene {
public:
    static constexpr int kSize = 256;

    ~GlScene() { Close(); }

    // Empty on success, else what failed.
    std::string Open()
    {
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        if (d3d_ == nullptr) {
            return "no Direct3D object";
        }
        window_ = std::make_unique<HiddenGlWindow>("render test", kSize, kSize);
        if (window_->Handle() == nullptr) {
            return std::string("no window: ") + HiddenGlWindow::Error();
        }
        if (FAILED(GfxCreateWindowedDevice(d3d_, window_->Handle(), D3DPRESENT_INTERVAL_IMMEDIATE, &Gpu.device))) {
            return "no device";
        }
        // The fixed-function defaults the game sets up at start.
        Gpu.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        Gpu.device->SetRenderState(D3DRS_LIGHTING, FALSE);
        Gpu.device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        Gpu.device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        Gpu.device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        Gpu.device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        if (!CreateGameEffect(Gpu.device, "tarnwick_render_gl.fx")) {
            return "the test effect does not load";
        }
        if (FAILED(Gpu.device->CreateVertexBuffer(static_cast<UINT>(kBatchVertexCapacity) * kVertexStride, 0,
                                                  kVertexFvf, D3DPOOL_DEFAULT, &Gpu.sharedVertexBuffer, nullptr))) {
            return "no shared vertex buffer";
        }
        if (!MakePictures()) {
            return "the pictures cannot be made";
        }
        ResetBatch();
        return {};
    }

    void Close()
    {
        World.ReleaseBuffer();
        World.ClearContents();
        Gpu.Reset();
        window_.reset();
        if (d3d_ != nullptr) {
            d3d_->Release();
            d3d_ = nullptr;
        }
    }

    // Loads a level, stands the creature on its start with its feet apart, lets the camera
    // settle on it and throws `bursts` drop bursts that have flown `age` frames.
    bool Stage(const TestMap& map, int bursts, int age)
    {
        if (!BuildLevel(map)) {
            return false;
        }
        Creature.Reset();
        Creature.Place(World.startPoint);
        Creature.leftGripHeld = true;
        for (int i = 0; i < 30; ++i) {
            UpdateCamera();
        }
        for (int i = 0; i < kDropBurstSlots; ++i) {
            Drops.bursts[i] = CDropBurst{};
        }
        for (int i = 0; i < bursts; ++i) {
            VerletParticle foot = (i % 2 == 0) ? *Creature.leftFoot : *Creature.rightFoot;
            foot.position.x = foot.position.x + static_cast<float>(i / 2) * 1.5f;
            Drops.bursts[i].Spawn(0, foot);
        }
        for (int step = 0; step < age; ++step) {
            for (CDropBurst& burst : Drops.bursts) {
                burst.Update();
            }
        }
        return true;
    }

    // One playing frame in the frame driver's order, without the simulation.
    void DrawFrame()
    {
        if (BeginFrame()) {
            DrawPlaying();
            EndFrame();
        }
    }

    // The clears, the scene, the camera and the per-frame effect state. This device has the
    // tools' depth buffer, so its depth is cleared too; the game's has none and clears the
    // colour only, which changes no pixel (everything lies in the plane z = 0).
    bool BeginFrame()
    {
        Gpu.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        Gpu.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        if (FAILED(Gpu.device->BeginScene())) {
            return false;
        }
        Gpu.device->SetStreamSource(0, Gpu.sharedVertexBuffer, 0, kVertexStride);
        UpdateCamera();
        Gpu.worldLightingTechnique = Gpu.effect->GetTechniqueByName("WorldLighting");
        Gpu.device->SetFVF(kVertexFvf);
        Gpu.device->SetStreamSource(0, Gpu.sharedVertexBuffer, 0, kVertexStride);
        return true;
    }

    // Everything a playing frame draws, from the first ResetBatch to the number. Leaving
    // the world out shows what the batch-drawn things cost alone.
    void DrawPlaying(bool withWorld = true)
    {
        ResetBatch();
        DrawSky();
        for (CDropBurst& burst : Drops.bursts) {
            burst.Draw();
        }
        DrawGoalArrow();
        Creature.Draw();
        if (withWorld) {
            World.Draw();
        }
        ResetBatch();
        ClearBatchRestart();
        const float width = NumberWidth(1, 0.5f);
        DrawNumber(
            1,
            Vector4{Scene.cameraPoint.x + 0.5f * width + 0.5f, Scene.cameraPoint.y + 4.0f, 0.0f, Scene.cameraPoint.w},
            0.5f);
    }

    void EndFrame()
    {
        Gpu.device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        Gpu.device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
        Gpu.device->EndScene();
    }

    void Present() { Gpu.device->Present(nullptr, nullptr, nullptr, nullptr); }

    // The back buffer as RGBA rows, top row first.
    std::vector<std::uint8_t> ReadBack()
    {
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kSize) * kSize * 4, 0);
        IDirect3DSurface9* back = nullptr;
        if (FAILED(Gpu.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)) || back == nullptr) {
            return rgba;
        }
        D3DLOCKED_RECT rect{};
        if (SUCCEEDED(back->LockRect(&rect, nullptr, D3DLOCK_READONLY))) {
            for (int y = 0; y < kSize; ++y) {
                const auto* row = static_cast<const std::uint8_t*>(rect.pBits) + y * rect.Pitch;
                for (int x = 0; x < kSize; ++x) {
                    std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * kSize + x) * 4];
                    out[0] = row[x * 4 + 2];
                    out[1] = row[x * 4 + 1];
                    out[2] = row[x * 4 + 0];
                    out[3] = 255;
                }
            }
            back->UnlockRect();
        }
        back->Release();
        return rgba;
    }

    // The pixel where a point of the level plane (z = 0) lands, for the current camera.
    static void PlaneToPixel(float x, float y, int& px, int& py)
    {
        const float half = kSize / 2.0f;
        px = static_cast<int>(half + (x - Scene.cameraPoint.x) / 8.0f * half);
        py = static_cast<int>(half - (y - Scene.cameraPoint.y) / 8.0f * half);
    }

    // Solid picture colours the test looks for.
    static constexpr Rgba kAntenna{220, 40, 40, 255};
    static constexpr Rgba kFace{240, 200, 60, 255};
    static constexpr Rgba kArrow{250, 140, 20, 255};
    static constexpr Rgba kBrick{150, 90, 50, 255};
    static constexpr Rgba kMortar{90, 60, 40, 255};

private:
    using Painter = std::function<Rgba(float u, float v)>;

    static IDirect3DTexture9* Picture(int size, const Painter& paint)
    {
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(Gpu.device->CreateTexture(static_cast<UINT>(size), static_cast<UINT>(size), 1, 0, D3DFMT_A8R8G8B8,
                                             D3DPOOL_MANAGED, &texture, nullptr))) {
            return nullptr;
        }
        D3DLOCKED_RECT rect{};
        if (FAILED(texture->LockRect(0, &rect, nullptr, 0))) {
            texture->Release();
            return nullptr;
        }
        for (int y = 0; y < size; ++y) {
            auto* row = static_cast<std::uint8_t*>(rect.pBits) + y * rect.Pitch;
            for (int x = 0; x < size; ++x) {
                const Rgba c = paint((static_cast<float>(x) + 0.5f) / static_cast<float>(size),
                                     (static_cast<float>(y) + 0.5f) / static_cast<float>(size));
                row[x * 4 + 0] = c.b;
                row[x * 4 + 1] = c.g;
                row[x * 4 + 2] = c.r;
                row[x * 4 + 3] = c.a;
            }
        }
        texture->UnlockRect(0);
        return texture;
    }

    static float Distance(float u, float v, float cu, float cv)
    {
        return std::sqrt((u - cu) * (u - cu) + (v - cv) * (v - cv));
    }

    static Rgba Disc(float u, float v, float radius, Rgba inside)
    {
        return Distance(u, v, 0.5f, 0.5f) < radius ? inside : Rgba{0, 0, 0, 0};
    }

    static Rgba Solid(Rgba c) { return c; }

    bool MakePictures()
    {
        const Painter paints[kTextureFileCount] = {
            // Leg: a dark stalk with lighter edges.
            [](float u, float) {
                return std::abs(u - 0.5f) < 0.3f ? Rgba{120, 60, 30, 255} : Rgba{200, 120, 60, 255};
            },
            // Sky: deep blue at the top of the picture, paler towards the bottom.
            [](float, float v) {
                return Rgba{static_cast<std::uint8_t>(30 + 60 * v), static_cast<std::uint8_t>(60 + 90 * v),
                            static_cast<std::uint8_t>(140 + 80 * v), 255};
            },
            // Ground: bricks with mortar.
            [](float u, float v) {
                const float row = v * 4.0f;
                const float shift = (static_cast<int>(row) % 2 == 0) ? 0.0f : 0.25f;
                const float col = (u + shift) * 2.0f;
                const bool mortar = row - std::floor(row) < 0.12f || col - std::floor(col) < 0.06f;
                return mortar ? kMortar : kBrick;
            },
            [](float u, float v) {
                return Disc(u, v, 0.45f, Rgba{250, 220, 60, 255});
            },  // knee
            // Head: a round face with two dark eyes.
            [](float u, float v) {
                if (Distance(u, v, 0.33f, 0.38f) < 0.08f || Distance(u, v, 0.67f, 0.38f) < 0.08f) {
                    return Rgba{30, 30, 30, 255};
                }
                return Disc(u, v, 0.48f, kFace);
            },
            // Spikes: a grey tooth pointing to the top of the picture.
            [](float u, float v) {
                return std::abs(u - 0.5f) < v * 0.5f ? Rgba{190, 190, 200, 255} : Rgba{0, 0, 0, 0};
            },
            // Eye: white with a black pupil.
            [](float u, float v) {
                return Distance(u, v, 0.5f, 0.5f) < 0.18f ? Rgba{0, 0, 0, 255}
                                                          : Disc(u, v, 0.45f, Rgba{255, 255, 255, 255});
            },
            [](float, float) { return Solid(kAntenna); },
            [](float, float) {
                return Solid(Rgba{60, 60, 200, 255});
            },  // title
            // Grass caps: green with lighter blades.
            [](float u, float) {
                return static_cast<int>(u * 16.0f) % 2 == 0 ? Rgba{60, 170, 60, 255} : Rgba{90, 200, 80, 255};
            },
            // Goal: a chequered flag.
            [](float u, float v) {
                const bool white = (static_cast<int>(u * 4.0f) + static_cast<int>(v * 4.0f)) % 2 == 0;
                return white ? Rgba{250, 250, 250, 255} : Rgba{20, 20, 20, 255};
            },
            [](float, float) {
                return Solid(Rgba{60, 200, 60, 255});
            },  // level up
            [](float, float) {
                return Solid(Rgba{200, 200, 60, 255});
            },  // game end
            // Tufts: blades towards the top, clear between them.
            [](float u, float v) {
                const float blade = std::abs(u * 6.0f - std::round(u * 6.0f));
                return blade < 0.5f * v ? Rgba{50, 150, 50, 255} : Rgba{0, 0, 0, 0};
            },
            [](float u, float v) {
                return Disc(u, v, 0.4f, Rgba{150, 200, 255, 255});
            },  // drop
            // Arrow: a broad head pointing to the bottom row, which the game turns to face
            // the goal.
            [](float u, float v) {
                const bool head = v >= 0.35f && std::abs(u - 0.5f) < (1.0f - v) * 0.75f;
                const bool tail = v < 0.4f && std::abs(u - 0.5f) < 0.15f;
                return head || tail ? kArrow : Rgba{0, 0, 0, 0};
            },
            [](float, float) {
                return Solid(Rgba{200, 60, 60, 255});
            },  // retry
            [](float, float) {
                return Solid(Rgba{60, 200, 60, 255});
            },  // level-up with a tip: step
            [](float, float) {
                return Solid(Rgba{60, 200, 90, 255});
            },  // climb
            [](float, float) {
                return Solid(Rgba{60, 200, 120, 255});
            },  // swing
        };
        for (int i = 0; i < kTextureFileCount; ++i) {
            *kTextureFiles[i].texture = Picture(32, paints[i]);
            if (*kTextureFiles[i].texture == nullptr) {
                return false;
            }
        }
        return true;
    }

    IDirect3D9* d3d_ = nullptr;
    std::unique_ptr<HiddenGlWindow> window_;
};
