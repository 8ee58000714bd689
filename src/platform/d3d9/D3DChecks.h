// The argument checks of the Direct3D 9 stand-in, as pure functions that
// both backends call, so that the OpenGL device and the recording device
// refuse the same calls for the same reasons. Each returns
// D3DRefusal::None when the call may go ahead.
//
// The device both backends model: one adapter, one HAL device, one stream,
// one render target, single-level X8R8G8B8/A8R8G8B8 textures in the default
// or managed pool, D16 depth surfaces (so no stencil), offscreen plain
// surfaces in system memory to read render targets back into; managed
// textures and plain surfaces lockable. Limits that depend on the GL
// implementation come in D3DDeviceLimits; the recording device uses the
// defaults.
#pragma once

#include <cstdint>

#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/D3DRefusal.h"
#include "platform/d3d9/D3DVertexFormat.h"
#include "platform/d3d9/d3d9.h"

struct D3DDeviceLimits {
    UINT maxTextureSide = 16384;
    UINT maxSurfaceSide = 16384;  // back buffers and depth surfaces
    int maxSamples = 4;           // what GL 3.3 guarantees
};

// Beyond these a size is refused as absurd before anything is allocated.
constexpr std::uint64_t kD3DMaxSurfacePixels = std::uint64_t{1} << 26;  // texels or samples
constexpr UINT kD3DMaxBufferBytes = 256u << 20;
constexpr std::uint64_t kD3DMaxUserVertexBytes = 64u << 20;

bool IsD3DColourFormat(D3DFORMAT format);
bool IsD3DDepthFormat(D3DFORMAT format);  // the depth formats the device offers
bool D3DFormatHasStencil(D3DFORMAT format);

// --- The Direct3D object --------------------------------------------------
D3DRefusal CheckAdapter(UINT adapter, D3DDEVTYPE type);
// `displayFormat`: the adapter's display mode format.
D3DRefusal CheckDeviceFormat(D3DFORMAT displayFormat, D3DFORMAT adapterFormat, DWORD usage,
                             D3DRESOURCETYPE type, D3DFORMAT format);
D3DRefusal CheckMultiSampleType(D3DFORMAT format, D3DMULTISAMPLE_TYPE type, int maxSamples);
// Samples behind a multisample type: 0 for none, -1 when the device cannot.
int MultiSampleCount(D3DMULTISAMPLE_TYPE type, int maxSamples);

// --- Presentation ------------------------------------------------------------
// Checks present parameters and completes them as Direct3D does: an unknown
// back-buffer format becomes the adapter's `displayFormat`, a back-buffer
// count of 0 becomes 1. `samples` receives the sample count.
D3DRefusal CheckPresentParameters(const D3DPRESENT_PARAMETERS& requested, D3DFORMAT displayFormat,
                                  const D3DDeviceLimits& limits, D3DPRESENT_PARAMETERS* completed,
                                  int* samples);

// What Clear and the draws find bound.
struct D3DTargetFacts {
    bool hasTarget = false;
    UINT targetWidth = 0, targetHeight = 0;
    D3DMULTISAMPLE_TYPE targetMultiSample = D3DMULTISAMPLE_NONE;
    bool hasDepth = false;
    UINT depthWidth = 0, depthHeight = 0;
    D3DMULTISAMPLE_TYPE depthMultiSample = D3DMULTISAMPLE_NONE;
    D3DFORMAT depthFormat = D3DFMT_UNKNOWN;
    bool texture0IsTarget = false;  // stage 0 holds the render target's texture
};

// What a backend knows of a surface a call names. The description says
// what it is: a render target (Usage D3DUSAGE_RENDERTARGET), a depth
// surface (D3DUSAGE_DEPTHSTENCIL), a plain surface (Pool D3DPOOL_SYSTEMMEM).
struct D3DSurfaceFacts {
    bool given = false;  // not null
    bool mine = false;   // made by this device
    D3DSURFACE_DESC desc{};
    bool hasStorage = true;  // false for the automatic depth buffer of a device without one
    bool locked = false;
};

// The depth surface must be at least the render target's size and sampled
// the same way.
D3DRefusal CheckTargets(const D3DTargetFacts& targets);
// The same, and stage 0 must not sample the render target.
D3DRefusal CheckDrawTargets(const D3DTargetFacts& targets);
D3DRefusal CheckClear(DWORD count, const D3DRECT* rects, DWORD flags, float z,
                      const D3DTargetFacts& targets);

// --- Resources ---------------------------------------------------------------
// What every creating call checks first: somewhere to put the object (it is
// cleared, so a refused call hands out null) and no shared handle; then
// `arguments`, the verdict on the call's own arguments.
template <class T>
D3DRefusal CheckCreation(T** object, const HANDLE* sharedHandle, D3DRefusal arguments) {
    if (object == nullptr) return D3DRefusal::NullPointer;
    *object = nullptr;
    return sharedHandle != nullptr ? D3DRefusal::SharedHandle : arguments;
}
D3DRefusal CheckCreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, const D3DDeviceLimits& limits);
D3DRefusal CheckCreateBuffer(UINT length, D3DPOOL pool);
D3DRefusal CheckCreateIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL pool);
D3DRefusal CheckCreateDepthStencil(UINT width, UINT height, D3DFORMAT format,
                                   D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                   const D3DDeviceLimits& limits);
D3DRefusal CheckLockRect(UINT level, D3DPOOL pool, bool locked, const RECT* rect, UINT width,
                         UINT height);
D3DRefusal CheckLockRange(std::size_t length, UINT offset, UINT size);
D3DRefusal CheckCreateOffscreenPlain(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                     const D3DDeviceLimits& limits);
// IDirect3DSurface9::LockRect of a surface that is not a texture's level
// (a level locks as its texture does).
D3DRefusal CheckSurfaceLockRect(const D3DSurfaceFacts& surface, const RECT* rect);

// --- Targets and state -------------------------------------------------------
D3DRefusal CheckSetRenderTarget(DWORD index, const D3DSurfaceFacts& surface);
// A null surface (none given) is allowed: no depth buffer.
D3DRefusal CheckSetDepthStencil(const D3DSurfaceFacts& surface);
// The source must be a render target that is not multisampled; the
// destination a plain surface in system memory of its size and format.
D3DRefusal CheckGetRenderTargetData(const D3DSurfaceFacts& source,
                                    const D3DSurfaceFacts& destination);
D3DRefusal CheckViewport(const D3DVIEWPORT9& viewport, const D3DTargetFacts& targets);
D3DRefusal CheckTransformType(D3DTRANSFORMSTATETYPE type);
D3DRefusal CheckLight(DWORD index, const D3DLIGHT9& light);
D3DRefusal CheckLightIndex(DWORD index);
D3DRefusal CheckRenderStateType(DWORD state);
D3DRefusal CheckTextureStage(DWORD stage);
D3DRefusal CheckStageState(DWORD stage, DWORD type);
D3DRefusal CheckSamplerState(DWORD sampler, DWORD type);
// A vertex buffer on stream 0 of `length` bytes, or none (`hasBuffer`).
D3DRefusal CheckStreamSource(UINT stream, bool hasBuffer, std::size_t length, UINT offset);

// --- Drawing -------------------------------------------------------------------
D3DRefusal CheckDrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data,
                                UINT stride, DWORD fvf);
// Everything about an indexed draw but its indices (see ReadIndices).
D3DRefusal CheckDrawIndexed(D3DPRIMITIVETYPE type, UINT primitiveCount, DWORD fvf, bool hasStream,
                            bool hasIndices, UINT stride, UINT offset, std::size_t streamLength);
