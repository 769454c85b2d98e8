#pragma once

// Private to the graphics layer: the one place that chooses how OpenGL is reached on each
// system. The rest of the layer includes this rather than any GL header.

#if defined(__EMSCRIPTEN__)
#include <GLES3/gl3.h>  // WebGL2
#elif defined(_WIN32)
// Windows' own opengl32 stops at 1.1; a loader generated for 3.3 core and clip control
// fetches the rest from the context's driver.
#include <glad/gl.h>
#else
#include <epoxy/gl.h>
#endif

// Once a context is current: points the loader at it where the loader needs telling, and
// gives its version as major * 10 + minor (0 when it cannot be read).
int GlLoadCurrentContext();
// WebGL2 (OpenGL ES 3.0) offers all the game asks of desktop OpenGL 3.3.
#ifdef __EMSCRIPTEN__
inline constexpr int kGlVersionNeeded = 30;
#else
inline constexpr int kGlVersionNeeded = 33;
#endif
// Whether the current context offers the named extension.
bool GlHasExtension(const char* name);
