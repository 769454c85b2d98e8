#pragma once

// The D3DX 9 helpers the game uses: textures from files, effects, and three matrix helpers
// with Direct3D's conventions (row vectors, left-handed, depth 0 to 1). Strings are UTF-8;
// the names ending in W keep their W.

#include "platform/gfx/d3d9.h"

constexpr HRESULT D3DXERR_INVALIDDATA = MakeD3dHresult(2905);  // 0x88760B59

constexpr DWORD D3DXFX_NOT_CLONEABLE = 0x800;

// A parameter or technique: either the handle an effect returned or the name as a string.
using D3DXHANDLE = const char*;

struct D3DXVECTOR3 : D3DVECTOR {
    D3DXVECTOR3() = default;
    constexpr D3DXVECTOR3(float ax, float ay, float az) : D3DVECTOR{ax, ay, az} {}
};

struct D3DXVECTOR4 {
    float x, y, z, w;
    D3DXVECTOR4() = default;
    constexpr D3DXVECTOR4(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}
};

struct D3DXMATRIX : D3DMATRIX {};

struct D3DXMACRO;       // not supported: must be null
class ID3DXInclude;     // not supported: must be null
class ID3DXEffectPool;  // not supported: must be null

class ID3DXBuffer : public IUnknown {
public:
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

// An effect made from a file in our own format (src/platform/gfx/effect_format.md). Every Set
// needs a parameter of the effect (handle or name) of its own type, and a non-null pointer.
class ID3DXEffect : public IUnknown {
public:
    // Null when there is no such parameter. hParameter must be null (top level).
    virtual D3DXHANDLE GetParameterByName(D3DXHANDLE hParameter, const char* pName) = 0;
    // Null when there is no such technique.
    virtual D3DXHANDLE GetTechniqueByName(const char* pName) = 0;

    virtual HRESULT SetFloat(D3DXHANDLE hParameter, float f) = 0;
    virtual HRESULT SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) = 0;
    virtual HRESULT SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) = 0;
    // Null unbinds (the shader then samples opaque white). The effect holds a reference.
    virtual HRESULT SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9* pTexture) = 0;

    // D3DERR_INVALIDCALL for an unknown technique or while between Begin and End.
    virtual HRESULT SetTechnique(D3DXHANDLE hTechnique) = 0;
    virtual D3DXHANDLE GetCurrentTechnique() = 0;
    // Receives the pass count of the current technique. D3DERR_INVALIDCALL when already begun.
    virtual HRESULT Begin(UINT* pPasses, DWORD Flags) = 0;
    // D3DERR_INVALIDCALL outside Begin/End, for a pass that does not exist, or while a
    // pass is active. The pass's shaders draw every DrawPrimitive until EndPass, with the
    // blend and depth states the device has at each draw.
    virtual HRESULT BeginPass(UINT Pass) = 0;
    // Parameters set during a pass reach the shaders at the next draw either way.
    virtual HRESULT CommitChanges() = 0;
    virtual HRESULT EndPass() = 0;
    virtual HRESULT End() = 0;
    virtual HRESULT OnLostDevice() = 0;
};

enum D3DXIMAGE_FILEFORMAT : DWORD { D3DXIFF_TGA = 2 };

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// One level, D3DPOOL_DEFAULT only for render targets; see IDirect3DDevice9::CreateTexture.
HRESULT D3DXCreateTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture);

// A TGA file (uncompressed or RLE, 24 or 32 bit, either origin) as one A8R8G8B8 level.
// D3DERR_NOTFOUND for a file that cannot be read (missing, a folder, too large for any
// picture); D3DXERR_INVALIDDATA for one that is not a TGA we read, is cut short or is larger
// than 4096 on a side. Failures print one line naming the file and the reason on stderr.
HRESULT D3DXCreateTextureFromFileW(IDirect3DDevice9* pDevice, const char* pSrcFile, IDirect3DTexture9** ppTexture);

// What D3DXCreateTextureFromFileW would make of the file, from its header and length alone:
// the same checks and results, quiet, with the reason in *ppErrors when that is not null.
HRESULT D3DXGetImageInfoFromFileW(const char* pSrcFile, D3DXIMAGE_INFO* pSrcInfo, ID3DXBuffer** ppErrors = nullptr);

// D3DERR_NOTFOUND when the file cannot be opened; D3DXERR_INVALIDDATA on a parse or shader
// compile error, with the message (file:line: ... and the GL log) in *ppCompilationErrors
// when that is not null, and always on stderr. pDefines, pInclude and pPool must be null.
HRESULT D3DXCreateEffectFromFileW(IDirect3DDevice9* pDevice, const char* pSrcFile, const D3DXMACRO* pDefines,
                                  ID3DXInclude* pInclude, DWORD Flags, ID3DXEffectPool* pPool, ID3DXEffect** ppEffect,
                                  ID3DXBuffer** ppCompilationErrors);

// Each returns pOut. Direct3D conventions: row vectors (v * M), left-handed, z in 0..1.
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float Aspect, float zn, float zf);
// pM1 * pM2; pOut may alias either input.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);
