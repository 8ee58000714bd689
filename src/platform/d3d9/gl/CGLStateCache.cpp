#include "platform/d3d9/gl/CGLStateCache.h"

#include <bit>
#include <cstdint>

#include "platform/d3d9/gl/GLPrimitive.h"
#include "platform/d3d9/gl/GLShaderSource.h"

namespace {

GLenum ToGL(GLCompareFunc f) {
    switch (f) {
        case GLCompareFunc::Never: return GL_NEVER;
        case GLCompareFunc::Less: return GL_LESS;
        case GLCompareFunc::Equal: return GL_EQUAL;
        case GLCompareFunc::LessEqual: return GL_LEQUAL;
        case GLCompareFunc::Greater: return GL_GREATER;
        case GLCompareFunc::NotEqual: return GL_NOTEQUAL;
        case GLCompareFunc::GreaterEqual: return GL_GEQUAL;
        case GLCompareFunc::Always: return GL_ALWAYS;
    }
    return GL_ALWAYS;
}

GLenum ToGL(GLBlendFactor f) {
    switch (f) {
        case GLBlendFactor::Zero: return GL_ZERO;
        case GLBlendFactor::One: return GL_ONE;
        case GLBlendFactor::SrcColor: return GL_SRC_COLOR;
        case GLBlendFactor::OneMinusSrcColor: return GL_ONE_MINUS_SRC_COLOR;
        case GLBlendFactor::SrcAlpha: return GL_SRC_ALPHA;
        case GLBlendFactor::OneMinusSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
        case GLBlendFactor::DstAlpha: return GL_DST_ALPHA;
        case GLBlendFactor::OneMinusDstAlpha: return GL_ONE_MINUS_DST_ALPHA;
        case GLBlendFactor::DstColor: return GL_DST_COLOR;
        case GLBlendFactor::OneMinusDstColor: return GL_ONE_MINUS_DST_COLOR;
    }
    return GL_ONE;
}

GLint ToGL(GLWrap w) {
    switch (w) {
        case GLWrap::Repeat: return GL_REPEAT;
        case GLWrap::MirroredRepeat: return GL_MIRRORED_REPEAT;
        case GLWrap::ClampToEdge: return GL_CLAMP_TO_EDGE;
        case GLWrap::ClampToBorder: return GL_CLAMP_TO_BORDER;
    }
    return GL_REPEAT;
}

GLint ToGL(GLFilter f) {
    switch (f) {
        case GLFilter::Nearest: return GL_NEAREST;
        case GLFilter::Linear: return GL_LINEAR;
        case GLFilter::NearestMipmapNearest: return GL_NEAREST_MIPMAP_NEAREST;
        case GLFilter::LinearMipmapNearest: return GL_LINEAR_MIPMAP_NEAREST;
        case GLFilter::NearestMipmapLinear: return GL_NEAREST_MIPMAP_LINEAR;
        case GLFilter::LinearMipmapLinear: return GL_LINEAR_MIPMAP_LINEAR;
    }
    return GL_NEAREST;
}

GLenum ToGL(GLPolygonMode m) {
    switch (m) {
        case GLPolygonMode::Fill: return GL_FILL;
        case GLPolygonMode::Line: return GL_LINE;
        case GLPolygonMode::Point: return GL_POINT;
    }
    return GL_FILL;
}

void Enable(GLenum cap, bool on) {
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

// The vertex attributes a layout may use: position and four optional ones.
constexpr GLuint kAttributeCount = kGLAttribTexCoord + 1;

}  // namespace

void CGLStateCache::Reset(const GLPipelineState& known, GLuint vertexArray, GLuint sampler) {
    // Settings the device never changes afterwards.
    glDisable(GL_DITHER);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_PRIMITIVE_RESTART);
    glPrimitiveRestartIndex(kGLRestartIndex);
    glDisable(GL_FRAMEBUFFER_SRGB);
    glBlendEquation(GL_FUNC_ADD);
    // Direct3D's flat shading takes the first vertex's colour.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glActiveTexture(GL_TEXTURE0);
    Issue(12);

    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    for (GLuint i = 0; i < kAttributeCount; ++i) glDisableVertexAttribArray(i);
    attributes = AttributeSetup{};
    Issue(2 + kAttributeCount);
    sampler0 = sampler;
    glBindSampler(0, sampler0);
    Issue();

    applied = known;
    ApplyGroups(known, kGLAllGroups);
    scissor = GLRect{-1, -1, -1, -1};
    BindDrawFramebuffer(0, true);
    readFramebuffer = 1;  // anything but 0: the next call is issued
    BindReadFramebuffer(0);
    program = 1;
    UseProgram(0);
    BindTexture0(0, true);
    elementBuffer = 1;
    BindElementBuffer(0);
    copyWriteBuffer = 1;
    BindCopyWriteBuffer(0);
    renderbuffer = 1;
    BindRenderbuffer(0);
}

void CGLStateCache::Apply(const GLPipelineState& wanted) {
    ApplyGroups(wanted, killSwitch ? kGLAllGroups : DiffPipeline(applied, wanted));
}

void CGLStateCache::ApplyGroups(const GLPipelineState& w, std::uint32_t groups) {
    if (groups == 0) return;
    if (groups & kGLDepthTest) Enable(GL_DEPTH_TEST, w.depthTest);
    if (groups & kGLDepthFunc) glDepthFunc(ToGL(w.depthFunc));
    if (groups & kGLDepthWrite) glDepthMask(w.depthWrite ? GL_TRUE : GL_FALSE);
    if (groups & kGLCullEnable) Enable(GL_CULL_FACE, w.cullEnable);
    if (groups & kGLCullFace) glCullFace(w.cullFace == GLCullFace::Front ? GL_FRONT : GL_BACK);
    if (groups & kGLFrontFace)
        glFrontFace(w.frontFace == GLFrontFace::CounterClockwise ? GL_CCW : GL_CW);
    if (groups & kGLBlendEnable) Enable(GL_BLEND, w.blendEnable);
    if (groups & kGLBlendFunc)
        glBlendFuncSeparate(ToGL(w.srcBlend), ToGL(w.dstBlend), ToGL(w.srcBlendAlpha),
                            ToGL(w.dstBlendAlpha));
    if (groups & kGLColorMask)
        glColorMask((w.colorMask & 1) != 0, (w.colorMask & 2) != 0, (w.colorMask & 4) != 0,
                    (w.colorMask & 8) != 0);
    if (groups & kGLPolygonMode) glPolygonMode(GL_FRONT_AND_BACK, ToGL(w.polygonMode));
    if (groups & kGLMultisample) Enable(GL_MULTISAMPLE, w.multisample);
    if (groups & kGLScissorTest) Enable(GL_SCISSOR_TEST, w.scissorTest);
    if (groups & kGLViewport)
        glViewport(w.viewport.x, w.viewport.y, w.viewport.width, w.viewport.height);
    if (groups & kGLDepthRange) glDepthRange(w.depthNear, w.depthFar);
    if (groups & kGLSampler0) {
        const GLSamplerParams& s = w.sampler0;
        glSamplerParameteri(sampler0, GL_TEXTURE_WRAP_S, ToGL(s.wrapS));
        glSamplerParameteri(sampler0, GL_TEXTURE_WRAP_T, ToGL(s.wrapT));
        glSamplerParameteri(sampler0, GL_TEXTURE_MIN_FILTER, ToGL(s.minFilter));
        glSamplerParameteri(sampler0, GL_TEXTURE_MAG_FILTER, ToGL(s.magFilter));
        const GLfloat border[4] = {static_cast<float>((s.borderColor >> 16) & 0xFF) / 255.0f,
                                   static_cast<float>((s.borderColor >> 8) & 0xFF) / 255.0f,
                                   static_cast<float>(s.borderColor & 0xFF) / 255.0f,
                                   static_cast<float>((s.borderColor >> 24) & 0xFF) / 255.0f};
        glSamplerParameterfv(sampler0, GL_TEXTURE_BORDER_COLOR, border);
        Issue(4);
    }
    Issue(static_cast<std::uint64_t>(std::popcount(groups)));
    applied = w;
}

void CGLStateCache::BindDrawFramebuffer(GLuint framebuffer, bool force) {
    if (!force && !killSwitch && framebuffer == drawFramebuffer) return;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    Issue();
    drawFramebuffer = framebuffer;
}

void CGLStateCache::BindReadFramebuffer(GLuint framebuffer) {
    if (!killSwitch && framebuffer == readFramebuffer) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    Issue();
    readFramebuffer = framebuffer;
}

void CGLStateCache::UseProgram(GLuint name) {
    if (!killSwitch && name == program) return;
    glUseProgram(name);
    Issue();
    program = name;
}

void CGLStateCache::BindTexture0(GLuint texture, bool force) {
    if (!force && !killSwitch && texture == texture0) return;
    glBindTexture(GL_TEXTURE_2D, texture);  // unit 0 is always the active one
    Issue();
    texture0 = texture;
}

void CGLStateCache::BindElementBuffer(GLuint buffer) {
    if (!killSwitch && buffer == elementBuffer) return;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    Issue();
    elementBuffer = buffer;
}

void CGLStateCache::BindCopyWriteBuffer(GLuint buffer) {
    if (!killSwitch && buffer == copyWriteBuffer) return;
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    Issue();
    copyWriteBuffer = buffer;
}

void CGLStateCache::BindRenderbuffer(GLuint name) {
    if (!killSwitch && name == renderbuffer) return;
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    Issue();
    renderbuffer = name;
}

void CGLStateCache::SetupAttributes(GLuint buffer, const D3DVertexLayout& layout, DWORD fvf,
                                    UINT stride, std::size_t offset) {
    const AttributeSetup wanted{buffer, fvf, stride, offset};
    if (!killSwitch && wanted == attributes) return;
    attributes = wanted;
    const auto s = static_cast<GLsizei>(stride);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(kGLAttribPosition, layout.pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE, s,
                          GLBufferOffset(offset));
    glEnableVertexAttribArray(kGLAttribPosition);
    Issue(3);
    const auto optional = [&](GLuint location, int at, GLint size, GLenum type, GLboolean norm) {
        if (at < 0) {
            glDisableVertexAttribArray(location);
            Issue();
            return;
        }
        glVertexAttribPointer(location, size, type, norm, s,
                              GLBufferOffset(offset + static_cast<std::size_t>(at)));
        glEnableVertexAttribArray(location);
        Issue(2);
    };
    optional(kGLAttribNormal, layout.normalOffset, 3, GL_FLOAT, GL_FALSE);
    // A D3DCOLOR is 0xAARRGGBB: bytes B, G, R, A in memory, which GL reads
    // as a normalised BGRA colour.
    optional(kGLAttribDiffuse, layout.diffuseOffset, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    optional(kGLAttribSpecular, layout.specularOffset, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
    optional(kGLAttribTexCoord, layout.texCoordOffset, layout.texCoordComponents, GL_FLOAT,
             GL_FALSE);
}

void CGLStateCache::ForgetTexture(GLuint texture) {
    if (texture0 == texture) texture0 = 0;
}

void CGLStateCache::ForgetFramebuffer(GLuint framebuffer) {
    if (drawFramebuffer == framebuffer) drawFramebuffer = 0;
    if (readFramebuffer == framebuffer) readFramebuffer = 0;
}

void CGLStateCache::ForgetBuffer(GLuint buffer) {
    // The attributes may still name it: set them up afresh next time.
    if (attributes.buffer == buffer) attributes = AttributeSetup{};
    if (elementBuffer == buffer) elementBuffer = 0;
    if (copyWriteBuffer == buffer) copyWriteBuffer = 0;
}

void CGLStateCache::ForgetRenderbuffer(GLuint name) {
    if (renderbuffer == name) renderbuffer = 0;
}

void CGLStateCache::SetScissorTest(bool enable) {
    if (applied.scissorTest == enable) return;
    Enable(GL_SCISSOR_TEST, enable);
    Issue();
    applied.scissorTest = enable;
}

void CGLStateCache::SetColorMask(std::uint8_t mask) {
    if (applied.colorMask == mask) return;
    glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
    Issue();
    applied.colorMask = mask;
}

void CGLStateCache::PrepareClear(const GLRect& rect) {
    SetScissorTest(true);
    if (!(scissor == rect)) {
        glScissor(rect.x, rect.y, rect.width, rect.height);
        Issue();
        scissor = rect;
    }
    SetColorMask(0xF);
    if (!applied.depthWrite) {
        glDepthMask(GL_TRUE);
        Issue();
        applied.depthWrite = true;
    }
}

void CGLStateCache::PrepareBlit() {
    SetScissorTest(false);
    SetColorMask(0xF);
}
