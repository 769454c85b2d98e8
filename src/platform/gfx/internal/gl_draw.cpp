// Drawing with OpenGL: clears, the device's states turned into GL state, the fixed-function
// stage's program variants, effect passes (with their focus bands) and the draw calls.

#include <algorithm>
#include <cmath>

#include "platform/gfx/internal/effect.h"
#include "platform/gfx/internal/gl.h"
#include "platform/gfx/internal/gl_shared.h"

namespace {

constexpr UINT kFocusLargeTarget = 1024u * 1024u;  // pixels
constexpr UINT kFocusQuadVertices = 5;             // a quad closed as a strip

GLenum BlendFactor(DWORD b)
{
    return b == D3DBLEND_ZERO          ? GL_ZERO
           : b == D3DBLEND_SRCALPHA    ? GL_SRC_ALPHA
           : b == D3DBLEND_INVSRCALPHA ? GL_ONE_MINUS_SRC_ALPHA
                                       : GL_ONE;
}

}  // namespace

void GfxGl::Clear(DWORD flags, D3DCOLOR color, float z)
{
    GLbitfield mask = 0;
    const float rgba[4] = {static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                           static_cast<float>((color >> 8) & 0xFF) / 255.0f, static_cast<float>(color & 0xFF) / 255.0f,
                           static_cast<float>((color >> 24) & 0xFF) / 255.0f};
    if ((flags & D3DCLEAR_TARGET) != 0) {
        glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_ZBUFFER) != 0 && target_ != nullptr && target_->gl.depth) {
        glDepthMask(GL_TRUE);  // Clear ignores the depth-write state, as Direct3D does
        GlClearDepth(z);
        mask |= GL_DEPTH_BUFFER_BIT;
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
        glDepthFunc(s.zFunc == D3DCMP_LESSEQUAL ? GL_LEQUAL : GL_ALWAYS);
        glDepthMask(s.zWriteEnable != FALSE ? GL_TRUE : GL_FALSE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    if (s.alphaBlendEnable != FALSE) {
        glEnable(GL_BLEND);
        glBlendFunc(BlendFactor(s.srcBlend), BlendFactor(s.destBlend));
    } else {
        glDisable(GL_BLEND);
    }
    // Our targets are stored top row first, which mirrors the picture against GL's window
    // space; a triangle clockwise on screen is counter-clockwise to GL.
    if (s.cullMode == D3DCULL_NONE) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        // Clip control's upper-left origin, used for the window, keeps this the same there.
        glFrontFace(s.cullMode == D3DCULL_CCW ? GL_CCW : GL_CW);
    }
}

void GfxGl::ApplyEffect(GfxEffect& effect, UINT pass, bool outside)
{
    const GfxEffectPass& p = effect.Pass(pass);
    glUseProgram(p.programs[outside]);
    const std::vector<int>& locations = p.locations[outside];
    GfxEffectDesc& desc = effect.Desc();
    int unit = 1;  // unit 0 belongs to the fixed-function stage
    for (std::size_t i = 0; i < desc.params.size(); ++i) {
        const int location = locations[i];
        if (location < 0) {
            continue;
        }
        const GfxEffectParam& param = desc.params[i];
        if (param.type == GfxParamType::Float) {
            glUniform1f(location, param.value[0]);
        } else if (param.type == GfxParamType::Vector) {
            glUniform4fv(location, 1, param.value);
        } else if (param.type == GfxParamType::Matrix) {
            // Direct3D's row-major matrix read column-major is its transpose, so the
            // shader's M * v is Direct3D's v * M.
            glUniformMatrix4fv(location, 1, GL_FALSE, param.value);
        } else {
            BindTextureUnit(unit, param.texture, param.linear, param.wrap);
            glUniform1i(location, unit++);
        }
    }
}

bool GfxGl::LinkFixed(const std::string& head, FixedProgram* fixed, std::string* log)
{
    bool vertexFailed = false;
    if (!LinkProgram(fixedVertex_, head + kFixedFragment, &fixed->program, log, &vertexFailed)) {
        return false;
    }
    const auto at = [fixed](const char* name) { return glGetUniformLocation(fixed->program, name); };
    fixed->world = at("uWorld");
    fixed->view = at("uView");
    fixed->projection = at("uProjection");
    fixed->texture = at("uTexture");
    fixed->opsAt = at("uOps");
    fixed->hasTextureAt = at("uHasTexture");
    return true;
}

const GfxGl::FixedProgram& GfxGl::FixedFor(const int (&ops)[6], bool hasTexture)
{
    for (const FixedProgram& variant : fixedVariants_) {
        if (variant.hasTexture == hasTexture && std::equal(ops, ops + 6, variant.ops)) {
            return variant.program != 0 ? variant : fixed_;
        }
    }
    std::string head = GlslHead(kGlslDialect) + "const int uOps[6] = int[6](";
    for (int i = 0; i < 6; ++i) {
        head += std::to_string(ops[i]) + (i < 5 ? ", " : ");\n");
    }
    head += std::string("const int uHasTexture = ") + (hasTexture ? "1" : "0") + ";\n";
    FixedProgram& variant = fixedVariants_.emplace_back();
    std::copy(ops, ops + 6, variant.ops);
    variant.hasTexture = hasTexture;
    std::string log;
    // One that does not build stays listed without a program, so it is not tried again.
    return LinkFixed(head, &variant, &log) ? variant : fixed_;
}

void GfxGl::ApplyFixed(const GfxDevice& device)
{
    const GfxStageStates& st = device.Stage();
    const int ops[6] = {static_cast<int>(st.colorOp), static_cast<int>(st.colorArg1), static_cast<int>(st.colorArg2),
                        static_cast<int>(st.alphaOp), static_cast<int>(st.alphaArg1), static_cast<int>(st.alphaArg2)};
    const bool hasTexture = device.StageTexture() != nullptr;
    const FixedProgram& fixed = FixedFor(ops, hasTexture);
    glUseProgram(fixed.program);
    glUniformMatrix4fv(fixed.world, 1, GL_FALSE, &device.World().m[0][0]);
    glUniformMatrix4fv(fixed.view, 1, GL_FALSE, &device.View().m[0][0]);
    glUniformMatrix4fv(fixed.projection, 1, GL_FALSE, &device.Projection().m[0][0]);
    if (&fixed == &fixed_) {
        glUniform1iv(fixed.opsAt, 6, ops);
        glUniform1i(fixed.hasTextureAt, hasTexture ? 1 : 0);
    }
    BindTextureUnit(0, device.StageTexture(), false, true);
    glUniform1i(fixed.texture, 0);
}

void GfxGl::Draw(const GfxDevice& device, GfxVertexBuffer* buffer, UINT offset, UINT stride, D3DPRIMITIVETYPE type,
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
        glVertexAttribPointer(2, kGlColorSize, GL_UNSIGNED_BYTE, GL_TRUE, s, at(24));
        glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, s, at(28));
        boundBuffer_ = buffer->gl.buffer;
        boundOffset_ = offset;
        boundStride_ = stride;
    }
    ApplyStates(device);
    const GLenum mode = type == D3DPT_TRIANGLESTRIP ? GL_TRIANGLE_STRIP : GL_TRIANGLES;
    GfxEffect* effect = device.ActiveEffect();
    // Drawing round a focus makes each draw three or five. On a large target that always pays;
    // on a small one (measured with bench_frames on llvmpipe) it pays for a single quad, whose
    // repeats cost next to nothing, and for triangle lists (the world's quads in view, spread
    // over the picture), but not for strips of several quads (the creature's small batches,
    // mostly under the pointer), whose repeats cost more than the pixels they spare.
    if (effect != nullptr && effect->Pass(device.ActivePass()).programs[1] != 0 &&
        (target_->width * target_->height >= kFocusLargeTarget || vertexCount <= kFocusQuadVertices ||
         mode == GL_TRIANGLES)) {
        DrawFocused(*effect, device.ActivePass(), mode, static_cast<int>(start), static_cast<int>(vertexCount), *buffer,
                    offset, stride);
    } else {
        if (effect != nullptr) {
            ApplyEffect(*effect, device.ActivePass(), false);
        } else {
            ApplyFixed(device);
        }
        glDrawArrays(mode, static_cast<GLint>(start), static_cast<GLsizei>(vertexCount));
    }
    GL_CHECK("DrawPrimitive");
}

void GfxGl::DrawFocused(GfxEffect& effect, UINT pass, unsigned mode, int start, int count,
                        const GfxVertexBuffer& buffer, UINT offset, UINT stride)
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
    // Each band repeats the draw's vertex work, unless the pass says where its vertices
    // land. Without that, the full columns above and below the square are drawn cheaply too
    // only where they hold enough pixels to pay for two more draws.
    const bool reach = p.reachMatrix >= 0 && mode == GL_TRIANGLES && buffer.data != nullptr;
    const bool columnsOnly = !reach && static_cast<long>(right - left) * (h - (bottom - top)) < 65536;
    GfxBand parts[kGfxMaxBands] = {
        {left, top, right, bottom}, {0, 0, left, h}, {right, 0, w, h}, {left, 0, right, top}, {left, bottom, right, h}};
    if (columnsOnly) {
        parts[0] = {left, 0, right, h};
    }
    const int partCount = columnsOnly ? 3 : 5;
    bool listed = false;
    if (reach) {
        const GfxBandVertices v{
            reinterpret_cast<const unsigned char*>(buffer.data) + offset + static_cast<std::size_t>(start) * stride,
            stride, count, desc.params[static_cast<std::size_t>(p.reachMatrix)].value, p.reachMargin};
        listed = GfxListBandTriangles(v, w, h, parts, partCount, static_cast<unsigned>(start), &bandLists_);
    }
    if (listed) {
        if (bandIndices_ == 0) {
            glGenBuffers(1, &bandIndices_);
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, bandIndices_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(bandLists_.indices.size() * sizeof(unsigned)),
                     bandLists_.indices.data(), GL_STREAM_DRAW);
    }
    // Scissor boxes are in GL's window space: the window's first row is its bottom, a
    // texture target's is the picture's top.
    const bool window = target_->gl.window;
    glEnable(GL_SCISSOR_TEST);
    int applied = -1;  // the program set: 0 the full one, 1 the one outside the focus
    for (int i = 0; i < partCount; ++i) {
        const GfxBand& b = parts[i];
        const std::size_t from = listed && i > 0 ? bandLists_.ends[i - 1] : 0;
        const std::size_t to = listed ? bandLists_.ends[i] : 0;
        if (b.x1 <= b.x0 || b.y1 <= b.y0 || (listed && to == from)) {
            continue;
        }
        if (applied != (i > 0 ? 1 : 0)) {
            applied = i > 0 ? 1 : 0;
            ApplyEffect(effect, pass, applied == 1);
        }
        glScissor(window ? windowView_.x + b.x0 : b.x0, window ? windowView_.y + h - b.y1 : b.y0, b.x1 - b.x0,
                  b.y1 - b.y0);
        if (listed) {
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(to - from), GL_UNSIGNED_INT,
                           reinterpret_cast<const void*>(from * sizeof(unsigned)));
        } else {
            glDrawArrays(mode, start, count);
        }
    }
    glDisable(GL_SCISSOR_TEST);
}
