// Told what a setter changed in the desired-state record, for a backend
// that keeps something derived from it (the GL device's uniforms).
#pragma once

#include "platform/d3d9/d3d9.h"

class ID3DStateListener {
public:
    virtual void TransformChanged(D3DTRANSFORMSTATETYPE type) = 0;
    // The material, a light, or which lights are on.
    virtual void LightingChanged() = 0;
    virtual void RenderStateChanged(DWORD state) = 0;
    // The vertex format: which colours the vertices carry.
    virtual void FvfChanged() = 0;

protected:
    ~ID3DStateListener() = default;
};
