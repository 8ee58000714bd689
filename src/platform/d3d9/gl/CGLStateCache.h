// The one place that changes GL's pipeline state and holds its bindings for
// the device: it remembers what GL has, issues only what differs and counts
// the GL calls it makes, so that a test can see that an unchanged state
// costs nothing. With the kill switch on (TESSARY_GL_NO_STATE_CACHE=1) it
// issues everything regardless, to catch bugs in the delta logic.
#pragma once

#include <epoxy/gl.h>

#include <cstddef>
#include <cstdint>

#include "platform/d3d9/D3DVertexFormat.h"
#include "platform/d3d9/gl/GLPipelineState.h"

class CGLStateCache {
public:
    void SetKillSwitch(bool on) { killSwitch = on; }
    bool KillSwitch() const { return killSwitch; }

    // Puts GL and the cache into one known state: every group of `known`,
    // the device-wide settings nothing else changes, `vertexArray` and
    // `sampler` (which stands for Direct3D's sampler 0) bound, nothing else.
    void Reset(const GLPipelineState& known, GLuint vertexArray, GLuint sampler);

    // Issues the groups in which `wanted` differs from what GL has.
    void Apply(const GLPipelineState& wanted);

    // Bindings. `force` issues the call even when the cache thinks GL has it.
    void BindDrawFramebuffer(GLuint framebuffer, bool force = false);
    void BindReadFramebuffer(GLuint framebuffer);
    void UseProgram(GLuint program);
    void BindTexture0(GLuint texture, bool force = false);
    void BindElementBuffer(GLuint buffer);
    // The copy-write binding is part of no vertex array: uploads through it
    // never disturb the vertex setup.
    void BindCopyWriteBuffer(GLuint buffer);
    void BindRenderbuffer(GLuint renderbuffer);
    // The vertex attributes of `layout` read from `buffer` at `offset`.
    void SetupAttributes(GLuint buffer, const D3DVertexLayout& layout, DWORD fvf, UINT stride,
                         std::size_t offset);

    // GL unbinds a deleted object; the cache must not believe otherwise, or
    // a new object that reuses the name would never be bound.
    void ForgetTexture(GLuint texture);
    void ForgetFramebuffer(GLuint framebuffer);
    void ForgetBuffer(GLuint buffer);
    void ForgetRenderbuffer(GLuint renderbuffer);

    // Clear writes every channel and depth inside a scissor rectangle;
    // blits must see neither a scissor nor a colour mask.
    void PrepareClear(const GLRect& scissor);
    void PrepareBlit();

    // GL calls issued since the cache was made.
    std::uint64_t CallCount() const { return calls; }

private:
    struct AttributeSetup {
        GLuint buffer = 0;
        DWORD fvf = 0;
        UINT stride = 0;
        std::size_t offset = 0;
        bool operator==(const AttributeSetup&) const = default;
    };

    void Issue(std::uint64_t count = 1) { calls += count; }
    void ApplyGroups(const GLPipelineState& wanted, std::uint32_t groups);
    void SetScissorTest(bool enable);
    void SetColorMask(std::uint8_t mask);

    bool killSwitch = false;
    std::uint64_t calls = 0;
    GLPipelineState applied;
    GLRect scissor{-1, -1, -1, -1};
    GLuint sampler0 = 0;
    GLuint drawFramebuffer = 0;
    GLuint readFramebuffer = 0;
    GLuint program = 0;
    GLuint texture0 = 0;
    GLuint elementBuffer = 0;
    GLuint copyWriteBuffer = 0;
    GLuint renderbuffer = 0;
    AttributeSetup attributes;
};
