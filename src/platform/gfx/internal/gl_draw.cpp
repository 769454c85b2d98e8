// Drawing with OpenGL: clears, the device's states turned into GL state, the fixed-function
// stage's program variants, effect passes (with their focus bands) and the draw calls.

#include <algorithm>
#include <cmath>

#include "platform/gfx/internal/effect.h"
#include "platform/gfx/internal/gl.h"
#include "platform/gfx/internal/gl_shared.h"

namespace {

constexpr UINT kFocusLargeTarget = 1024u * 1024u;  // pixels
constexpr UINT kFocusQuadVertices = 5;              // a quad closed as a strip

GLenum CompareFunc(DWORD f)
{
    switch (f) {
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum BlendFactor(DWORD b)
{
    switch (b) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    default: return GL_ONE;
    }
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type)
{
    switch (type) {
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    default: return GL_TRIANGLES;
    }
}

}  // namespace

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
        glBlendEquation(GL_FUNC_ADD);
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
