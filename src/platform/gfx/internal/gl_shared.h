#pragma once

// Private to gl.cpp and gl_draw.cpp: the GL error check and the fixed-function stage's GLSL,
// which the context builds its general program from and drawing its variants.

#include <cstdio>

#include "platform/gfx/internal/gl_api.h"
#include "platform/gfx/internal/gl_dialect.h"

// What desktop GL and WebGL2 do differently, each in one place.
#ifdef __EMSCRIPTEN__
inline bool GlHasClipControl(int) { return false; }
inline void GlClipControl(bool) {}
inline void GlClearDepth(float z) { glClearDepthf(z); }
// No BGRA: pixels are turned round on their way (gl_dialect.h), colours in the shaders.
inline constexpr GLenum kGlPixelOrder = GL_RGBA;
inline constexpr GLint kGlColorSize = 4;
inline constexpr bool kGlSwizzles = false;
#else
inline bool GlHasClipControl(int version) { return version >= 45 || GlHasExtension("GL_ARB_clip_control"); }
// Direct3D's 0..1 depth, and the origin at the top for the window.
inline void GlClipControl(bool upperLeft) { glClipControl(upperLeft ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_ZERO_TO_ONE); }
inline void GlClearDepth(float z) { glClearDepth(z); }
inline constexpr GLenum kGlPixelOrder = GL_BGRA;
inline constexpr GLint kGlColorSize = GL_BGRA;
inline constexpr bool kGlSwizzles = true;
#endif

#ifndef NDEBUG
// Debug builds report GL errors where they surface; release builds skip the round trip.
inline void GlCheck(const char* where)
{
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
        std::fprintf(stderr, "GL error 0x%04x after %s\n", e, where);
    }
}
#define GL_CHECK(where) GlCheck(where)
#else
#define GL_CHECK(where) ((void)0)
#endif

// Follows the dialect's head and colour input (gl_dialect.h).
inline const char* const kFixedVertex = R"(
layout(location = 0) in vec3 inPosition;
layout(location = 3) in vec2 inTexCoord;
uniform mat4 uWorld;
uniform mat4 uView;
uniform mat4 uProjection;
out vec4 vColor;
out vec2 vTexCoord;
void main()
{
    vColor = inColor;
    vTexCoord = inTexCoord;
    gl_Position = uProjection * (uView * (uWorld * vec4(inPosition, 1.0)));
    gl_Position.y = -gl_Position.y;
)";

// The stage's operations are uniforms in the program that checks the set-up, and constants in
// the variants drawn with, so a software renderer runs only the operations in use.
inline const char* const kFixedOpsUniform = R"(
uniform int uOps[6];
uniform int uHasTexture;
)";

inline const char* const kFixedFragment = R"(
uniform sampler2D uTexture;
in vec4 vColor;
in vec2 vTexCoord;
out vec4 fragColor;
vec4 Arg(int a, vec4 tex)
{
    int which = a & 15;
    if (which == 2) return tex;
    return vColor;  // diffuse, and "current" at stage 0
}
vec4 Op(int op, vec4 a1, vec4 a2)
{
    if (op == 2) return a1;
    if (op == 4) return a1 * a2;
    return vColor;  // disabled: the stage passes the diffuse colour on
}
void main()
{
    vec4 tex = uHasTexture != 0 ? texture(uTexture, vTexCoord) : vec4(1.0);
    vec4 rgb = Op(uOps[0], Arg(uOps[1], tex), Arg(uOps[2], tex));
    vec4 alpha = Op(uOps[3], Arg(uOps[4], tex), Arg(uOps[5], tex));
    fragColor = vec4(rgb.rgb, alpha.a);
}
)";
