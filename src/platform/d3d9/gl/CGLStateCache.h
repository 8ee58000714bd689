// The one place that changes GL's fixed pipeline state and shared bindings
// for the device: it remembers what GL has and issues only what differs.
// With `force` set it issues everything regardless, which is what the
// TESSARY_GL_NO_STATE_CACHE=1 kill switch does to catch delta bugs.
#pragma once

#include <cstdint>

#include <epoxy/gl.h>

#include "platform/d3d9/gl/GLPipelineState.h"

class CGLStateCache {
public:
    // Issues every group of `known` and forgets all bindings, putting GL and
    // the cache into the same state; `sampler` is the sampler object that
    // stands for Direct3D's sampler 0.
    void Reset(const GLPipelineState& known, GLuint sampler);

    // Issues the groups (not the shader, which the device binds) in which
    // `wanted` differs from what GL has; returns the groups issued.
    std::uint32_t Apply(const GLPipelineState& wanted, bool force);

    void BindDrawFramebuffer(GLuint framebuffer, bool force);
    void UseProgram(GLuint program, bool force);
    void BindTexture0(GLuint texture, bool force);

    // GL unbinds a deleted object; the cache must not believe otherwise, or
    // a new object that reuses the name would never be bound.
    void ForgetTexture(GLuint texture);
    void ForgetFramebuffer(GLuint framebuffer);

    // Clear writes every channel and depth inside a scissor rectangle;
    // blits must see neither a scissor nor a colour mask.
    void PrepareClear(const GLRect& scissor);
    void PrepareBlit();

    const GLPipelineState& Applied() const { return applied; }

private:
    void SetScissorTest(bool enable);
    void SetColorMask(std::uint8_t mask);

    GLPipelineState applied;
    GLRect scissor{-1, -1, -1, -1};
    GLuint sampler0 = 0;
    GLuint drawFramebuffer = 0;
    GLuint program = 0;
    GLuint texture0 = 0;
};
