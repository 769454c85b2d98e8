// Its own test program: counting_new.cpp replaces global operator new to count allocations.
#include "counting_new.h"
#include "gl_device.h"

namespace {

const char* const kEffect = R"(matrix mWorldViewProjection
texture RenderTargetTexture
float MagicValue
vector LightPosition
vertex Vs
out vec2 uv;
out vec4 color;
void main() { uv = inTexCoord; color = inColor; gl_Position = mWorldViewProjection * vec4(inPosition, 1.0); }
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

using GlAllocation = GlDevice;

// One frame shaped like the game's: clears, a scene, camera transforms, effect parameters,
// one vertex per lock, an effect draw, an additive fixed-function draw, present.
TEST_F(GlAllocation, AWarmFrameAllocatesNothing)
{
    const std::string path = WriteFile(ScratchDir() / "frame.fx", kEffect);
    ID3DXEffect* effect = nullptr;
    ASSERT_EQ(D3DXCreateEffectFromFileW(device, path.c_str(), nullptr, nullptr, 0, nullptr, &effect, nullptr), S_OK);
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), S_OK);
    const D3DXHANDLE wvp = effect->GetParameterByName(nullptr, "mWorldViewProjection");

    auto frame = [&](int n) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        device->SetStreamSource(0, vb, 0, 36);
        D3DXMATRIX view;
        D3DXMATRIX projection;
        D3DXMATRIX both;
        const D3DXVECTOR3 eye(static_cast<float>(n) * 0.01f, 0, -8);
        const D3DXVECTOR3 at(static_cast<float>(n) * 0.01f, 0, 92);
        const D3DXVECTOR3 up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 1.0f, 1000.0f);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DXMatrixMultiply(&both, &view, &projection);
        effect->SetMatrix(wvp, &both);
        effect->SetFloat("MagicValue", 0.059328f);
        const D3DXVECTOR4 light(0, 0, 0, 0);
        effect->SetVector("LightPosition", &light);
        effect->GetTechniqueByName("WorldLighting");
        device->SetFVF(kVertexFvf);
        for (UINT i = 0; i < 200; ++i) {
            void* p = nullptr;
            vb->Lock(i * 36, 36, &p, 0);
            *static_cast<Vertex*>(p) = V(static_cast<float>(i % 7), static_cast<float>(i % 5), 0.0f, 0xFFFFFFFFu);
            vb->Unlock();
        }
        device->SetTexture(0, tex);
        effect->SetTexture("RenderTargetTexture", tex);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        effect->SetTechnique("WorldLighting");
        UINT passes = 0;
        effect->Begin(&passes, 0);
        effect->BeginPass(0);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 198);
        effect->EndPass();
        effect->End();
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 198);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    };

    for (int n = 0; n < 5; ++n) {
        frame(n);
    }
    const long before = HeapAllocations();
    for (int n = 5; n < 65; ++n) {
        frame(n);
    }
    EXPECT_EQ(HeapAllocations() - before, 0);
    // The counter sees this layer's allocations at all: making a texture allocates.
    IDirect3DTexture9* extra = nullptr;
    const long beforeExtra = HeapAllocations();
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &extra, nullptr), S_OK);
    EXPECT_GT(HeapAllocations(), beforeExtra);
    extra->Release();
    device->SetTexture(0, nullptr);
    tex->Release();
    effect->Release();
}

}  // namespace
