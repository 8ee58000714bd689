// Why the device layer refuses a call: one named code per reason, each with
// the HRESULT Direct3D 9 answers for it. The argument checks (D3DChecks.h)
// return these codes; both backends refuse through RefuseD3DCall, which in
// debug and test builds (or with TESSARY_D3D_LOG defined) writes one line
// on standard error naming the call and the reason.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/d3d9/d3d9.h"

enum class D3DRefusal : std::uint8_t {
    None,
    // Arguments of any call
    NullPointer,
    SharedHandle,
    ForeignObject,
    // The Direct3D object and presentation
    UnknownAdapter,
    DeviceTypeNotAvailable,
    NoDeviceWindow,
    BackBufferSize,
    BackBufferFormat,
    AutoDepthFormat,
    MultiSampleType,
    MultiSampleQuality,
    MultiSampleNotAvailable,
    MultiSampleSwapEffect,
    FormatNotAvailable,
    DefaultPoolResourcesLive,
    SceneAlreadyBegun,
    SceneNotBegun,
    // Clear
    ClearFlags,
    ClearRects,
    ClearDepthValue,
    NoDepthBuffer,
    NoStencilBuffer,
    // Resources
    SurfaceSize,
    TextureLevels,
    TextureFormat,
    TextureUsage,
    TexturePool,
    RenderTargetPool,
    DepthFormat,
    BufferSize,
    BufferTooLarge,
    BufferPool,
    IndexFormat,
    OutOfVideoMemory,
    TextureLevel,
    NotLockable,
    LockRect,
    AlreadyLocked,
    NotLocked,
    LockRange,
    PlainSurfaceFormat,
    PlainSurfacePool,
    // Targets
    RenderTargetIndex,
    NotARenderTarget,
    NotADepthSurface,
    NoDepthStencilSurface,
    ViewportOutsideTarget,
    NoRenderTarget,
    TargetsDoNotFit,
    MultiSampledSource,
    ReadbackDestination,
    SurfacesDoNotMatch,
    // Fixed-function state
    TransformType,
    LightIndex,
    LightType,
    RenderStateType,
    TextureStage,
    StageStateType,
    SamplerStateType,
    // Geometry and drawing
    StreamIndex,
    StreamOffset,
    PrimitiveCount,
    NoVertexData,
    VertexFormat,
    VertexStride,
    UserVerticesTooLarge,
    NoStreamSource,
    NoIndexBuffer,
    IndexRangeOutsideBuffer,
    IndexOutsideDeclaredRange,
    IndexOutsideVertexBuffer,
    SamplesItsRenderTarget,
    // What only a real device runs into
    ShaderUnavailable,
    NoGLContext,
    NoDisplayMode,
    BackBufferStorage,
    Count
};

struct D3DRefusalInfo {
    const char* name;    // the code's name, "NoStencilBuffer"
    HRESULT result;      // what the refused call returns
    const char* reason;  // for the reader of the log line
};

const D3DRefusalInfo& DescribeRefusal(D3DRefusal why);
inline HRESULT RefusalResult(D3DRefusal why) { return DescribeRefusal(why).result; }

// Refuses `call` (its Direct3D name, "Clear", "Texture.LockRect") for `why`:
// logs the line and returns the HRESULT. `why` must not be None.
HRESULT RefuseD3DCall(const char* call, D3DRefusal why);

// D3D_OK when `why` is None, else RefuseD3DCall(call, why): for
//   if (const HRESULT hr = D3DCallResult("Clear", CheckClear(...)); FAILED(hr)) return hr;
inline HRESULT D3DCallResult(const char* call, D3DRefusal why) {
    return why == D3DRefusal::None ? D3D_OK : RefuseD3DCall(call, why);
}

// The log line for a refusal, as RefuseD3DCall writes it (without newline).
std::string RefusalLine(const char* call, D3DRefusal why);

// Where the lines go: standard error unless a sink is installed. Returns the
// sink it replaces. A test that provokes refusals on purpose catches them
// here, so that its output stays readable and it can check the lines.
using D3DRefusalSink = std::function<void(const std::string& line)>;
D3DRefusalSink SetD3DRefusalSink(D3DRefusalSink sink);

#if !defined(NDEBUG) || defined(TESSARY_D3D_LOG)
constexpr bool kD3DRefusalLog = true;
#else
constexpr bool kD3DRefusalLog = false;
#endif
