#include <cstring>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "gfx_test_util.h"
#include "platform/gfx/internal/device.h"
#include "platform/gfx/prefetch.h"
#include "platform/gfx/recording.h"

namespace {

class Recording : public ::testing::Test {
protected:
    void SetUp() override
    {
        device = GfxCreateRecordingDevice(&recorder, 320, 240);
        ASSERT_NE(device, nullptr);
        ASSERT_EQ(device->CreateVertexBuffer(36 * 64, 0, 0x42, D3DPOOL_DEFAULT, &vb, nullptr), S_OK);
        recorder.ClearCalls();
    }
    void TearDown() override
    {
        if (vb != nullptr) {
            vb->Release();
        }
        if (device != nullptr) {
            device->Release();
        }
        EXPECT_EQ(recorder.LiveObjects(), 0);
    }

    GfxRecorder recorder;
    IDirect3DDevice9* device = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
};

TEST_F(Recording, LogsCallsWithTheirArgumentsInOrder)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device->BeginScene();
    device->SetStreamSource(0, vb, 0, 36);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);

    const std::vector<std::string> expected = {"Clear",          "BeginScene", "SetStreamSource",
                                               "SetRenderState", "EndScene",   "Present"};
    EXPECT_EQ(recorder.CallNames(), expected);
    const GfxCall& clear = recorder.Calls()[0];
    EXPECT_EQ(clear.name, "IDirect3DDevice9::Clear");
    EXPECT_EQ(clear.Int(2), 3);
    EXPECT_EQ(static_cast<std::uint32_t>(clear.Int(3)), 0xFF000000u);
    EXPECT_FLOAT_EQ(clear.Float(4), 1.0f);
    EXPECT_EQ(clear.ToString(), "Clear(0, null, 3, 0xff000000, 1, 0)");
    const GfxCall& stream = recorder.Calls()[2];
    EXPECT_EQ(stream.Text(1), "vb2");  // the device's back buffer took id 1
    EXPECT_EQ(stream.Int(3), 36);
    EXPECT_EQ(recorder.Calls()[3].Int(0), D3DRS_ZFUNC);
    EXPECT_EQ(recorder.Calls()[3].Int(1), D3DCMP_ALWAYS);
}

// A texture from some other implementation: the layer logs it without knowing its id.
class ForeignTexture final : public IDirect3DBaseTexture9 {
public:
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
};

TEST_F(Recording, LogsEachKindOfArgumentAsItIs)
{
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), S_OK);
    IDirect3DTexture9* made = nullptr;
    ForeignTexture foreign;
    const RECT rect{0, 0, 1, 1};
    const D3DMATRIX identity = GfxIdentity();
    const struct {
        std::function<void()> call;
        const char* logged;
    } cases[] = {
        {[&] { device->SetTexture(0, tex); }, "SetTexture(0, tex3)"},
        {[&] { device->SetTexture(0, &foreign); }, "SetTexture(0, foreign)"},
        {[&] { device->SetTexture(0, nullptr); }, "SetTexture(0, null)"},
        {[&] { device->Present(&rect, nullptr, nullptr, nullptr); }, "Present(ptr, null, null, null)"},
        {[&] { device->SetTransform(D3DTS_WORLD, &identity); }, "SetTransform(256, ptr)"},
        {[&] { device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE); }, "SetRenderState(22, 1)"},
        {[&] { D3DXCreateTextureFromFileW(device, nullptr, &made); }, "D3DXCreateTextureFromFileW(\"null\")"},
        {[&] { tex->LockRect(0, nullptr, &rect, D3DLOCK_READONLY); }, "LockRect(tex3, 0, ptr, 16)"},
        {[&] {
             tex->AddRef();
             tex->Release();
         },
         "Release(tex3)"},
    };
    for (const auto& c : cases) {
        recorder.ClearCalls();
        c.call();
        ASSERT_FALSE(recorder.Calls().empty()) << c.logged;
        EXPECT_EQ(recorder.Calls().back().ToString(), c.logged);
    }
    tex->Release();
}

TEST_F(Recording, InjectedFailureReturnsTheResultAndChangesNothing)
{
    recorder.FailCall("SetRenderState", D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS), D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(dynamic_cast<GfxDevice*>(device)->States().zFunc, static_cast<DWORD>(D3DCMP_LESSEQUAL));
    ASSERT_EQ(recorder.Calls().size(), 1u);
    EXPECT_EQ(recorder.Calls()[0].result, D3DERR_DRIVERINTERNALERROR);
}

TEST_F(Recording, InjectedFailureHonoursSkipAndTimesAndFullNames)
{
    recorder.FailCall("IDirect3DTexture9::LockRect", D3DERR_WASSTILLDRAWING, 2, 1);
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), S_OK);
    D3DLOCKED_RECT rect{};
    EXPECT_EQ(tex->LockRect(0, &rect, nullptr, D3DLOCK_READONLY), S_OK);  // skipped
    EXPECT_EQ(tex->UnlockRect(0), S_OK);
    EXPECT_EQ(tex->LockRect(0, &rect, nullptr, D3DLOCK_READONLY), D3DERR_WASSTILLDRAWING);
    EXPECT_EQ(rect.pBits, nullptr);
    EXPECT_EQ(tex->LockRect(0, &rect, nullptr, D3DLOCK_READONLY), D3DERR_WASSTILLDRAWING);
    EXPECT_EQ(tex->LockRect(0, &rect, nullptr, D3DLOCK_READONLY), S_OK);  // the two failures are used up
    EXPECT_NE(rect.pBits, nullptr);
    EXPECT_EQ(tex->UnlockRect(0), S_OK);
    // A surface's LockRect is another call and was never made to fail.
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(tex->GetSurfaceLevel(0, &surface), S_OK);
    recorder.FailCall("IDirect3DTexture9::LockRect", D3DERR_WASSTILLDRAWING);
    EXPECT_EQ(surface->LockRect(&rect, nullptr, 0), S_OK);
    EXPECT_EQ(surface->UnlockRect(), S_OK);
    surface->Release();
    tex->Release();
}

// Every operation of the layer can be made to fail through the recorder, and then returns
// exactly the injected result (or null for calls that return a handle or an object).
TEST(RecordingFailures, EveryOperationCanBeMadeToFail)
{
    constexpr HRESULT kInjected = MakeHresult(0x8876ABCDu);
    const std::filesystem::path dir = ScratchFolder();
    const std::vector<Bgra> pixels(4, Bgra{1, 2, 3, 4});
    const std::string tga = WriteFile(dir / "t.tga", MakeTga(2, 2, pixels, 32, true, false));
    const std::string fx =
        WriteFile(dir / "e.fx",
                  "float F\nvector Vec\nmatrix Mat\ntexture T\nvertex V\nvoid main(){gl_Position=vec4(0.0);}\n"
                  "end\nfragment P\nout vec4 c;\nvoid main(){c=vec4(F);}\nend\n"
                  "technique Tech\npass V P\nend\n");

    struct Case {
        const char* name;
        std::function<HRESULT(IDirect3DDevice9*, IDirect3DVertexBuffer9*, IDirect3DTexture9*, ID3DXEffect*)> call;
    };
    const std::vector<Case> cases = {
        {"IDirect3DDevice9::Clear",
         [](auto d, auto, auto, auto) { return d->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0); }},
        {"IDirect3DDevice9::BeginScene", [](auto d, auto, auto, auto) { return d->BeginScene(); }},
        {"IDirect3DDevice9::EndScene",
         [](auto d, auto, auto, auto) {
             d->BeginScene();
             return d->EndScene();
         }},
        {"IDirect3DDevice9::Present",
         [](auto d, auto, auto, auto) { return d->Present(nullptr, nullptr, nullptr, nullptr); }},
        {"IDirect3DDevice9::SetStreamSource",
         [](auto d, auto vb, auto, auto) { return d->SetStreamSource(0, vb, 0, 36); }},
        {"IDirect3DDevice9::SetFVF", [](auto d, auto, auto, auto) { return d->SetFVF(kVertexFvf); }},
        {"IDirect3DDevice9::SetRenderState",
         [](auto d, auto, auto, auto) { return d->SetRenderState(D3DRS_LIGHTING, FALSE); }},
        {"IDirect3DDevice9::SetTexture", [](auto d, auto, auto t, auto) { return d->SetTexture(0, t); }},
        {"IDirect3DDevice9::SetTextureStageState",
         [](auto d, auto, auto, auto) { return d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE); }},
        {"IDirect3DDevice9::SetTransform",
         [](auto d, auto, auto, auto) {
             D3DMATRIX m{};
             return d->SetTransform(D3DTS_VIEW, &m);
         }},
        {"IDirect3DDevice9::GetTransform",
         [](auto d, auto, auto, auto) {
             D3DMATRIX m{};
             return d->GetTransform(D3DTS_VIEW, &m);
         }},
        {"IDirect3DDevice9::DrawPrimitive",
         [](auto d, auto vb, auto, auto) {
             d->SetStreamSource(0, vb, 0, 36);
             d->SetFVF(kVertexFvf);
             d->BeginScene();
             const HRESULT hr = d->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
             d->EndScene();
             return hr;
         }},
        {"IDirect3DDevice9::CreateVertexBuffer",
         [](auto d, auto, auto, auto) {
             IDirect3DVertexBuffer9* b = nullptr;
             const HRESULT hr = d->CreateVertexBuffer(360, 0, 0x42, D3DPOOL_DEFAULT, &b, nullptr);
             if (b == nullptr) {
                 return hr;
             }
             b->Release();
             return S_OK;
         }},
        {"IDirect3DDevice9::CreateTexture",
         [](auto d, auto, auto, auto) {
             IDirect3DTexture9* t = nullptr;
             const HRESULT hr = d->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);
             if (t == nullptr) {
                 return hr;
             }
             t->Release();
             return S_OK;
         }},
        {"IDirect3DDevice9::GetBackBuffer",
         [](auto d, auto, auto, auto) {
             IDirect3DSurface9* s = nullptr;
             const HRESULT hr = d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &s);
             if (s == nullptr) {
                 return hr;
             }
             s->Release();
             return S_OK;
         }},
        {"IDirect3DDevice9::GetRenderTarget",
         [](auto d, auto, auto, auto) {
             IDirect3DSurface9* s = nullptr;
             const HRESULT hr = d->GetRenderTarget(0, &s);
             if (s == nullptr) {
                 return hr;
             }
             s->Release();
             return S_OK;
         }},
        {"IDirect3DDevice9::SetRenderTarget",
         [](auto d, auto, auto, auto) {
             IDirect3DSurface9* s = nullptr;
             d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &s);
             const HRESULT hr = d->SetRenderTarget(0, s);
             s->Release();
             return hr;
         }},
        {"IDirect3DDevice9::StretchRect",
         [](auto d, auto, auto, auto) {
             IDirect3DSurface9* back = nullptr;
             d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
             D3DSURFACE_DESC desc{};
             back->GetDesc(&desc);
             IDirect3DTexture9* t = nullptr;
             d->CreateTexture(desc.Width, desc.Height, 1, D3DUSAGE_RENDERTARGET, desc.Format, D3DPOOL_DEFAULT, &t,
                              nullptr);
             IDirect3DSurface9* s = nullptr;
             t->GetSurfaceLevel(0, &s);
             const HRESULT hr = d->StretchRect(back, nullptr, s, nullptr, D3DTEXF_NONE);
             s->Release();
             t->Release();
             back->Release();
             return hr;
         }},
        {"IDirect3DVertexBuffer9::Lock",
         [](auto, auto vb, auto, auto) {
             void* p = nullptr;
             return vb->Lock(0, 36, &p, 0);
         }},
        {"IDirect3DVertexBuffer9::Unlock",
         [](auto, auto vb, auto, auto) {
             void* p = nullptr;
             vb->Lock(0, 36, &p, 0);
             return vb->Unlock();
         }},
        {"IDirect3DTexture9::LockRect",
         [](auto, auto, auto t, auto) {
             D3DLOCKED_RECT r{};
             return t->LockRect(0, &r, nullptr, 0);
         }},
        {"IDirect3DTexture9::UnlockRect",
         [](auto, auto, auto t, auto) {
             D3DLOCKED_RECT r{};
             t->LockRect(0, &r, nullptr, 0);
             return t->UnlockRect(0);
         }},
        {"IDirect3DTexture9::GetLevelDesc",
         [](auto, auto, auto t, auto) {
             D3DSURFACE_DESC s{};
             return t->GetLevelDesc(0, &s);
         }},
        {"IDirect3DTexture9::GetSurfaceLevel",
         [](auto, auto, auto t, auto) {
             IDirect3DSurface9* s = nullptr;
             const HRESULT hr = t->GetSurfaceLevel(0, &s);
             if (s == nullptr) {
                 return hr;
             }
             s->Release();
             return S_OK;
         }},
        {"IDirect3DSurface9::GetDesc",
         [](auto d, auto, auto, auto) {
             IDirect3DSurface9* s = nullptr;
             d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &s);
             D3DSURFACE_DESC desc{};
             const HRESULT hr = s->GetDesc(&desc);
             s->Release();
             return hr;
         }},
        {"IDirect3DSurface9::LockRect",
         [](auto d, auto, auto, auto) {
             IDirect3DSurface9* s = nullptr;
             d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &s);
             D3DLOCKED_RECT r{};
             const HRESULT hr = s->LockRect(&r, nullptr, 0);
             s->Release();
             return hr;
         }},
        {"IDirect3DSurface9::UnlockRect",
         [](auto d, auto, auto, auto) {
             IDirect3DSurface9* s = nullptr;
             d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &s);
             D3DLOCKED_RECT r{};
             s->LockRect(&r, nullptr, 0);
             const HRESULT hr = s->UnlockRect();
             s->Release();
             return hr;
         }},
        {"D3DXCreateTexture",
         [](auto d, auto, auto, auto) {
             IDirect3DTexture9* t = nullptr;
             const HRESULT hr =
                 D3DXCreateTexture(d, 64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT, &t);
             if (t == nullptr) {
                 return hr;
             }
             t->Release();
             return S_OK;
         }},
        {"D3DXCreateTextureFromFileW",
         [tga](auto d, auto, auto, auto) {
             IDirect3DTexture9* t = nullptr;
             const HRESULT hr = D3DXCreateTextureFromFileW(d, tga.c_str(), &t);
             if (t == nullptr) {
                 return hr;
             }
             t->Release();
             return S_OK;
         }},
        {"D3DXCreateEffectFromFileW",
         [fx](auto d, auto, auto, auto) {
             ID3DXEffect* e = nullptr;
             const HRESULT hr =
                 D3DXCreateEffectFromFileW(d, fx.c_str(), nullptr, nullptr, D3DXFX_NOT_CLONEABLE, nullptr, &e, nullptr);
             if (e == nullptr) {
                 return hr;
             }
             e->Release();
             return S_OK;
         }},
        {"ID3DXEffect::GetParameterByName",
         [](auto, auto, auto, auto e) { return e->GetParameterByName(nullptr, "F") == nullptr ? kInjected : S_OK; }},
        {"ID3DXEffect::GetTechniqueByName",
         [](auto, auto, auto, auto e) { return e->GetTechniqueByName("Tech") == nullptr ? kInjected : S_OK; }},
        {"ID3DXEffect::SetFloat", [](auto, auto, auto, auto e) { return e->SetFloat("F", 1.0f); }},
        {"ID3DXEffect::SetVector",
         [](auto, auto, auto, auto e) {
             D3DXVECTOR4 v(0, 0, 0, 0);
             return e->SetVector("Vec", &v);
         }},
        {"ID3DXEffect::SetMatrix",
         [](auto, auto, auto, auto e) {
             D3DXMATRIX m;
             D3DXMatrixIdentity(&m);
             return e->SetMatrix("Mat", &m);
         }},
        {"ID3DXEffect::SetTexture", [](auto, auto, auto t, auto e) { return e->SetTexture("T", t); }},
        {"ID3DXEffect::SetTechnique", [](auto, auto, auto, auto e) { return e->SetTechnique("Tech"); }},
        {"ID3DXEffect::Begin",
         [](auto, auto, auto, auto e) {
             UINT n = 0;
             return e->Begin(&n, 0);
         }},
        {"ID3DXEffect::BeginPass",
         [](auto, auto, auto, auto e) {
             UINT n = 0;
             e->Begin(&n, 0);
             return e->BeginPass(0);
         }},
        {"ID3DXEffect::EndPass",
         [](auto, auto, auto, auto e) {
             UINT n = 0;
             e->Begin(&n, 0);
             e->BeginPass(0);
             return e->EndPass();
         }},
        {"ID3DXEffect::End",
         [](auto, auto, auto, auto e) {
             UINT n = 0;
             e->Begin(&n, 0);
             return e->End();
         }},
        {"ID3DXEffect::CommitChanges",
         [](auto, auto, auto, auto e) {
             UINT n = 0;
             e->Begin(&n, 0);
             e->BeginPass(0);
             return e->CommitChanges();
         }},
        {"ID3DXEffect::OnLostDevice", [](auto, auto, auto, auto e) { return e->OnLostDevice(); }},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GfxRecorder recorder;
        {
            IDirect3DDevice9* device = GfxCreateRecordingDevice(&recorder);
            ASSERT_NE(device, nullptr);
            IDirect3DVertexBuffer9* vb = nullptr;
            ASSERT_EQ(device->CreateVertexBuffer(36 * 3, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr), S_OK);
            IDirect3DTexture9* tex = nullptr;
            ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), S_OK);
            ID3DXEffect* effect = nullptr;
            ASSERT_EQ(D3DXCreateEffectFromFileW(device, fx.c_str(), nullptr, nullptr, 0, nullptr, &effect, nullptr),
                      S_OK);
            ASSERT_EQ(c.call(device, vb, tex, effect), S_OK) << "succeeds without an injected failure";

            recorder.FailCall(c.name, kInjected);
            EXPECT_EQ(c.call(device, vb, tex, effect), kInjected);
            const auto logged = recorder.Find(c.name);
            ASSERT_FALSE(logged.empty());
            EXPECT_EQ(logged.back()->result, kInjected);
            recorder.ClearFailures();
            // The game's set-up releases effects before the device; end any Begin left open.
            effect->End();
            effect->Release();
            tex->Release();
            vb->Release();
            device->Release();
        }
        EXPECT_EQ(recorder.LiveObjects(), 0);
    }

    // Direct3DCreate9 and CreateDevice through the recording backend.
    GfxRecorder recorder;
    GfxUseRecordingBackend(&recorder);
    recorder.FailCall("Direct3DCreate9", kInjected, 1);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    recorder.FailCall("CreateDevice", kInjected, 1);
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(&pp);
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                &device),
              kInjected);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                &device),
              S_OK);
    ASSERT_NE(device, nullptr);
    // Zero sizes took the window's (the recorder's) size and were written back.
    EXPECT_EQ(pp.BackBufferWidth, 640u);
    EXPECT_EQ(pp.BackBufferHeight, 480u);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_X8R8G8B8);
    device->Release();
    d3d->Release();
    GfxUseRecordingBackend(nullptr);
    EXPECT_EQ(recorder.LiveObjects(), 0);
}

TEST_F(Recording, DrawPrimitiveRecordsTheVerticesItConsumes)
{
    std::vector<Vertex> vertices;
    for (int i = 0; i < 8; ++i) {
        vertices.push_back(V(static_cast<float>(i), 0.5f, 0.0f, 0xFF000000u | static_cast<std::uint32_t>(i)));
    }
    FillBuffer(vb, vertices);
    device->SetStreamSource(0, vb, 0, 36);
    device->SetFVF(kVertexFvf);
    ASSERT_EQ(device->BeginScene(), S_OK);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, 3), S_OK);  // 5 vertices from 2
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 2), S_OK);   // 6 vertices from 1
    ASSERT_EQ(device->EndScene(), S_OK);
    const auto draws = recorder.Find("DrawPrimitive");
    ASSERT_EQ(draws.size(), 2u);
    ASSERT_EQ(draws[0]->vertices.size(), 5u);
    EXPECT_FLOAT_EQ(draws[0]->vertices[0].x, 2.0f);
    EXPECT_FLOAT_EQ(draws[0]->vertices[4].x, 6.0f);
    EXPECT_EQ(draws[0]->vertices[4].color, 0xFF000006u);
    ASSERT_EQ(draws[1]->vertices.size(), 6u);
    EXPECT_FLOAT_EQ(draws[1]->vertices[5].x, 6.0f);
}

TEST_F(Recording, DrawPrimitiveRefusesWhatItCannotDraw)
{
    device->SetFVF(kVertexFvf);
    // Outside a scene, with no stream, past the buffer's end, with a locked buffer, another FVF.
    device->SetStreamSource(0, vb, 0, 36);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->BeginScene(), S_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), S_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 61, 1), S_OK);  // vertices 61..63, the last three
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 62, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 62), S_OK);  // 64 vertices
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 63), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0xFFFFFFF0u, 0xFFFFFFF0u), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0), S_OK);  // nothing to draw
    void* p = nullptr;
    ASSERT_EQ(vb->Lock(0, 36, &p, 0), S_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    ASSERT_EQ(vb->Unlock(), S_OK);
    device->SetFVF(0x42);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    device->SetFVF(kVertexFvf);
    device->SetStreamSource(0, nullptr, 0, 0);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);  // already begun
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), S_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(Recording, VertexBufferLocksAnyRangeInsideAndNothingOutside)
{
    void* p = nullptr;
    const UINT size = 36 * 64;
    EXPECT_EQ(vb->Lock(size - 36, 36, &p, 0), S_OK);
    EXPECT_EQ(vb->Lock(0, 36, &p, 0), D3DERR_INVALIDCALL);  // already locked
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(vb->Unlock(), S_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(size - 35, 36, &p, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(size + 1, 0, &p, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(0xFFFFFFF0u, 0x20u, &p, 0), D3DERR_INVALIDCALL);  // wraps around 32 bits
    EXPECT_EQ(vb->Lock(0, 0, nullptr, 0), D3DERR_INVALIDCALL);
    // Size 0 locks to the end; writes land where a later lock reads them.
    ASSERT_EQ(vb->Lock(0, 0, &p, 0), S_OK);
    std::memset(p, 0xAB, size);
    ASSERT_EQ(vb->Unlock(), S_OK);
    ASSERT_EQ(vb->Lock(36 * 10, 36, &p, D3DLOCK_READONLY), S_OK);
    EXPECT_EQ(*static_cast<std::uint8_t*>(p), 0xAB);
    ASSERT_EQ(vb->Unlock(), S_OK);
}

TEST_F(Recording, CreationArgumentsAreChecked)
{
    IDirect3DVertexBuffer9* b = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(0, 0, 0, D3DPOOL_DEFAULT, &b, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(15, 0, 0x42, D3DPOOL_DEFAULT, &b, nullptr), D3DERR_INVALIDCALL);  // < 16 bytes
    EXPECT_EQ(b, nullptr);
    HANDLE shared = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(36, 0, 0, D3DPOOL_DEFAULT, &b, &shared), D3DERR_INVALIDCALL);
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4097, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &t, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4, 4, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(999), 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_CULLMODE, 7), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTexture(1, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(16), nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, 0, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetStreamSource(1, vb, 0, 36), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetStreamSource(0, vb, 0, 0), D3DERR_INVALIDCALL);
}

TEST_F(Recording, RenderTargetsTransformsAndStateReadBack)
{
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(back->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.Width, 320u);
    EXPECT_EQ(desc.Height, 240u);
    IDirect3DSurface9* current = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &current), S_OK);
    EXPECT_EQ(current, back);

    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT, &target), S_OK);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), S_OK);
    ASSERT_EQ(level->GetDesc(&desc), S_OK);
    EXPECT_EQ(desc.Format, D3DFMT_R32F);
    EXPECT_EQ(desc.Usage, D3DUSAGE_RENDERTARGET);
    ASSERT_EQ(device->SetRenderTarget(0, level), S_OK);
    IDirect3DSurface9* now = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &now), S_OK);
    EXPECT_EQ(now, level);
    now->Release();
    EXPECT_EQ(device->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->SetRenderTarget(0, current), S_OK);

    // WORLD starts as the identity; VIEW comes back as set.
    D3DMATRIX m{};
    ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &m), S_OK);
    EXPECT_EQ(m._11, 1.0f);
    EXPECT_EQ(m._41, 0.0f);
    D3DMATRIX view{};
    view._11 = 2.0f;
    view._43 = 8.0f;
    ASSERT_EQ(device->SetTransform(D3DTS_VIEW, &view), S_OK);
    ASSERT_EQ(device->GetTransform(D3DTS_VIEW, &m), S_OK);
    EXPECT_EQ(m._11, 2.0f);
    EXPECT_EQ(m._43, 8.0f);
    EXPECT_EQ(recorder.Find("SetTransform").back()->matrix[14], 8.0f);

    level->Release();
    target->Release();
    current->Release();
    back->Release();
}

// StretchRect copies one whole render target onto another of the same size and format and
// refuses anything else; on this backend the copy is of the CPU pixels.
TEST_F(Recording, StretchRectCopiesWholeTargetsOfOneSizeAndFormat)
{
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(back->GetDesc(&desc), S_OK);
    const auto make = [this](UINT w, UINT h, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
        IDirect3DTexture9* tex = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, 1, usage, format, pool, &tex, nullptr), S_OK);
        IDirect3DSurface9* level = nullptr;
        EXPECT_EQ(tex->GetSurfaceLevel(0, &level), S_OK);
        tex->Release();  // the level keeps it
        return level;
    };
    IDirect3DSurface9* kept = make(320, 240, D3DUSAGE_RENDERTARGET, desc.Format, D3DPOOL_DEFAULT);
    IDirect3DSurface9* small = make(64, 64, D3DUSAGE_RENDERTARGET, desc.Format, D3DPOOL_DEFAULT);
    IDirect3DSurface9* plain = make(320, 240, 0, desc.Format, D3DPOOL_MANAGED);
    IDirect3DSurface9* floats = make(320, 240, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT);
    const RECT part{0, 0, 8, 8};
    struct Case {
        const char* name;
        IDirect3DSurface9* from;
        const RECT* fromRect;
        IDirect3DSurface9* to;
        const RECT* toRect;
        DWORD filter;
    };
    const Case refused[] = {
        {"no source", nullptr, nullptr, kept, nullptr, D3DTEXF_NONE},
        {"onto itself", kept, nullptr, kept, nullptr, D3DTEXF_NONE},
        {"another size", back, nullptr, small, nullptr, D3DTEXF_NONE},
        {"not a render target", back, nullptr, plain, nullptr, D3DTEXF_NONE},
        {"another format", back, nullptr, floats, nullptr, D3DTEXF_NONE},
        {"a source rectangle", back, &part, kept, nullptr, D3DTEXF_NONE},
        {"a destination rectangle", back, nullptr, kept, &part, D3DTEXF_NONE},
        {"an unknown filter", back, nullptr, kept, nullptr, 3},
    };
    for (const Case& c : refused) {
        EXPECT_EQ(device->StretchRect(c.from, c.fromRect, c.to, c.toRect, static_cast<D3DTEXTUREFILTERTYPE>(c.filter)),
                  D3DERR_INVALIDCALL)
            << c.name;
    }

    const auto fill = [](IDirect3DSurface9* s, std::uint8_t seed) {
        D3DLOCKED_RECT rect{};
        ASSERT_EQ(s->LockRect(&rect, nullptr, 0), S_OK);
        auto* bytes = static_cast<std::uint8_t*>(rect.pBits);
        for (int i = 0; i < rect.Pitch * 240; ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 7 + seed);
        }
        ASSERT_EQ(s->UnlockRect(), S_OK);
    };
    const auto byteAt = [](IDirect3DSurface9* s, int at) {
        D3DLOCKED_RECT rect{};
        EXPECT_EQ(s->LockRect(&rect, nullptr, D3DLOCK_READONLY), S_OK);
        const std::uint8_t b = static_cast<const std::uint8_t*>(rect.pBits)[at];
        EXPECT_EQ(s->UnlockRect(), S_OK);
        return b;
    };
    fill(back, 1);
    ASSERT_EQ(device->StretchRect(back, nullptr, kept, nullptr, D3DTEXF_POINT), S_OK);
    fill(back, 2);
    ASSERT_EQ(device->StretchRect(kept, nullptr, back, nullptr, D3DTEXF_NONE), S_OK);
    const int last = 320 * 240 * 4 - 1;
    EXPECT_EQ(byteAt(back, 0), 1);
    EXPECT_EQ(byteAt(back, last), static_cast<std::uint8_t>(last * 7 + 1));
    for (IDirect3DSurface9* s : {kept, small, plain, floats, back}) {
        s->Release();
    }
}

TEST(RecordingLifetime, DeviceReleasedFirstLeavesChildrenSafeToRelease)
{
    GfxRecorder recorder;
    IDirect3DDevice9* device = GfxCreateRecordingDevice(&recorder);
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(360, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr), S_OK);
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), S_OK);
    device->SetStreamSource(0, vb, 0, 36);
    device->SetTexture(0, tex);
    EXPECT_EQ(device->Release(), 0u);
    // The orphans refuse work but release cleanly.
    void* p = nullptr;
    EXPECT_EQ(vb->Lock(0, 36, &p, 0), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT rect{};
    EXPECT_EQ(tex->LockRect(0, &rect, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Release(), 0u);
    EXPECT_EQ(tex->Release(), 0u);
    EXPECT_EQ(recorder.LiveObjects(), 0);
}

TEST(RecordingLifetime, BindingsHoldReferences)
{
    GfxRecorder recorder;
    IDirect3DDevice9* device = GfxCreateRecordingDevice(&recorder);
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(360, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr), S_OK);
    device->SetStreamSource(0, vb, 0, 36);
    EXPECT_EQ(vb->Release(), 1u);  // the device still holds it
    const int live = recorder.LiveObjects();
    device->SetStreamSource(0, nullptr, 0, 0);
    EXPECT_EQ(recorder.LiveObjects(), live - 1);
    device->Release();
    EXPECT_EQ(recorder.LiveObjects(), 0);
}

TEST(RecordingTextures, FileTexturesDecodeSoLockRectReadsPixels)
{
    GfxRecorder recorder;
    IDirect3DDevice9* device = GfxCreateRecordingDevice(&recorder);
    const std::filesystem::path dir = ScratchFolder();
    // 3 x 2: top row red, green, blue; bottom row white, black, grey with alpha 128.
    const std::vector<Bgra> pixels = {{0, 0, 255, 255},     {0, 255, 0, 255}, {255, 0, 0, 255},
                                      {255, 255, 255, 255}, {0, 0, 0, 255},   {128, 128, 128, 128}};
    for (bool rle : {false, true}) {
        for (bool top : {false, true}) {
            for (int bits : {24, 32}) {
                SCOPED_TRACE(std::to_string(bits) + (rle ? " rle" : " raw") + (top ? " top" : " bottom"));
                const std::string path = WriteFile(dir / "p.tga", MakeTga(3, 2, pixels, bits, top, rle));
                IDirect3DTexture9* tex = nullptr;
                ASSERT_EQ(D3DXCreateTextureFromFileW(device, path.c_str(), &tex), S_OK);
                D3DSURFACE_DESC desc{};
                ASSERT_EQ(tex->GetLevelDesc(0, &desc), S_OK);
                EXPECT_EQ(desc.Width, 3u);
                EXPECT_EQ(desc.Height, 2u);
                EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
                D3DLOCKED_RECT rect{};
                ASSERT_EQ(tex->LockRect(0, &rect, nullptr, D3DLOCK_READONLY | D3DLOCK_DONOTWAIT), S_OK);
                EXPECT_EQ(rect.Pitch, 12);
                const auto* bytes = static_cast<const std::uint8_t*>(rect.pBits);
                EXPECT_EQ(bytes[2], 255);  // top-left red: B G R A = 0 0 255 255
                EXPECT_EQ(bytes[0], 0);
                EXPECT_EQ(bytes[4 + 1], 255);     // green
                EXPECT_EQ(bytes[8 + 0], 255);     // blue
                EXPECT_EQ(bytes[12 + 0], 255);    // second row: white
                EXPECT_EQ(bytes[12 + 4 + 2], 0);  // black
                EXPECT_EQ(bytes[12 + 8 + 0], 128);
                EXPECT_EQ(bytes[12 + 8 + 3], bits == 32 ? 128 : 255);
                ASSERT_EQ(tex->UnlockRect(0), S_OK);
                tex->Release();
            }
        }
    }
    IDirect3DTexture9* tex = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileW(device, (dir / "missing.tga").string().c_str(), &tex), D3DERR_NOTFOUND);
    const std::string bad = WriteFile(dir / "bad.tga", "not a picture at all");
    EXPECT_EQ(D3DXCreateTextureFromFileW(device, bad.c_str(), &tex), D3DXERR_INVALIDDATA);
    EXPECT_EQ(tex, nullptr);
    device->Release();
    EXPECT_EQ(recorder.LiveObjects(), 0);
}

// A prefetched picture must load exactly as its file does, failures included, and only once.
TEST(RecordingTextures, PrefetchedPicturesLoadAsTheirFilesDo)
{
    GfxRecorder recorder;
    IDirect3DDevice9* device = GfxCreateRecordingDevice(&recorder);
    const std::filesystem::path dir = ScratchFolder();
    const std::vector<Bgra> pixels = {{0, 0, 255, 255},     {0, 255, 0, 128}, {255, 0, 0, 255},
                                      {255, 255, 255, 255}, {0, 0, 0, 255},   {128, 128, 128, 128}};
    const std::string good = MakeTga(3, 2, pixels, 32, false, true);
    const std::vector<std::string> paths = {
        WriteFile(dir / "rle.tga", good),
        WriteFile(dir / "raw.tga", MakeTga(3, 2, pixels, 24, true, false)),
        WriteFile(dir / "cut.tga", good.substr(0, good.size() - 3)),
        WriteFile(dir / "text.tga", "not a picture at all"),
        (dir / "missing.tga").string(),
    };
    struct Loaded {
        HRESULT hr;
        std::string bytes;
    };
    auto load = [&](const std::string& path) {
        IDirect3DTexture9* tex = nullptr;
        Loaded out{D3DXCreateTextureFromFileW(device, path.c_str(), &tex), ""};
        D3DLOCKED_RECT rect{};
        D3DSURFACE_DESC desc{};
        if (tex != nullptr && tex->GetLevelDesc(0, &desc) == S_OK &&
            tex->LockRect(0, &rect, nullptr, D3DLOCK_READONLY) == S_OK) {
            out.bytes.assign(static_cast<const char*>(rect.pBits), std::size_t{desc.Width} * desc.Height * 4);
            tex->UnlockRect(0);
        }
        if (tex != nullptr) {
            tex->Release();
        }
        return out;
    };
    std::vector<Loaded> plain;
    for (const std::string& path : paths) {
        plain.push_back(load(path));
    }
    EXPECT_EQ(plain[0].hr, S_OK);
    EXPECT_EQ(plain[2].hr, D3DXERR_INVALIDDATA);
    EXPECT_EQ(plain[4].hr, D3DERR_NOTFOUND);

    std::vector<const char*> names;
    for (const std::string& path : paths) {
        names.push_back(path.c_str());
    }
    GfxPrefetchPictures(names.data(), names.size());
    // Taking the second waits for the first too (one worker, in order); the first's file then
    // changes, and its texture must still be what was prefetched.
    const Loaded second = load(paths[1]);
    WriteFile(paths[0], MakeTga(1, 1, {{9, 9, 9, 9}}, 32, true, false));
    EXPECT_EQ(load(paths[0]).bytes, plain[0].bytes) << "the first picture was read again, not prefetched";
    EXPECT_EQ(second.hr, plain[1].hr);
    EXPECT_EQ(second.bytes, plain[1].bytes);
    for (std::size_t i = 2; i < paths.size(); ++i) {
        const Loaded again = load(paths[i]);
        EXPECT_EQ(again.hr, plain[i].hr) << paths[i];
    }
    // Taken once: a second load reads the file as it now is.
    EXPECT_EQ(load(paths[0]).bytes, std::string("\x09\x09\x09\x09", 4));
    GfxPrefetchPictures(nullptr, 0);
    device->Release();
    EXPECT_EQ(recorder.LiveObjects(), 0);
}

TEST(RecordingTextures, LargeVertexBufferCommitsOnlyWhatIsWritten)
{
    auto residentBytes = [] {
        std::ifstream statm("/proc/self/statm");
        long pages = 0;
        long resident = 0;
        statm >> pages >> resident;
        return resident * 4096L;
    };
    GfxRecorder recorder;
    IDirect3DDevice9* device = GfxCreateRecordingDevice(&recorder);
    const long before = residentBytes();
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(72000000, 0, 0x42, D3DPOOL_DEFAULT, &vb, nullptr), S_OK);
    void* p = nullptr;
    ASSERT_EQ(vb->Lock(72000000 - 36, 36, &p, 0), S_OK);
    std::memset(p, 1, 36);
    ASSERT_EQ(vb->Unlock(), S_OK);
    const long after = residentBytes();
    EXPECT_LT(after - before, 8L * 1024 * 1024);
    vb->Release();
    device->Release();
}

}  // namespace
