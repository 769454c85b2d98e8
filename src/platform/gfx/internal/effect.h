#pragma once

// Private to the graphics layer: effect files (format in src/platform/gfx/effect_format.md) and the effect
// object made from them.

#include <string>
#include <vector>

#include "platform/gfx/internal/device.h"
#include "platform/gfx/internal/gl_dialect.h"

enum class GfxParamType { Float, Vector, Matrix, Texture };

struct GfxEffectParam {
    std::string name;
    GfxParamType type = GfxParamType::Float;
    float value[16] = {};
    GfxTexture* texture = nullptr;  // one reference held
    bool linear = true;
    bool wrap = true;
};

struct GfxEffectShader {
    std::string name;
    bool vertex = true;
    std::string source;
    int firstLine = 0;  // file line of the first source line
};

struct GfxEffectPass {
    int vertexShader = -1;  // indices into the shaders
    int fragmentShader = -1;
    int line = 0;
    // `focus X Y RADIUS`: the fragment shader's full work is needed only within RADIUS (in
    // half view heights) of the point held by float parameters X and Y (-1..1, x rightwards,
    // y downwards). Elsewhere the same shader built with GFX_OUTSIDE_FOCUS defined draws.
    int focusX = -1, focusY = -1;  // parameter indices; -1 without a focus
    float focusRadius = 0.0f;
    // `reach MATRIX MARGIN` after it: the vertex shader puts each vertex within MARGIN (on each
    // axis, in the vertex's own units) of its position times MATRIX, so each part of a focused
    // triangle list is drawn with only the triangles that can reach it.
    int reachMatrix = -1;  // parameter index; -1 without
    float reachMargin = 0.0f;
    // The pass's program, then the one outside its focus (0 without a focus), each with its
    // location of every parameter (-1 where the program does not read it).
    unsigned programs[2] = {};
    std::vector<int> locations[2];
};

struct GfxEffectTechnique {
    std::string name;
    std::vector<GfxEffectPass> passes;
};

struct GfxEffectDesc {
    std::vector<GfxEffectParam> params;
    std::vector<GfxEffectShader> shaders;
    std::vector<GfxEffectTechnique> techniques;
};

// Parses an effect file's text. On failure returns false with "file:line: message".
bool GfxParseEffect(const std::string& text, const std::string& fileName, GfxEffectDesc* out, std::string* error);

// The complete GLSL source of one shader in the dialect: the version line, the vertex inputs,
// a uniform per parameter, then the file's code under its own line numbers. Vertex shaders
// get a main that flips y for our top-row-first targets and, with `depthToGl`, maps
// Direct3D's 0..1 depth to GL's -1..1. `outsideFocus` defines GFX_OUTSIDE_FOCUS.
std::string GfxShaderSource(const GfxEffectDesc& desc, const GfxEffectShader& shader, bool depthToGl,
                            bool outsideFocus = false, GlslDialect dialect = kGlslDialect);

class GfxEffect final : public ID3DXEffect, public GfxChild {
public:
    explicit GfxEffect(GfxEffectDesc desc) : desc_(std::move(desc)) {}
    ~GfxEffect() override;

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return Unref("ID3DXEffect::Release"); }
    D3DXHANDLE GetParameterByName(D3DXHANDLE hParameter, const char* pName) override;
    D3DXHANDLE GetTechniqueByName(const char* pName) override;
    HRESULT SetFloat(D3DXHANDLE hParameter, float f) override;
    HRESULT SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) override;
    HRESULT SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) override;
    HRESULT SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9* pTexture) override;
    HRESULT SetTechnique(D3DXHANDLE hTechnique) override;
    D3DXHANDLE GetCurrentTechnique() override { return desc_.techniques[technique_].name.c_str(); }
    HRESULT Begin(UINT* pPasses, DWORD Flags) override;
    HRESULT BeginPass(UINT Pass) override;
    HRESULT CommitChanges() override;
    HRESULT EndPass() override;
    HRESULT End() override;
    HRESULT OnLostDevice() override;
    void DropGpu() override;

    GfxEffectDesc& Desc() { return desc_; }
    const GfxEffectPass& Pass(UINT index) const { return desc_.techniques[technique_].passes[index]; }

private:
    GfxEffectParam* FindParam(D3DXHANDLE handle);
    HRESULT SetValue(const char* call, D3DXHANDLE handle, GfxParamType type, const float* values, int count);

    GfxEffectDesc desc_;
    UINT technique_ = 0;
    bool begun_ = false;
    bool inPass_ = false;
};
