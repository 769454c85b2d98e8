// The shipped effect compiles on GL 3.3 core (Mesa's software renderer in CI), offers what
// the game sets, and does what it is for: tufts sway at the top only, the pointer's lens
// moves the world and barely touches screen pictures.

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/gl_device.h"

namespace {

std::string DataFile(const char* name) { return std::string(TARNWICK_SOURCE_DIR) + "/data/" + name; }

class ShippedEffect : public GlDevice {
protected:
    void SetUp() override
    {
        GlDevice::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        ID3DXBuffer* errors = nullptr;
        ASSERT_EQ(D3DXCreateEffectFromFileW(device, DataFile("myshader.fx").c_str(), nullptr, nullptr,
                                            D3DXFX_NOT_CLONEABLE, nullptr, &effect, &errors),
                  S_OK)
            << (errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        if (errors != nullptr) {
            errors->Release();
        }
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        ASSERT_EQ(effect->SetMatrix("mWorldViewProjection", &identity), S_OK);
        const D3DXVECTOR4 camera{0.0f, 0.0f, -18.0f, 0.0f};
        ASSERT_EQ(effect->SetVector("CamerPosition", &camera), S_OK);
        ASSERT_EQ(effect->SetFloat("RenderTargetWidth", 64.0f), S_OK);
        ASSERT_EQ(effect->SetFloat("RenderTargetHeight", 64.0f), S_OK);
        ASSERT_EQ(effect->SetFloat("MagicValue", 0.059328f), S_OK);
        SetPointer(100.0f, 100.0f);  // far off screen: no lens
    }
    void TearDown() override
    {
        for (IDirect3DTexture9* t : textures_) {
            t->Release();
        }
        if (effect != nullptr) {
            effect->Release();
        }
        GlDevice::TearDown();
    }

    IDirect3DTexture9* Picture(const char* name)
    {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileW(device, DataFile(name).c_str(), &t), S_OK) << name;
        if (t != nullptr) {
            textures_.push_back(t);
        }
        return t;
    }

    // The game sends the pointer's y negated.
    void SetPointer(float x, float yUp)
    {
        effect->SetFloat("DistortionPosx", x);
        effect->SetFloat("DistortionPosy", -yUp);
    }

    // Draws one quad (a strip of four, top edge v = 0) through WorldLighting, alpha blended
    // onto black, and returns the back buffer, top row first.
    std::vector<std::uint32_t> DrawQuad(IDirect3DTexture9* texture, float x0, float y0, float x1, float y1,
                                        float normal, const char* technique = "WorldLighting")
    {
        const float n[3] = {normal < 0.0f ? 0.0f : normal, normal < 0.0f ? 0.0f : normal,
                            normal < 0.0f ? -1.0f : normal};
        const std::vector<Vertex> quad = {{x0, y1, 0.5f, n[0], n[1], n[2], 0xFFFFFFFFu, 0.0f, 0.0f},
                                          {x1, y1, 0.5f, n[0], n[1], n[2], 0xFFFFFFFFu, 1.0f, 0.0f},
                                          {x0, y0, 0.5f, n[0], n[1], n[2], 0xFFFFFFFFu, 0.0f, 1.0f},
                                          {x1, y0, 0.5f, n[0], n[1], n[2], 0xFFFFFFFFu, 1.0f, 1.0f}};
        FillBuffer(vb, quad);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        EXPECT_EQ(effect->SetTexture("RenderTargetTexture", texture), S_OK);
        EXPECT_EQ(device->BeginScene(), S_OK);
        EXPECT_EQ(effect->SetTechnique(effect->GetTechniqueByName(technique)), S_OK);
        UINT passes = 0;
        EXPECT_EQ(effect->Begin(&passes, 0), S_OK);
        EXPECT_EQ(effect->BeginPass(0), S_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
        effect->EndPass();
        effect->End();
        EXPECT_EQ(device->EndScene(), S_OK);

        std::vector<std::uint32_t> pixels;
        IDirect3DSurface9* back = nullptr;
        EXPECT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
        D3DLOCKED_RECT rect{};
        if (back != nullptr && back->LockRect(&rect, nullptr, D3DLOCK_READONLY) == S_OK) {
            for (int y = 0; y < kSize; ++y) {
                const auto* row = static_cast<const std::uint8_t*>(rect.pBits) + y * rect.Pitch;
                for (int x = 0; x < kSize; ++x) {
                    const std::uint8_t* p = row + x * 4;
                    pixels.push_back((static_cast<std::uint32_t>(p[2]) << 16) |
                                     (static_cast<std::uint32_t>(p[1]) << 8) | p[0]);
                }
            }
            back->UnlockRect();
        }
        if (back != nullptr) {
            back->Release();
        }
        return pixels;
    }

    // The largest channel difference between two frames within rows [top, bottom).
    static int MaxDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int top,
                             int bottom)
    {
        int worst = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const std::uint32_t p = a[static_cast<std::size_t>(y * kSize + x)];
                const std::uint32_t q = b[static_cast<std::size_t>(y * kSize + x)];
                for (int shift = 0; shift < 24; shift += 8) {
                    worst = std::max(
                        worst, std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF)));
                }
            }
        }
        return worst;
    }
    static long TotalDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
    {
        long sum = 0;
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            for (int shift = 0; shift < 24; shift += 8) {
                sum += std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
            }
        }
        return sum;
    }

    ID3DXEffect* effect = nullptr;
    std::vector<IDirect3DTexture9*> textures_;
};

TEST_F(ShippedEffect, OffersTheTechniqueAndEveryParameterWithItsKind)
{
    ASSERT_NE(effect->GetTechniqueByName("WorldLighting"), nullptr);
    ASSERT_EQ(effect->SetTechnique(effect->GetTechniqueByName("WorldLighting")), S_OK);
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), S_OK);
    EXPECT_GE(passes, 1u);
    EXPECT_EQ(effect->BeginPass(0), S_OK);
    effect->EndPass();
    effect->End();

    for (const char* name :
         {"RenderTargetWidth", "RenderTargetHeight", "MagicValue", "DistortionPosx", "DistortionPosy", "WindAmount"}) {
        EXPECT_NE(effect->GetParameterByName(nullptr, name), nullptr) << name;
        EXPECT_EQ(effect->SetFloat(name, 0.5f), S_OK) << name;
    }
    const D3DXVECTOR4 v{1.0f, 2.0f, 3.0f, 4.0f};
    for (const char* name : {"CamerPosition", "LightPosition"}) {
        EXPECT_NE(effect->GetParameterByName(nullptr, name), nullptr) << name;
        EXPECT_EQ(effect->SetVector(name, &v), S_OK) << name;
        EXPECT_NE(effect->SetFloat(name, 0.5f), S_OK) << name << " must be a vector";
    }
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    EXPECT_NE(effect->GetParameterByName(nullptr, "mWorldViewProjection"), nullptr);
    EXPECT_EQ(effect->SetMatrix(effect->GetParameterByName(nullptr, "mWorldViewProjection"), &m), S_OK);
    EXPECT_NE(effect->GetParameterByName(nullptr, "RenderTargetTexture"), nullptr);
    EXPECT_EQ(effect->SetTexture("RenderTargetTexture", Picture("ground.tga")), S_OK);
}

TEST_F(ShippedEffect, WindMovesTheTuftTopsAndLeavesRootsAndOtherPicturesStill)
{
    IDirect3DTexture9* tuft = Picture("Grass2.tga");
    IDirect3DTexture9* goal = Picture("end.tga");
    ASSERT_NE(tuft, nullptr);
    ASSERT_NE(goal, nullptr);
    // Rows: the quad's top edge (y 0.6) is row 13, its bottom edge (y -0.9) row 61.
    effect->SetFloat("WindAmount", 0.0f);
    const auto calm = DrawQuad(tuft, -0.3f, -0.9f, 0.3f, 0.6f, -1.0f);
    effect->SetFloat("WindAmount", 5.0f);
    const auto windy = DrawQuad(tuft, -0.3f, -0.9f, 0.3f, 0.6f, -1.0f);
    EXPECT_GT(MaxDifference(calm, windy, 12, 30), 60);
    EXPECT_LE(MaxDifference(calm, windy, 59, 61), 12);

    effect->SetFloat("WindAmount", 0.0f);
    const auto goalCalm = DrawQuad(goal, -0.9f, -0.9f, 0.9f, 0.9f, -1.0f);
    effect->SetFloat("WindAmount", 5.0f);
    const auto goalWindy = DrawQuad(goal, -0.9f, -0.9f, 0.9f, 0.9f, -1.0f);
    EXPECT_EQ(MaxDifference(goalCalm, goalWindy, 0, kSize), 0);
}

TEST_F(ShippedEffect, PointerLensBendsTheWorldAndSparesScreenPictures)
{
    IDirect3DTexture9* title = Picture("GameTitle.tga");
    ASSERT_NE(title, nullptr);
    const auto worldFar = DrawQuad(title, -1.0f, -1.0f, 1.0f, 1.0f, -1.0f);
    const auto screenFar = DrawQuad(title, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f);
    SetPointer(0.0f, 0.0f);
    const auto worldNear = DrawQuad(title, -1.0f, -1.0f, 1.0f, 1.0f, -1.0f);
    const auto screenNear = DrawQuad(title, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f);
    // Round the pointer the world picture moves visibly; far corners stay as they were.
    EXPECT_GT(MaxDifference(worldFar, worldNear, 24, 40), 20);
    EXPECT_LE(MaxDifference(worldFar, worldNear, 0, 3), 3);
    // Screen pictures move far less, so their text stays readable.
    const long world = TotalDifference(worldFar, worldNear);
    const long screen = TotalDifference(screenFar, screenNear);
    EXPECT_GT(world, 0);
    EXPECT_LT(screen * 3, world);
}

// The screens' own technique draws their pictures as the world's technique draws a quad with
// the screens' normal, wherever the pointer is: near it, at the edge of its square and far off.
TEST_F(ShippedEffect, TheScreenPictureTechniqueDrawsScreenPicturesAsTheWorldsDoes)
{
    IDirect3DTexture9* title = Picture("GameTitle.tga");
    ASSERT_NE(title, nullptr);
    const float pointers[][2] = {{0.0f, 0.0f}, {0.3f, -0.2f}, {0.55f, 0.1f}, {-0.9f, 0.9f}};
    for (const auto& p : pointers) {
        SetPointer(p[0], p[1]);
        const auto world = DrawQuad(title, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f);
        const auto screen = DrawQuad(title, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f, "ScreenPicture");
        // Here the picture is shrunk eight times, so the tenth of a pixel the shift reaches past
        // its square crosses texels: a few steps of colour.
        EXPECT_LE(MaxDifference(world, screen, 0, kSize), 6) << p[0] << ", " << p[1];
    }
}

}  // namespace
