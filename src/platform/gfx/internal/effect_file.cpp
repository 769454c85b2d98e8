// Effect files: the parser of the text format and the complete GLSL source made for each
// of their shaders.

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <sstream>

#include "platform/gfx/internal/effect.h"

namespace {

const char* const kVertexInputs[] = {"inPosition", "inNormal", "inColor", "inTexCoord"};

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The index of the first item `match` accepts, or -1.
template <class T, class Match>
int IndexOf(const std::vector<T>& items, Match match)
{
    const auto it = std::find_if(items.begin(), items.end(), match);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

bool IsIdentifier(const std::string& s)
{
    const auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; };
    return !s.empty() && std::isdigit(static_cast<unsigned char>(s[0])) == 0 && std::all_of(s.begin(), s.end(), word) &&
           s.rfind("gl_", 0) != 0 && s.rfind("gfx_", 0) != 0;
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
    Parser(const std::string& text, const std::string& file, GfxEffectDesc* out, std::string* error)
        : file_(file), out_(out), error_(error)
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

    bool Run()
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
                ok = Fail("unknown word '" + w[0] +
                          "' (expected float, vector, matrix, texture, vertex, "
                          "fragment or technique)");
            }
            if (!ok) {
                return false;
            }
        }
        index_ = lines_.empty() ? 0 : lines_.size() - 1;
        return !out_->techniques.empty() || Fail("the effect has no technique");
    }

private:
    int Line() const { return static_cast<int>(index_) + 1; }

    bool Fail(const std::string& message)
    {
        *error_ = file_ + ":" + std::to_string(Line()) + ": " + message;
        return false;
    }

    // False with the error when `name` is not free: a parameter, a shader or a vertex input has it.
    bool NameFree(const std::string& name)
    {
        const auto named = [&name](const auto& item) { return item.name == name; };
        const bool input =
            std::find(std::begin(kVertexInputs), std::end(kVertexInputs), name) != std::end(kVertexInputs);
        const bool taken = input || std::any_of(out_->params.begin(), out_->params.end(), named) ||
                           std::any_of(out_->shaders.begin(), out_->shaders.end(), named);
        return !taken || Fail("the name '" + name + "' is already used");
    }

    bool Param(const std::vector<std::string>& w)
    {
        if (w.size() < 2 || !IsIdentifier(w[1])) {
            return Fail("'" + w[0] + "' needs a name");
        }
        if (!NameFree(w[1])) {
            return false;
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
        const std::size_t count = w[0] == "vector" ? 4 : w[0] == "matrix" ? 16 : 1;
        p.type = count == 4 ? GfxParamType::Vector : count == 16 ? GfxParamType::Matrix : GfxParamType::Float;
        if (count == 16) {
            p.value[0] = p.value[5] = p.value[10] = p.value[15] = 1.0f;  // identity until set
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
        if (!NameFree(w[1])) {
            return false;
        }
        GfxEffectShader s;
        s.name = w[1];
        s.vertex = w[0] == "vertex";
        s.firstLine = Line() + 1;
        const std::size_t start = index_;
        for (++index_; index_ < lines_.size(); ++index_) {
            if (Words(lines_[index_]) == std::vector<std::string>{"end"}) {
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
        return IndexOf(out_->shaders, [&](const GfxEffectShader& s) { return s.name == name && s.vertex == vertex; });
    }

    bool Focus(const std::vector<std::string>& p, GfxEffectPass* pass)
    {
        for (int k = 0; k < 2; ++k) {
            int& index = k == 0 ? pass->focusX : pass->focusY;
            index = IndexOf(out_->params, [&](const GfxEffectParam& q) {
                return q.name == p[4 + k] && q.type == GfxParamType::Float;
            });
            if (index < 0) {
                return Fail("the focus needs a float parameter named '" + p[4 + k] + "' above this line");
            }
        }
        if (!ParseNumber(p[6], &pass->focusRadius) || !(pass->focusRadius > 0.0f) || pass->focusRadius > 1e6f) {
            pass->focusX = pass->focusY = -1;
            return Fail("the focus radius '" + p[6] + "' is not a positive number");
        }
        if (p.size() == 10) {
            pass->reachMatrix = IndexOf(out_->params, [&](const GfxEffectParam& q) {
                return q.name == p[8] && q.type == GfxParamType::Matrix;
            });
            if (pass->reachMatrix < 0) {
                return Fail("the reach needs a matrix parameter named '" + p[8] + "' above this line");
            }
            if (!ParseNumber(p[9], &pass->reachMargin) || !(pass->reachMargin >= 0.0f) || pass->reachMargin > 1e6f) {
                pass->reachMatrix = -1;
                return Fail("the reach margin '" + p[9] + "' is not a number of 0 or more");
            }
        }
        return true;
    }

    bool Technique(const std::vector<std::string>& w)
    {
        if (w.size() != 2 || !IsIdentifier(w[1])) {
            return Fail("'technique' needs one name");
        }
        const auto named = [&w](const GfxEffectTechnique& t) { return t.name == w[1]; };
        if (std::any_of(out_->techniques.begin(), out_->techniques.end(), named)) {
            return Fail("technique '" + w[1] + "' is defined twice");
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
            const bool focus = (p.size() == 7 || (p.size() == 10 && p[7] == "reach")) && p[3] == "focus";
            if (p[0] != "pass" || (p.size() != 3 && !focus)) {
                return Fail(
                    "expected 'pass <vertex shader> <fragment shader> [focus <x> <y> <radius> [reach <matrix> "
                    "<margin>]]' or 'end'");
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
            if (focus && !Focus(p, &pass)) {
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
    std::string* error_;
};

// Indexed by GfxParamType.
constexpr const char* kGlslTypes[] = {"float", "vec4", "mat4", "sampler2D"};

}  // namespace

bool GfxParseEffect(const std::string& text, const std::string& fileName, GfxEffectDesc* out, std::string* error)
{
    *out = GfxEffectDesc{};
    return Parser(text, fileName, out, error).Run();
}

std::string GfxShaderSource(const GfxEffectDesc& desc, const GfxEffectShader& shader, bool depthToGl, bool outsideFocus,
                            GlslDialect dialect)
{
    std::string s = GlslHead(dialect);
    if (outsideFocus) {
        s += "#define GFX_OUTSIDE_FOCUS 1\n";
    }
    if (shader.vertex) {
        s += "layout(location = 0) in vec3 inPosition;\n"
             "layout(location = 1) in vec3 inNormal;\n" +
             GlslColorInput(dialect) + "layout(location = 3) in vec2 inTexCoord;\n";
    }
    for (const auto& p : desc.params) {
        s += std::string("uniform ") + kGlslTypes[static_cast<int>(p.type)] + ' ' + p.name + ";\n";
    }
    if (shader.vertex) {
        s += "#define main gfx_user_main\n";
    }
    s += "#line " + std::to_string(shader.firstLine) + "\n";
    s += GlslBody(dialect, shader.source);
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
