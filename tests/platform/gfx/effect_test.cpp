#include <cstring>
#include <stdexcept>

#include <gtest/gtest.h>

#include "gfx_test_util.h"
#include "platform/gfx/internal/effect.h"
#include "platform/gfx/recording.h"

namespace {

const char* const kEffect = R"(# a small effect
float MagicValue = 0.25
vector LightPosition = 1 2 3 4
matrix mWorldViewProjection
texture RenderTargetTexture linear clamp

vertex WorldVs
out vec2 uv;
void main()
{
    uv = inTexCoord;
    gl_Position = mWorldViewProjection * vec4(inPosition, 1.0);
}
end

fragment WorldFs
in vec2 uv;
out vec4 color;
void main() { color = texture(RenderTargetTexture, uv) * MagicValue; }
end

technique WorldLighting
    pass WorldVs WorldFs
end
technique TwoPasses
    pass WorldVs WorldFs
    # a comment between passes
    pass WorldVs WorldFs
end
)";

TEST(EffectParser, ReadsParametersShadersAndTechniques)
{
    GfxEffectDesc desc;
    std::string error;
    ASSERT_TRUE(GfxParseEffect(kEffect, "my.fx", &desc, &error)) << error;
    ASSERT_EQ(desc.params.size(), 4u);
    EXPECT_EQ(desc.params[0].name, "MagicValue");
    EXPECT_EQ(desc.params[0].type, GfxParamType::Float);
    EXPECT_FLOAT_EQ(desc.params[0].value[0], 0.25f);
    EXPECT_EQ(desc.params[1].type, GfxParamType::Vector);
    EXPECT_FLOAT_EQ(desc.params[1].value[3], 4.0f);
    EXPECT_EQ(desc.params[2].type, GfxParamType::Matrix);
    EXPECT_FLOAT_EQ(desc.params[2].value[0], 1.0f);  // identity by default
    EXPECT_FLOAT_EQ(desc.params[2].value[1], 0.0f);
    EXPECT_FLOAT_EQ(desc.params[2].value[15], 1.0f);
    EXPECT_EQ(desc.params[3].type, GfxParamType::Texture);
    EXPECT_TRUE(desc.params[3].linear);
    EXPECT_FALSE(desc.params[3].wrap);
    ASSERT_EQ(desc.shaders.size(), 2u);
    EXPECT_TRUE(desc.shaders[0].vertex);
    EXPECT_FALSE(desc.shaders[1].vertex);
    EXPECT_EQ(desc.shaders[0].firstLine, 8);
    EXPECT_NE(desc.shaders[0].source.find("uv = inTexCoord;"), std::string::npos);
    EXPECT_EQ(desc.shaders[0].source.find("end"), std::string::npos);
    ASSERT_EQ(desc.techniques.size(), 2u);
    EXPECT_EQ(desc.techniques[0].name, "WorldLighting");
    EXPECT_EQ(desc.techniques[1].passes.size(), 2u);
    EXPECT_EQ(desc.techniques[1].passes[1].vertexShader, 0);
    EXPECT_EQ(desc.techniques[1].passes[1].fragmentShader, 1);
}

TEST(EffectParser, AFocusMayNameTheMatrixThatPlacesItsVertices)
{
    const std::string text =
        "float X\nmatrix M\nvertex V\nend\nfragment F\nend\ntechnique T\n"
        "pass V F focus X X 0.5\npass V F focus X X 0.5 reach M 0.25\nend\n";
    GfxEffectDesc desc;
    std::string error;
    ASSERT_TRUE(GfxParseEffect(text, "f.fx", &desc, &error)) << error;
    const std::vector<GfxEffectPass>& passes = desc.techniques[0].passes;
    EXPECT_EQ(passes[0].reachMatrix, -1);
    EXPECT_EQ(passes[1].focusX, 0);
    EXPECT_FLOAT_EQ(passes[1].focusRadius, 0.5f);
    EXPECT_EQ(passes[1].reachMatrix, 1);
    EXPECT_FLOAT_EQ(passes[1].reachMargin, 0.25f);
}

TEST(EffectParser, ErrorsNameTheFileAndLine)
{
    struct Case {
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"float A\nbogus line\n", "f.fx:2: unknown word 'bogus'"},
        {"float A = x\n", "f.fx:1: 'x' is not a number"},
        {"vector V = 1 2 3\n", "f.fx:1: 'vector V' takes '=' and 4 numbers"},
        {"float A\nfloat A\n", "f.fx:2: the name 'A' is already used"},
        {"float inPosition\n", "f.fx:1: the name 'inPosition' is already used"},
        {"texture T blurry\n", "f.fx:1: unknown texture option 'blurry'"},
        {"\n\nvertex V\nvoid main(){}\n", "f.fx:3: vertex shader 'V' has no 'end' line"},
        {"vertex V\nend\ntechnique T\npass V Missing\nend\n", "f.fx:4: no fragment shader named 'Missing'"},
        {"vertex V\nend\nfragment F\nend\ntechnique T\nend\n", "f.fx:6: technique 'T' has no pass"},
        {"vertex V\nend\nfragment F\nend\ntechnique T\npass F V\nend\n", "f.fx:6: no vertex shader named 'F'"},
        {"float A\n", "f.fx:1: the effect has no technique"},
        {"float 9lives\n", "f.fx:1: 'float' needs a name"},
        {"float gl_Thing\n", "f.fx:1: 'float' needs a name"},
        {"vertex V\nend\nfragment F\nend\ntechnique T\npass V F\nend\ntechnique T\npass V F\nend\n",
         "f.fx:8: technique 'T' is defined twice"},
        {"float X\nvertex V\nend\nfragment F\nend\ntechnique T\npass V F focus X Y 1\nend\n",
         "f.fx:7: the focus needs a float parameter named 'Y'"},
        {"float X\nvector Y\nvertex V\nend\nfragment F\nend\ntechnique T\npass V F focus X Y 1\nend\n",
         "f.fx:8: the focus needs a float parameter named 'Y'"},
        {"float X\nvertex V\nend\nfragment F\nend\ntechnique T\npass V F focus X X 0\nend\n",
         "f.fx:7: the focus radius '0' is not a positive number"},
        {"float X\nvertex V\nend\nfragment F\nend\ntechnique T\npass V F focus X X 1x\nend\n",
         "f.fx:7: the focus radius '1x' is not a positive number"},
        {"float X\nvertex V\nend\nfragment F\nend\ntechnique T\npass V F near X X 1\nend\n",
         "f.fx:7: expected 'pass <vertex shader> <fragment shader> [focus"},
        {"float X\nvertex V\nend\nfragment F\nend\ntechnique T\npass V F focus X X 1 reach X 1\nend\n",
         "f.fx:7: the reach needs a matrix parameter named 'X'"},
        {"float X\nmatrix M\nvertex V\nend\nfragment F\nend\ntechnique T\npass V F focus X X 1 reach M -1\nend\n",
         "f.fx:8: the reach margin '-1' is not a number of 0 or more"},
        {"float X\nmatrix M\nvertex V\nend\nfragment F\nend\ntechnique T\npass V F focus X X 1 near M 1\nend\n",
         "f.fx:8: expected 'pass <vertex shader> <fragment shader> [focus"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        GfxEffectDesc desc;
        std::string error;
        EXPECT_FALSE(GfxParseEffect(c.text, "f.fx", &desc, &error));
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << error;
    }
}

TEST(EffectParser, ShaderSourceDeclaresInputsUniformsAndKeepsFileLines)
{
    GfxEffectDesc desc;
    std::string error;
    ASSERT_TRUE(GfxParseEffect(kEffect, "my.fx", &desc, &error)) << error;
    const std::string vs = GfxShaderSource(desc, desc.shaders[0], true);
    EXPECT_EQ(vs.rfind("#version 330 core\n", 0), 0u);
    EXPECT_NE(vs.find("layout(location = 2) in vec4 inColor;"), std::string::npos);
    EXPECT_NE(vs.find("uniform mat4 mWorldViewProjection;"), std::string::npos);
    EXPECT_NE(vs.find("uniform sampler2D RenderTargetTexture;"), std::string::npos);
    EXPECT_NE(vs.find("#line 8\n"), std::string::npos);
    EXPECT_NE(vs.find("gl_Position.y = -gl_Position.y;"), std::string::npos);
    EXPECT_NE(vs.find("gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;"), std::string::npos);
    EXPECT_EQ(GfxShaderSource(desc, desc.shaders[0], false).find("2.0 * gl_Position.z"), std::string::npos);
    const std::string fs = GfxShaderSource(desc, desc.shaders[1], true);
    EXPECT_EQ(fs.find("inColor"), std::string::npos);
    EXPECT_EQ(fs.find("gfx_user_main"), std::string::npos);
    EXPECT_NE(fs.find("uniform float MagicValue;"), std::string::npos);
}

class RecordedEffect : public ::testing::Test {
protected:
    void SetUp() override
    {
        device = GfxCreateRecordingDevice(&recorder);
        path = WriteFile(ScratchFolder() / "my.fx", kEffect);
        ASSERT_EQ(D3DXCreateEffectFromFileW(device, path.c_str(), nullptr, nullptr, D3DXFX_NOT_CLONEABLE, nullptr,
                                            &effect, nullptr),
                  S_OK);
    }
    void TearDown() override
    {
        effect->Release();
        device->Release();
        EXPECT_EQ(recorder.LiveObjects(), 0);
    }
    // The parameter as the effect holds it.
    const GfxEffectParam& Param(const char* name)
    {
        for (const GfxEffectParam& p : dynamic_cast<GfxEffect*>(effect)->Desc().params) {
            if (p.name == name) {
                return p;
            }
        }
        throw std::runtime_error(name);
    }

    GfxRecorder recorder;
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    std::string path;
};

TEST_F(RecordedEffect, ParametersWorkByNameAndByHandle)
{
    D3DXHANDLE magic = effect->GetParameterByName(nullptr, "MagicValue");
    ASSERT_NE(magic, nullptr);
    EXPECT_EQ(effect->GetParameterByName(nullptr, "Missing"), nullptr);
    EXPECT_EQ(effect->GetParameterByName(magic, "MagicValue"), nullptr);  // no nested parameters
    EXPECT_FLOAT_EQ(Param("MagicValue").value[0], 0.25f);
    ASSERT_EQ(effect->SetFloat("MagicValue", 0.059328f), S_OK);
    EXPECT_FLOAT_EQ(Param("MagicValue").value[0], 0.059328f);
    // An unknown name, a wrong type and a null pointer are invalid calls.
    EXPECT_EQ(effect->SetFloat("Missing", 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetFloat(nullptr, 1.0f), D3DERR_INVALIDCALL);
    const D3DXVECTOR4 v(0.0f, 1.0f, 2.0f, 3.0f);
    EXPECT_EQ(effect->SetVector("MagicValue", &v), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetVector("LightPosition", nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(effect->SetVector("LightPosition", &v), S_OK);
    EXPECT_FLOAT_EQ(Param("LightPosition").value[3], 3.0f);
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._43 = 5.0f;
    ASSERT_EQ(effect->SetMatrix(effect->GetParameterByName(nullptr, "mWorldViewProjection"), &m), S_OK);
    EXPECT_FLOAT_EQ(Param("mWorldViewProjection").value[14], 5.0f);
    EXPECT_FLOAT_EQ(recorder.Find("SetMatrix").back()->matrix[14], 5.0f);
    // The recorder logs parameters by name whichever way they were given.
    const auto sets = recorder.Find("SetFloat");
    ASSERT_GE(sets.size(), 1u);
    EXPECT_EQ(sets[0]->Text(0), "MagicValue");
    EXPECT_FLOAT_EQ(sets[0]->Float(1), 0.059328f);
    EXPECT_EQ(recorder.Find("SetVector").back()->ToString(), "SetVector(\"LightPosition\", 0, 1, 2, 3)");
}

TEST_F(RecordedEffect, TexturesAreHeldUntilReplaced)
{
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), S_OK);
    ASSERT_EQ(effect->SetTexture("RenderTargetTexture", tex), S_OK);
    EXPECT_EQ(effect->SetTexture("MagicValue", tex), D3DERR_INVALIDCALL);
    const int live = recorder.LiveObjects();
    EXPECT_EQ(tex->Release(), 1u);  // the effect keeps it
    EXPECT_EQ(recorder.LiveObjects(), live);
    EXPECT_EQ(static_cast<IDirect3DTexture9*>(Param("RenderTargetTexture").texture), tex);
    ASSERT_EQ(effect->SetTexture("RenderTargetTexture", nullptr), S_OK);
    EXPECT_EQ(recorder.LiveObjects(), live - 1);
}

TEST_F(RecordedEffect, TechniquesAndPassesFollowTheirOrder)
{
    EXPECT_EQ(effect->GetTechniqueByName("Missing"), nullptr);
    EXPECT_EQ(effect->SetTechnique("Missing"), D3DERR_INVALIDCALL);
    D3DXHANDLE two = effect->GetTechniqueByName("TwoPasses");
    ASSERT_NE(two, nullptr);
    ASSERT_EQ(effect->SetTechnique(two), S_OK);
    EXPECT_STREQ(effect->GetCurrentTechnique(), "TwoPasses");
    EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL);  // before Begin
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), S_OK);
    EXPECT_EQ(passes, 2u);
    EXPECT_EQ(effect->Begin(&passes, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetTechnique("WorldLighting"), D3DERR_INVALIDCALL);  // not while begun
    EXPECT_EQ(effect->BeginPass(2), D3DERR_INVALIDCALL);
    ASSERT_EQ(effect->BeginPass(1), S_OK);
    EXPECT_EQ(effect->BeginPass(0), D3DERR_INVALIDCALL);  // a pass is active
    EXPECT_EQ(effect->CommitChanges(), S_OK);
    ASSERT_EQ(effect->EndPass(), S_OK);
    EXPECT_EQ(effect->EndPass(), D3DERR_INVALIDCALL);
    ASSERT_EQ(effect->End(), S_OK);
    EXPECT_EQ(effect->End(), D3DERR_INVALIDCALL);
    ASSERT_EQ(effect->SetTechnique("WorldLighting"), S_OK);
    ASSERT_EQ(effect->Begin(&passes, 0), S_OK);
    EXPECT_EQ(passes, 1u);
    EXPECT_EQ(effect->End(), S_OK);
    EXPECT_EQ(effect->OnLostDevice(), S_OK);
}

TEST(RecordedEffectFiles, BadFilesFailWithAMessage)
{
    GfxRecorder recorder;
    IDirect3DDevice9* device = GfxCreateRecordingDevice(&recorder);
    const std::string bad = WriteFile(ScratchFolder() / "bad.fx", "float A\nfloat A\n");
    ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(device);
    ID3DXBuffer* errors = nullptr;
    EXPECT_EQ(D3DXCreateEffectFromFileW(device, bad.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(effect, nullptr);
    ASSERT_NE(errors, nullptr);
    const std::string text(static_cast<const char*>(errors->GetBufferPointer()));
    EXPECT_NE(text.find("bad.fx:2: the name 'A' is already used"), std::string::npos) << text;
    EXPECT_EQ(errors->GetBufferSize(), text.size() + 1);
    errors->Release();
    EXPECT_EQ(D3DXCreateEffectFromFileW(device, (ScratchFolder() / "none.fx").string().c_str(), nullptr, nullptr, 0,
                                        nullptr, &effect, nullptr),
              D3DERR_NOTFOUND);
    device->Release();
}

}  // namespace
