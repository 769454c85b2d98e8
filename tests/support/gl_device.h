#pragma once

// A GL device on a hidden 64 x 64 window (SDL's offscreen driver in the tests), with helpers
// to draw vertices and read the back buffer. Needs the graphics and window libraries.

#include <cstdint>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "math/vertex.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "platform/gfx/windowed_device.h"
#include "platform/window/hidden_gl_window.h"

inline Vertex V(float x, float y, float z, std::uint32_t color, float u = 0.0f, float v = 0.0f)
{
    return Vertex{x, y, z, 0.0f, 0.0f, -1.0f, color, u, v};
}

// Writes vertices into a buffer through one Lock per vertex, as the game does.
inline void FillBuffer(IDirect3DVertexBuffer9* vb, const std::vector<Vertex>& vertices, UINT firstVertex = 0)
{
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        void* p = nullptr;
        ASSERT_EQ(vb->Lock(static_cast<UINT>((firstVertex + i) * sizeof(Vertex)), sizeof(Vertex), &p, 0), S_OK);
        *static_cast<Vertex*>(p) = vertices[i];
        ASSERT_EQ(vb->Unlock(), S_OK);
    }
}

class GlDevice : public ::testing::Test {
protected:
    static constexpr int kSize = 64;

    void SetUp() override
    {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr) << "no video";
        ASSERT_NE(window.Handle(), nullptr) << HiddenGlWindow::Error();
        D3DPRESENT_PARAMETERS pp{};
        if (depth) {
            ASSERT_EQ(GfxCreateWindowedDevice(d3d, window.Handle(), presentationInterval, &device, &pp), S_OK);
        } else {
            pp.Windowed = TRUE;
            pp.SwapEffect = D3DSWAPEFFECT_COPY;
            pp.PresentationInterval = presentationInterval;
            ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.Handle(),
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
                      S_OK);
        }
        ASSERT_EQ(pp.BackBufferWidth, static_cast<UINT>(kSize));
        ASSERT_EQ(device->CreateVertexBuffer(36 * 4096, 0, 0x42, D3DPOOL_DEFAULT, &vb, nullptr), S_OK);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetStreamSource(0, vb, 0, 36);
        device->SetFVF(kVertexFvf);
    }

    void TearDown() override
    {
        if (vb != nullptr) {
            vb->Release();
        }
        if (device != nullptr) {
            EXPECT_EQ(device->Release(), 0u);
        }
        if (d3d != nullptr) {
            d3d->Release();
        }
    }

    // Draws vertices (written one lock each) as `type` inside a scene.
    void Draw(D3DPRIMITIVETYPE type, const std::vector<Vertex>& vertices, UINT primitives, UINT first = 0)
    {
        FillBuffer(vb, vertices, first);
        ASSERT_EQ(device->BeginScene(), S_OK);
        EXPECT_EQ(device->DrawPrimitive(type, first, primitives), S_OK);
        ASSERT_EQ(device->EndScene(), S_OK);
    }

    // A quad in clip space (identity transforms) as a strip of four.
    static std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, float z, std::uint32_t color)
    {
        return {V(x0, y1, z, color, 0, 0), V(x1, y1, z, color, 1, 0), V(x0, y0, z, color, 0, 1),
                V(x1, y0, z, color, 1, 1)};
    }

    // The back buffer's pixel at column x, row y (row 0 at the top), as 0xAARRGGBB.
    std::uint32_t Pixel(int x, int y)
    {
        IDirect3DSurface9* back = nullptr;
        EXPECT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
        D3DLOCKED_RECT rect{};
        EXPECT_EQ(back->LockRect(&rect, nullptr, D3DLOCK_READONLY), S_OK);
        std::uint32_t value = 0;
        if (rect.pBits != nullptr) {
            const auto* row = static_cast<const std::uint8_t*>(rect.pBits) + y * rect.Pitch;
            const std::uint8_t* p = row + x * 4;
            value = (static_cast<std::uint32_t>(p[3]) << 24) | (static_cast<std::uint32_t>(p[2]) << 16) |
                    (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
        }
        back->UnlockRect();
        back->Release();
        return value & 0x00FFFFFFu;  // the back buffer is X8R8G8B8
    }

    UINT presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    // Without a depth buffer, as the game's device, the back buffer is drawn in the window.
    bool depth = true;
    HiddenGlWindow window{"gfx test", kSize, kSize};
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
};

// Channels within one step of each other.
inline ::testing::AssertionResult NearColor(std::uint32_t actual, std::uint32_t expected)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (a - e > 1 || e - a > 1) {
            char text[64];
            std::snprintf(text, sizeof text, "0x%06x is not 0x%06x", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}
