// preview_scene DATA_DIR OUT_PREFIX [POINTER_X POINTER_Y]
//
// Draws the shipped pictures together the way the game lays them out, through the shipped
// effect on a hidden 640 x 480 window: a small level in play (sky, tufts, blocks, caps, goal,
// spikes, drops, arrow, the creature, a digit) and the four screens over the sky. Writes
// OUT_PREFIX_play.png, OUT_PREFIX_title.png and so on. Headless with SDL_VIDEODRIVER=offscreen.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "math/random.h"
#include "math/vertex.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "offscreen.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kCell = 0.46875f;

struct Scene {
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
    std::map<std::string, IDirect3DTexture9*> textures;
    UINT used = 0;

    UINT Put(const std::vector<Vertex>& vertices)
    {
        const UINT first = used;
        for (const Vertex& v : vertices) {
            void* p = nullptr;
            if (SUCCEEDED(vb->Lock(used * 36, 36, &p, 0))) {
                std::memcpy(p, &v, sizeof v);
                vb->Unlock();
                ++used;
            }
        }
        return first;
    }
    void Effect(const std::string& texture, D3DPRIMITIVETYPE type, const std::vector<Vertex>& vertices, UINT primitives)
    {
        const UINT first = Put(vertices);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        effect->SetTexture("RenderTargetTexture", textures.at(texture));
        effect->SetTechnique(effect->GetTechniqueByName("WorldLighting"));
        UINT passes = 0;
        effect->Begin(&passes, 0);
        effect->BeginPass(0);
        device->DrawPrimitive(type, first, primitives);
        effect->EndPass();
        effect->End();
    }
    void Additive(const std::string& texture, const std::vector<Vertex>& strip)
    {
        const UINT first = Put(strip);
        device->SetTexture(0, textures.at(texture));
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, first, 2);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    }
};

Vertex At(float x, float y, float z, float u, float v, float n = -1.0f, std::uint32_t color = 0xFFFFFFFFu)
{
    if (n < 0.0f) {
        return Vertex{x, y, z, 0.0f, 0.0f, -1.0f, color, u, v};
    }
    return Vertex{x, y, z, n, n, n, color, u, v};
}

// Top-left, top-right, bottom-left, bottom-left, bottom-right, top-right: the mesh's quad.
void MeshQuad(std::vector<Vertex>& out, float x0, float y0, float x1, float y1, const float uv[4][2])
{
    out.push_back(At(x0, y1, 0, uv[0][0], uv[0][1]));
    out.push_back(At(x1, y1, 0, uv[1][0], uv[1][1]));
    out.push_back(At(x0, y0, 0, uv[2][0], uv[2][1]));
    out.push_back(At(x0, y0, 0, uv[2][0], uv[2][1]));
    out.push_back(At(x1, y0, 0, uv[3][0], uv[3][1]));
    out.push_back(At(x1, y1, 0, uv[1][0], uv[1][1]));
}

std::vector<Vertex> Sprite(float cx, float cy, float hx, float hy, std::uint32_t color = 0xFFFFFFFFu)
{
    return {At(cx - hx, cy + hy, 0, 0, 0, -1, color), At(cx + hx, cy + hy, 0, 1, 0, -1, color),
            At(cx - hx, cy - hy, 0, 0, 1, -1, color), At(cx + hx, cy - hy, 0, 1, 1, -1, color)};
}

std::vector<Vertex> Bone(float ax, float ay, float bx, float by, float w)
{
    float dx = ax - bx;
    float dy = ay - by;
    const float len = std::sqrt(dx * dx + dy * dy);
    dx /= len;
    dy /= len;
    const float nx = dy * w;
    const float ny = -dx * w;
    return {At(ax - nx, ay - ny, 0, 0, 0), At(ax + nx, ay + ny, 0, 1, 0), At(bx - nx, by - ny, 0, 0, 1),
            At(bx + nx, by + ny, 0, 1, 1)};
}

void DrawLevel(Scene& s, float camX, float camY)
{
    // A hill of solid cells with a ledge, a pit of spikes and the goal on the right.
    std::vector<std::pair<int, int>> cells;
    for (int x = -20; x <= 20; ++x) {
        const int top = x < -8 ? -6 : x < -2 ? -4 : x < 3 ? -9 : x < 12 ? -5 : -3;
        for (int y = -14; y <= top; ++y) {
            cells.emplace_back(x, y);
        }
    }
    for (int x = -6; x <= -3; ++x) {
        cells.emplace_back(x, 2);
    }
    const auto solid = [&](int x, int y) {
        for (const auto& c : cells) {
            if (c.first == x && c.second == y) {
                return true;
            }
        }
        return false;
    };
    std::vector<std::pair<int, int>> spikes = {{0, -8}, {1, -8}, {2, -8}};
    std::vector<Vertex> tufts, blocks, caps, goal, spikeQuads;
    SetRandState(5);
    for (const auto& [x, y] : cells) {
        const float cx = static_cast<float>(x) * kCell + kCell * 0.5f;
        const float cy = static_cast<float>(y) * kCell;
        const float h = kCell * 0.5f;
        const float block[4][2] = {{(cx - h) * 0.025f, (cy + h) * 0.025f},
                                   {(cx + h) * 0.025f, (cy + h) * 0.025f},
                                   {(cx - h) * 0.025f, (cy - h) * 0.025f},
                                   {(cx + h) * 0.025f, (cy - h) * 0.025f}};
        MeshQuad(blocks, cx - h, cy - h, cx + h, cy + h, block);
        if (!solid(x, y + 1)) {
            const float height = 1.0f + static_cast<float>(Rand()) / 32767.0f;
            const float corners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
            MeshQuad(tufts, cx - 0.25f, cy + h - 0.1f, cx + 0.25f, cy + h - 0.1f + height, corners);
            // The cap: corners swapped, a quarter of the picture turned half a turn.
            const float cap[4][2] = {{0.25f, 0.25f}, {0.0f, 0.25f}, {0.25f, 0.0f}, {0.0f, 0.0f}};
            MeshQuad(caps, cx - h, cy - h, cx + h, cy + h, cap);
        }
    }
    const float corners[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    const float goalX = 16.0f * kCell;
    const float goalY = -5.0f * kCell + 2.2f;
    MeshQuad(goal, goalX - 2, goalY - 2, goalX + 2, goalY + 2, corners);
    for (const auto& [x, y] : spikes) {
        const float cx = static_cast<float>(x) * kCell + kCell * 0.5f;
        const float cy = static_cast<float>(y) * kCell;
        MeshQuad(spikeQuads, cx - kCell * 0.5f, cy - 0.334375f, cx + kCell * 0.5f, cy + 2.134375f, corners);
    }

    // Drops, the arrow and the creature first, then the world, then the digit, as in a frame.
    std::vector<Vertex> drops;
    const float footX = -2.2f;
    const float footY = -4.0f * kCell + 0.25f;
    for (int i = 0; i < 20; ++i) {
        const float a = static_cast<float>(i) * 3.1415927f / 10.0f;
        const float r = 0.5f + 0.3f * static_cast<float>(i % 3);
        const auto q = Sprite(footX + std::sin(a) * r, footY + 0.4f + std::cos(a) * r, 0.1f, 0.1f, 0xB0FFFFFFu);
        drops.insert(drops.end(), q.begin(), q.end());
        s.Effect("ParticleDrop.tga", D3DPT_TRIANGLESTRIP, q, 2);
    }
    const float ax = camX;
    const float ay = camY + 6.0f;
    const float dx = 1.0f;  // the goal lies to the right
    s.Effect("arrow.tga", D3DPT_TRIANGLESTRIP,
             {At(ax - dx, ay + 2.0f, 0, 0, 0, 0), At(ax - dx, ay - 2.0f, 0, 1, 0, 0),
              At(ax + dx, ay + 2.0f, 0, 0, 1, 0), At(ax + dx, ay - 2.0f, 0, 1, 1, 0)},
             2);

    // The rest pose: hips 2 above the feet, leg tops and antenna bases 2.5 above the hips.
    const float bodyX = footX + 0.8f;
    const float bodyY = footY + 2.0f;
    const float legTop[2][2] = {{bodyX - 0.5f, bodyY + 2.5f}, {bodyX + 0.5f, bodyY + 2.5f}};
    const float knee[2][2] = {{bodyX - 1.6f, bodyY + 0.4f}, {bodyX + 1.6f, bodyY + 0.5f}};
    const float foot[2][2] = {{footX, footY}, {bodyX + 0.9f, footY + 0.1f}};
    const float headY = bodyY + 2.5f;
    const float antennaBase[2][2] = {{legTop[0][0], legTop[0][1]}, {legTop[1][0], legTop[1][1]}};
    const float antennaTip[2][2] = {{bodyX - 0.6f, bodyY + 3.5f}, {bodyX + 0.65f, bodyY + 3.45f}};
    s.Effect("knee.tga", D3DPT_TRIANGLESTRIP, Sprite(foot[0][0], foot[0][1], 0.2f, 0.2f), 2);
    s.Effect("Antenna.tga", D3DPT_TRIANGLESTRIP, Sprite(foot[1][0], foot[1][1], 0.3f, 0.3f), 2);  // gripping
    for (int i = 0; i < 2; ++i) {
        s.Effect("Leg.tga", D3DPT_TRIANGLESTRIP, Bone(knee[i][0], knee[i][1], foot[i][0], foot[i][1], 0.1f), 2);
    }
    for (int i = 0; i < 2; ++i) {
        s.Effect("Leg.tga", D3DPT_TRIANGLESTRIP, Bone(knee[i][0], knee[i][1], legTop[i][0], legTop[i][1], 0.1f), 2);
    }
    for (int i = 0; i < 2; ++i) {
        s.Effect("Leg.tga", D3DPT_TRIANGLESTRIP,
                 Bone(antennaBase[i][0], antennaBase[i][1], antennaTip[i][0], antennaTip[i][1], 0.05f), 2);
    }
    for (int i = 0; i < 2; ++i) {
        s.Effect("Antenna.tga", D3DPT_TRIANGLESTRIP, Sprite(knee[i][0], knee[i][1], 0.2f, 0.2f), 2);
    }
    for (int i = 0; i < 2; ++i) {
        s.Effect("eye.tga", D3DPT_TRIANGLESTRIP, Sprite(antennaTip[i][0], antennaTip[i][1], 0.35f, 0.35f), 2);
    }
    s.device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    s.Effect("headface.tga", D3DPT_TRIANGLESTRIP, Sprite(bodyX, headY, 0.64f, 0.64f), 2);

    s.effect->SetFloat("WindAmount", 37.0f);
    s.Effect("Grass2.tga", D3DPT_TRIANGLELIST, tufts, static_cast<UINT>(tufts.size() / 3));
    s.Effect("ground.tga", D3DPT_TRIANGLELIST, blocks, static_cast<UINT>(blocks.size() / 3));
    s.Effect("grass.tga", D3DPT_TRIANGLELIST, caps, static_cast<UINT>(caps.size() / 3));
    s.Effect("end.tga", D3DPT_TRIANGLELIST, goal, 2);
    s.Effect("spikes.tga", D3DPT_TRIANGLELIST, spikeQuads, static_cast<UINT>(spikeQuads.size() / 3));

    // The digit 1: two bars at texture coordinate (0, 0), normal (1, 1, 1).
    const float x = camX - 0.25f;
    const float y = camY + 4.0f;
    const float h = 0.25f;
    const float t = 0.1f;
    const float sz = 0.5f;
    s.Effect("Antenna.tga", D3DPT_TRIANGLESTRIP,
             {At(x + h + t, y + sz, 0, 0, 0, 1), At(x + h + t, y, 0, 0, 0, 1), At(x + h - t, y + sz, 0, 0, 0, 1),
              At(x + h - t, y, 0, 0, 0, 1)},
             2);
    s.Effect("Antenna.tga", D3DPT_TRIANGLESTRIP,
             {At(x + h + t, y, 0, 0, 0, 1), At(x + h + t, y - sz, 0, 0, 0, 1), At(x + h - t, y, 0, 0, 0, 1),
              At(x + h - t, y - sz, 0, 0, 0, 1)},
             2);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: preview_scene DATA_DIR OUT_PREFIX [POINTER_X POINTER_Y]\n");
        return 2;
    }
    const std::string data = argv[1];
    const std::string prefix = argv[2];
    const float pointerX = argc == 5 ? std::strtof(argv[3], nullptr) : 5.0f;
    const float pointerY = argc == 5 ? std::strtof(argv[4], nullptr) : 5.0f;

    OffscreenDevice offscreen;
    if (!offscreen.Open("preview_scene", kWidth, kHeight)) {
        return 1;
    }
    Scene s;
    s.device = offscreen.Device();
    ID3DXBuffer* errors = nullptr;
    if (FAILED(D3DXCreateEffectFromFileW(s.device, (data + "/myshader.fx").c_str(), nullptr, nullptr,
                                         D3DXFX_NOT_CLONEABLE, nullptr, &s.effect, &errors))) {
        std::fprintf(stderr, "preview_scene: %s\n",
                     errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer()) : "no effect");
        return 1;
    }
    for (const char* name : {"Leg.tga", "sky.tga", "ground.tga", "knee.tga", "headface.tga", "spikes.tga", "eye.tga",
                             "Antenna.tga", "GameTitle.tga", "grass.tga", "end.tga", "LevelUp.tga", "GameEnd.tga",
                             "Grass2.tga", "ParticleDrop.tga", "arrow.tga", "retry.tga"}) {
        IDirect3DTexture9* t = nullptr;
        if (FAILED(D3DXCreateTextureFromFileW(s.device, (data + "/" + name).c_str(), &t))) {
            std::fprintf(stderr, "preview_scene: %s does not load\n", name);
            return 1;
        }
        s.textures[name] = t;
    }
    s.device->CreateVertexBuffer(36 * 65536, 0, 0x42, D3DPOOL_DEFAULT, &s.vb, nullptr);
    s.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    s.device->SetRenderState(D3DRS_LIGHTING, FALSE);
    s.device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    s.device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    s.device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    s.device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    s.device->SetFVF(kVertexFvf);
    s.device->SetStreamSource(0, s.vb, 0, 36);
    s.effect->SetFloat("RenderTargetWidth", static_cast<float>(kWidth));
    s.effect->SetFloat("RenderTargetHeight", static_cast<float>(kHeight));
    s.effect->SetFloat("MagicValue", 0.059328f);

    const struct {
        const char* name;
        const char* picture;  // null: a level in play
        float camX, camY;
    } shots[] = {{"play", nullptr, 0.5f, 0.0f},
                 {"title", "GameTitle.tga", 0.0f, -6.0f},
                 {"levelup", "LevelUp.tga", 3.0f, -2.0f},
                 {"gameend", "GameEnd.tga", -4.0f, 3.0f},
                 {"retry", "retry.tga", 1.0f, 0.0f}};
    int failures = 0;
    for (const auto& shot : shots) {
        s.used = 0;
        D3DXMATRIX view, projection, both;
        const D3DXVECTOR3 eye(shot.camX, shot.camY, -8.0f);
        const D3DXVECTOR3 at(shot.camX, shot.camY, 92.0f);
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, std::numbers::pi_v<float> / 2.0f, 1.0f, 1.0f, 1000.0f);
        s.device->SetTransform(D3DTS_VIEW, &view);
        s.device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DXMatrixMultiply(&both, &view, &projection);
        s.effect->SetMatrix("mWorldViewProjection", &both);
        const D3DXVECTOR4 camera{shot.camX, shot.camY, -18.0f, 0.0f};
        s.effect->SetVector("CamerPosition", &camera);
        const bool title = shot.picture != nullptr && std::strcmp(shot.picture, "GameTitle.tga") == 0;
        s.effect->SetFloat("DistortionPosx", title ? 0.0f : pointerX);
        s.effect->SetFloat("DistortionPosy", title ? 0.0f : -pointerY);

        s.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        s.device->BeginScene();
        s.Additive("sky.tga", {At(-35, -35, 5, 0, 0, 0), At(35, -35, 5, 1, 0, 0), At(-35, 35, 5, 0, 1, 0),
                               At(35, 35, 5, 1, 1, 0)});
        if (shot.picture == nullptr) {
            DrawLevel(s, shot.camX, shot.camY);
        } else {
            const float x = shot.camX;
            const float y = shot.camY;
            const std::vector<Vertex> quad = {At(x - 2, y + 2, -6, 0, 0, 1), At(x + 2, y + 2, -6, 1, 0, 1),
                                              At(x - 2, y - 2, -6, 0, 1, 1), At(x + 2, y - 2, -6, 1, 1, 1)};
            if (std::strcmp(shot.picture, "GameEnd.tga") == 0) {
                s.Additive(shot.picture, quad);
            }
            s.Effect(shot.picture, D3DPT_TRIANGLESTRIP, quad, 2);
        }
        s.device->EndScene();
        s.device->Present(nullptr, nullptr, nullptr, nullptr);
        const std::string path = prefix + "_" + shot.name + ".png";
        if (!offscreen.SavePng(path.c_str())) {
            std::fprintf(stderr, "preview_scene: cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    for (auto& [name, t] : s.textures) {
        t->Release();
    }
    s.vb->Release();
    s.effect->Release();
    return failures == 0 ? 0 : 1;
}
