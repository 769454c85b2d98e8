#include <chrono>
#include <cstring>
#include <numbers>

#include <SDL.h>

#include "gfx_test_util.h"
#include "platform/gfx/internal/gl.h"
#include "platform/window/internal/window_handle.h"

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kGreen = 0xFF00FF00u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;

const char* const kBlendEffect = R"(# the game's kind of effect: textured, coloured, through one matrix
matrix mWorldViewProjection
texture RenderTargetTexture point wrap
float Unused

vertex Vs
out vec2 uv;
out vec4 color;
void main()
{
    uv = inTexCoord;
    color = inColor;
    gl_Position = mWorldViewProjection * vec4(inPosition, 1.0);
}
end

fragment Fs
in vec2 uv;
in vec4 color;
out vec4 fragColor;
void main() { fragColor = texture(RenderTargetTexture, uv) * color; }
end

technique WorldLighting
    pass Vs Fs
end
)";

IDirect3DTexture9* MakeTexture(IDirect3DDevice9* device, UINT w, UINT h, const std::vector<std::uint32_t>& argb)
{
    IDirect3DTexture9* tex = nullptr;
    EXPECT_EQ(device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), S_OK);
    D3DLOCKED_RECT rect{};
    EXPECT_EQ(tex->LockRect(0, &rect, nullptr, 0), S_OK);
    for (UINT y = 0; y < h; ++y) {
        std::memcpy(static_cast<std::uint8_t*>(rect.pBits) + y * static_cast<UINT>(rect.Pitch), &argb[y * w], w * 4);
    }
    EXPECT_EQ(tex->UnlockRect(0), S_OK);
    return tex;
}

using GlRender = GlDevice;

// An effect whose pass draws green with its full shader and red with its build for outside
// the focus; `vertexBody` places the vertices, `passTail` follows the pass's shaders.
ID3DXEffect* GreenInFocusEffect(IDirect3DDevice9* device, const char* name, const std::string& vertexBody,
                                const std::string& passTail)
{
    const std::string path = WriteFile(ScratchFolder() / name,
                                       "float PointX\nfloat PointY\nmatrix Place\nvertex Vs\n"
                                       "void main() { " +
                                           vertexBody + " }\nend\n" + R"(fragment Fs
out vec4 fragColor;
#ifdef GFX_OUTSIDE_FOCUS
void main() { fragColor = vec4(1.0, 0.0, 0.0, 1.0); }
#else
void main() { fragColor = vec4(0.0, 1.0, 0.0, 1.0); }
#endif
end
technique T
    pass Vs Fs )" + passTail + "\nend\n");
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    EXPECT_EQ(D3DXCreateEffectFromFileW(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors), S_OK)
        << (errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer()) : "");
    return effect;
}

// Clears to blue and draws the effect's pass with the focus at (x, y).
void DrawFocusPass(IDirect3DDevice9* device, ID3DXEffect* effect, float x, float y, D3DPRIMITIVETYPE type,
                   UINT primitives)
{
    effect->SetFloat("PointX", x);
    effect->SetFloat("PointY", y);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlue, 1.0f, 0);
    ASSERT_EQ(device->BeginScene(), S_OK);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    EXPECT_EQ(device->DrawPrimitive(type, 0, primitives), S_OK);
    effect->EndPass();
    effect->End();
    device->EndScene();
}

// How many pixels of a locked picture are not green inside [left, right) x [top, bottom)
// and red outside.
int NotGreenOnlyIn(const D3DLOCKED_RECT& rect, int size, int left, int top, int right, int bottom)
{
    int wrong = 0;
    for (int y = 0; y < size; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(rect.pBits) + y * rect.Pitch;
        for (int x = 0; x < size; ++x) {
            const bool inside = x >= left && x < right && y >= top && y < bottom;
            const std::uint8_t* p = row + x * 4;  // B, G, R, A
            wrong += p[0] == 0 && (inside ? p[1] == 255 && p[2] == 0 : p[1] == 0 && p[2] == 255) ? 0 : 1;
        }
    }
    return wrong;
}

TEST_F(GlRender, ClearFillsTheTarget)
{
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699u, 1.0f, 0), S_OK);
    EXPECT_EQ(Pixel(0, 0), 0x336699u);
    EXPECT_EQ(Pixel(63, 63), 0x336699u);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), S_OK);
    EXPECT_EQ(Pixel(31, 17), 0x000000u);
}

TEST_F(GlRender, VertexColoursKeepTheirChannelOrder)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 0, 1, 0.5f, 0xFF112233u), 2);
    Draw(D3DPT_TRIANGLESTRIP, Quad(0, -1, 1, 1, 0.5f, kBlue), 2);
    EXPECT_EQ(Pixel(10, 32), 0x112233u);
    EXPECT_EQ(Pixel(50, 32), 0x0000FFu);
}

TEST_F(GlRender, TextureRowZeroIsTheTopAndUIsLeft)
{
    IDirect3DTexture9* tex = MakeTexture(device, 2, 2, {kRed, kGreen, kBlue, 0xFFFFFFFFu});
    device->SetTexture(0, tex);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu), 2);
    EXPECT_EQ(Pixel(8, 8), 0xFF0000u);
    EXPECT_EQ(Pixel(56, 8), 0x00FF00u);
    EXPECT_EQ(Pixel(8, 56), 0x0000FFu);
    EXPECT_EQ(Pixel(56, 56), 0xFFFFFFu);
    device->SetTexture(0, nullptr);
    tex->Release();

    // The same picture from a bottom-up TGA file lands the same way round.
    const std::vector<Bgra> pixels = {{0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}, {255, 255, 255, 255}};
    const std::string path = WriteFile(ScratchFolder() / "p.tga", MakeTga(2, 2, pixels, 24, false, false));
    ASSERT_EQ(D3DXCreateTextureFromFileW(device, path.c_str(), &tex), S_OK);
    device->SetTexture(0, tex);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu), 2);
    EXPECT_EQ(Pixel(8, 8), 0xFF0000u);
    EXPECT_EQ(Pixel(56, 56), 0xFFFFFFu);
    device->SetTexture(0, nullptr);
    tex->Release();
}

TEST_F(GlRender, FixedFunctionModulatesAndAddsOntoTheTarget)
{
    IDirect3DTexture9* tex = MakeTexture(device, 1, 1, {0xFF804020u});
    device->SetTexture(0, tex);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030u, 1.0f, 0);
    // texture (0x80, 0x40, 0x20) x vertex colour 128/255, added to the clear colour
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 0, 1, 0.5f, 0xFF808080u), 2);
    EXPECT_TRUE(NearColor(Pixel(16, 32), 0x504040u));
    EXPECT_EQ(Pixel(48, 32), 0x102030u);
    // Drawn twice, added twice.
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 0, 1, 0.5f, 0xFF808080u), 2);
    EXPECT_TRUE(NearColor(Pixel(16, 32), 0x906050u));
    // Blending off replaces.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 0, 1, 0.5f, 0xFFFFFFFFu), 2);
    EXPECT_EQ(Pixel(16, 32), 0x804020u);
    device->SetTexture(0, nullptr);
    tex->Release();
}

TEST_F(GlRender, StripsJoinedByRepeatedVerticesDrawNothingBetween)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    std::vector<Vertex> strip = Quad(-1, -1, -0.5f, 1, 0.5f, kGreen);
    const std::vector<Vertex> second = Quad(0.5f, -1, 1, 1, 0.5f, kRed);
    strip.push_back(strip.back());
    strip.push_back(second.front());
    strip.insert(strip.end(), second.begin(), second.end());
    ASSERT_EQ(strip.size(), 10u);
    Draw(D3DPT_TRIANGLESTRIP, strip, 8);
    EXPECT_EQ(Pixel(4, 32), 0x00FF00u);
    EXPECT_EQ(Pixel(60, 32), 0xFF0000u);
    for (int x = 17; x < 47; ++x) {
        ASSERT_EQ(Pixel(x, 5), 0u) << x;
        ASSERT_EQ(Pixel(x, 58), 0u) << x;
    }
}

// Depth and projection, both with glClipControl and with the shader conversion used where
// GL lacks it.
class GlDepthModes : public GlDevice, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        GfxGl::ForceDepthConversion(GetParam());
        GlDevice::SetUp();
    }
    void TearDown() override
    {
        GlDevice::TearDown();
        GfxGl::ForceDepthConversion(false);
    }
};

INSTANTIATE_TEST_SUITE_P(ClipControl, GlDepthModes, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "ShaderDepth" : "ClipControl"; });

TEST_P(GlDepthModes, DepthTestAndDepthWritesFollowTheStates)
{
    auto frame = [&](DWORD zEnable, DWORD firstWrites, DWORD func) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        device->SetRenderState(D3DRS_ZENABLE, zEnable);
        device->SetRenderState(D3DRS_ZFUNC, func);
        device->SetRenderState(D3DRS_ZWRITEENABLE, firstWrites);
        Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 1, 1, 0.25f, kRed), 2);  // near
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 1, 1, 0.75f, kGreen), 2);  // far, drawn later
        return Pixel(32, 32);
    };
    EXPECT_EQ(frame(D3DZB_TRUE, TRUE, D3DCMP_LESSEQUAL), 0xFF0000u);   // the near quad hides the far one
    EXPECT_EQ(frame(D3DZB_TRUE, FALSE, D3DCMP_LESSEQUAL), 0x00FF00u);  // it wrote no depth
    EXPECT_EQ(frame(D3DZB_FALSE, TRUE, D3DCMP_LESSEQUAL), 0x00FF00u);  // no depth test at all
    EXPECT_EQ(frame(D3DZB_TRUE, TRUE, D3DCMP_ALWAYS), 0x00FF00u);

    // Depth runs 0..1 as in Direct3D: just behind the eye is clipped, just before the far end is not.
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 0, 1, -0.1f, kRed), 2);
    Draw(D3DPT_TRIANGLESTRIP, Quad(0, -1, 1, 1, 0.99f, kGreen), 2);
    EXPECT_EQ(Pixel(16, 32), 0u);
    EXPECT_EQ(Pixel(48, 32), 0x00FF00u);
    // A depth cleared to 0.5 hides what lies behind it.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 0.5f, 0);
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 0, 1, 0.6f, kRed), 2);
    Draw(D3DPT_TRIANGLESTRIP, Quad(0, -1, 1, 1, 0.4f, kGreen), 2);
    EXPECT_EQ(Pixel(16, 32), 0u);
    EXPECT_EQ(Pixel(48, 32), 0x00FF00u);
}

TEST_P(GlDepthModes, TheNinetyDegreeViewEndsAtTheScreenEdges)
{
    D3DXMATRIX view;
    D3DXMATRIX projection;
    const D3DXVECTOR3 eye(0, 0, -8);
    const D3DXVECTOR3 at(0, 0, 92);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, std::numbers::pi_v<float> / 2.0f, 1.0f, 1.0f, 1000.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    // Bars 0.5 wide straddling the right edge (x = 8) and the top edge (y = 8) of the level plane.
    Draw(D3DPT_TRIANGLESTRIP, Quad(7.5f, -1, 8.5f, 1, 0.0f, kRed), 2);
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, 7.5f, 1, 8.5f, 0.0f, kGreen), 2);
    EXPECT_EQ(Pixel(63, 32), 0xFF0000u);
    EXPECT_EQ(Pixel(62, 32), 0xFF0000u);
    EXPECT_EQ(Pixel(61, 32), 0u);
    EXPECT_EQ(Pixel(32, 0), 0x00FF00u);  // +y is up: the top rows
    EXPECT_EQ(Pixel(32, 1), 0x00FF00u);
    EXPECT_EQ(Pixel(32, 2), 0u);
    EXPECT_EQ(Pixel(32, 63), 0u);
}

TEST_F(GlRender, DefaultCullingDropsCounterClockwiseTriangles)
{
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    // Top-left, top-right, bottom-left is clockwise on screen.
    Draw(D3DPT_TRIANGLELIST, {V(-1, 1, 0.5f, kRed), V(1, 1, 0.5f, kRed), V(-1, -1, 0.5f, kRed)}, 1);
    EXPECT_EQ(Pixel(8, 8), 0xFF0000u);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    Draw(D3DPT_TRIANGLELIST, {V(-1, 1, 0.5f, kRed), V(-1, -1, 0.5f, kRed), V(1, 1, 0.5f, kRed)}, 1);
    EXPECT_EQ(Pixel(8, 8), 0u);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Draw(D3DPT_TRIANGLELIST, {V(-1, 1, 0.5f, kRed), V(-1, -1, 0.5f, kRed), V(1, 1, 0.5f, kRed)}, 1);
    EXPECT_EQ(Pixel(8, 8), 0xFF0000u);
}

TEST_F(GlRender, AlphaBlendedTexturedStripThroughAnEffect)
{
    const std::string path = WriteFile(ScratchFolder() / "blend.fx", kBlendEffect);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileW(device, path.c_str(), nullptr, nullptr, D3DXFX_NOT_CLONEABLE, nullptr, &effect,
                                        &errors),
              S_OK)
        << (errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer()) : "");
    IDirect3DTexture9* tex = MakeTexture(device, 2, 1, {kRed, kGreen});
    ASSERT_EQ(effect->SetTexture("RenderTargetTexture", tex), S_OK);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ASSERT_EQ(effect->SetMatrix(effect->GetParameterByName(nullptr, "mWorldViewProjection"), &identity), S_OK);

    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // White at alpha 128/255 over blue: red and green halves from the texture.
    const std::vector<Vertex> quad = Quad(-1, -1, 1, 1, 0.5f, 0x80FFFFFFu);
    FillBuffer(vb, quad);
    ASSERT_EQ(device->BeginScene(), S_OK);
    ASSERT_EQ(effect->SetTechnique(effect->GetTechniqueByName("WorldLighting")), S_OK);
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), S_OK);
    ASSERT_EQ(passes, 1u);
    ASSERT_EQ(effect->BeginPass(0), S_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    ASSERT_EQ(effect->EndPass(), S_OK);
    ASSERT_EQ(effect->End(), S_OK);
    ASSERT_EQ(device->EndScene(), S_OK);
    EXPECT_TRUE(NearColor(Pixel(16, 32), 0x80007Fu));
    EXPECT_TRUE(NearColor(Pixel(48, 32), 0x00807Fu));

    // A matrix set on the effect moves what it draws: scale by a half.
    D3DXMATRIX half;
    D3DXMatrixIdentity(&half);
    half._11 = half._22 = 0.5f;
    effect->SetMatrix("mWorldViewProjection", &half);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
    ASSERT_EQ(device->BeginScene(), S_OK);
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    effect->EndPass();
    effect->End();
    // After EndPass, draws fall back to the fixed-function path (untextured white here).
    device->SetTexture(0, nullptr);
    FillBuffer(vb, Quad(-1, -1, -0.75f, -0.75f, 0.5f, 0xFFFFFFFFu), 10);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 10, 2), S_OK);
    device->EndScene();
    EXPECT_EQ(Pixel(20, 32), 0xFF0000u);
    EXPECT_EQ(Pixel(44, 32), 0x00FF00u);
    EXPECT_EQ(Pixel(4, 32), 0x0000FFu);
    EXPECT_EQ(Pixel(2, 62), 0xFFFFFFu);
    tex->Release();
    effect->Release();
}

TEST_F(GlRender, AFocusedPassDrawsItsFullShaderOnlyInTheSquareRoundItsPointOnLargeTargetsOrForOneQuad)
{
    // Green where the full shader draws, red where the one for outside the focus does.
    ID3DXEffect* effect =
        GreenInFocusEffect(device, "focus.fx", "gl_Position = vec4(inPosition, 1.0);", "focus PointX PointY 0.25");
    ASSERT_NE(effect, nullptr);
    std::vector<Vertex> twoQuads = Quad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFFu);
    twoQuads.insert(twoQuads.end(), twoQuads.begin(), twoQuads.end());
    FillBuffer(vb, twoQuads);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    const auto draw = [&](float x, float y, UINT triangles = 2, D3DPRIMITIVETYPE type = D3DPT_TRIANGLESTRIP) {
        DrawFocusPass(device, effect, x, y, type, triangles);
    };
    // On a small target a strip of more than one quad (a batch) is not worth the extra draws:
    // the full shader draws all of it.
    draw(0.5f, -0.5f, 6);
    EXPECT_EQ(Pixel(48, 16), 0x00FF00u);
    EXPECT_EQ(Pixel(2, 60), 0x00FF00u);
    // One quad is, and so is a triangle list of quads (the world's): the full shader keeps to
    // the column of the square round (48, 16), which reaches 8 pixels each way.
    const std::vector<Vertex>& q = twoQuads;
    const std::vector<Vertex> list = {q[0], q[1], q[2], q[2], q[1], q[3], q[0], q[1], q[2], q[2], q[1], q[3]};
    for (int asList = 0; asList < 2; ++asList) {
        SCOPED_TRACE(asList);
        FillBuffer(vb, asList != 0 ? list : twoQuads);
        draw(0.5f, -0.5f, asList != 0 ? 4 : 2, asList != 0 ? D3DPT_TRIANGLELIST : D3DPT_TRIANGLESTRIP);
        EXPECT_EQ(Pixel(48, 16), 0x00FF00u);
        EXPECT_EQ(Pixel(48, 60), 0x00FF00u);
        EXPECT_EQ(Pixel(41, 60), 0x00FF00u);
        EXPECT_EQ(Pixel(38, 16), 0xFF0000u);
        EXPECT_EQ(Pixel(2, 60), 0xFF0000u);
    }
    FillBuffer(vb, twoQuads);

    // On a large texture target the full shader keeps to the square: a radius of a quarter
    // half height is 128 pixels each way, cut at the edges; rows count from the top.
    IDirect3DTexture9* large = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 1024, 1024, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &large),
              S_OK);
    IDirect3DSurface9* back = nullptr;
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &back), S_OK);
    ASSERT_EQ(large->GetSurfaceLevel(0, &level), S_OK);
    ASSERT_EQ(device->SetRenderTarget(0, level), S_OK);
    struct Case {
        float x, y;           // the focus, -1..1, y downwards
        int left, top, size;  // the square it covers in pixels
    };
    const Case cases[] = {{0.5f, -0.5f, 640, 128, 256}, {-1.0f, 1.0f, 0, 896, 128}, {0.0f, 0.0f, 384, 384, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        draw(c.x, c.y);
        D3DLOCKED_RECT rect{};
        ASSERT_EQ(large->LockRect(0, &rect, nullptr, D3DLOCK_READONLY), S_OK);
        EXPECT_EQ(NotGreenOnlyIn(rect, 1024, c.left, c.top, c.left + c.size, c.top + c.size), 0);
        ASSERT_EQ(large->UnlockRect(0), S_OK);
    }
    ASSERT_EQ(device->SetRenderTarget(0, back), S_OK);
    level->Release();
    back->Release();
    large->Release();

    // The scissor is off again: a clear reaches every pixel.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlue, 1.0f, 0);
    EXPECT_EQ(Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(Pixel(63, 63), 0x0000FFu);
    effect->Release();
}

TEST_F(GlRender, AFocusedListWithAReachDrawsEachPartWithTheTrianglesThatReachIt)
{
    // The vertex shader moves every vertex 0.125 to the right, within the margin the pass
    // states, and the square round the focus is no longer widened to a column: each pixel of
    // a grid of small triangles must still be drawn once, green inside the square, red outside.
    ID3DXEffect* effect =
        GreenInFocusEffect(device, "reach.fx", "gl_Position = Place * vec4(inPosition + vec3(0.125, 0.0, 0.0), 1.0);",
                           "focus PointX PointY 0.25 reach Place 0.125");
    ASSERT_NE(effect, nullptr);
    // Quads of 8 x 8 pixels whose sides fall 2 pixels left of the squares' sides, so the
    // shift carries them across: from x = -10 pixels, landing on -6.
    std::vector<Vertex> grid;
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 9; ++col) {
            const std::vector<Vertex> q = Quad(-1.3125f + col * 0.25f, -1.0f + row * 0.25f, -1.0625f + col * 0.25f,
                                               -0.75f + row * 0.25f, 0.5f, 0xFFFFFFFFu);
            grid.insert(grid.end(), {q[0], q[1], q[2], q[2], q[1], q[3]});
        }
    }
    FillBuffer(vb, grid);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    effect->SetMatrix("Place", &identity);
    struct Case {
        float x, y;                    // the focus, -1..1, y downwards
        int left, top, right, bottom;  // the square it covers in pixels, cut at the edges
    };
    const Case cases[] = {{0.5f, -0.5f, 40, 8, 56, 24}, {-1.0f, 1.0f, 0, 56, 8, 64}, {0.0f, 0.1f, 24, 27, 40, 44}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        DrawFocusPass(device, effect, c.x, c.y, D3DPT_TRIANGLELIST, static_cast<UINT>(grid.size() / 3));
        IDirect3DSurface9* back = nullptr;
        ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
        D3DLOCKED_RECT rect{};
        ASSERT_EQ(back->LockRect(&rect, nullptr, D3DLOCK_READONLY), S_OK);
        EXPECT_EQ(NotGreenOnlyIn(rect, kSize, c.left, c.top, c.right, c.bottom), 0);
        back->UnlockRect();
        back->Release();
    }
    effect->Release();
}

TEST_F(GlRender, ShaderErrorsNameTheFileLineAndGlLog)
{
    const std::string text =
        "float A\nvertex V\nvoid main()\n{\n    gl_Position = vec4(A) +;\n}\nend\n"
        "fragment F\nout vec4 c;\nvoid main() { c = vec4(A); }\nend\n"
        "technique T\npass V F\nend\n";
    const std::string path = WriteFile(ScratchFolder() / "broken.fx", text);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    EXPECT_EQ(D3DXCreateEffectFromFileW(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(effect, nullptr);
    ASSERT_NE(errors, nullptr);
    const std::string message(static_cast<const char*>(errors->GetBufferPointer()));
    EXPECT_NE(message.find("broken.fx:2: vertex shader 'V'"), std::string::npos) << message;
    EXPECT_NE(message.find(":5("), std::string::npos) << message;  // GL's own report, on the file's line 5
    errors->Release();
}

TEST_F(GlRender, RenderTargetTexturesClearDrawAndReadBack)
{
    IDirect3DTexture9* color = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &color),
              S_OK);
    IDirect3DTexture9* floats = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT, &floats), S_OK);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &back), S_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);

    IDirect3DSurface9* colorLevel = nullptr;
    ASSERT_EQ(color->GetSurfaceLevel(0, &colorLevel), S_OK);
    ASSERT_EQ(device->SetRenderTarget(0, colorLevel), S_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80402010u, 1.0f, 0), S_OK);
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, 0, 1, 1, 0.5f, kRed), 2);  // the upper half
    D3DLOCKED_RECT rect{};
    ASSERT_EQ(color->LockRect(0, &rect, nullptr, D3DLOCK_READONLY), S_OK);
    EXPECT_EQ(rect.Pitch, 256);
    const auto* bytes = static_cast<const std::uint8_t*>(rect.pBits);
    EXPECT_EQ(bytes[2], 255);  // row 0 is the top: red
    EXPECT_EQ(bytes[3], 255);
    const std::uint8_t* bottom = bytes + 63 * rect.Pitch;
    EXPECT_EQ(bottom[0], 0x10);
    EXPECT_EQ(bottom[1], 0x20);
    EXPECT_EQ(bottom[2], 0x40);
    EXPECT_EQ(bottom[3], 0x80);
    ASSERT_EQ(color->UnlockRect(0), S_OK);

    IDirect3DSurface9* floatLevel = nullptr;
    ASSERT_EQ(floats->GetSurfaceLevel(0, &floatLevel), S_OK);
    ASSERT_EQ(device->SetRenderTarget(0, floatLevel), S_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF804020u, 1.0f, 0), S_OK);
    ASSERT_EQ(floatLevel->LockRect(&rect, nullptr, D3DLOCK_READONLY), S_OK);
    float value = 0.0f;
    std::memcpy(&value, static_cast<const std::uint8_t*>(rect.pBits) + 10 * rect.Pitch + 40, sizeof value);
    EXPECT_NEAR(value, 128.0f / 255.0f, 1e-6f);
    ASSERT_EQ(floatLevel->UnlockRect(), S_OK);

    ASSERT_EQ(device->SetRenderTarget(0, back), S_OK);
    EXPECT_EQ(Pixel(32, 10), 0x0000FFu);  // the back buffer kept its clear
    floatLevel->Release();
    colorLevel->Release();
    back->Release();
    floats->Release();
    color->Release();
}

// The back buffer fills the test window, so it is drawn in the window itself; when the window
// changes size it moves into a texture of its own, and frames draw and read back as before.
TEST_F(GlRender, BackBufferKeepsItsPictureWhenItLeavesAResizedWindow)
{
    for (int pass = 0; pass < 2; ++pass) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, pass == 0 ? kBlue : kGreen, 1.0f, 0);
        Draw(D3DPT_TRIANGLESTRIP, Quad(-1, 0, 1, 1, 0.5f, kRed), 2);  // the upper half
        EXPECT_EQ(Pixel(32, 10), 0xFF0000u) << pass;
        EXPECT_EQ(Pixel(32, 54), pass == 0 ? 0x0000FFu : 0x00FF00u) << pass;
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
        // Presenting changes nothing in the back buffer (a copy swap effect).
        EXPECT_EQ(Pixel(32, 10), 0xFF0000u) << pass;
        if (pass == 0) {
            SDL_SetWindowSize(window.Handle()->sdl, 2 * kSize, kSize);
            ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);  // notices the new size
        }
    }
}

class GlRenderInWindow : public GlDevice {
protected:
    GlRenderInWindow() { depth = false; }
};

// StretchRect keeps the picture upright both ways between a texture and the back buffer,
// drawn in the window or, after the window's resize, in a texture of its own.
TEST_F(GlRenderInWindow, StretchRectCopiesTheBackBufferIntoATextureAndBack)
{
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &back), S_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(back->GetDesc(&desc), S_OK);
    IDirect3DTexture9* kept = nullptr;
    ASSERT_EQ(device->CreateTexture(desc.Width, desc.Height, 1, D3DUSAGE_RENDERTARGET, desc.Format, D3DPOOL_DEFAULT,
                                    &kept, nullptr),
              S_OK);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(kept->GetSurfaceLevel(0, &level), S_OK);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(static_cast<GfxSurface*>(back)->gl.window, pass == 0);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlue, 1.0f, 0);
        Draw(D3DPT_TRIANGLESTRIP, Quad(-1, 0, 1, 1, 0.5f, kRed), 2);  // the upper half
        ASSERT_EQ(device->StretchRect(back, nullptr, level, nullptr, D3DTEXF_NONE), S_OK);
        D3DLOCKED_RECT rect{};
        ASSERT_EQ(level->LockRect(&rect, nullptr, D3DLOCK_READONLY), S_OK);
        const auto* rows = static_cast<const std::uint8_t*>(rect.pBits);
        EXPECT_EQ(rows[2], 255) << pass;                         // the top row red
        EXPECT_EQ(rows[(kSize - 1) * rect.Pitch], 255) << pass;  // the bottom row blue
        ASSERT_EQ(level->UnlockRect(), S_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kGreen, 1.0f, 0);
        ASSERT_EQ(device->StretchRect(level, nullptr, back, nullptr, D3DTEXF_NONE), S_OK);
        EXPECT_EQ(Pixel(32, 10), 0xFF0000u) << pass;
        EXPECT_EQ(Pixel(32, 54), 0x0000FFu) << pass;
        SDL_SetWindowSize(window.Handle()->sdl, 2 * kSize, kSize);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);  // notices the new size
    }
    level->Release();
    kept->Release();
    back->Release();
}

// Full screen with a picture narrower than the desktop: the back buffer is drawn in the
// window between the bars rather than copied there, and stays there from frame to frame.
// (SDL's offscreen driver keeps the window's store at its first size, so what the bars and the
// picture show is checked under Xvfb, by the desktop test.)
TEST_F(GlRender, ABackBufferBetweenBarsIsDrawnInTheWindow)
{
    vb->Release();
    vb = nullptr;
    EXPECT_EQ(device->Release(), 0u);
    device = nullptr;
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    const UINT width = static_cast<UINT>(desktop.w);
    const UINT height = static_cast<UINT>(desktop.h);
    if (width <= height) {
        GTEST_SKIP() << "needs a desktop wider than tall";
    }
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = FALSE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    // The window is square: the picture is the desktop's height squared. A back buffer of the
    // desktop's size, or one pixel off the picture's, is drawn apart and copied to its place;
    // so is one with a depth buffer, which the window does not carry.
    const UINT sizes[4][2] = {{height, height}, {width, height}, {height - 1, height}, {height, height}};
    const bool inWindow[4] = {true, false, false, false};
    for (int i = 0; i < 4; ++i) {
        pp.BackBufferWidth = sizes[i][0];
        pp.BackBufferHeight = sizes[i][1];
        pp.EnableAutoDepthStencil = i == 3 ? TRUE : FALSE;
        IDirect3DDevice9* full = nullptr;
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.Handle(), 0, &pp, &full), S_OK);
        IDirect3DSurface9* back = nullptr;
        ASSERT_EQ(full->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
        for (int frame = 0; frame < 2; ++frame) {
            EXPECT_EQ(static_cast<GfxSurface*>(back)->gl.window, inWindow[i]) << i << " " << frame;
            ASSERT_EQ(full->Clear(0, nullptr, D3DCLEAR_TARGET, kGreen, 1.0f, 0), S_OK);
            ASSERT_EQ(full->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
        }
        back->Release();
        EXPECT_EQ(full->Release(), 0u);
    }
}

TEST_F(GlRender, RewrittenVerticesAndFarRangesReachTheGpu)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 1, 1, 0.5f, kRed), 2);
    EXPECT_EQ(Pixel(32, 32), 0xFF0000u);
    // Change the colours through one 36-byte lock per vertex, then draw again.
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 1, 1, 0.5f, kGreen), 2);
    EXPECT_EQ(Pixel(32, 32), 0x00FF00u);
    // Vertices near the end of the buffer, past what the first draws needed on the GPU.
    Draw(D3DPT_TRIANGLESTRIP, Quad(-1, -1, 0, 0, 0.5f, kBlue), 2, 4090);
    EXPECT_EQ(Pixel(16, 48), 0x0000FFu);
    // Stream offsets shift the vertex window.
    device->SetStreamSource(0, vb, 36 * 4090, 36);
    ASSERT_EQ(device->BeginScene(), S_OK);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), S_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->EndScene(), S_OK);
}

TEST_F(GlRender, PresentHoldsSixtyPerSecondWithoutVsync)
{
    device->Release();
    device = nullptr;
    vb->Release();
    vb = nullptr;
    D3DPRESENT_PARAMETERS pp{};
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.Handle(), 0, &pp, &device), S_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 12; ++i) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, 11.5 / 60.0);  // never faster than 60 per second
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);  // made without depth
}

TEST_F(GlRender, DeviceCreationRefusesBadWindowsAndSecondDevices)
{
    D3DPRESENT_PARAMETERS pp{};
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    IDirect3DDevice9* second = nullptr;
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.Handle(), 0, &pp, &second),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(second, nullptr);
    device->Release();
    device = nullptr;
    vb->Release();
    vb = nullptr;
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &pp, &second), D3DERR_INVALIDCALL);
    PlatformWindow plain;
    plain.sdl = SDL_CreateWindow("no gl", 0, 0, 32, 32, SDL_WINDOW_HIDDEN);
    ASSERT_NE(plain.sdl, nullptr);
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &plain, 0, &pp, &second), D3DERR_NOTAVAILABLE);
    SDL_DestroyWindow(plain.sdl);
    pp.Windowed = FALSE;  // full screen needs a size and a format
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.Handle(), 0, &pp, &second),
              D3DERR_INVALIDCALL);
    pp.Windowed = TRUE;
    pp.BackBufferWidth = 32;
    pp.BackBufferHeight = 16;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.Handle(), 0, &pp, &second), S_OK);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(second->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(back->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 16u);
    back->Release();
    EXPECT_EQ(second->Present(nullptr, nullptr, nullptr, nullptr), S_OK);  // stretched onto the window
    second->Release();
    // Full screen at the desktop's size, then back to the window when the device goes.
    SDL_DisplayMode mode{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
    pp = D3DPRESENT_PARAMETERS{};
    pp.BackBufferWidth = static_cast<UINT>(mode.w);
    pp.BackBufferHeight = static_cast<UINT>(mode.h);
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = FALSE;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.Handle(), 0, &pp, &second), S_OK);
    EXPECT_NE(SDL_GetWindowFlags(window.Handle()->sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    EXPECT_EQ(second->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
    second->Release();
    EXPECT_EQ(SDL_GetWindowFlags(window.Handle()->sdl) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_GT(mode.w, 0);
}

}  // namespace
