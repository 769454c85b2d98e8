#pragma once

// Private to the graphics layer: the OpenGL 3.3 core side of a device. Every target, the
// back buffer included, is a framebuffer object whose first row is the top of the picture,
// like Direct3D's memory layout; Present copies the back buffer to the window upside down.

#include <string>
#include <vector>

#include "platform/gfx/internal/device.h"
#include "platform/gfx/internal/focus_bands.h"
#include "platform/gfx/internal/present.h"

class GfxEffect;
struct GfxEffectDesc;
struct GfxEffectPass;

class GfxGl {
public:
    // Makes a GL 3.3 core context on the window; full screen at the desktop's size when
    // params->Windowed is FALSE. A back buffer size of 0 becomes the window's drawable size.
    // Null with *result set on failure.
    static GfxGl* Create(PlatformWindow* window, D3DPRESENT_PARAMETERS* params, HRESULT* result);
    ~GfxGl();
    // Starts SDL's video subsystem for Direct3DCreate9, once: it stays up for the process.
    static bool VideoUp();
    // For tests: devices made while this is set convert depth in the shaders, as on a GL
    // without clip control, instead of using glClipControl.
    static void ForceDepthConversion(bool on);

    bool MakeBackBuffer(GfxSurface* surface, bool depth);
    bool MakeTexture(GfxSurface* surface);
    void DropSurface(GfxSurface* surface);
    void DropBuffer(GfxVertexBuffer* buffer);
    // Moves a back buffer drawn in the window into a texture of its own.
    bool LeaveWindow(GfxSurface* surface);

    void BindTarget(GfxSurface* target);
    void Clear(DWORD flags, D3DCOLOR color, float z);
    // Copies one render target's GPU contents onto another of the same size.
    void Copy(const GfxSurface& from, const GfxSurface& to);
    // Copies the GPU contents of a render target into surface->pixels.
    bool ReadBack(GfxSurface* surface);
    // Draws `vertexCount` vertices from `start` with the device's states, through the
    // effect pass the device has active or the fixed-function program.
    void Draw(const GfxDevice& device, GfxVertexBuffer* buffer, UINT offset, UINT stride, D3DPRIMITIVETYPE type,
              UINT start, UINT vertexCount);
    void Present(GfxSurface* backBuffer);

    // Puts the CPU copy of a surface on the GPU if it is newer.
    void UploadTexture(GfxSurface* surface);
    // Links a program for every pass of an effect and finds each parameter in it; false with
    // "file:line: ..." in *error, and no program left behind, when a pass does not build.
    bool BuildEffect(GfxEffectDesc& desc, const std::string& file, std::string* error);
    void DropEffect(GfxEffectDesc& desc);

private:
    GfxGl() = default;
    // Links one program; false with the GL log in *log.
    bool LinkProgram(const std::string& vertexSource, const std::string& fragmentSource, unsigned* program,
                     std::string* log, bool* vertexFailed);
    // Links one pass's program (or, with `outside`, its program for outside its focus) and
    // finds each parameter in it.
    bool LinkPass(const GfxEffectDesc& desc, GfxEffectPass& pass, bool outside, std::string* log, bool* vertexFailed);
    void UploadBuffer(GfxVertexBuffer* buffer, UINT needed);
    void BindTextureUnit(int unit, GfxTexture* texture, bool linear, bool wrap);
    void ApplyStates(const GfxDevice& device);
    // Sets the pass's program (or, with `outside`, its program for outside its focus) and
    // the effect's parameters.
    void ApplyEffect(GfxEffect& effect, UINT pass, bool outside);
    // Draws an effect pass with a focus: the full program in the square round the focus (or
    // in that square's full-height column), the other one in scissored bands round it. A
    // triangle list of a pass with a reach draws each part with only its own triangles.
    void DrawFocused(GfxEffect& effect, UINT pass, unsigned mode, int start, int count, const GfxVertexBuffer& buffer,
                     UINT offset, UINT stride);
    void ApplyFixed(const GfxDevice& device);
    // A fixed-function program: the general one, which reads the stage's operations from
    // uniforms, or a variant with them built in as constants (no ops uniforms).
    struct FixedProgram {
        int ops[6] = {};
        bool hasTexture = false;
        unsigned program = 0;
        int world = -1, view = -1, projection = -1, texture = -1, opsAt = -1, hasTextureAt = -1;
    };
    // Links the fixed-function vertex shader with the fragment shader under `head`.
    bool LinkFixed(const std::string& head, FixedProgram* fixed, std::string* log);
    // The variant for a combination of operations, made at its first use; the general
    // program where that one does not build.
    const FixedProgram& FixedFor(const int (&ops)[6], bool hasTexture);

    PlatformWindow* window_ = nullptr;
    void* context_ = nullptr;
    bool clipControl_ = false;
    bool vsync_ = false;
    bool paced_ = true;
    unsigned vao_ = 0;
    unsigned depth_ = 0;
    UINT depthWidth_ = 0, depthHeight_ = 0;
    unsigned samplers_[4] = {};  // point/linear x wrap/clamp
    unsigned white_ = 0;         // what an empty texture slot samples
    std::string fixedVertex_;
    FixedProgram fixed_;
    std::vector<FixedProgram> fixedVariants_;
    GfxSurface* target_ = nullptr;
    bool sharedDepthClear_ = false;  // the window's depth was cleared; the shared store not yet
    float sharedDepthZ_ = 1.0f;
    unsigned bandIndices_ = 0;  // the element buffer of the focus bands' triangles
    GfxBandLists bandLists_;
    unsigned boundBuffer_ = 0;
    UINT boundOffset_ = ~0u, boundStride_ = 0;
    GfxFramePacer pacer_;
    // The window's size when the device was made: the proportion the picture keeps on screen.
    int pictureWidth_ = 0, pictureHeight_ = 0;
    // Where a back buffer drawn in the window sits in it.
    GfxViewRect windowView_{0, 0, 0, 0};
    bool windowBars_ = false;
};
