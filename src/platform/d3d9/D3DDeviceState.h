// The "desired state" record of a Direct3D 9 device: every setter of the
// device writes here, and draws read what is in force. Both backends (the
// OpenGL one and the recording one) keep one, so the device defaults live in
// exactly one place: the default member initialisers and ResetToDefaults.
//
// The record holds raw pointers to bound objects; the owning device adds and
// drops the references when it changes a binding.
#pragma once

#include <array>

#include "platform/d3d9/d3d9.h"

struct D3DTextureStage {
    std::array<DWORD, kD3DTextureStageStateCount> states{};
};

struct D3DSamplerStates {
    std::array<DWORD, kD3DSamplerStateCount> states{};
};

struct D3DDeviceState {
    std::array<DWORD, kD3DRenderStateCount> renderStates{};
    std::array<D3DTextureStage, kD3DMaxTextureStages> stages{};
    std::array<D3DSamplerStates, kD3DMaxSamplers> samplers{};
    std::array<IDirect3DBaseTexture9*, kD3DMaxTextureStages> textures{};

    D3DMATRIX world{};
    D3DMATRIX view{};
    D3DMATRIX projection{};
    D3DVIEWPORT9 viewport{};
    D3DMATERIAL9 material{};
    std::array<D3DLIGHT9, kD3DMaxLights> lights{};
    std::array<BOOL, kD3DMaxLights> lightEnabled{};

    DWORD fvf = 0;
    IDirect3DVertexBuffer9* streamSource = nullptr;
    UINT streamOffset = 0;
    UINT streamStride = 0;
    IDirect3DIndexBuffer9* indices = nullptr;
    IDirect3DSurface9* renderTarget = nullptr;
    IDirect3DSurface9* depthStencil = nullptr;

    // Puts every value to Direct3D 9's device defaults. `autoDepth` tells
    // whether the device was made with an automatic depth buffer, which is
    // what D3DRS_ZENABLE defaults to. Bindings are left to the caller.
    void ResetToDefaults(bool autoDepth, UINT targetWidth, UINT targetHeight);

    DWORD RenderState(D3DRENDERSTATETYPE state) const { return renderStates[state]; }
    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
        return stages[stage].states[type];
    }
    DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const {
        return samplers[sampler].states[type];
    }
};

// Identity matrix, the default of every transform.
D3DMATRIX D3DIdentityMatrix();

// Bounds checks shared by both backends: an out-of-range index is
// D3DERR_INVALIDCALL, never an out-of-bounds write.
constexpr bool IsValidRenderState(DWORD state) { return state < kD3DRenderStateCount; }
constexpr bool IsValidStageState(DWORD stage, DWORD type) {
    return stage < kD3DMaxTextureStages && type < kD3DTextureStageStateCount;
}
constexpr bool IsValidSamplerState(DWORD sampler, DWORD type) {
    return sampler < kD3DMaxSamplers && type < kD3DSamplerStateCount;
}
