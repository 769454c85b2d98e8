// render_scene [out.png] [effect.fx]
//
// Draws a fixed scene through the graphics layer on a hidden window and writes the back
// buffer as a PNG: a sky added with the fixed-function path, ground blocks from a TGA texture
// as a triangle list through the effect, overlapping depth-tested quads, and an alpha-blended
// strip of quads joined by repeated vertices. Runs headless with SDL_VIDEODRIVER=offscreen.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "math/vertex.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "offscreen.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 320;

Vertex V(float x, float y, float z, std::uint32_t color, float u, float v)
{
    return Vertex{x, y, z, 0.0f, 0.0f, -1.0f, color, u, v};
}

// A 64 x 64 checked stone texture as a bottom-up, run-length coded 24-bit TGA.
std::string StoneTga()
{
    std::string out(18, '\0');
    out[2] = 10;
    out[12] = 64;
    out[14] = 64;
    out[16] = 24;
    for (int row = 63; row >= 0; --row) {
        for (int x = 0; x < 64; x += 8) {
            const bool dark = ((x / 8) + (row / 8)) % 2 == 0;
            const bool mortarRow = row % 8 == 0;
            auto run = [&out](int length, unsigned char b) {
                out += static_cast<char>(0x80 | (length - 1));
                out += static_cast<char>(b);
                out += static_cast<char>(b + 30);
                out += static_cast<char>(b + 60);
            };
            run(1, 30);  // the mortar between stones
            run(7, mortarRow ? 30 : dark ? 70 : 150);
        }
    }
    return out;
}

IDirect3DTexture9* GradientTexture(IDirect3DDevice9* device)
{
    IDirect3DTexture9* tex = nullptr;
    if (FAILED(device->CreateTexture(32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr))) {
        return nullptr;
    }
    D3DLOCKED_RECT rect{};
    tex->LockRect(0, &rect, nullptr, 0);
    for (int y = 0; y < 32; ++y) {
        auto* row = static_cast<std::uint8_t*>(rect.pBits) + y * rect.Pitch;
        for (int x = 0; x < 32; ++x) {
            // v = 0 is the top of the picture: deep blue above, pale near the horizon.
            row[x * 4 + 0] = static_cast<std::uint8_t>(120 + y * 4);
            row[x * 4 + 1] = static_cast<std::uint8_t>(40 + y * 5);
            row[x * 4 + 2] = static_cast<std::uint8_t>(20 + y * 5);
            row[x * 4 + 3] = 255;
        }
    }
    tex->UnlockRect(0);
    return tex;
}

IDirect3DTexture9* WhiteTexture(IDirect3DDevice9* device)
{
    IDirect3DTexture9* tex = nullptr;
    if (FAILED(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr))) {
        return nullptr;
    }
    D3DLOCKED_RECT rect{};
    tex->LockRect(0, &rect, nullptr, 0);
    std::memset(rect.pBits, 0xFF, 4);
    tex->UnlockRect(0);
    return tex;
}

class Writer {
public:
    explicit Writer(IDirect3DVertexBuffer9* vb) : vb_(vb) {}
    // One lock per vertex, the way the game fills its buffers.
    void Add(const Vertex& v)
    {
        void* p = nullptr;
        if (SUCCEEDED(vb_->Lock(count_ * 36, 36, &p, 0))) {
            std::memcpy(p, &v, sizeof v);
            vb_->Unlock();
            ++count_;
        }
    }
    void Quad(float x0, float y0, float x1, float y1, float z, std::uint32_t color, float uScale, float vScale)
    {
        Add(V(x0, y1, z, color, 0, 0));
        Add(V(x1, y1, z, color, uScale, 0));
        Add(V(x0, y0, z, color, 0, vScale));
        Add(V(x1, y0, z, color, uScale, vScale));
    }
    UINT count() const { return count_; }
    void Reset() { count_ = 0; }

private:
    IDirect3DVertexBuffer9* vb_;
    UINT count_ = 0;
};

void DrawThroughEffect(IDirect3DDevice9* device, ID3DXEffect* effect, D3DPRIMITIVETYPE type, UINT start, UINT count)
{
    effect->SetTechnique(effect->GetTechniqueByName("WorldLighting"));
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->DrawPrimitive(type, start, count);
    effect->EndPass();
    effect->End();
}

int Run(const char* outPath, const char* fxPath)
{
    OffscreenDevice offscreen;
    if (!offscreen.Open("render_scene", kWidth, kHeight)) {
        return 1;
    }
    IDirect3DDevice9* device = offscreen.Device();
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    if (FAILED(D3DXCreateEffectFromFileW(device, fxPath, nullptr, nullptr, D3DXFX_NOT_CLONEABLE, nullptr, &effect,
                                         &errors))) {
        std::fprintf(stderr, "render_scene: %s\n",
                     errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer()) : fxPath);
        return 1;
    }
    const std::filesystem::path stonePath = std::filesystem::temp_directory_path() / "render_scene_stone.tga";
    if (std::FILE* f = std::fopen(stonePath.string().c_str(), "wb")) {
        const std::string bytes = StoneTga();
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    IDirect3DTexture9* stone = nullptr;
    if (FAILED(D3DXCreateTextureFromFileW(device, stonePath.string().c_str(), &stone))) {
        std::fprintf(stderr, "render_scene: the stone texture does not load\n");
        return 1;
    }
    IDirect3DTexture9* sky = GradientTexture(device);
    IDirect3DTexture9* white = WhiteTexture(device);
    IDirect3DVertexBuffer9* vb = nullptr;
    device->CreateVertexBuffer(72000000, 0, 0x42, D3DPOOL_DEFAULT, &vb, nullptr);

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);

    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device->BeginScene();
    device->SetStreamSource(0, vb, 0, 36);
    device->SetFVF(kVertexFvf);

    // The camera: 8 units in front of the level plane, a 90 degree view.
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DXMATRIX both;
    const D3DXVECTOR3 eye(1.0f, 1.0f, -8.0f);
    const D3DXVECTOR3 at(1.0f, 1.0f, 92.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, std::numbers::pi_v<float> / 2.0f, 1.0f, 1.0f, 1000.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DXMatrixMultiply(&both, &view, &projection);
    effect->SetMatrix(effect->GetParameterByName(nullptr, "mWorldViewProjection"), &both);

    Writer w(vb);
    // Sky: added onto the black clear through the fixed-function path, no depth writes.
    w.Quad(-35, -35, 35, 35, 5, 0xFFFFFFFFu, 1, 1);
    device->SetTexture(0, sky);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);

    // Ground: a staircase of blocks as one triangle list through the effect.
    const UINT groundStart = w.count();
    auto block = [&](float x0, float y0, float x1, float y1) {
        const float s = 0.5f;  // texture repeats every 2 units
        w.Add(V(x0, y1, 0, 0xFFFFFFFFu, x0 * s, -y1 * s));
        w.Add(V(x1, y1, 0, 0xFFFFFFFFu, x1 * s, -y1 * s));
        w.Add(V(x0, y0, 0, 0xFFFFFFFFu, x0 * s, -y0 * s));
        w.Add(V(x0, y0, 0, 0xFFFFFFFFu, x0 * s, -y0 * s));
        w.Add(V(x1, y0, 0, 0xFFFFFFFFu, x1 * s, -y0 * s));
        w.Add(V(x1, y1, 0, 0xFFFFFFFFu, x1 * s, -y1 * s));
    };
    block(-8, -8, 10, -4);
    block(2, -4, 10, -2);
    block(5, -2, 10, 0);
    effect->SetTexture("RenderTargetTexture", stone);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    DrawThroughEffect(device, effect, D3DPT_TRIANGLELIST, groundStart, (w.count() - groundStart) / 3);

    // Depth: a red panel in front (z = -1) drawn after a green one behind (z = 1) that it
    // overlaps, then a blue one behind both drawn last; the red stays on top.
    const UINT panels = w.count();
    w.Quad(-6.5f, -1.5f, -2.5f, 2.5f, 1.0f, 0xFF30C040u, 1, 1);
    w.Quad(-5.0f, -3.0f, -1.0f, 1.0f, -1.0f, 0xFFE03030u, 1, 1);
    w.Quad(-4.0f, 0.0f, 0.0f, 4.0f, 2.0f, 0xFF3050E0u, 1, 1);
    effect->SetTexture("RenderTargetTexture", white);
    for (UINT i = 0; i < 3; ++i) {
        DrawThroughEffect(device, effect, D3DPT_TRIANGLESTRIP, panels + i * 4, 2);
    }

    // Alpha: five translucent quads of rising opacity in one strip, joined by repeated
    // vertices so the gaps between them stay empty.
    const UINT strip = w.count();
    for (int i = 0; i < 5; ++i) {
        const float x = -6.0f + static_cast<float>(i) * 3.0f;
        const std::uint32_t alpha = static_cast<std::uint32_t>(60 + i * 45) << 24;
        if (i > 0) {
            w.Add(V(x, 8.0f, -0.5f, 0, 0, 0));  // the first vertex of this quad, twice
        }
        w.Quad(x, 5.0f, x + 2.0f, 8.0f, -0.5f, alpha | 0x00F0E020u, 1, 1);
        if (i < 4) {
            w.Add(V(x + 2.0f, 5.0f, -0.5f, 0, 0, 0));  // the last vertex again
        }
    }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawThroughEffect(device, effect, D3DPT_TRIANGLESTRIP, strip, w.count() - strip - 2);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);

    const bool written = offscreen.SavePng(outPath);
    vb->Release();
    white->Release();
    sky->Release();
    stone->Release();
    effect->Release();
    std::filesystem::remove(stonePath);
    if (!written) {
        std::fprintf(stderr, "render_scene: cannot write %s\n", outPath);
        return 1;
    }
    std::printf("render_scene: wrote %s (%d x %d)\n", outPath, kWidth, kHeight);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* out = argc > 1 ? argv[1] : "render_scene.png";
    const char* fx = argc > 2 ? argv[2] : RENDER_SCENE_FX;
    return Run(out, fx);
}
