// The shaders as WebGL2 reads them, checked on this machine: Mesa's GLSL ES 3.00 compiler is as
// strict as the browsers' about precisions, qualifiers and int-to-float conversions.

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/gfx/internal/effect.h"
#include "platform/gfx/internal/gl_dialect.h"
#include "platform/gfx/internal/gl_shared.h"

namespace {

TEST(GlDialect, DropsNoperspectiveOnlyAsAWordAndOnlyForEs)
{
    const struct {
        const char* code;
        const char* es;
    } cases[] = {
        {"noperspective out vec2 uv;", " out vec2 uv;"},
        {"flat out vec4 c;\nnoperspective in vec3 n;", "flat out vec4 c;\n in vec3 n;"},
        {"float mynoperspective = 1.0;", "float mynoperspective = 1.0;"},
        {"vec2 noperspective_uv;", "vec2 noperspective_uv;"},
        {"noperspective", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GlslBody(GlslDialect::Es300, c.code), c.es) << c.code;
        EXPECT_EQ(GlslBody(GlslDialect::Core330, c.code), c.code);
    }
}

TEST(GlDialect, TurnsBgraPixelsToRgbaWithOpaqueAlphaWhenAsked)
{
    const std::uint8_t bgra[8] = {1, 2, 3, 4, 250, 251, 252, 0};
    std::uint8_t rgba[8] = {};
    GlBgraToRgba(bgra, 2, false, rgba);
    EXPECT_EQ(std::string(rgba, rgba + 8), std::string({3, 2, 1, 4, char(252), char(251), char(250), 0}));
    GlBgraToRgba(bgra, 2, true, rgba);
    EXPECT_EQ(rgba[3], 255);
    EXPECT_EQ(rgba[7], 255);
    GlRgbaToBgraInPlace(rgba, 2);
    EXPECT_EQ(std::string(rgba, rgba + 3), std::string({1, 2, 3}));
    EXPECT_EQ(rgba[4], 250);
}

class EsShaders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
        window_ = SDL_CreateWindow("es", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        context_ = SDL_GL_CreateContext(window_);
        ASSERT_NE(context_, nullptr) << "no OpenGL ES 3.0 context: " << SDL_GetError();
        ASSERT_TRUE(epoxy_is_desktop_gl() == 0);
    }
    void TearDown() override
    {
        if (context_ != nullptr) {
            SDL_GL_DeleteContext(context_);
        }
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
        }
        SDL_GL_ResetAttributes();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    // Empty when the program links; else what GL said.
    static std::string Link(const std::string& vertex, const std::string& fragment)
    {
        std::string log;
        const GLuint program = glCreateProgram();
        for (const auto& [kind, source] :
             {std::pair{GL_VERTEX_SHADER, vertex}, std::pair{GL_FRAGMENT_SHADER, fragment}}) {
            const GLuint shader = glCreateShader(kind);
            const char* text = source.c_str();
            glShaderSource(shader, 1, &text, nullptr);
            glCompileShader(shader);
            GLint ok = GL_FALSE;
            glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
            if (ok != GL_TRUE) {
                char buffer[2048] = {};
                glGetShaderInfoLog(shader, sizeof buffer, nullptr, buffer);
                log += std::string(kind == GL_VERTEX_SHADER ? "vertex: " : "fragment: ") + buffer;
            }
            glAttachShader(program, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (log.empty() && linked != GL_TRUE) {
            char buffer[2048] = {};
            glGetProgramInfoLog(program, sizeof buffer, nullptr, buffer);
            log = std::string("link: ") + buffer;
        }
        glDeleteProgram(program);
        return log;
    }
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};

TEST_F(EsShaders, TheGamesEffectBuildsInEveryPassAndFocusVariant)
{
    std::ifstream in(std::string(TARNWICK_SOURCE_DIR) + "/data/myshader.fx");
    std::stringstream text;
    text << in.rdbuf();
    GfxEffectDesc desc;
    std::string error;
    ASSERT_TRUE(GfxParseEffect(text.str(), "myshader.fx", &desc, &error)) << error;
    int built = 0;
    for (const auto& technique : desc.techniques) {
        for (const auto& pass : technique.passes) {
            for (bool outside : {false, true}) {
                const std::string vs =
                    GfxShaderSource(desc, desc.shaders[pass.vertexShader], true, false, GlslDialect::Es300);
                const std::string fs =
                    GfxShaderSource(desc, desc.shaders[pass.fragmentShader], true, outside, GlslDialect::Es300);
                EXPECT_EQ(Link(vs, fs), "") << technique.name << (outside ? " outside its focus" : "");
                ++built;
            }
        }
    }
    EXPECT_GE(built, 2);
}

TEST_F(EsShaders, TheFixedFunctionProgramsBuild)
{
    const std::string vertex = GlslHead(GlslDialect::Es300) + GlslColorInput(GlslDialect::Es300) + kFixedVertex +
                               "    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n}\n";
    const std::string general = GlslHead(GlslDialect::Es300) + kFixedOpsUniform + kFixedFragment;
    const std::string constant = GlslHead(GlslDialect::Es300) + "const int uOps[6] = int[6](4, 2, 0, 2, 2, 0);\n" +
                                 "const int uHasTexture = 1;\n" + kFixedFragment;
    EXPECT_EQ(Link(vertex, general), "");
    EXPECT_EQ(Link(vertex, constant), "");
    // The check itself can fail: the desktop dialect is not ES.
    EXPECT_NE(
        Link(GlslHead(GlslDialect::Core330) + GlslColorInput(GlslDialect::Core330) + kFixedVertex + "}\n", general),
        "");
}

}  // namespace
