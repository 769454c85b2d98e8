// The loader calls behind gl_api.h.

#include "platform/gfx/internal/gl_api.h"

#include <SDL.h>

#include <cstring>

#if defined(_WIN32)
namespace {
GLADapiproc LoadEntryPoint(const char* name) { return reinterpret_cast<GLADapiproc>(SDL_GL_GetProcAddress(name)); }
}  // namespace
#endif

int GlLoadCurrentContext()
{
#if defined(_WIN32)
    // Entry points differ per pixel format on Windows, so they are fetched for every context.
    const int version = gladLoadGL(LoadEntryPoint);
    return GLAD_VERSION_MAJOR(version) * 10 + GLAD_VERSION_MINOR(version);
#elif defined(__EMSCRIPTEN__)
    return 30;  // SDL made a WebGL2 context or none
#else
    return epoxy_gl_version();
#endif
}

bool GlHasExtension(const char* name)
{
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const auto* extension = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (extension != nullptr && std::strcmp(extension, name) == 0) {
            return true;
        }
    }
    return false;
}
