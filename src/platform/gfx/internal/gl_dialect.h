#pragma once

// Private to the graphics layer: the two GLSL dialects one shader source is turned into.
// Desktop GL reads GLSL 3.30 core; WebGL2 reads GLSL ES 3.00, which wants default precisions,
// has no noperspective and takes no BGRA vertex colours or pixels. No GL calls here, so both
// dialects can be checked on any machine.

#include <cstddef>
#include <cstdint>
#include <string>

enum class GlslDialect { Core330, Es300 };

#ifdef __EMSCRIPTEN__
inline constexpr GlslDialect kGlslDialect = GlslDialect::Es300;
#else
inline constexpr GlslDialect kGlslDialect = GlslDialect::Core330;
#endif

// The version line and, for ES, the default precisions.
std::string GlslHead(GlslDialect dialect);
// The vertex colour input at location 2, seen by the shader as `inColor` in RGBA order. ES
// reads the stored BGRA bytes as RGBA, so its `inColor` swaps them back.
std::string GlslColorInput(GlslDialect dialect);
// Shader code as the dialect accepts it. ES has no noperspective; ours are all on planes facing
// the camera, where w is the same over a triangle and perspective-correct gives the same values.
std::string GlslBody(GlslDialect dialect, const std::string& code);

// Texture pixels for a GL without BGRA uploads: `count` pixels from Direct3D's B, G, R, A
// bytes to R, G, B, A, the alpha made 255 with `opaque` (X8R8G8B8, where there is no swizzle).
void GlBgraToRgba(const std::uint8_t* from, std::size_t count, bool opaque, std::uint8_t* to);
// The same in place, for read-backs.
void GlRgbaToBgraInPlace(std::uint8_t* pixels, std::size_t count);
