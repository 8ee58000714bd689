// Uniform upload for the device's draws. The setters tell which group of
// uniforms their state feeds (Changed); each program remembers the version
// of every group it last received, so a draw uploads only the groups that
// changed since its program last drew.
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/ID3DStateListener.h"
#include "platform/d3d9/gl/CGLProgram.h"
#include "platform/d3d9/gl/GLPipelineState.h"

class CGLUniformUploader final : public ID3DStateListener {
public:
    void Changed(GLUniformGroup group) { versions[group] = ++versionCounter; }
    void ChangedAll();

    // What the recorded setters change (CD3DStateRecorder).
    void TransformChanged(D3DTRANSFORMSTATETYPE type) override {
        // Lights are uploaded in camera space.
        if (type == D3DTS_VIEW) Changed(kGLUniformLighting);
        Changed(kGLUniformTransform);
    }
    void LightingChanged() override { Changed(kGLUniformLighting); }
    // The groups a render state feeds (lighting inputs, texture factor,
    // alpha reference).
    void RenderStateChanged(DWORD state) override;
    // Which colours the vertex carries steers the lighting's sources.
    void FvfChanged() override { Changed(kGLUniformLighting); }
    // With `force` every uniform is uploaded (the state cache's kill switch).
    void Upload(CGLProgram& program, const D3DDeviceState& state, const D3DVertexLayout& layout,
                const GLDrawFacts& facts, bool force);

private:
    std::array<std::uint64_t, kGLUniformGroupCount> versions{};
    std::uint64_t versionCounter = 0;
};
