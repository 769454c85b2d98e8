#pragma once

// The Direct3D 9 vocabulary the game draws with: the Windows interface's class, method and
// constant names, parameter orders and values, without COM; objects are abstract classes with
// reference-counted Release, strings are UTF-8. Backends: OpenGL 3.3 core over the game
// window, or the recorder for tests (recording.h). Game code includes only this and d3dx9.h.
//
// Every call returning HRESULT gives S_OK on success and D3DERR_INVALIDCALL for a null
// out-pointer, an unknown enum value or the wrong state; out-pointers are null on failure.

#include <cstdint>

#include "platform/platform_types.h"

using ULONG = std::uint32_t;
using INT = std::int32_t;
using HANDLE = void*;
using D3DCOLOR = DWORD;

constexpr UINT D3D_SDK_VERSION = 32;
constexpr UINT D3DADAPTER_DEFAULT = 0;

// ---- results ----
constexpr HRESULT MakeD3dHresult(std::uint32_t code) { return MakeHresult(0x88760000u | code); }
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = MakeD3dHresult(2087);
constexpr HRESULT D3DERR_NOTFOUND = MakeD3dHresult(2150);
constexpr HRESULT D3DERR_NOTAVAILABLE = MakeD3dHresult(2154);
constexpr HRESULT D3DERR_INVALIDCALL = MakeD3dHresult(2156);  // 0x8876086C
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MakeD3dHresult(380);
constexpr HRESULT D3DERR_WASSTILLDRAWING = MakeD3dHresult(540);  // 0x8876021C
static_assert(D3DERR_INVALIDCALL == MakeHresult(0x8876086Cu));
static_assert(D3DERR_WASSTILLDRAWING == MakeHresult(0x8876021Cu));

// ---- enums (values as in Direct3D 9; only those the game uses) ----
enum D3DFORMAT : DWORD {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_D16 = 80,
    D3DFMT_R32F = 114
};
enum D3DPOOL : DWORD { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1 };
enum D3DRESOURCETYPE : DWORD { D3DRTYPE_TEXTURE = 3 };
enum D3DDEVTYPE : DWORD { D3DDEVTYPE_HAL = 1 };
enum D3DMULTISAMPLE_TYPE : DWORD { D3DMULTISAMPLE_NONE = 0 };
enum D3DSWAPEFFECT : DWORD { D3DSWAPEFFECT_COPY = 3 };
enum D3DBACKBUFFER_TYPE : DWORD { D3DBACKBUFFER_TYPE_MONO = 0 };
enum D3DPRIMITIVETYPE : DWORD { D3DPT_TRIANGLELIST = 4, D3DPT_TRIANGLESTRIP = 5 };
enum D3DTRANSFORMSTATETYPE : DWORD { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_WORLD = 256 };  // WORLDMATRIX(0)

enum D3DRENDERSTATETYPE : DWORD {
    D3DRS_ZENABLE = 7,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_LIGHTING = 137,
    D3DRS_BLENDOP = 171
};

enum D3DZBUFFERTYPE : DWORD { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };
enum D3DCULL : DWORD { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DCMPFUNC : DWORD { D3DCMP_LESSEQUAL = 4, D3DCMP_ALWAYS = 8 };
enum D3DBLEND : DWORD { D3DBLEND_ZERO = 1, D3DBLEND_ONE = 2, D3DBLEND_SRCALPHA = 5, D3DBLEND_INVSRCALPHA = 6 };
enum D3DBLENDOP : DWORD { D3DBLENDOP_ADD = 1 };
enum D3DTEXTURESTAGESTATETYPE : DWORD {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4
};
enum D3DTEXTUREOP : DWORD { D3DTOP_DISABLE = 1, D3DTOP_SELECTARG1 = 2, D3DTOP_MODULATE = 4 };
enum D3DTEXTUREFILTERTYPE : DWORD { D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2 };

constexpr DWORD D3DTA_DIFFUSE = 0x0;
constexpr DWORD D3DTA_CURRENT = 0x1;
constexpr DWORD D3DTA_TEXTURE = 0x2;
constexpr DWORD D3DCLEAR_TARGET = 0x1;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;
constexpr DWORD D3DUSAGE_RENDERTARGET = 0x1;
constexpr DWORD D3DLOCK_READONLY = 0x10;
constexpr DWORD D3DLOCK_DONOTWAIT = 0x4000;
constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0x0;
constexpr UINT D3DPRESENT_INTERVAL_ONE = 0x1;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

// ---- records ----
struct RECT {
    LONG left, top, right, bottom;
};
struct D3DRECT {
    LONG x1, y1, x2, y2;
};
struct RGNDATA;  // dirty regions are not supported; Present accepts only null
struct D3DVECTOR {
    float x, y, z;
};

// GCC and Clang, the compilers we build with, both read these pragmas.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"  // the anonymous struct inside the union
struct D3DMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};
#pragma GCC diagnostic pop
static_assert(sizeof(D3DMATRIX) == 64);

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth;   // 0: the window's client width
    UINT BackBufferHeight;  // 0: the window's client height
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;  // null: the focus window
    BOOL Windowed;       // FALSE: full screen at the desktop's size
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    UINT PresentationInterval;
};

struct D3DLOCKED_RECT {
    INT Pitch;    // bytes from one row to the next
    void* pBits;  // row 0 is the top row of the picture; pixels are B, G, R, A bytes
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format;
    DWORD Usage;
    UINT Width;
    UINT Height;
};

// ---- interfaces ----

class IUnknown {
public:
    // Both return the new reference count; the object is destroyed when it reaches 0.
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// What a texture stage or effect parameter takes.
class IDirect3DBaseTexture9 : public IUnknown {};

class IDirect3DSurface9 : public IUnknown {
public:
    // D3DERR_INVALIDCALL on null.
    virtual HRESULT GetDesc(D3DSURFACE_DESC* pDesc) = 0;
    // Whole surface only (pRect null); not when already locked. Render targets are read back
    // from the GPU, and written back at UnlockRect unless D3DLOCK_READONLY.
    virtual HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) = 0;
    // D3DERR_INVALIDCALL when not locked.
    virtual HRESULT UnlockRect() = 0;
};

class IDirect3DTexture9 : public IDirect3DBaseTexture9 {
public:
    // D3DERR_INVALIDCALL for a level that does not exist or a null pointer.
    virtual HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) = 0;
    // The level's surface with a reference added; D3DERR_INVALIDCALL as above.
    virtual HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) = 0;
    // As IDirect3DSurface9::LockRect on the level's surface.
    virtual HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) = 0;
    virtual HRESULT UnlockRect(UINT Level) = 0;
};

class IDirect3DVertexBuffer9 : public IUnknown {
public:
    // Any byte range inside the buffer (SizeToLock 0: to its end), not when already locked.
    // The written range is uploaded at the next draw that reads the buffer.
    virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) = 0;
    // D3DERR_INVALIDCALL when not locked.
    virtual HRESULT Unlock() = 0;
};

class IDirect3DDevice9 : public IUnknown {
public:
    // The whole target (Count 0, pRects null), with at least one flag and Z in 0..1.
    virtual HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) = 0;
    // D3DERR_INVALIDCALL when a scene is already begun / not begun.
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    // Shows the back buffer, paced to 60 presents per second. Outside a scene, with every
    // pointer null.
    virtual HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                            const RGNDATA* pDirtyRegion) = 0;

    // Stream 0 only; Stride a non-zero multiple of 4 with a buffer, anything with null
    // (unbinds). D3DERR_INVALIDCALL otherwise.
    virtual HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                    UINT Stride) = 0;
    // Only the game's format 0x152 (or a subset with D3DFVF_XYZ) is drawable; any value
    // is accepted here, and DrawPrimitive fails for one it cannot draw.
    virtual HRESULT SetFVF(DWORD FVF) = 0;
    // The states of the enum above, each with a value of its own enum.
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) = 0;
    // Stage 0 only (D3DERR_INVALIDCALL otherwise); null unbinds (draws read white).
    virtual HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) = 0;
    // Stage 0 only, the states of the enum above.
    virtual HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) = 0;
    // VIEW, PROJECTION and WORLD (identity until set); D3DERR_INVALIDCALL otherwise or on null.
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) = 0;
    // TRIANGLELIST and TRIANGLESTRIP in a scene, from a bound and unlocked stream that holds
    // every vertex; PrimitiveCount 0 draws nothing. Through the active effect pass if there
    // is one, otherwise the fixed-function stage.
    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) = 0;

    // Length holds a vertex of FVF (any when FVF is 0); pSharedHandle null. Memory is committed
    // as the buffer is written; D3DERR_OUTOFVIDEOMEMORY when none can be had.
    virtual HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                       IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) = 0;
    // Levels 0 or 1 (one level is made); formats A8R8G8B8, X8R8G8B8 and R32F;
    // D3DUSAGE_RENDERTARGET needs D3DPOOL_DEFAULT. Width and height 1..4096.
    // D3DERR_INVALIDCALL otherwise, D3DERR_OUTOFVIDEOMEMORY when the GPU refuses.
    virtual HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) = 0;
    // Swap chain 0, back buffer 0, mono; D3DERR_INVALIDCALL otherwise.
    virtual HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                  IDirect3DSurface9** ppBackBuffer) = 0;
    // Target 0 only. SetRenderTarget needs a render-target surface (a texture's level made
    // with D3DUSAGE_RENDERTARGET, or the back buffer); D3DERR_INVALIDCALL otherwise.
    virtual HRESULT GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) = 0;
    virtual HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) = 0;
    // Whole render-target surfaces of one size (both rectangles null), one onto another,
    // pixel for pixel whatever the filter (NONE, POINT or LINEAR); D3DERR_INVALIDCALL otherwise.
    virtual HRESULT StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                                IDirect3DSurface9* pDestSurface, const RECT* pDestRect,
                                D3DTEXTUREFILTERTYPE Filter) = 0;
};

class IDirect3D9 : public IUnknown {
public:
    // Adapter D3DADAPTER_DEFAULT, HAL, a focus window (or pp->hDeviceWindow), and
    // BackBufferCount 0 or 1. D3DERR_INVALIDCALL for bad arguments or a second live
    // device; D3DERR_NOTAVAILABLE when no GL 3.3 context can be made on the window.
    virtual HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                 D3DPRESENT_PARAMETERS* pPresentationParameters,
                                 IDirect3DDevice9** ppReturnedDeviceInterface) = 0;
};

// Null when SDKVersion is not D3D_SDK_VERSION or the video system cannot start.
// The backend is the one chosen with GfxUseRecordingBackend (recording.h); GL by default.
IDirect3D9* Direct3DCreate9(UINT SDKVersion);
