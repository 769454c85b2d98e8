// The OpenGL side of a device that is not drawing: the context and its set-up, textures,
// framebuffers and buffers with their uploads and read-backs, effect programs, and Present.

#include "platform/gfx/internal/gl.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <SDL.h>

#include "platform/gfx/problems.h"
#include "platform/gfx/internal/effect.h"
#include "platform/gfx/internal/gl_shared.h"
#include "platform/window/internal/window_handle.h"
#include "platform/window/internal/window_internal.h"

namespace {

int VideoUsers = 0;
int LiveContexts = 0;
bool DepthConversionForced = false;

// A shader's or program's info log.
std::string InfoLog(GLuint object, bool program)
{
    GLint length = 0;
    (program ? glGetProgramiv : glGetShaderiv)(object, GL_INFO_LOG_LENGTH, &length);
    std::string text(static_cast<std::size_t>(std::max(length, 1)), '\0');
    (program ? glGetProgramInfoLog : glGetShaderInfoLog)(object, length, nullptr, text.data());
    return text.c_str();
}

bool CompileShader(GLenum kind, const std::string& source, GLuint* shader, std::string* log)
{
    *shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(*shader, 1, &text, nullptr);
    glCompileShader(*shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(*shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        *log = InfoLog(*shader, false);
        glDeleteShader(*shader);
        *shader = 0;
    }
    return ok == GL_TRUE;
}

// Whole storage for a texture's pixels (null: contents undefined) or an update of all of them.
void StorePixels(const GfxSurface& surface, const void* pixels, bool update)
{
    const bool isFloat = surface.format == D3DFMT_R32F;
    const auto w = static_cast<GLsizei>(surface.width);
    const auto h = static_cast<GLsizei>(surface.height);
    const GLenum format = isFloat ? GL_RED : kGlPixelOrder;
    const GLenum type = isFloat ? GL_FLOAT : GL_UNSIGNED_BYTE;
    if (!kGlSwizzles && !isFloat && pixels != nullptr) {
        // Kept between calls: textures go up at their first use, some during play.
        static std::vector<std::uint8_t> turned;
        turned.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
        GlBgraToRgba(static_cast<const std::uint8_t*>(pixels), turned.size() / 4, surface.format == D3DFMT_X8R8G8B8,
                     turned.data());
        pixels = turned.data();
    }
    if (update) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, format, type, pixels);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, isFloat ? GL_R32F : GL_RGBA8, w, h, 0, format, type, pixels);
    }
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

GfxGl* GfxGl::Create(PlatformWindow* window, D3DPRESENT_PARAMETERS* params, HRESULT* result)
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
#ifdef __EMSCRIPTEN__
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);  // WebGL2
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
#else
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
#endif
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    DeviceProblem.clear();
    SDL_GLContext context = SDL_GL_CreateContext(window->sdl);
    if (context == nullptr) {
        // Said once, by the program, in its line.
        DeviceProblem = std::string("no OpenGL 3.3 core context (") + SDL_GetError() + ")";
        return nullptr;
    }
    const int version = SDL_GL_MakeCurrent(window->sdl, context) == 0 ? GlLoadCurrentContext() : 0;
    if (version < kGlVersionNeeded) {
        DeviceProblem = "OpenGL 3.3 is not available";
        SDL_GL_DeleteContext(context);
        return nullptr;
    }

    auto* gl = new GfxGl();
    gl->window_ = window;
    gl->context_ = context;
    ++LiveContexts;

    SDL_GetWindowSize(window->sdl, &gl->pictureWidth_, &gl->pictureHeight_);
    if (params->Windowed == FALSE) {
        window_internal::SwitchFullScreen(window, true);
    }
    UINT& w = params->BackBufferWidth;
    UINT& h = params->BackBufferHeight;
    if (w == 0 || h == 0) {
        int dw = 0;
        int dh = 0;
        SDL_GL_GetDrawableSize(window->sdl, &dw, &dh);
        if (dw <= 0 || dh <= 0) {
            SDL_GetWindowSize(window->sdl, &dw, &dh);
        }
        w = w == 0 ? static_cast<UINT>(std::max(dw, 0)) : w;
        h = h == 0 ? static_cast<UINT>(std::max(dh, 0)) : h;
    }
    if (w == 0 || h == 0 || w > 4096 || h > 4096) {
        *result = D3DERR_INVALIDCALL;
        delete gl;
        return nullptr;
    }

    // Vsync paces us only where the display runs at 60 Hz; elsewhere the limiter does.
    gl->paced_ = params->PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(window->sdl);
    const bool sixty = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 &&
                       (mode.refresh_rate == 60 || mode.refresh_rate == 59);
#ifdef __EMSCRIPTEN__
    // The browser calls each frame at its display's pace, and a page may not sleep.
    (void)sixty;
    gl->vsync_ = true;
#else
    gl->vsync_ = gl->paced_ && sixty && SDL_GL_SetSwapInterval(1) == 0;
    if (!gl->vsync_) {
        SDL_GL_SetSwapInterval(0);
    }
#endif

    gl->clipControl_ = !DepthConversionForced && GlHasClipControl(version);
    if (gl->clipControl_) {
        GlClipControl(false);
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
    // The context is ours alone, and these states keep GL's defaults for its life, which are
    // what Direct3D draws with: every colour channel written, back faces culled, blending by
    // addition, rows of pixels aligned to 4 bytes (ours are whole 4-byte pixels).

    gl->fixedVertex_ = GlslHead(kGlslDialect) + GlslColorInput(kGlslDialect) + kFixedVertex +
                       (gl->clipControl_ ? "}\n" : "    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n}\n");
    std::string log;
    if (!gl->LinkFixed(GlslHead(kGlslDialect) + kFixedOpsUniform, &gl->fixed_, &log)) {
        std::fprintf(stderr, "graphics: the fixed-function program does not build:\n%s\n", log.c_str());
        delete gl;
        return nullptr;
    }
    GL_CHECK("device set-up");
    *result = S_OK;
    return gl;
}

GfxGl::~GfxGl()
{
    for (const FixedProgram& variant : fixedVariants_) {
        glDeleteProgram(variant.program);
    }
    glDeleteProgram(fixed_.program);  // GL ignores the names 0 here and below
    glDeleteRenderbuffers(1, &depth_);
    glDeleteSamplers(4, samplers_);
    glDeleteTextures(1, &white_);
    glDeleteBuffers(1, &bandIndices_);
    glDeleteVertexArrays(1, &vao_);
    SDL_GL_MakeCurrent(window_->sdl, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    --LiveContexts;
    if ((SDL_GetWindowFlags(window_->sdl) & SDL_WINDOW_FULLSCREEN) != 0) {
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
    surface->gl = {};  // a back buffer in the window has no texture or framebuffer to drop
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
    glGenTextures(1, &surface->gl.texture);
    glBindTexture(GL_TEXTURE_2D, surface->gl.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    if (kGlSwizzles && surface->format == D3DFMT_X8R8G8B8) {
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
    StorePixels(*surface, later ? nullptr : surface->pixels, false);
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
    // GL ignores the name 0.
    glDeleteFramebuffers(1, &surface->gl.framebuffer);
    glDeleteTextures(1, &surface->gl.texture);
    surface->gl = {};
}

void GfxGl::DropBuffer(GfxVertexBuffer* buffer)
{
    if (boundBuffer_ == buffer->gl.buffer) {
        boundBuffer_ = 0;
        boundOffset_ = ~0u;
    }
    glDeleteBuffers(1, &buffer->gl.buffer);
    buffer->gl = {};
}

void GfxGl::BindTarget(GfxSurface* target)
{
    if (clipControl_ && (target_ == nullptr || target_->gl.window != target->gl.window)) {
        // Shaders mirror y for targets stored top row first; the window's origin is
        // mirrored with them, so its top row is the picture's too.
        GlClipControl(target->gl.window);
    }
    target_ = target;
    glBindFramebuffer(GL_FRAMEBUFFER, target->gl.framebuffer);
    const bool window = target->gl.window;
    glViewport(window ? windowView_.x : 0, window ? windowView_.y : 0, static_cast<GLsizei>(target->width),
               static_cast<GLsizei>(target->height));
    if (sharedDepthClear_ && !target->gl.window && target->gl.depth) {
        glDepthMask(GL_TRUE);
        GlClearDepth(sharedDepthZ_);
        glClear(GL_DEPTH_BUFFER_BIT);
        sharedDepthClear_ = false;
    }
}

void GfxGl::Copy(const GfxSurface& from, const GfxSurface& to)
{
    // The picture's rows top first: a texture target holds them so, the window bottom first
    // within its place, so a copy between the two turns the rows over.
    const auto rows = [this](const GfxSurface& s, GLint* x, GLint* top, GLint* bottom) {
        const auto h = static_cast<GLint>(s.height);
        *x = s.gl.window ? windowView_.x : 0;
        *top = s.gl.window ? windowView_.y + h : 0;
        *bottom = s.gl.window ? windowView_.y : h;
    };
    GLint fx = 0, ftop = 0, fbottom = 0, tx = 0, ttop = 0, tbottom = 0;
    rows(from, &fx, &ftop, &fbottom);
    rows(to, &tx, &ttop, &tbottom);
    const auto w = static_cast<GLint>(from.width);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from.gl.framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to.gl.framebuffer);
    glBlitFramebuffer(fx, ftop, fx + w, fbottom, tx, ttop, tx + w, tbottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, target_ != nullptr ? target_->gl.framebuffer : 0);
    GL_CHECK("StretchRect");
}

bool GfxGl::ReadBack(GfxSurface* surface)
{
    if (surface->gl.framebuffer == 0 && !surface->gl.window) {
        return false;
    }
    const bool isFloat = surface->format == D3DFMT_R32F;
    const bool window = surface->gl.window;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, surface->gl.framebuffer);
    glReadPixels(window ? windowView_.x : 0, window ? windowView_.y : 0, static_cast<GLsizei>(surface->width),
                 static_cast<GLsizei>(surface->height), isFloat ? GL_RED : kGlPixelOrder,
                 isFloat ? GL_FLOAT : GL_UNSIGNED_BYTE, surface->pixels);
    if (!kGlSwizzles && !isFloat) {
        GlRgbaToBgraInPlace(reinterpret_cast<std::uint8_t*>(surface->pixels),
                            static_cast<std::size_t>(surface->width) * surface->height);
    }
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
    glBindTexture(GL_TEXTURE_2D, surface->gl.texture);
    StorePixels(*surface, surface->pixels, surface->gl.stored);
    // Out of memory for new storage leaves the texture unusable; it is tried again at the
    // next use rather than drawn from storage that does not exist.
    surface->gl.stored = surface->gl.stored || glGetError() != GL_OUT_OF_MEMORY;
    surface->cpuDirty = !surface->gl.stored;
}

void GfxGl::UploadBuffer(GfxVertexBuffer* buffer, UINT needed)
{
    if (buffer->gl.buffer == 0) {
        glGenBuffers(1, &buffer->gl.buffer);
    }
    glBindBuffer(GL_ARRAY_BUFFER, buffer->gl.buffer);
    const UINT size = buffer->gl.size;
    if (size < needed) {
        // Grow to what draws reach, doubling, so a huge buffer costs only what is used.
        const UINT grown = std::min(std::max({size * 2, 65536u, needed}), buffer->length);
        glBufferData(GL_ARRAY_BUFFER, grown, nullptr, GL_DYNAMIC_DRAW);
        const UINT valid = std::min(buffer->highWater, grown);
        if (valid > 0) {
            glBufferSubData(GL_ARRAY_BUFFER, 0, valid, buffer->data);
        }
        buffer->gl.size = grown;
        boundOffset_ = ~0u;  // the store changed: attribute pointers must be set again
    } else if (buffer->dirtyEnd > buffer->dirtyBegin && buffer->dirtyBegin < size) {
        const UINT end = std::min(buffer->dirtyEnd, size);
        glBufferSubData(GL_ARRAY_BUFFER, buffer->dirtyBegin, end - buffer->dirtyBegin,
                        buffer->data + buffer->dirtyBegin);
    }
    // What was written past the GPU store stays dirty until the store grows over it.
    if (buffer->dirtyEnd > buffer->gl.size) {
        buffer->dirtyBegin = std::max(buffer->dirtyBegin, buffer->gl.size);
    } else {
        buffer->dirtyBegin = buffer->dirtyEnd = 0;
    }
}

bool GfxGl::LinkPass(const GfxEffectDesc& desc, GfxEffectPass& pass, bool outside, std::string* log, bool* vertexFailed)
{
    unsigned& program = pass.programs[outside];
    const GfxEffectShader& vs = desc.shaders[pass.vertexShader];
    const GfxEffectShader& fs = desc.shaders[pass.fragmentShader];
    if (!LinkProgram(GfxShaderSource(desc, vs, !clipControl_), GfxShaderSource(desc, fs, !clipControl_, outside),
                     &program, log, vertexFailed)) {
        return false;
    }
    pass.locations[outside].resize(desc.params.size());
    for (std::size_t i = 0; i < desc.params.size(); ++i) {
        pass.locations[outside][i] = glGetUniformLocation(program, desc.params[i].name.c_str());
    }
    return true;
}

bool GfxGl::BuildEffect(GfxEffectDesc& desc, const std::string& file, std::string* error)
{
    for (auto& technique : desc.techniques) {
        for (auto& pass : technique.passes) {
            std::string log;
            bool vertexFailed = false;
            if (LinkPass(desc, pass, false, &log, &vertexFailed) &&
                (pass.focusX < 0 || LinkPass(desc, pass, true, &log, &vertexFailed))) {
                continue;
            }
            // The program outside the focus is linked only after the pass's own one built.
            const bool outside = pass.programs[0] != 0;
            const GfxEffectShader& bad = desc.shaders[vertexFailed ? pass.vertexShader : pass.fragmentShader];
            *error = file + ":" + std::to_string(bad.firstLine - 1) + ": " + (bad.vertex ? "vertex" : "fragment") +
                     " shader '" + bad.name + "' of technique '" + technique.name + "' (pass on line " +
                     std::to_string(pass.line) + ") does not build" + (outside ? " with GFX_OUTSIDE_FOCUS" : "") +
                     "; GL says (line numbers are the file's):\n" + log;
            DropEffect(desc);
            return false;
        }
    }
    return true;
}

void GfxGl::DropEffect(GfxEffectDesc& desc)
{
    for (auto& technique : desc.techniques) {
        for (auto& pass : technique.passes) {
            glDeleteProgram(pass.programs[0]);  // GL ignores the name 0
            glDeleteProgram(pass.programs[1]);
            pass.programs[0] = pass.programs[1] = 0;
        }
    }
}

void GfxGl::Present(GfxSurface* backBuffer)
{
    int dw = 0;
    int dh = 0;
    SDL_GL_GetDrawableSize(window_->sdl, &dw, &dh);
    const GfxViewRect view = GfxLetterbox(dw, dh, pictureWidth_, pictureHeight_);
    if (backBuffer->gl.window) {
        SDL_GL_SwapWindow(window_->sdl);
        // A window whose picture changed size or place no longer holds the back buffer: draw in a
        // texture from the next frame on and copy it over.
        const bool moved = static_cast<UINT>(view.width) != backBuffer->width ||
                           static_cast<UINT>(view.height) != backBuffer->height || view.x != windowView_.x ||
                           view.y != windowView_.y;
        if (moved && !LeaveWindow(backBuffer)) {
            std::fprintf(stderr, "graphics: the back buffer cannot leave the window\n");
        }
    } else {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer->gl.framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        const auto w = static_cast<GLint>(backBuffer->width);
        const auto h = static_cast<GLint>(backBuffer->height);
        if (view.width != dw || view.height != dh) {
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);  // the bars
        }
        // The back buffer is stored top row first; the window's first row is its bottom.
        glBlitFramebuffer(0, 0, w, h, view.x, view.y + view.height, view.x + view.width, view.y, GL_COLOR_BUFFER_BIT,
                          (w == view.width && h == view.height) ? GL_NEAREST : GL_LINEAR);
        SDL_GL_SwapWindow(window_->sdl);
        glBindFramebuffer(GL_FRAMEBUFFER, target_ != nullptr ? target_->gl.framebuffer : 0);
    }
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
    *vertexFailed = !CompileShader(GL_VERTEX_SHADER, vertexSource, &vs, log);
    if (*vertexFailed || !CompileShader(GL_FRAGMENT_SHADER, fragmentSource, &fs, log)) {
        glDeleteShader(vs);  // GL ignores the name 0
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
        *log = "link: " + InfoLog(p, true);
        glDeleteProgram(p);
        return false;
    }
    *program = p;
    return true;
}
