// The effect object at run time: its parameters, techniques and passes as the game sets
// and walks them. Effect files are read in effect_file.cpp.

#include "platform/gfx/internal/effect.h"

#include <cstring>

#include "platform/gfx/internal/gl.h"

GfxEffect::~GfxEffect()
{
    if (device_ != nullptr && device_->ActiveEffect() == this) {
        device_->SetActivePass(nullptr, 0);
    }
    DropGpu();
    for (auto& p : desc_.params) {
        GfxHold(p.texture, nullptr);
    }
}

void GfxEffect::DropGpu()
{
    if (device_ != nullptr && device_->Gl() != nullptr) {
        device_->Gl()->DropEffect(desc_);
    }
}

namespace {

// The item `handle` names: the handle an effect gave out first, then the same text.
template <class T>
int FindNamed(const std::vector<T>& items, D3DXHANDLE handle)
{
    if (handle == nullptr) {
        return -1;
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            const char* name = items[i].name.c_str();
            if (pass == 0 ? name == handle : std::strcmp(name, handle) == 0) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

}  // namespace

GfxEffectParam* GfxEffect::FindParam(D3DXHANDLE handle)
{
    const int index = FindNamed(desc_.params, handle);
    return index >= 0 ? &desc_.params[index] : nullptr;
}

D3DXHANDLE GfxEffect::GetParameterByName(D3DXHANDLE hParameter, const char* pName)
{
    GfxCheck check(CallRecorder(), "ID3DXEffect::GetParameterByName", false);
    const int index = check.Ok() && hParameter == nullptr ? FindNamed(desc_.params, pName) : -1;
    check.hr = check.Ok() && index < 0 ? E_FAIL : check.hr;
    GFX_RECORD(check, hParameter, pName);
    return index >= 0 ? desc_.params[index].name.c_str() : nullptr;
}

D3DXHANDLE GfxEffect::GetTechniqueByName(const char* pName)
{
    GfxCheck check(CallRecorder(), "ID3DXEffect::GetTechniqueByName", false);
    const int index = check.Ok() ? FindNamed(desc_.techniques, pName) : -1;
    check.hr = check.Ok() && index < 0 ? E_FAIL : check.hr;
    GFX_RECORD(check, pName);
    return index >= 0 ? desc_.techniques[index].name.c_str() : nullptr;
}

HRESULT GfxEffect::SetValue(const char* call, D3DXHANDLE handle, GfxParamType type, const float* values, int count)
{
    GfxEffectParam* p = FindParam(handle);
    GfxCheck check = Check(call, p == nullptr || p->type != type || values == nullptr);
    if (check.Ok()) {
        std::memcpy(p->value, values, sizeof(float) * static_cast<std::size_t>(count));
    }
    check.recorder = recorder_;  // logged even once orphaned
    if (GfxCall* logged = GFX_RECORD(check, p != nullptr ? p->name.c_str() : handle)) {
        if (type == GfxParamType::Matrix || values == nullptr) {
            logged->args.push_back(values);
        } else {
            for (int i = 0; i < count; ++i) {
                logged->args.push_back(values[i]);
            }
        }
        if (type == GfxParamType::Matrix && values != nullptr) {
            std::memcpy(logged->matrix, values, sizeof logged->matrix);
        }
    }
    return check.hr;
}

HRESULT GfxEffect::SetFloat(D3DXHANDLE hParameter, float f)
{
    return SetValue("ID3DXEffect::SetFloat", hParameter, GfxParamType::Float, &f, 1);
}

HRESULT GfxEffect::SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector)
{
    return SetValue("ID3DXEffect::SetVector", hParameter, GfxParamType::Vector,
                    pVector != nullptr ? &pVector->x : nullptr, 4);
}

HRESULT GfxEffect::SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix)
{
    return SetValue("ID3DXEffect::SetMatrix", hParameter, GfxParamType::Matrix,
                    pMatrix != nullptr ? &pMatrix->m[0][0] : nullptr, 16);
}

HRESULT GfxEffect::SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9* pTexture)
{
    GfxEffectParam* p = FindParam(hParameter);
    auto* texture = dynamic_cast<GfxTexture*>(pTexture);
    const bool foreign = pTexture != nullptr && (texture == nullptr || texture->Device() != device_);
    const GfxCheck check =
        Check("ID3DXEffect::SetTexture", p == nullptr || p->type != GfxParamType::Texture || foreign);
    if (check.Ok()) {
        GfxHold(p->texture, texture);
    }
    return GFX_RESULT(check, p != nullptr ? p->name.c_str() : hParameter, pTexture);
}

HRESULT GfxEffect::SetTechnique(D3DXHANDLE hTechnique)
{
    const int index = FindNamed(desc_.techniques, hTechnique);
    const GfxCheck check = Check("ID3DXEffect::SetTechnique", index < 0 || begun_);
    if (check.Ok()) {
        technique_ = static_cast<UINT>(index);
    }
    const D3DXHANDLE named = index >= 0 ? desc_.techniques[index].name.c_str() : hTechnique;
    return GFX_RESULT(check, named);
}

HRESULT GfxEffect::Begin(UINT* pPasses, DWORD Flags)
{
    const GfxCheck check = Check("ID3DXEffect::Begin", begun_);
    begun_ = begun_ || check.Ok();
    if (pPasses != nullptr) {
        *pPasses = check.Ok() ? static_cast<UINT>(desc_.techniques[technique_].passes.size()) : 0;
    }
    return GFX_RESULT(check, Flags);
}

HRESULT GfxEffect::BeginPass(UINT Pass)
{
    const GfxEffect* active = device_ != nullptr ? device_->ActiveEffect() : nullptr;
    const bool badPass = Pass >= desc_.techniques[technique_].passes.size();
    const GfxCheck check =
        Check("ID3DXEffect::BeginPass", !begun_ || inPass_ || badPass || (active != nullptr && active != this));
    if (check.Ok()) {
        inPass_ = true;
        device_->SetActivePass(this, Pass);
    }
    return GFX_RESULT(check, Pass);
}

HRESULT GfxEffect::CommitChanges()
{
    const GfxCheck check = Check("ID3DXEffect::CommitChanges", !inPass_);
    return GFX_RESULT(check);
}

HRESULT GfxEffect::EndPass()
{
    const GfxCheck check = Check("ID3DXEffect::EndPass", !inPass_);
    if (check.Ok()) {
        inPass_ = false;
        device_->SetActivePass(nullptr, 0);
    }
    return GFX_RESULT(check);
}

HRESULT GfxEffect::End()
{
    const GfxCheck check = Check("ID3DXEffect::End", !begun_);
    if (check.Ok()) {
        if (inPass_) {
            device_->SetActivePass(nullptr, 0);
        }
        inPass_ = false;
        begun_ = false;
    }
    return GFX_RESULT(check);
}

HRESULT GfxEffect::OnLostDevice()
{
    const GfxCheck check(CallRecorder(), "ID3DXEffect::OnLostDevice", false);
    return GFX_RESULT(check);
}
