// Uniform upload for the device's draws. The setters tell which group of
// uniforms their state feeds (Changed); each program remembers the version
// of every group it last received, so a draw uploads only the groups that
// changed since its program last drew.
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/gl/CGLProgram.h"
#include "platform/d3d9/gl/GLPipelineState.h"

class CGLUniformUploader {
public:
    void Changed(GLUniformGroup group) { versions[group] = ++versionCounter; }
    void ChangedAll();
    // The groups a render state feeds (lighting inputs, texture factor,
    // alpha reference).
    void RenderStateChanged(DWORD state);
    // With `force` every uniform is uploaded (the state cache's kill switch).
    void Upload(CGLProgram& program, const D3DDeviceState& state, const D3DVertexLayout& layout,
                const GLDrawFacts& facts, bool force);

private:
    std::array<std::uint64_t, kGLUniformGroupCount> versions{};
    std::uint64_t versionCounter = 0;
};
