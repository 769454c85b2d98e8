// The D3DX calls: textures (empty, or from TGA files through the prefetcher), picture
// information, effects from files, and the matrix helpers; and the reports of refused files.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/d3dx9.h"
#include "platform/gfx/internal/effect.h"
#include "platform/gfx/internal/device.h"
#include "platform/gfx/internal/gl.h"
#include "platform/gfx/internal/pictures.h"
#include "platform/gfx/problems.h"

namespace {

class GfxBuffer final : public ID3DXBuffer {
public:
    explicit GfxBuffer(std::string text) : text_(std::move(text)) {}
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return GfxUnref(this, refs_, nullptr, "ID3DXBuffer::Release"); }
    void* GetBufferPointer() override { return text_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(text_.size() + 1); }

private:
    ULONG refs_ = 1;
    std::string text_;
};

// Why a call failed, in the caller's buffer when it asks for one (null when there is no reason).
void PutErrors(ID3DXBuffer** out, const std::string& text)
{
    if (out != nullptr) {
        *out = text.empty() ? nullptr : new GfxBuffer(text);
    }
}

GfxRecorder* RecorderOf(const GfxDevice* device) { return device != nullptr ? device->Recorder() : nullptr; }

// The innermost GfxProblemCapture on this thread.
thread_local GfxProblemCapture* ActiveCapture = nullptr;

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length != 0.0f ? D3DXVECTOR3(v.x / length, v.y / length, v.z / length) : v;
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Effect files are text a few kilobytes long.
constexpr std::uint64_t kMaxEffectFileBytes = 1u << 22;

}  // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture)
{
    auto* device = dynamic_cast<GfxDevice*>(pDevice);
    GfxCheck check(RecorderOf(device), "D3DXCreateTexture", device == nullptr || ppTexture == nullptr);
    GfxTexture* texture =
        check.Ok() ? device->MakeTexture(check, Width, Height, MipLevels, Usage, Format, Pool) : nullptr;
    GfxPut(ppTexture, texture);
    return GfxLogMade(GFX_RECORD(check, Width, Height, MipLevels, Usage, Format, Pool), texture, check.hr);
}

HRESULT D3DXCreateTextureFromFileW(IDirect3DDevice9* pDevice, const char* pSrcFile, IDirect3DTexture9** ppTexture)
{
    auto* device = dynamic_cast<GfxDevice*>(pDevice);
    GfxCheck check(RecorderOf(device), "D3DXCreateTextureFromFileW",
                   device == nullptr || pSrcFile == nullptr || ppTexture == nullptr);
    // Decoded ahead by the start-up worker, or now.
    GfxPrefetchedPicture picture;
    std::string why;
    if (check.Ok() && !GfxTakePrefetchedPicture(pSrcFile, &picture)) {
        check.hr = GfxLoadPicture(pSrcFile, &picture, &why);
    }
    if (!why.empty()) {
        GfxReportProblem(std::string(pSrcFile) + ": cannot use as a texture: " + why);
    }
    GfxTexture* texture =
        check.Ok() ? device->MakeTexture(check, picture.width, picture.height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED)
                   : nullptr;
    if (texture != nullptr) {
        // Same size, same allocator: the texture adopts the decoded pixels.
        std::swap(texture->Surface().pixels, picture.pixels);
        texture->Surface().cpuDirty = true;
    }
    std::free(picture.pixels);
    GfxPut(ppTexture, texture);
    return GfxLogMade(GFX_RECORD(check, pSrcFile), texture, check.hr);
}

HRESULT D3DXGetImageInfoFromFileW(const char* pSrcFile, D3DXIMAGE_INFO* pSrcInfo, ID3DXBuffer** ppErrors)
{
    std::vector<std::uint8_t> bytes;
    std::string why;
    std::uint32_t width = 0, height = 0;
    const HRESULT hr = pSrcFile == nullptr || pSrcInfo == nullptr
                           ? D3DERR_INVALIDCALL
                           : GfxReadPicture(pSrcFile, &bytes, &width, &height, &why);
    PutErrors(ppErrors, hr == S_OK ? std::string() : why);
    if (hr == S_OK) {
        *pSrcInfo = D3DXIMAGE_INFO{width, height, 1, 1, D3DFMT_A8R8G8B8, D3DRTYPE_TEXTURE, D3DXIFF_TGA};
    }
    return hr;
}

HRESULT D3DXCreateEffectFromFileW(IDirect3DDevice9* pDevice, const char* pSrcFile, const D3DXMACRO* pDefines,
                                  ID3DXInclude* pInclude, DWORD Flags, ID3DXEffectPool* pPool, ID3DXEffect** ppEffect,
                                  ID3DXBuffer** ppCompilationErrors)
{
    auto* device = dynamic_cast<GfxDevice*>(pDevice);
    GfxCheck check(RecorderOf(device), "D3DXCreateEffectFromFileW",
                   device == nullptr || pSrcFile == nullptr || ppEffect == nullptr || pDefines != nullptr ||
                       pInclude != nullptr || pPool != nullptr);
    GfxEffect* effect = nullptr;
    std::string error;
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (check.Ok() && !GfxReadFile(pSrcFile, kMaxEffectFileBytes, &bytes, &why)) {
        check.hr = D3DERR_NOTFOUND;
        error = std::string(pSrcFile) + ": " + why;
    }
    GfxEffectDesc desc;
    if (check.Ok() && !GfxParseEffect(std::string(bytes.begin(), bytes.end()), pSrcFile, &desc, &error)) {
        check.hr = D3DXERR_INVALIDDATA;
    }
    if (check.Ok() && device->Gl() != nullptr && !device->Gl()->BuildEffect(desc, pSrcFile, &error)) {
        check.hr = D3DXERR_INVALIDDATA;
    }
    if (check.Ok()) {
        effect = new GfxEffect(std::move(desc));
        effect->Attach(device, "effect");
    }
    if (!error.empty()) {
        GfxReportProblem(error);
    }
    PutErrors(ppCompilationErrors, error);
    GfxPut(ppEffect, effect);
    return GfxLogMade(GFX_RECORD(check, pSrcFile, pDefines, pInclude, Flags, pPool), effect, check.hr);
}

// ---- matrices: row vectors, left-handed, depth 0..1 ----

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut)
{
    static_cast<D3DMATRIX&>(*pOut) = GfxIdentity();
    return pOut;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp)
{
    const D3DXVECTOR3 z = Normalized(D3DXVECTOR3(pAt->x - pEye->x, pAt->y - pEye->y, pAt->z - pEye->z));
    const D3DXVECTOR3 x = Normalized(Cross(*pUp, z));
    const D3DXVECTOR3 y = Cross(z, x);
    D3DXMATRIX& m = *pOut;
    m._11 = x.x;
    m._12 = y.x;
    m._13 = z.x;
    m._14 = 0.0f;
    m._21 = x.y;
    m._22 = y.y;
    m._23 = z.y;
    m._24 = 0.0f;
    m._31 = x.z;
    m._32 = y.z;
    m._33 = z.z;
    m._34 = 0.0f;
    m._41 = -Dot(x, *pEye);
    m._42 = -Dot(y, *pEye);
    m._43 = -Dot(z, *pEye);
    m._44 = 1.0f;
    return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float Aspect, float zn, float zf)
{
    const float yScale = 1.0f / std::tan(fovy / 2.0f);
    const float xScale = yScale / Aspect;
    D3DXMATRIX& m = *pOut;
    static_cast<D3DMATRIX&>(m) = D3DMATRIX{};
    m._11 = xScale;
    m._22 = yScale;
    m._33 = zf / (zf - zn);
    m._34 = 1.0f;
    m._43 = -zn * zf / (zf - zn);
    return pOut;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2)
{
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += pM1->m[i][k] * pM2->m[k][j];
            }
            r.m[i][j] = sum;
        }
    }
    static_cast<D3DMATRIX&>(*pOut) = r;
    return pOut;
}

// ---- reports of refused files, printed or caught by the innermost capture ----

GfxProblemCapture::GfxProblemCapture() : outer_(ActiveCapture) { ActiveCapture = this; }

GfxProblemCapture::~GfxProblemCapture() { ActiveCapture = outer_; }

void GfxReportProblem(const std::string& line)
{
    if (ActiveCapture == nullptr) {
        std::fprintf(stderr, "%s\n", line.c_str());
    } else if (ActiveCapture->line_.empty()) {
        ActiveCapture->line_ = line;
    }
}
