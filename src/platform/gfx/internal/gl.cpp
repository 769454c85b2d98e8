#include "platform/gfx/internal/gl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <SDL.h>
#include <epoxy/gl.h>

#include "platform/gfx/device_problem.h"
#include "platform/gfx/internal/effect.h"
#include "platform/gfx/internal/letterbox.h"
#include "platform/window/internal/window_handle.h"
#include "platform/window/internal/window_internal.h"

namespace {

int VideoUsers = 0;
int LiveContexts = 0;
bool DepthConversionForced = false;

#ifndef NDEBUG
// Debug builds report GL errors where they surface; release builds skip the round trip.
void GlCheck(const char* where)
{
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
        std::fprintf(stderr, "GL error 0x%04x after %s\n", e, where);
    }
}
#define GL_CHECK(where) GlCheck(where)
#else
#define GL_CHECK(where) ((void)0)
#endif

constexpr UINT kFocusLargeTarget = 1024u * 1024u;  // pixels
constexpr UINT kFocusQuadVertices = 5;              // a quad closed as a strip

const char* const kFixedVertex = R"(
layout(location = 0) in vec3 inPosition;
layout(location = 2) in vec4 inColor;
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
const char* const kFixedOpsUniform = R"(
uniform int uOps[6];
uniform int uHasTexture;
)";

const char* const kFixedFragment = R"(
uniform sampler2D uTexture;
in vec4 vColor;
in vec2 vTexCoord;
out vec4 fragColor;
vec4 Arg(int a, vec4 tex)
{
    int which = a & 15;
    if (which == 2) return tex;
    if (which == 3) return vec4(1.0);
    return vColor;  // diffuse, and "current" at stage 0
}
vec4 Op(int op, vec4 a1, vec4 a2)
{
    if (op == 2) return a1;
    if (op == 3) return a2;
    if (op == 4) return a1 * a2;
    if (op == 5) return clamp(2.0 * a1 * a2, 0.0, 1.0);
    if (op == 6) return clamp(4.0 * a1 * a2, 0.0, 1.0);
    if (op == 7) return clamp(a1 + a2, 0.0, 1.0);
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

GLenum CompareFunc(DWORD f)
{
    switch (f) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum BlendFactor(DWORD b)
{
    switch (b) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
    }
}

GLenum BlendEquation(DWORD op)
{
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type)
{
    switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;
    }
}

bool CompileShader(GLenum kind, const std::string& source, GLuint* shader, std::string* log)
{
    *shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(*shader, 1, &text, nullptr);
    glCompileShader(*shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(*shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) {
        return true;
    }
    GLint length = 0;
    glGetShaderiv(*shader, GL_INFO_LOG_LENGTH, &length);
    std::string text2(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(*shader, length, nullptr, text2.data());
    *log = text2.c_str();
    glDeleteShader(*shader);
    *shader = 0;
    return false;
}

std::string DeviceProblem;

}  // namespace

void GfxGl::ForceDepthConversion(bool on) { DepthConversionForced = on; }

const char* GfxDeviceProblem() { return DeviceProblem.c_str(); }

bool GfxGl::VideoUp()
{
    // Video and the GL library stay loaded for the rest of the process: unloading the GL
    // library strands the driver's own allocations, and the next device would reload it.
    if (VideoUsers == 0) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "graphics: SDL video does not start: %s\n", SDL_GetError());
            return false;
        }
        SDL_GL_LoadLibrary(nullptr);
    }
    ++VideoUsers;
    return true;
}

void GfxGl::VideoDown()
{
    // Counted only; see VideoUp.
    if (VideoUsers > 1) {
        --VideoUsers;
    }
}

bool GfxGl::DisplayMode(D3DDISPLAYMODE* mode)
{
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        return false;
    }
    *mode = D3DDISPLAYMODE{static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h),
                           static_cast<UINT>(desktop.refresh_rate), D3DFMT_X8R8G8B8};
    return true;
}

GfxGl* GfxGl::Create(PlatformWindow* window, const D3DPRESENT_PARAMETERS& params, UINT* width, UINT* height,
                     HRESULT* result)
{
    *result = D3DERR_INVALIDCALL;
    if (window == nullptr || window->sdl == nullptr || LiveContexts > 0) {
        return nullptr;
    }
    *result = D3DERR_NOTAVAILABLE;
    if ((SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_OPENGL) == 0) {
        std::fprintf(stderr, "graphics: the window was not made for OpenGL\n");
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    DeviceProblem.clear();
    SDL_GLContext context = SDL_GL_CreateContext(window->sdl);
    if (context == nullptr) {
        // Said once, by the program, in its line.
        DeviceProblem = std::string("no OpenGL 3.3 core context (") + SDL_GetError() + ")";
        return nullptr;
    }
    if (SDL_GL_MakeCurrent(window->sdl, context) != 0 || epoxy_gl_version() < 33) {
        DeviceProblem = "OpenGL 3.3 is not available";
        SDL_GL_DeleteContext(context);
        return nullptr;
    }

    auto* gl = new GfxGl();
    gl->window_ = window;
    gl->context_ = context;
    ++LiveContexts;

    SDL_GetWindowSize(window->sdl, &gl->pictureWidth_, &gl->pictureHeight_);
    if (params.Windowed == FALSE) {
        window_internal::SwitchFullScreen(window, true);
    }
    int w = static_cast<int>(params.BackBufferWidth);
    int h = static_cast<int>(params.BackBufferHeight);
    if (w == 0 || h == 0) {
        int dw = 0;
        int dh = 0;
        SDL_GL_GetDrawableSize(window->sdl, &dw, &dh);
        if (dw <= 0 || dh <= 0) {
            SDL_GetWindowSize(window->sdl, &dw, &dh);
        }
        w = w == 0 ? dw : w;
        h = h == 0 ? dh : h;
    }
    if (w <= 0 || h <= 0 || w > 4096 || h > 4096) {
        *result = D3DERR_INVALIDCALL;
        delete gl;
        return nullptr;
    }
    *width = static_cast<UINT>(w);
    *height = static_cast<UINT>(h);

    // Vsync paces us only where the display runs at 60 Hz; elsewhere the limiter does.
    gl->paced_ = params.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(window->sdl);
    const bool sixty = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 &&
                       (mode.refresh_rate == 60 || mode.refresh_rate == 59);
    gl->vsync_ = gl->paced_ && sixty && SDL_GL_SetSwapInterval(1) == 0;
    if (!gl->vsync_) {
        SDL_GL_SetSwapInterval(0);
    }

    gl->clipControl_ =
        !DepthConversionForced && (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control"));
    if (gl->clipControl_) {
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    }
    glGenVertexArrays(1, &gl->vao_);
    glBindVertexArray(gl->vao_);
    for (GLuint i = 0; i < 4; ++i) {
        glEnableVertexAttribArray(i);
    }
    glGenSamplers(4, gl->samplers_);
    for (int i = 0; i < 4; ++i) {
        const GLint filter = (i & 1) != 0 ? GL_LINEAR : GL_NEAREST;
        const GLint wrap = (i & 2) != 0 ? GL_CLAMP_TO_EDGE : GL_REPEAT;
        glSamplerParameteri(gl->samplers_[i], GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(gl->samplers_[i], GL_TEXTURE_MAG_FILTER, filter);
        glSamplerParameteri(gl->samplers_[i], GL_TEXTURE_WRAP_S, wrap);
        glSamplerParameteri(gl->samplers_[i], GL_TEXTURE_WRAP_T, wrap);
    }
    const unsigned char white[4] = {255, 255, 255, 255};
    glGenTextures(1, &gl->white_);
    glBindTexture(GL_TEXTURE_2D, gl->white_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    std::string vertex = std::string("#version 330 core\n") + kFixedVertex +
                         (gl->clipControl_ ? "}\n" : "    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n}\n");
    std::string log;
    bool vertexFailed = false;
    gl->fixedVertex_ = vertex;
    if (!gl->LinkProgram(vertex, std::string("#version 330 core\n") + kFixedOpsUniform + kFixedFragment,
                         &gl->fixedProgram_, &log, &vertexFailed)) {
        std::fprintf(stderr, "graphics: the fixed-function program does not build:\n%s\n", log.c_str());
        delete gl;
        return nullptr;
    }
    gl->fixedWorld_ = glGetUniformLocation(gl->fixedProgram_, "uWorld");
    gl->fixedView_ = glGetUniformLocation(gl->fixedProgram_, "uView");
    gl->fixedProjection_ = glGetUniformLocation(gl->fixedProgram_, "uProjection");
    gl->fixedOps_ = glGetUniformLocation(gl->fixedProgram_, "uOps");
    gl->fixedHasTexture_ = glGetUniformLocation(gl->fixedProgram_, "uHasTexture");
    gl->fixedTexture_ = glGetUniformLocation(gl->fixedProgram_, "uTexture");
    GL_CHECK("device set-up");
    *result = S_OK;
    return gl;
}

GfxGl::~GfxGl()
{
    for (const FixedVariant& variant : fixedVariants_) {
        glDeleteProgram(variant.program);
    }
    if (fixedProgram_ != 0) {
        glDeleteProgram(fixedProgram_);
    }
    if (depth_ != 0) {
        glDeleteRenderbuffers(1, &depth_);
    }
    glDeleteSamplers(4, samplers_);
    glDeleteTextures(1, &white_);
    glDeleteVertexArrays(1, &vao_);
    if (context_ != nullptr) {
        SDL_GL_MakeCurrent(window_->sdl, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
        --LiveContexts;
    }
    if (window_ != nullptr && (SDL_GetWindowFlags(window_->sdl) & SDL_WINDOW_FULLSCREEN) != 0) {
        window_internal::SwitchFullScreen(window_, false);
    }
}

bool GfxGl::MakeBackBuffer(GfxSurface* surface, bool depth)
{
    // Drawn straight into the window where it is exactly the size of its place there (the
    // whole window, or the picture between the bars): presenting is then only the swap, not a
    // copy of every pixel. Needs the origin switch of clip control to keep the top row first
    // for the reader, and the window's depth store where one is asked for.
    int dw = 0;
    int dh = 0;
    SDL_GL_GetDrawableSize(window_->sdl, &dw, &dh);
    int windowDepth = 0;
    int windowStencil = 0;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &windowDepth);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &windowStencil);
    const GfxViewRect view = GfxLetterbox(dw, dh, pictureWidth_, pictureHeight_);
    const bool inWindow = clipControl_ && static_cast<UINT>(view.width) == surface->width &&
                          static_cast<UINT>(view.height) == surface->height &&
                          (!depth || (windowDepth >= 24 && windowStencil >= 8));
    if (depth) {
        glGenRenderbuffers(1, &depth_);
        glBindRenderbuffer(GL_RENDERBUFFER, depth_);
        // Always a depth-stencil store; D16 only promises at least 16 bits.
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(surface->width),
                              static_cast<GLsizei>(surface->height));
        depthWidth_ = surface->width;
        depthHeight_ = surface->height;
    }
    if (inWindow) {
        windowView_ = view;
        windowBars_ = view.width != dw || view.height != dh;
        surface->gl.window = true;
        surface->gl.depth = depth;
        surface->gl.stored = true;
        return true;
    }
    return MakeTexture(surface);
}

bool GfxGl::LeaveWindow(GfxSurface* surface)
{
    surface->gl.window = false;
    surface->gl.depth = false;
    surface->gl.stored = false;
    if (!MakeTexture(surface)) {
        return false;
    }
    if (target_ == surface) {
        target_ = nullptr;  // so the origin is switched back too
        BindTarget(surface);
    }
    return true;
}

bool GfxGl::MakeTexture(GfxSurface* surface)
{
    const bool isFloat = surface->format == D3DFMT_R32F;
    glGenTextures(1, &surface->gl.texture);
    glBindTexture(GL_TEXTURE_2D, surface->gl.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    if (surface->format == D3DFMT_X8R8G8B8) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    }
    if (surface->pool == D3DPOOL_MANAGED && !surface->IsRenderTarget()) {
        // As D3D's managed pool: the picture lives in system memory and reaches the GPU at
        // its first use, so pictures the first frames never draw cost nothing at start-up.
        surface->cpuDirty = true;
        GL_CHECK("texture creation");
        return true;
    }
    // Pixels other than a render target's go up at first use too, once they hold something;
    // sending the fresh zeros now as well would copy them twice.
    const bool later = !surface->IsRenderTarget();
    glTexImage2D(GL_TEXTURE_2D, 0, isFloat ? GL_R32F : GL_RGBA8, static_cast<GLsizei>(surface->width),
                 static_cast<GLsizei>(surface->height), 0, isFloat ? GL_RED : GL_BGRA,
                 isFloat ? GL_FLOAT : GL_UNSIGNED_BYTE, later ? nullptr : surface->pixels);
    surface->gl.stored = true;
    surface->cpuDirty = surface->cpuDirty || later;
    if (glGetError() == GL_OUT_OF_MEMORY) {
        DropSurface(surface);
        return false;
    }
    if (surface->IsRenderTarget()) {
        glGenFramebuffers(1, &surface->gl.framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, surface->gl.framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, surface->gl.texture, 0);
        if (depth_ != 0 && surface->width <= depthWidth_ && surface->height <= depthHeight_) {
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
            surface->gl.depth = true;
        }
        const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, target_ != nullptr ? target_->gl.framebuffer : 0);
        if (!complete) {
            DropSurface(surface);
            return false;
        }
    }
    GL_CHECK("texture creation");
    return true;
}

void GfxGl::DropSurface(GfxSurface* surface)
{
    if (target_ == surface) {
        target_ = nullptr;
    }
    if (surface->gl.framebuffer != 0) {
        glDeleteFramebuffers(1, &surface->gl.framebuffer);
        surface->gl.framebuffer = 0;
    }
    if (surface->gl.texture != 0) {
        glDeleteTextures(1, &surface->gl.texture);
        surface->gl.texture = 0;
    }
    surface->gl.depth = false;
    surface->gl.stored = false;
}

void GfxGl::DropBuffer(GfxVertexBuffer* buffer)
{
    if (boundBuffer_ == buffer->gl.buffer) {
        boundBuffer_ = 0;
        boundOffset_ = ~0u;
    }
    glDeleteBuffers(1, &buffer->gl.buffer);
    buffer->gl.buffer = 0;
    buffer->gl.size = 0;
}

void GfxGl::BindTarget(GfxSurface* target)
{
    if (clipControl_ && (target_ == nullptr || target_->gl.window != target->gl.window)) {
        // Shaders mirror y for targets stored top row first; the window's origin is
        // mirrored with them, so its top row is the picture's too.
        glClipControl(target->gl.window ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    }
    target_ = target;
    glBindFramebuffer(GL_FRAMEBUFFER, target->gl.framebuffer);
    const int x = target->gl.window ? windowView_.x : 0;
    const int y = target->gl.window ? windowView_.y : 0;
    glViewport(x, y, static_cast<GLsizei>(target->width), static_cast<GLsizei>(target->height));
    if (sharedDepthClear_ && !target->gl.window && target->gl.depth) {
        glDepthMask(GL_TRUE);
        glClearDepth(sharedDepthZ_);
        glClear(GL_DEPTH_BUFFER_BIT);
        sharedDepthClear_ = false;
    }
}

void GfxGl::Clear(DWORD flags, D3DCOLOR color, float z)
{
    GLbitfield mask = 0;
    const float rgba[4] = {static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                           static_cast<float>((color >> 8) & 0xFF) / 255.0f, static_cast<float>(color & 0xFF) / 255.0f,
                           static_cast<float>((color >> 24) & 0xFF) / 255.0f};
    if ((flags & D3DCLEAR_TARGET) != 0) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (target_ != nullptr && target_->gl.depth) {
        if ((flags & D3DCLEAR_ZBUFFER) != 0) {
            glDepthMask(GL_TRUE);  // Clear ignores the depth-write state, as Direct3D does
            glClearDepth(z);
            mask |= GL_DEPTH_BUFFER_BIT;
        }
        if ((flags & D3DCLEAR_STENCIL) != 0) {
            mask |= GL_STENCIL_BUFFER_BIT;
        }
    }
    if ((mask & GL_COLOR_BUFFER_BIT) != 0 && color != 0xFF000000u && target_ != nullptr && target_->gl.window &&
        windowBars_) {
        // The bars stay black: the whole window black, then the picture's place in the colour
        // (clearing the whole window costs far less than a scissored clear).
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(mask);
        glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        glEnable(GL_SCISSOR_TEST);
        glScissor(windowView_.x, windowView_.y, windowView_.width, windowView_.height);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    } else if (mask != 0) {
        glClear(mask);
    }
    if ((mask & GL_DEPTH_BUFFER_BIT) != 0) {
        // Direct3D has one depth buffer for every target; the window keeps its own, so a
        // clear made there reaches the other targets' store when one is next drawn in.
        sharedDepthClear_ = target_->gl.window;
        sharedDepthZ_ = z;
    }
    GL_CHECK("Clear");
}

bool GfxGl::ReadBack(GfxSurface* surface)
{
    if (surface->gl.framebuffer == 0 && !surface->gl.window) {
        return false;
    }
    const bool isFloat = surface->format == D3DFMT_R32F;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, surface->gl.framebuffer);
    const int x = surface->gl.window ? windowView_.x : 0;
    const int y = surface->gl.window ? windowView_.y : 0;
    glReadPixels(x, y, static_cast<GLsizei>(surface->width), static_cast<GLsizei>(surface->height),
                 isFloat ? GL_RED : GL_BGRA, isFloat ? GL_FLOAT : GL_UNSIGNED_BYTE, surface->pixels);
    if (surface->gl.window) {
        // The window reads bottom row first.
        const std::size_t pitch = static_cast<std::size_t>(surface->width) * 4;
        for (UINT y = 0; y < surface->height / 2; ++y) {
            std::swap_ranges(surface->pixels + y * pitch, surface->pixels + (y + 1) * pitch,
                             surface->pixels + (surface->height - 1 - y) * pitch);
        }
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target_ != nullptr ? target_->gl.framebuffer : 0);
    surface->cpuDirty = false;
    return glGetError() == GL_NO_ERROR;
}

void GfxGl::UploadTexture(GfxSurface* surface)
{
    if (!surface->cpuDirty || surface->gl.texture == 0) {
        return;
    }
    const bool isFloat = surface->format == D3DFMT_R32F;
    glBindTexture(GL_TEXTURE_2D, surface->gl.texture);
    if (!surface->gl.stored) {
        glTexImage2D(GL_TEXTURE_2D, 0, isFloat ? GL_R32F : GL_RGBA8, static_cast<GLsizei>(surface->width),
                     static_cast<GLsizei>(surface->height), 0, isFloat ? GL_RED : GL_BGRA,
                     isFloat ? GL_FLOAT : GL_UNSIGNED_BYTE, surface->pixels);
        // Out of memory here leaves the texture unusable; it is tried again at the next use
        // rather than drawn from storage that does not exist.
        surface->gl.stored = glGetError() != GL_OUT_OF_MEMORY;
        surface->cpuDirty = !surface->gl.stored;
        return;
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(surface->width), static_cast<GLsizei>(surface->height),
                    isFloat ? GL_RED : GL_BGRA, isFloat ? GL_FLOAT : GL_UNSIGNED_BYTE, surface->pixels);
    surface->cpuDirty = false;
}

void GfxGl::UploadBuffer(GfxVertexBuffer* buffer, UINT needed)
{
    if (buffer->gl.buffer == 0) {
        glGenBuffers(1, &buffer->gl.buffer);
    }
    glBindBuffer(GL_ARRAY_BUFFER, buffer->gl.buffer);
    if (buffer->gl.size < needed) {
        // Grow to what draws reach, doubling, so a huge buffer costs only what is used.
        UINT size = buffer->gl.size * 2 > 65536u ? buffer->gl.size * 2 : 65536u;
        size = size < needed ? needed : size;
        size = size > buffer->length ? buffer->length : size;
        glBufferData(GL_ARRAY_BUFFER, size, nullptr, GL_DYNAMIC_DRAW);
        const UINT valid = buffer->highWater < size ? buffer->highWater : size;
        if (valid > 0) {
            glBufferSubData(GL_ARRAY_BUFFER, 0, valid, buffer->data);
        }
        buffer->gl.size = size;
        boundOffset_ = ~0u;  // the store changed: attribute pointers must be set again
        if (buffer->dirtyEnd > size) {
            buffer->dirtyBegin = buffer->dirtyBegin > size ? buffer->dirtyBegin : size;
        } else {
            buffer->dirtyBegin = buffer->dirtyEnd = 0;
        }
        return;
    }
    if (buffer->dirtyEnd > buffer->dirtyBegin && buffer->dirtyBegin < buffer->gl.size) {
        const UINT end = buffer->dirtyEnd < buffer->gl.size ? buffer->dirtyEnd : buffer->gl.size;
        glBufferSubData(GL_ARRAY_BUFFER, buffer->dirtyBegin, end - buffer->dirtyBegin, buffer->data + buffer->dirtyBegin);
        if (buffer->dirtyEnd > end) {
            buffer->dirtyBegin = end;
        } else {
            buffer->dirtyBegin = buffer->dirtyEnd = 0;
        }
    }
}

void GfxGl::BindTextureUnit(int unit, GfxTexture* texture, bool linear, bool wrap)
{
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    if (texture != nullptr && texture->Surface().gl.texture != 0) {
        UploadTexture(&texture->Surface());
        glBindTexture(GL_TEXTURE_2D, texture->Surface().gl.texture);
    } else {
        glBindTexture(GL_TEXTURE_2D, white_);
    }
    glBindSampler(static_cast<GLuint>(unit), samplers_[(linear ? 1 : 0) | (wrap ? 0 : 2)]);
}

void GfxGl::ApplyStates(const GfxDevice& device)
{
    const GfxRenderStates& s = device.States();
    if (target_ != nullptr && target_->gl.depth && s.zEnable != D3DZB_FALSE) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(CompareFunc(s.zFunc));
        glDepthMask(s.zWriteEnable != FALSE ? GL_TRUE : GL_FALSE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    if (s.alphaBlendEnable != FALSE) {
        glEnable(GL_BLEND);
        glBlendFunc(BlendFactor(s.srcBlend), BlendFactor(s.destBlend));
        glBlendEquation(BlendEquation(s.blendOp));
    } else {
        glDisable(GL_BLEND);
    }
    // Our targets are stored top row first, which mirrors the picture against GL's window
    // space; a triangle clockwise on screen is counter-clockwise to GL.
    if (s.cullMode == D3DCULL_NONE) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        // Clip control's upper-left origin, used for the window, keeps this the same there.
        glFrontFace(s.cullMode == D3DCULL_CCW ? GL_CCW : GL_CW);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

bool GfxGl::BuildEffect(GfxEffectDesc& desc, const std::string& file, std::string* error)
{
    for (auto& technique : desc.techniques) {
        for (auto& pass : technique.passes) {
            const GfxEffectShader& vs = desc.shaders[pass.vertexShader];
            const GfxEffectShader& fs = desc.shaders[pass.fragmentShader];
            std::string log;
            bool vertexFailed = false;
            if (!LinkProgram(GfxShaderSource(desc, vs, !clipControl_), GfxShaderSource(desc, fs, !clipControl_),
                             &pass.program, &log, &vertexFailed)) {
                const GfxEffectShader& bad = vertexFailed ? vs : fs;
                *error = file + ":" + std::to_string(bad.firstLine - 1) + ": " + (bad.vertex ? "vertex" : "fragment") +
                         " shader '" + bad.name + "' of technique '" + technique.name + "' (pass on line " +
                         std::to_string(pass.line) + ") does not build; GL says (line numbers are the file's):\n" +
                         log;
                DropEffect(desc);
                return false;
            }
            pass.locations.assign(desc.params.size(), -1);
            for (std::size_t i = 0; i < desc.params.size(); ++i) {
                pass.locations[i] = glGetUniformLocation(pass.program, desc.params[i].name.c_str());
            }
            if (pass.focusX >= 0) {
                if (!LinkProgram(GfxShaderSource(desc, vs, !clipControl_),
                                 GfxShaderSource(desc, fs, !clipControl_, true), &pass.outsideProgram, &log,
                                 &vertexFailed)) {
                    *error = file + ":" + std::to_string(fs.firstLine - 1) + ": fragment shader '" + fs.name +
                             "' of technique '" + technique.name + "' (pass on line " + std::to_string(pass.line) +
                             ") does not build with GFX_OUTSIDE_FOCUS; GL says (line numbers are the file's):\n" +
                             log;
                    DropEffect(desc);
                    return false;
                }
                pass.outsideLocations.assign(desc.params.size(), -1);
                for (std::size_t i = 0; i < desc.params.size(); ++i) {
                    pass.outsideLocations[i] =
                        glGetUniformLocation(pass.outsideProgram, desc.params[i].name.c_str());
                }
            }
        }
    }
    return true;
}

void GfxGl::DropEffect(GfxEffectDesc& desc)
{
    for (auto& technique : desc.techniques) {
        for (auto& pass : technique.passes) {
            if (pass.program != 0) {
                glDeleteProgram(pass.program);
            }
            if (pass.outsideProgram != 0) {
                glDeleteProgram(pass.outsideProgram);
            }
            pass.program = 0;
            pass.outsideProgram = 0;
        }
    }
}

void GfxGl::ApplyEffect(GfxEffect& effect, UINT pass, bool outside)
{
    const GfxEffectPass& p = effect.Pass(pass);
    glUseProgram(outside ? p.outsideProgram : p.program);
    const std::vector<int>& locations = outside ? p.outsideLocations : p.locations;
    GfxEffectDesc& desc = effect.Desc();
    int unit = 1;  // unit 0 belongs to the fixed-function stage
    for (std::size_t i = 0; i < desc.params.size(); ++i) {
        const int location = locations[i];
        if (location < 0) {
            continue;
        }
        const GfxEffectParam& param = desc.params[i];
        switch (param.type) {
        case GfxParamType::Float:
            glUniform1f(location, param.value[0]);
            break;
        case GfxParamType::Vector:
            glUniform4fv(location, 1, param.value);
            break;
        case GfxParamType::Matrix:
            // Direct3D's row-major matrix read column-major is its transpose, so the
            // shader's M * v is Direct3D's v * M.
            glUniformMatrix4fv(location, 1, GL_FALSE, param.value);
            break;
        case GfxParamType::Texture:
            BindTextureUnit(unit, param.texture, param.linear, param.wrap);
            glUniform1i(location, unit);
            ++unit;
            break;
        }
    }
}

const GfxGl::FixedVariant* GfxGl::FixedFor(const int (&ops)[6], bool hasTexture)
{
    for (const FixedVariant& variant : fixedVariants_) {
        if (variant.hasTexture == hasTexture && std::equal(ops, ops + 6, variant.ops)) {
            return variant.program != 0 ? &variant : nullptr;
        }
    }
    std::string head = "#version 330 core\nconst int uOps[6] = int[6](";
    for (int i = 0; i < 6; ++i) {
        head += std::to_string(ops[i]) + (i < 5 ? ", " : ");\n");
    }
    head += std::string("const int uHasTexture = ") + (hasTexture ? "1" : "0") + ";\n";
    FixedVariant variant;
    std::copy(ops, ops + 6, variant.ops);
    variant.hasTexture = hasTexture;
    std::string log;
    bool vertexFailed = false;
    if (!LinkProgram(fixedVertex_, head + kFixedFragment, &variant.program, &log, &vertexFailed)) {
        fixedVariants_.push_back(variant);  // kept without a program, so it is not tried again
        return nullptr;                     // the general program draws it
    }
    variant.world = glGetUniformLocation(variant.program, "uWorld");
    variant.view = glGetUniformLocation(variant.program, "uView");
    variant.projection = glGetUniformLocation(variant.program, "uProjection");
    variant.texture = glGetUniformLocation(variant.program, "uTexture");
    fixedVariants_.push_back(variant);
    return &fixedVariants_.back();
}

void GfxGl::ApplyFixed(const GfxDevice& device)
{
    const GfxStageStates& st = device.Stage();
    const int ops[6] = {static_cast<int>(st.colorOp),   static_cast<int>(st.colorArg1), static_cast<int>(st.colorArg2),
                        static_cast<int>(st.alphaOp),   static_cast<int>(st.alphaArg1), static_cast<int>(st.alphaArg2)};
    const bool hasTexture = device.StageTexture() != nullptr;
    const FixedVariant* variant = FixedFor(ops, hasTexture);
    if (variant != nullptr) {
        glUseProgram(variant->program);
        glUniformMatrix4fv(variant->world, 1, GL_FALSE, &device.World().m[0][0]);
        glUniformMatrix4fv(variant->view, 1, GL_FALSE, &device.View().m[0][0]);
        glUniformMatrix4fv(variant->projection, 1, GL_FALSE, &device.Projection().m[0][0]);
        BindTextureUnit(0, device.StageTexture(), false, true);
        glUniform1i(variant->texture, 0);
        return;
    }
    glUseProgram(fixedProgram_);
    glUniformMatrix4fv(fixedWorld_, 1, GL_FALSE, &device.World().m[0][0]);
    glUniformMatrix4fv(fixedView_, 1, GL_FALSE, &device.View().m[0][0]);
    glUniformMatrix4fv(fixedProjection_, 1, GL_FALSE, &device.Projection().m[0][0]);
    glUniform1iv(fixedOps_, 6, ops);
    glUniform1i(fixedHasTexture_, hasTexture ? 1 : 0);
    BindTextureUnit(0, device.StageTexture(), false, true);
    glUniform1i(fixedTexture_, 0);
}

bool GfxGl::Draw(const GfxDevice& device, GfxVertexBuffer* buffer, UINT offset, UINT stride, D3DPRIMITIVETYPE type,
                 UINT start, UINT vertexCount)
{
    const std::uint64_t needed =
        offset + (static_cast<std::uint64_t>(start) + vertexCount - 1) * stride + kVertexStride;
    UploadBuffer(buffer, static_cast<UINT>(needed));
    if (boundBuffer_ != buffer->gl.buffer || boundOffset_ != offset || boundStride_ != stride) {
        const auto at = [offset](UINT field) {
            return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset + field));
        };
        const auto s = static_cast<GLsizei>(stride);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, s, at(0));
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, s, at(12));
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, at(24));
        glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, s, at(28));
        boundBuffer_ = buffer->gl.buffer;
        boundOffset_ = offset;
        boundStride_ = stride;
    }
    ApplyStates(device);
    GfxEffect* effect = device.ActiveEffect();
    // Drawing round a focus makes each draw three or five: on a small target the pixels it
    // spares cost less than that (measured with bench_frames on llvmpipe), except for a single
    // quad, whose repeats cost next to nothing.
    if (effect != nullptr && effect->Pass(device.ActivePass()).outsideProgram != 0 &&
        (target_->width * target_->height >= kFocusLargeTarget || vertexCount <= kFocusQuadVertices)) {
        DrawFocused(*effect, device.ActivePass(), PrimitiveMode(type), static_cast<int>(start),
                    static_cast<int>(vertexCount));
        GL_CHECK("DrawPrimitive");
        return true;
    }
    if (effect != nullptr) {
        ApplyEffect(*effect, device.ActivePass(), false);
    } else {
        ApplyFixed(device);
    }
    glDrawArrays(PrimitiveMode(type), static_cast<GLint>(start), static_cast<GLsizei>(vertexCount));
    GL_CHECK("DrawPrimitive");
    return true;
}

void GfxGl::DrawFocused(GfxEffect& effect, UINT pass, unsigned mode, int start, int count)
{
    const GfxEffectPass& p = effect.Pass(pass);
    const GfxEffectDesc& desc = effect.Desc();
    const int w = static_cast<int>(target_->width);
    const int h = static_cast<int>(target_->height);
    // The square of the picture's rows and columns within the radius, rounded outwards;
    // the radius is in half heights, the same in both directions in pixels.
    const float half = p.focusRadius * 0.5f * static_cast<float>(h);
    const float cx = (desc.params[static_cast<std::size_t>(p.focusX)].value[0] + 1.0f) * 0.5f * static_cast<float>(w);
    const float cy = (desc.params[static_cast<std::size_t>(p.focusY)].value[0] + 1.0f) * 0.5f * static_cast<float>(h);
    const auto clampTo = [](float v, int hi) {
        return v <= 0.0f ? 0 : (v >= static_cast<float>(hi) ? hi : static_cast<int>(v));
    };
    const int left = clampTo(std::floor(cx - half), w);
    const int right = clampTo(std::ceil(cx + half), w);
    const int top = clampTo(std::floor(cy - half), h);
    const int bottom = clampTo(std::ceil(cy + half), h);
    // Scissor boxes are in GL's window space: the window's first row is its bottom, a
    // texture target's is the picture's top.
    const auto box = [this, h](int x0, int y0, int x1, int y1) {
        if (x1 <= x0 || y1 <= y0) {
            return false;
        }
        if (target_->gl.window) {
            glScissor(windowView_.x + x0, windowView_.y + h - y1, x1 - x0, y1 - y0);
        } else {
            glScissor(x0, y0, x1 - x0, y1 - y0);
        }
        return true;
    };
    // Each band repeats the draw's vertex work. The full columns above and below the square
    // are drawn cheaply too only where they hold enough pixels to pay for two more draws.
    const bool columnsOnly = static_cast<long>(right - left) * (h - (bottom - top)) < 65536;
    glEnable(GL_SCISSOR_TEST);
    if (columnsOnly ? box(left, 0, right, h) : box(left, top, right, bottom)) {
        ApplyEffect(effect, pass, false);
        glDrawArrays(mode, start, count);
    }
    ApplyEffect(effect, pass, true);
    const int bands[4][4] = {{0, 0, left, h}, {right, 0, w, h}, {left, 0, right, top}, {left, bottom, right, h}};
    for (int i = 0; i < (columnsOnly ? 2 : 4); ++i) {
        if (box(bands[i][0], bands[i][1], bands[i][2], bands[i][3])) {
            glDrawArrays(mode, start, count);
        }
    }
    glDisable(GL_SCISSOR_TEST);
}

void GfxGl::Present(GfxSurface* backBuffer)
{
    int dw = 0;
    int dh = 0;
    SDL_GL_GetDrawableSize(window_->sdl, &dw, &dh);
    if (backBuffer->gl.window) {
        SDL_GL_SwapWindow(window_->sdl);
        // A window whose picture changed size or place no longer holds the back buffer: draw in a
        // texture from the next frame on and copy it over.
        const GfxViewRect view = GfxLetterbox(dw, dh, pictureWidth_, pictureHeight_);
        if ((static_cast<UINT>(view.width) != backBuffer->width || static_cast<UINT>(view.height) != backBuffer->height ||
             view.x != windowView_.x || view.y != windowView_.y) &&
            !LeaveWindow(backBuffer)) {
            std::fprintf(stderr, "graphics: the back buffer cannot leave the window\n");
        }
        GL_CHECK("Present");
        if (paced_ && !vsync_) {
            pacer_.Wait();
        }
        return;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer->gl.framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    const auto w = static_cast<GLint>(backBuffer->width);
    const auto h = static_cast<GLint>(backBuffer->height);
    const GfxViewRect view = GfxLetterbox(dw, dh, pictureWidth_, pictureHeight_);
    if (view.width != dw || view.height != dh) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);  // the bars
    }
    // The back buffer is stored top row first; the window's first row is its bottom.
    glBlitFramebuffer(0, 0, w, h, view.x, view.y + view.height, view.x + view.width, view.y, GL_COLOR_BUFFER_BIT,
                      (w == view.width && h == view.height) ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(window_->sdl);
    glBindFramebuffer(GL_FRAMEBUFFER, target_ != nullptr ? target_->gl.framebuffer : 0);
    GL_CHECK("Present");
    if (paced_ && !vsync_) {
        pacer_.Wait();
    }
}

bool GfxGl::LinkProgram(const std::string& vertexSource, const std::string& fragmentSource, unsigned* program,
                        std::string* log, bool* vertexFailed)
{
    *program = 0;
    GLuint vs = 0;
    GLuint fs = 0;
    *vertexFailed = true;
    if (!CompileShader(GL_VERTEX_SHADER, vertexSource, &vs, log)) {
        return false;
    }
    *vertexFailed = false;
    if (!CompileShader(GL_FRAGMENT_SHADER, fragmentSource, &fs, log)) {
        glDeleteShader(vs);
        return false;
    }
    const GLuint p = glCreateProgram();
    glAttachShader(p, vs);
    glAttachShader(p, fs);
    glLinkProgram(p);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        GLint length = 0;
        glGetProgramiv(p, GL_INFO_LOG_LENGTH, &length);
        std::string text(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
        glGetProgramInfoLog(p, length, nullptr, text.data());
        *log = "link: " + std::string(text.c_str());
        glDeleteProgram(p);
        return false;
    }
    *program = p;
    return true;
}
