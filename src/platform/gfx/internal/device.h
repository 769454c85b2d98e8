#pragma once

// Private to the graphics layer: the device and the Direct3D object, shared by both backends.
// Validation, state and CPU copies live here; a device with a GfxGl draws through OpenGL, a
// device with a GfxRecorder logs every call. A device may have both.

#include <string>
#include <vector>

#include "platform/gfx/d3d9.h"
#include "platform/gfx/internal/resources.h"

class GfxGl;
class GfxEffect;

// Device states the GL backend turns into GL state at each draw.
struct GfxRenderStates {
    DWORD zEnable = D3DZB_TRUE;
    DWORD zWriteEnable = TRUE;
    DWORD zFunc = D3DCMP_LESSEQUAL;
    DWORD alphaBlendEnable = FALSE;
    DWORD srcBlend = D3DBLEND_ONE;
    DWORD destBlend = D3DBLEND_ZERO;
    DWORD blendOp = D3DBLENDOP_ADD;
    DWORD cullMode = D3DCULL_CCW;
    DWORD lighting = TRUE;
};

struct GfxStageStates {
    DWORD colorOp = D3DTOP_MODULATE;
    DWORD colorArg1 = D3DTA_TEXTURE;
    DWORD colorArg2 = D3DTA_CURRENT;
    DWORD alphaOp = D3DTOP_SELECTARG1;
    DWORD alphaArg1 = D3DTA_TEXTURE;  // the alpha arguments keep these
    DWORD alphaArg2 = D3DTA_CURRENT;
};

class GfxDevice final : public IDirect3DDevice9 {
public:
    // `gl` may be null (recording only); the device owns it. The parameters are complete:
    // the back buffer's size and format filled in.
    GfxDevice(GfxRecorder* recorder, GfxGl* gl, const D3DPRESENT_PARAMETERS& params);
    ~GfxDevice() override;
    // False when the back buffer could not be made.
    bool Ready() const { return backBuffer_ != nullptr; }

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return GfxUnref(this, refs_, recorder_, "IDirect3DDevice9::Release"); }
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                    const RGNDATA* pDirtyRegion) override;
    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                            UINT Stride) override;
    HRESULT SetFVF(DWORD FVF) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
    HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                               IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) override;
    HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                          IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
    HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                          IDirect3DSurface9** ppBackBuffer) override;
    HRESULT GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
    HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override;
    HRESULT StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect, IDirect3DSurface9* pDestSurface,
                        const RECT* pDestRect, D3DTEXTUREFILTERTYPE Filter) override;

    // ---- for the rest of the layer ----
    GfxRecorder* Recorder() const { return recorder_; }
    void Adopt(GfxChild* child) { children_.push_back(child); }
    void Disown(GfxChild* child) { std::erase(children_, child); }
    // The texture of the checked call (CreateTexture's or a D3DX one's), or null with the
    // reason in check.hr; a call already failed makes nothing.
    GfxTexture* MakeTexture(GfxCheck& check, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                            D3DPOOL pool);
    // The effect pass that draws until EndPass; null returns to the fixed-function path.
    void SetActivePass(GfxEffect* effect, UINT pass)
    {
        activeEffect_ = effect;
        activePass_ = pass;
    }
    GfxEffect* ActiveEffect() const { return activeEffect_; }
    UINT ActivePass() const { return activePass_; }

    // The GL side of the children's calls; null on the recording backend.
    GfxGl* Gl() const { return gl_; }

    const GfxRenderStates& States() const { return states_; }
    const GfxStageStates& Stage() const { return stage_; }
    const D3DMATRIX& World() const { return world_; }
    const D3DMATRIX& View() const { return view_; }
    const D3DMATRIX& Projection() const { return projection_; }
    GfxTexture* StageTexture() const { return stageTexture_; }

private:
    // The matrix a transform state names; null for one the device does not keep.
    D3DMATRIX* TransformSlot(D3DTRANSFORMSTATETYPE state);

    ULONG refs_ = 1;
    GfxRecorder* recorder_;
    GfxGl* gl_;
    std::vector<GfxChild*> children_;
    GfxSurface* backBuffer_ = nullptr;
    GfxSurface* renderTarget_ = nullptr;  // one reference held
    GfxVertexBuffer* stream_ = nullptr;   // one reference held
    UINT streamOffset_ = 0, streamStride_ = 0;
    GfxTexture* stageTexture_ = nullptr;  // one reference held
    DWORD fvf_ = 0;
    bool inScene_ = false;
    bool hasDepth_ = false;
    GfxRenderStates states_;
    GfxStageStates stage_;
    D3DMATRIX world_, view_, projection_;
    GfxEffect* activeEffect_ = nullptr;
    UINT activePass_ = 0;
};

// The identity as a D3DMATRIX.
D3DMATRIX GfxIdentity();
