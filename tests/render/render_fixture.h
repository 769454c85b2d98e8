#pragma once

// The game's graphics globals on the recording device: a small shared vertex buffer, a test
// effect with the game's parameters, and one distinct 1 x 1 texture per picture. The batch
// starts as in a fresh process and the call log starts empty.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game_graphics.h"
#include "math/vertex.h"
#include "platform/gfx/d3dx9.h"
#include "platform/gfx/recording.h"
#include "render/draw_batch.h"

// An eye at z = -10 looking along +z with a right-angled view: at z = 0 the view holds x and
// y from -10 to 10.
inline D3DXMATRIX RightAngledView()
{
    const D3DXVECTOR3 eye(0.0f, 0.0f, -10.0f);
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DXMATRIX both;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 3.14159265f / 2.0f, 1.0f, 1.0f, 1000.0f);
    return *D3DXMatrixMultiply(&both, &view, &projection);
}

class RecordedDrawing : public ::testing::Test {
protected:
    static constexpr UINT kBufferVertices = 4096;

    void SetUp() override
    {
        Gpu.device = GfxCreateRecordingDevice(&recorder);
        ASSERT_NE(Gpu.device, nullptr);
        ASSERT_EQ(Gpu.device->CreateVertexBuffer(kBufferVertices * kVertexStride, 0, kVertexFvf, D3DPOOL_DEFAULT,
                                                 &Gpu.sharedVertexBuffer, nullptr),
                  S_OK);
        ASSERT_TRUE(CreateGameEffect(Gpu.device, "tarnwick_render_recorded.fx"));
        for (const TextureFile& file : kTextureFiles) {
            ASSERT_EQ(Gpu.device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, file.texture, nullptr),
                      S_OK);
        }
        // As the frame driver leaves things before any batch of a frame.
        ASSERT_EQ(Gpu.device->BeginScene(), S_OK);
        Gpu.device->SetStreamSource(0, Gpu.sharedVertexBuffer, 0, kVertexStride);
        Gpu.device->SetFVF(kVertexFvf);
        Batch.Reset();
        recorder.ClearCalls();
    }

    void TearDown() override
    {
        if (Gpu.device != nullptr) {
            Gpu.device->EndScene();
        }
        Gpu.Reset();
        Batch.Reset();
        EXPECT_EQ(recorder.LiveObjects(), 0);
    }

    const GfxCall* LastDraw() const
    {
        const auto draws = recorder.Find("DrawPrimitive");
        return draws.empty() ? nullptr : draws.back();
    }

    // The (state, value) pairs of every SetRenderState logged, in order.
    std::vector<std::pair<std::int64_t, std::int64_t>> RenderStates() const
    {
        std::vector<std::pair<std::int64_t, std::int64_t>> out;
        for (const GfxCall* c : recorder.Find("SetRenderState")) {
            out.emplace_back(c->Int(0), c->Int(1));
        }
        return out;
    }

    GfxRecorder recorder;
};

inline const IUnknown* AsObject(IDirect3DTexture9* texture) { return texture; }
