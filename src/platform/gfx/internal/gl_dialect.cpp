// The GLSL dialects and the pixel order for GLs without BGRA.

#include "platform/gfx/internal/gl_dialect.h"

#include <cctype>
#include <utility>

std::string GlslHead(GlslDialect dialect)
{
    if (dialect == GlslDialect::Es300) {
        return "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n";
    }
    return "#version 330 core\n";
}

std::string GlslColorInput(GlslDialect dialect)
{
    if (dialect == GlslDialect::Es300) {
        return "layout(location = 2) in vec4 gfxColorBgra;\n#define inColor (gfxColorBgra.bgra)\n";
    }
    return "layout(location = 2) in vec4 inColor;\n";
}

std::string GlslBody(GlslDialect dialect, const std::string& code)
{
    if (dialect != GlslDialect::Es300) {
        return code;
    }
    static const std::string word = "noperspective";
    const auto isName = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; };
    std::string out;
    out.reserve(code.size());
    std::size_t i = 0;
    while (i < code.size()) {
        const std::size_t at = code.find(word, i);
        if (at == std::string::npos) {
            break;
        }
        const std::size_t end = at + word.size();
        const bool whole = (at == 0 || !isName(code[at - 1])) && (end == code.size() || !isName(code[end]));
        out.append(code, i, at - i);
        if (!whole) {
            out += word;
        }
        i = end;
    }
    out.append(code, i, std::string::npos);
    return out;
}

void GlBgraToRgba(const std::uint8_t* from, std::size_t count, bool opaque, std::uint8_t* to)
{
    for (std::size_t i = 0; i < count; ++i, from += 4, to += 4) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
        to[3] = opaque ? 255 : from[3];
    }
}

void GlRgbaToBgraInPlace(std::uint8_t* pixels, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, pixels += 4) {
        std::swap(pixels[0], pixels[2]);
    }
}
