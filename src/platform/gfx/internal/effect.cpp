// The effect object at run time: its parameters, techniques and passes as the game sets
// and walks them. Effect files are read in effect_file.cpp.

#include "platform/gfx/internal/effect.h"

#include <cstring>

GfxEffect::GfxEffect(GfxEffectDesc desc) : desc_(std::move(desc)) {}

GfxEffect::~GfxEffect()
{
    if (device_ != nullptr && device_->ActiveEffect() == this) {
        device_->SetActivePass(nullptr, 0);
    }
    DropGpu();
    for (auto& p : desc_.params) {
        if (p.texture != nullptr) {
            p.texture->Release();
            p.texture = nullptr;
        }
    }
}

void GfxEffect::DropGpu()
{
    if (device_ != nullptr) {
        device_->DropEffect(desc_);
    }
}

GfxEffectParam* GfxEffect::FindParam(D3DXHANDLE handle)
{
    if (handle == nullptr) {
        return nullptr;
    }
    for (auto& p : desc_.params) {
        if (p.name.c_str() == handle) {
            return &p;
        }
    }
    for (auto& p : desc_.params) {
        if (std::strcmp(p.name.c_str(), handle) == 0) {
            return &p;
        }
    }
    return nullptr;
}

int GfxEffect::FindTechnique(D3DXHANDLE handle) const
{
    if (handle == nullptr) {
        return -1;
    }
    for (std::size_t i = 0; i < desc_.techniques.size(); ++i) {
        if (desc_.techniques[i].name.c_str() == handle) {
            return static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < desc_.techniques.size(); ++i) {
        if (std::strcmp(desc_.techniques[i].name.c_str(), handle) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

D3DXHANDLE GfxEffect::GetParameterByName(D3DXHANDLE hParameter, const char* pName)
{
    static constexpr const char* kName = "ID3DXEffect::GetParameterByName";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    D3DXHANDLE found = nullptr;
    if (hr == S_OK && hParameter == nullptr && pName != nullptr) {
        for (const auto& p : desc_.params) {
            if (p.name == pName) {
                found = p.name.c_str();
            }
        }
    }
    GFX_RECORD(CallRecorder(), kName, found != nullptr ? S_OK : (hr != S_OK ? hr : E_FAIL), GfxArgText(hParameter),
               GfxArgText(pName));
    return found;
}

D3DXHANDLE GfxEffect::GetTechniqueByName(const char* pName)
{
    static constexpr const char* kName = "ID3DXEffect::GetTechniqueByName";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    D3DXHANDLE found = nullptr;
    if (hr == S_OK && pName != nullptr) {
        for (const auto& t : desc_.techniques) {
            if (t.name == pName) {
                found = t.name.c_str();
            }
        }
    }
    GFX_RECORD(CallRecorder(), kName, found != nullptr ? S_OK : (hr != S_OK ? hr : E_FAIL), GfxArgText(pName));
    return found;
}

HRESULT GfxEffect::SetValue(const char* call, D3DXHANDLE handle, GfxParamType type, const float* values, int count)
{
    HRESULT hr = device_ != nullptr ? device_->Inject(call) : S_OK;
    GfxEffectParam* p = FindParam(handle);
    if (hr == S_OK && (device_ == nullptr || p == nullptr || p->type != type || values == nullptr)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        std::memcpy(p->value, values, sizeof(float) * static_cast<std::size_t>(count));
    }
    if (GfxCall* logged = GFX_RECORD(recorder_, call, hr, GfxArgText(p != nullptr ? p->name.c_str() : handle))) {
        if (type == GfxParamType::Matrix || values == nullptr) {
            logged->args.push_back(GfxArgPointer(values));
        } else {
            for (int i = 0; i < count; ++i) {
                logged->args.push_back(GfxArgOf(values[i]));
            }
        }
        if (type == GfxParamType::Matrix && values != nullptr) {
            std::memcpy(logged->matrix, values, sizeof logged->matrix);
        }
    }
    return hr;
}

HRESULT GfxEffect::SetFloat(D3DXHANDLE hParameter, float f)
{
    return SetValue("ID3DXEffect::SetFloat", hParameter, GfxParamType::Float, &f, 1);
}

HRESULT GfxEffect::SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector)
{
    float v[4] = {};
    if (pVector != nullptr) {
        v[0] = pVector->x;
        v[1] = pVector->y;
        v[2] = pVector->z;
        v[3] = pVector->w;
    }
    return SetValue("ID3DXEffect::SetVector", hParameter, GfxParamType::Vector, pVector != nullptr ? v : nullptr, 4);
}

HRESULT GfxEffect::SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix)
{
    return SetValue("ID3DXEffect::SetMatrix", hParameter, GfxParamType::Matrix,
                    pMatrix != nullptr ? &pMatrix->m[0][0] : nullptr, 16);
}

HRESULT GfxEffect::SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9* pTexture)
{
    static constexpr const char* kName = "ID3DXEffect::SetTexture";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    GfxEffectParam* p = FindParam(hParameter);
    auto* texture = dynamic_cast<GfxTexture*>(pTexture);
    if (hr == S_OK && (device_ == nullptr || p == nullptr || p->type != GfxParamType::Texture ||
                       (pTexture != nullptr && (texture == nullptr || texture->Device() != device_)))) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        if (texture != nullptr) {
            texture->AddRef();
        }
        if (p->texture != nullptr) {
            p->texture->Release();
        }
        p->texture = texture;
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgText(p != nullptr ? p->name.c_str() : hParameter), GfxArgObject(pTexture));
    return hr;
}

HRESULT GfxEffect::SetTechnique(D3DXHANDLE hTechnique)
{
    static constexpr const char* kName = "ID3DXEffect::SetTechnique";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    const int index = FindTechnique(hTechnique);
    if (hr == S_OK && (device_ == nullptr || index < 0 || begun_)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        technique_ = static_cast<UINT>(index);
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgText(index >= 0 ? desc_.techniques[index].name.c_str() : hTechnique));
    return hr;
}

D3DXHANDLE GfxEffect::GetCurrentTechnique() { return desc_.techniques[technique_].name.c_str(); }

HRESULT GfxEffect::Begin(UINT* pPasses, DWORD Flags)
{
    static constexpr const char* kName = "ID3DXEffect::Begin";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK && (device_ == nullptr || begun_)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        begun_ = true;
        if (pPasses != nullptr) {
            *pPasses = static_cast<UINT>(desc_.techniques[technique_].passes.size());
        }
    } else if (pPasses != nullptr) {
        *pPasses = 0;
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgOf(Flags));
    return hr;
}

HRESULT GfxEffect::BeginPass(UINT Pass)
{
    static constexpr const char* kName = "ID3DXEffect::BeginPass";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK && (device_ == nullptr || !begun_ || inPass_ || Pass >= desc_.techniques[technique_].passes.size() ||
                       (device_->ActiveEffect() != nullptr && device_->ActiveEffect() != this))) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        inPass_ = true;
        device_->SetActivePass(this, Pass);
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgOf(Pass));
    return hr;
}

HRESULT GfxEffect::CommitChanges()
{
    static constexpr const char* kName = "ID3DXEffect::CommitChanges";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK && (device_ == nullptr || !inPass_)) {
        hr = D3DERR_INVALIDCALL;
    }
    GFX_RECORD(CallRecorder(), kName, hr);
    return hr;
}

HRESULT GfxEffect::EndPass()
{
    static constexpr const char* kName = "ID3DXEffect::EndPass";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK && (device_ == nullptr || !inPass_)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        inPass_ = false;
        device_->SetActivePass(nullptr, 0);
    }
    GFX_RECORD(CallRecorder(), kName, hr);
    return hr;
}

HRESULT GfxEffect::End()
{
    static constexpr const char* kName = "ID3DXEffect::End";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK && (device_ == nullptr || !begun_)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        if (inPass_) {
            inPass_ = false;
            device_->SetActivePass(nullptr, 0);
        }
        begun_ = false;
    }
    GFX_RECORD(CallRecorder(), kName, hr);
    return hr;
}

HRESULT GfxEffect::OnLostDevice()
{
    static constexpr const char* kName = "ID3DXEffect::OnLostDevice";
    const HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    GFX_RECORD(CallRecorder(), kName, hr);
    return hr;
}
