#include "platform/gfx/internal/effect.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>


namespace {

const char* const kVertexInputs[] = {"inPosition", "inNormal", "inColor", "inTexCoord"};

std::string Trim(const std::string& s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])) != 0) {
        ++b;
    }
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])) != 0) {
        --e;
    }
    return s.substr(b, e - b);
}

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) {
        words.push_back(w);
    }
    return words;
}

bool IsIdentifier(const std::string& s)
{
    if (s.empty() || (std::isalpha(static_cast<unsigned char>(s[0])) == 0 && s[0] != '_')) {
        return false;
    }
    for (char c : s) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_') {
            return false;
        }
    }
    return s.rfind("gl_", 0) != 0 && s.rfind("gfx_", 0) != 0;
}

bool ParseNumber(const std::string& s, float* out)
{
    char* end = nullptr;
    const float v = std::strtof(s.c_str(), &end);
    if (s.empty() || end != s.c_str() + s.size() || v != v) {
        return false;
    }
    *out = v;
    return true;
}

class Parser {
public:
    Parser(const std::string& text, const std::string& file, GfxEffectDesc* out) : file_(file), out_(out)
    {
        std::string line;
        std::istringstream in(text);
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines_.push_back(line);
        }
    }

    bool Run(std::string* error)
    {
        for (index_ = 0; index_ < lines_.size(); ++index_) {
            const std::vector<std::string> w = Words(lines_[index_]);
            if (w.empty() || w[0][0] == '#') {
                continue;
            }
            bool ok = false;
            if (w[0] == "float" || w[0] == "vector" || w[0] == "matrix" || w[0] == "texture") {
                ok = Param(w);
            } else if (w[0] == "vertex" || w[0] == "fragment") {
                ok = Shader(w);
            } else if (w[0] == "technique") {
                ok = Technique(w);
            } else {
                ok = Fail("unknown word '" + w[0] + "' (expected float, vector, matrix, texture, vertex, "
                                                     "fragment or technique)");
            }
            if (!ok) {
                *error = error_;
                return false;
            }
        }
        if (out_->techniques.empty()) {
            index_ = lines_.empty() ? 0 : lines_.size() - 1;
            Fail("the effect has no technique");
            *error = error_;
            return false;
        }
        return true;
    }

private:
    int Line() const { return static_cast<int>(index_) + 1; }

    bool Fail(const std::string& message)
    {
        error_ = file_ + ":" + std::to_string(Line()) + ": " + message;
        return false;
    }

    bool NameTaken(const std::string& name) const
    {
        for (const auto& p : out_->params) {
            if (p.name == name) {
                return true;
            }
        }
        for (const auto& s : out_->shaders) {
            if (s.name == name) {
                return true;
            }
        }
        for (const char* input : kVertexInputs) {
            if (name == input) {
                return true;
            }
        }
        return false;
    }

    bool Param(const std::vector<std::string>& w)
    {
        if (w.size() < 2 || !IsIdentifier(w[1])) {
            return Fail("'" + w[0] + "' needs a name");
        }
        if (NameTaken(w[1])) {
            return Fail("the name '" + w[1] + "' is already used");
        }
        GfxEffectParam p;
        p.name = w[1];
        if (w[0] == "texture") {
            p.type = GfxParamType::Texture;
            for (std::size_t i = 2; i < w.size(); ++i) {
                if (w[i] == "point" || w[i] == "linear") {
                    p.linear = w[i] == "linear";
                } else if (w[i] == "wrap" || w[i] == "clamp") {
                    p.wrap = w[i] == "wrap";
                } else {
                    return Fail("unknown texture option '" + w[i] + "' (point, linear, wrap or clamp)");
                }
            }
            out_->params.push_back(std::move(p));
            return true;
        }
        std::size_t count = 1;
        if (w[0] == "vector") {
            p.type = GfxParamType::Vector;
            count = 4;
        } else if (w[0] == "matrix") {
            p.type = GfxParamType::Matrix;
            count = 16;
            p.value[0] = p.value[5] = p.value[10] = p.value[15] = 1.0f;
        }
        if (w.size() > 2) {
            if (w[2] != "=" || w.size() != 3 + count) {
                return Fail("'" + w[0] + " " + w[1] + "' takes '=' and " + std::to_string(count) +
                            (count == 1 ? " number" : " numbers"));
            }
            for (std::size_t i = 0; i < count; ++i) {
                if (!ParseNumber(w[3 + i], &p.value[i])) {
                    return Fail("'" + w[3 + i] + "' is not a number");
                }
            }
        }
        out_->params.push_back(std::move(p));
        return true;
    }

    bool Shader(const std::vector<std::string>& w)
    {
        if (w.size() != 2 || !IsIdentifier(w[1])) {
            return Fail("'" + w[0] + "' needs one name, then the GLSL code on the following lines, then 'end'");
        }
        if (NameTaken(w[1])) {
            return Fail("the name '" + w[1] + "' is already used");
        }
        GfxEffectShader s;
        s.name = w[1];
        s.vertex = w[0] == "vertex";
        s.firstLine = Line() + 1;
        const std::size_t start = index_;
        for (++index_; index_ < lines_.size(); ++index_) {
            if (Trim(lines_[index_]) == "end") {
                out_->shaders.push_back(std::move(s));
                return true;
            }
            s.source += lines_[index_];
            s.source += '\n';
        }
        index_ = start;
        return Fail(w[0] + " shader '" + w[1] + "' has no 'end' line");
    }

    int FindShader(const std::string& name, bool vertex) const
    {
        for (std::size_t i = 0; i < out_->shaders.size(); ++i) {
            if (out_->shaders[i].name == name && out_->shaders[i].vertex == vertex) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    bool Focus(const std::vector<std::string>& p, GfxEffectPass* pass)
    {
        for (int k = 0; k < 2; ++k) {
            int& index = k == 0 ? pass->focusX : pass->focusY;
            for (std::size_t i = 0; i < out_->params.size(); ++i) {
                if (out_->params[i].name == p[4 + k] && out_->params[i].type == GfxParamType::Float) {
                    index = static_cast<int>(i);
                }
            }
            if (index < 0) {
                return Fail("the focus needs a float parameter named '" + p[4 + k] + "' above this line");
            }
        }
        char* end = nullptr;
        pass->focusRadius = std::strtof(p[6].c_str(), &end);
        if (end == p[6].c_str() || *end != '\0' || !(pass->focusRadius > 0.0f) || pass->focusRadius > 1e6f) {
            pass->focusX = pass->focusY = -1;
            return Fail("the focus radius '" + p[6] + "' is not a positive number");
        }
        return true;
    }

    bool Technique(const std::vector<std::string>& w)
    {
        if (w.size() != 2 || !IsIdentifier(w[1])) {
            return Fail("'technique' needs one name");
        }
        for (const auto& t : out_->techniques) {
            if (t.name == w[1]) {
                return Fail("technique '" + w[1] + "' is defined twice");
            }
        }
        GfxEffectTechnique t;
        t.name = w[1];
        const std::size_t start = index_;
        for (++index_; index_ < lines_.size(); ++index_) {
            const std::vector<std::string> p = Words(lines_[index_]);
            if (p.empty() || p[0][0] == '#') {
                continue;
            }
            if (p[0] == "end" && p.size() == 1) {
                if (t.passes.empty()) {
                    return Fail("technique '" + t.name + "' has no pass");
                }
                out_->techniques.push_back(std::move(t));
                return true;
            }
            if (p[0] != "pass" || (p.size() != 3 && (p.size() != 7 || p[3] != "focus"))) {
                return Fail("expected 'pass <vertex shader> <fragment shader> [focus <x> <y> <radius>]' or 'end'");
            }
            GfxEffectPass pass;
            pass.vertexShader = FindShader(p[1], true);
            pass.fragmentShader = FindShader(p[2], false);
            pass.line = Line();
            if (pass.vertexShader < 0) {
                return Fail("no vertex shader named '" + p[1] + "' above this line");
            }
            if (pass.fragmentShader < 0) {
                return Fail("no fragment shader named '" + p[2] + "' above this line");
            }
            if (p.size() == 7 && !Focus(p, &pass)) {
                return false;
            }
            t.passes.push_back(std::move(pass));
        }
        index_ = start;
        return Fail("technique '" + t.name + "' has no 'end' line");
    }

    std::string file_;
    GfxEffectDesc* out_;
    std::vector<std::string> lines_;
    std::size_t index_ = 0;
    std::string error_;
};

const char* GlslType(GfxParamType type)
{
    switch (type) {
    case GfxParamType::Float: return "float";
    case GfxParamType::Vector: return "vec4";
    case GfxParamType::Matrix: return "mat4";
    case GfxParamType::Texture: return "sampler2D";
    }
    return "float";
}

}  // namespace

bool GfxParseEffect(const std::string& text, const std::string& fileName, GfxEffectDesc* out, std::string* error)
{
    *out = GfxEffectDesc{};
    Parser parser(text, fileName, out);
    return parser.Run(error);
}

std::string GfxShaderSource(const GfxEffectDesc& desc, const GfxEffectShader& shader, bool depthToGl,
                            bool outsideFocus)
{
    std::string s = "#version 330 core\n";
    if (outsideFocus) {
        s += "#define GFX_OUTSIDE_FOCUS 1\n";
    }
    if (shader.vertex) {
        s += "layout(location = 0) in vec3 inPosition;\n"
             "layout(location = 1) in vec3 inNormal;\n"
             "layout(location = 2) in vec4 inColor;\n"
             "layout(location = 3) in vec2 inTexCoord;\n";
    }
    for (const auto& p : desc.params) {
        s += "uniform ";
        s += GlslType(p.type);
        s += ' ';
        s += p.name;
        s += ";\n";
    }
    if (shader.vertex) {
        s += "#define main gfx_user_main\n";
    }
    s += "#line " + std::to_string(shader.firstLine) + "\n";
    s += shader.source;
    if (shader.vertex) {
        // Targets keep the picture's top row first, so clip-space y is mirrored here.
        s += "#undef main\nvoid main()\n{\n    gfx_user_main();\n    gl_Position.y = -gl_Position.y;\n";
        if (depthToGl) {
            s += "    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n";
        }
        s += "}\n";
    }
    return s;
}

// ---- the effect object ----

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
    if (recorder_ != nullptr) {
        recorder_->ObjectDestroyed();
    }
}

void GfxEffect::DropGpu()
{
    if (device_ != nullptr) {
        device_->DropEffect(desc_);
    }
    for (auto& t : desc_.techniques) {
        for (auto& pass : t.passes) {
            pass.program = 0;
            pass.outsideProgram = 0;
        }
    }
}

ULONG GfxEffect::AddRef() { return ++refs_; }

ULONG GfxEffect::Release()
{
    const ULONG left = --refs_;
    if (LastRelease("ID3DXEffect::Release", this, left)) {
        delete this;
    }
    return left;
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

HRESULT GfxEffect::GetValue(const char* call, D3DXHANDLE handle, GfxParamType type, float* values, int count)
{
    (void)call;
    GfxEffectParam* p = FindParam(handle);
    if (p == nullptr || p->type != type || values == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::memcpy(values, p->value, sizeof(float) * static_cast<std::size_t>(count));
    return S_OK;
}

HRESULT GfxEffect::SetFloat(D3DXHANDLE hParameter, float f)
{
    return SetValue("ID3DXEffect::SetFloat", hParameter, GfxParamType::Float, &f, 1);
}

HRESULT GfxEffect::GetFloat(D3DXHANDLE hParameter, float* pf)
{
    return GetValue("ID3DXEffect::GetFloat", hParameter, GfxParamType::Float, pf, 1);
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

HRESULT GfxEffect::GetVector(D3DXHANDLE hParameter, D3DXVECTOR4* pVector)
{
    float v[4];
    if (pVector == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const HRESULT hr = GetValue("ID3DXEffect::GetVector", hParameter, GfxParamType::Vector, v, 4);
    if (SUCCEEDED(hr)) {
        *pVector = D3DXVECTOR4(v[0], v[1], v[2], v[3]);
    }
    return hr;
}

HRESULT GfxEffect::SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix)
{
    return SetValue("ID3DXEffect::SetMatrix", hParameter, GfxParamType::Matrix,
                    pMatrix != nullptr ? &pMatrix->m[0][0] : nullptr, 16);
}

HRESULT GfxEffect::GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix)
{
    if (pMatrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return GetValue("ID3DXEffect::GetMatrix", hParameter, GfxParamType::Matrix, &pMatrix->m[0][0], 16);
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

HRESULT GfxEffect::GetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9** ppTexture)
{
    GfxEffectParam* p = FindParam(hParameter);
    if (p == nullptr || p->type != GfxParamType::Texture || ppTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (p->texture != nullptr) {
        p->texture->AddRef();
    }
    *ppTexture = p->texture;
    return S_OK;
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

HRESULT GfxEffect::OnResetDevice()
{
    static constexpr const char* kName = "ID3DXEffect::OnResetDevice";
    const HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    GFX_RECORD(CallRecorder(), kName, hr);
    return hr;
}
