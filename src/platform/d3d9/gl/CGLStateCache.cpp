#include "platform/d3d9/gl/CGLStateCache.h"

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

}  // namespace

void CGLStateCache::Reset(const GLPipelineState& known, GLuint sampler) {
    sampler0 = sampler;
    glBindSampler(0, sampler0);
    applied = known;
    Apply(known, true);
    scissor = GLRect{-1, -1, -1, -1};
    BindDrawFramebuffer(0, true);
    UseProgram(0, true);
    BindTexture0(0, true);
}

std::uint32_t CGLStateCache::Apply(const GLPipelineState& w, bool force) {
    const std::uint32_t groups = force ? kGLAllGroups : DiffPipeline(applied, w);
    if (groups == 0) return 0;
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
    if (groups & kGLViewport) glViewport(w.viewport.x, w.viewport.y, w.viewport.width, w.viewport.height);
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
    }
    const GLShaderKey shader = applied.shader;
    applied = w;
    applied.shader = shader;  // the device owns program binding
    return groups & ~static_cast<std::uint32_t>(kGLShader);
}

void CGLStateCache::BindDrawFramebuffer(GLuint framebuffer, bool force) {
    if (!force && framebuffer == drawFramebuffer) return;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    drawFramebuffer = framebuffer;
}

void CGLStateCache::UseProgram(GLuint name, bool force) {
    if (!force && name == program) return;
    glUseProgram(name);
    program = name;
}

void CGLStateCache::BindTexture0(GLuint texture, bool force) {
    if (!force && texture == texture0) return;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    texture0 = texture;
}

void CGLStateCache::ForgetTexture(GLuint texture) {
    if (texture0 == texture) texture0 = 0;
}

void CGLStateCache::ForgetFramebuffer(GLuint framebuffer) {
    if (drawFramebuffer == framebuffer) drawFramebuffer = 0;
}

void CGLStateCache::SetScissorTest(bool enable) {
    if (applied.scissorTest == enable) return;
    Enable(GL_SCISSOR_TEST, enable);
    applied.scissorTest = enable;
}

void CGLStateCache::SetColorMask(std::uint8_t mask) {
    if (applied.colorMask == mask) return;
    glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
    applied.colorMask = mask;
}

void CGLStateCache::PrepareClear(const GLRect& rect) {
    SetScissorTest(true);
    if (!(scissor == rect)) {
        glScissor(rect.x, rect.y, rect.width, rect.height);
        scissor = rect;
    }
    SetColorMask(0xF);
    if (!applied.depthWrite) {
        glDepthMask(GL_TRUE);
        applied.depthWrite = true;
    }
}

void CGLStateCache::PrepareBlit() {
    SetScissorTest(false);
    SetColorMask(0xF);
}
