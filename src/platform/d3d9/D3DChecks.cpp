#include "platform/d3d9/D3DChecks.h"

#include <algorithm>

using R = D3DRefusal;

bool IsD3DColourFormat(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

bool IsD3DDepthFormat(D3DFORMAT format) { return format == D3DFMT_D16; }

bool D3DFormatHasStencil(D3DFORMAT format) { return format == D3DFMT_D24S8; }

D3DRefusal CheckAdapter(UINT adapter, D3DDEVTYPE type) {
    if (adapter != D3DADAPTER_DEFAULT) return R::UnknownAdapter;
    return type == D3DDEVTYPE_HAL ? R::None : R::DeviceTypeNotAvailable;
}

D3DRefusal CheckDeviceFormat(D3DFORMAT displayFormat, D3DFORMAT adapterFormat, DWORD usage,
                             D3DRESOURCETYPE type, D3DFORMAT format) {
    if (adapterFormat != displayFormat) return R::FormatNotAvailable;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        return IsD3DDepthFormat(format) && type == D3DRTYPE_SURFACE ? R::None
                                                                    : R::FormatNotAvailable;
    if (type != D3DRTYPE_SURFACE && type != D3DRTYPE_TEXTURE) return R::FormatNotAvailable;
    return IsD3DColourFormat(format) ? R::None : R::FormatNotAvailable;
}

D3DRefusal CheckMultiSampleType(D3DFORMAT format, D3DMULTISAMPLE_TYPE type, int maxSamples) {
    if (!IsD3DColourFormat(format) && !IsD3DDepthFormat(format)) return R::FormatNotAvailable;
    if (type > 16) return R::MultiSampleType;
    // Non-maskable multisampling is backed by min(4, maxSamples) samples and
    // is always there; an explicit count up to the device's most.
    if (type >= 2 && static_cast<int>(type) > maxSamples) return R::MultiSampleNotAvailable;
    return R::None;
}

int MultiSampleCount(D3DMULTISAMPLE_TYPE type, int maxSamples) {
    if (type == D3DMULTISAMPLE_NONMASKABLE) return std::min(4, maxSamples);
    if (type >= 2 && type <= 16 && static_cast<int>(type) <= maxSamples)
        return static_cast<int>(type);
    return type == D3DMULTISAMPLE_NONE ? 0 : -1;
}

D3DRefusal CheckPresentParameters(const D3DPRESENT_PARAMETERS& requested, D3DFORMAT displayFormat,
                                  const D3DDeviceLimits& limits, D3DPRESENT_PARAMETERS* completed,
                                  int* samples) {
    D3DPRESENT_PARAMETERS p = requested;
    const UINT side = std::min({UINT{16384}, limits.maxSurfaceSide, limits.maxTextureSide});
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0 || p.BackBufferWidth > side ||
        p.BackBufferHeight > side)
        return R::BackBufferSize;
    if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = displayFormat;
    if (!IsD3DColourFormat(p.BackBufferFormat)) return R::BackBufferFormat;
    if (p.EnableAutoDepthStencil && !IsD3DDepthFormat(p.AutoDepthStencilFormat))
        return R::AutoDepthFormat;

    int count = 0;
    const DWORD type = p.MultiSampleType;
    if (type == D3DMULTISAMPLE_NONMASKABLE || (type >= 2 && type <= 16)) {
        if (p.MultiSampleQuality != 0) return R::MultiSampleQuality;
        count = MultiSampleCount(p.MultiSampleType, limits.maxSamples);
        if (count < 0) return R::MultiSampleNotAvailable;
    } else if (type != D3DMULTISAMPLE_NONE) {
        return R::MultiSampleType;
    }
    if (count > 0 && p.SwapEffect != D3DSWAPEFFECT_DISCARD) return R::MultiSampleSwapEffect;
    if (std::uint64_t{p.BackBufferWidth} * p.BackBufferHeight * std::max(count, 1) >
        kD3DMaxSurfacePixels)
        return R::BackBufferSize;
    if (p.BackBufferCount == 0) p.BackBufferCount = 1;
    *completed = p;
    *samples = count;
    return R::None;
}

D3DRefusal CheckTargets(const D3DTargetFacts& t) {
    if (!t.hasTarget) return R::NoRenderTarget;
    if (t.hasDepth && (t.depthWidth < t.targetWidth || t.depthHeight < t.targetHeight ||
                       t.depthMultiSample != t.targetMultiSample))
        return R::TargetsDoNotFit;
    return R::None;
}

D3DRefusal CheckDrawTargets(const D3DTargetFacts& targets) {
    if (const D3DRefusal why = CheckTargets(targets); why != R::None) return why;
    return targets.texture0IsTarget ? R::SamplesItsRenderTarget : R::None;
}

D3DRefusal CheckClear(DWORD count, const D3DRECT* rects, DWORD flags, float z,
                      const D3DTargetFacts& targets) {
    constexpr DWORD kKnown = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if (flags == 0 || (flags & ~kKnown) != 0) return R::ClearFlags;
    if (count > 0 && rects == nullptr) return R::ClearRects;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && !targets.hasDepth)
        return R::NoDepthBuffer;
    if ((flags & D3DCLEAR_STENCIL) != 0 && !D3DFormatHasStencil(targets.depthFormat))
        return R::NoStencilBuffer;
    // Also refuses NaN.
    if ((flags & D3DCLEAR_ZBUFFER) != 0 && !(z >= 0.0f && z <= 1.0f)) return R::ClearDepthValue;
    return CheckTargets(targets);
}

D3DRefusal CheckCreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, const D3DDeviceLimits& limits) {
    if (width == 0 || height == 0 || width > limits.maxTextureSide ||
        height > limits.maxTextureSide || std::uint64_t{width} * height > kD3DMaxSurfacePixels)
        return R::SurfaceSize;
    if (levels > 1) return R::TextureLevels;  // 0 asks for all there are: one
    if (!IsD3DColourFormat(format)) return R::TextureFormat;
    if ((usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) != 0) return R::TextureUsage;
    if ((usage & D3DUSAGE_RENDERTARGET) != 0 && pool != D3DPOOL_DEFAULT) return R::RenderTargetPool;
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED) return R::TexturePool;
    return R::None;
}

D3DRefusal CheckCreateBuffer(UINT length, D3DPOOL pool) {
    if (length == 0) return R::BufferSize;
    if (pool == D3DPOOL_SCRATCH) return R::BufferPool;
    return length > kD3DMaxBufferBytes ? R::BufferTooLarge : R::None;
}

D3DRefusal CheckCreateIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL pool) {
    if (length == 0) return R::BufferSize;
    if (pool == D3DPOOL_SCRATCH) return R::BufferPool;
    if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return R::IndexFormat;
    return length > kD3DMaxBufferBytes ? R::BufferTooLarge : R::None;
}

D3DRefusal CheckCreateDepthStencil(UINT width, UINT height, D3DFORMAT format,
                                   D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                   const D3DDeviceLimits& limits) {
    if (quality != 0) return R::MultiSampleQuality;
    if (width == 0 || height == 0 || width > limits.maxSurfaceSide ||
        height > limits.maxSurfaceSide || std::uint64_t{width} * height > kD3DMaxSurfacePixels)
        return R::SurfaceSize;
    if (!IsD3DDepthFormat(format)) return R::DepthFormat;
    return MultiSampleCount(multiSample, limits.maxSamples) < 0 ? R::MultiSampleType : R::None;
}

namespace {
// The rectangle of a lock: none (the whole), or a non-empty one inside.
bool LockRectInside(const RECT* rect, UINT width, UINT height) {
    return rect == nullptr ||
           (rect->left >= 0 && rect->top >= 0 && rect->left < rect->right &&
            rect->top < rect->bottom && rect->right <= static_cast<LONG>(width) &&
            rect->bottom <= static_cast<LONG>(height));
}

D3DRefusal CheckGivenAndMine(const D3DSurfaceFacts& surface) {
    if (!surface.given) return R::NullPointer;
    return surface.mine ? R::None : R::ForeignObject;
}

// An offscreen plain surface: the only kind the device makes in system memory.
bool IsPlainSurface(const D3DSURFACE_DESC& desc) { return desc.Pool == D3DPOOL_SYSTEMMEM; }
}  // namespace

D3DRefusal CheckLockRect(UINT level, D3DPOOL pool, bool locked, const RECT* rect, UINT width,
                         UINT height) {
    if (level != 0) return R::TextureLevel;
    // Default-pool textures live on the GPU only.
    if (pool != D3DPOOL_MANAGED) return R::NotLockable;
    if (locked) return R::AlreadyLocked;
    return LockRectInside(rect, width, height) ? R::None : R::LockRect;
}

D3DRefusal CheckLockRange(std::size_t length, UINT offset, UINT size) {
    if (offset >= length) return R::LockRange;
    // A size of 0 locks to the end.
    if (size != 0 && size > length - offset) return R::LockRange;
    return R::None;
}

D3DRefusal CheckCreateOffscreenPlain(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                     const D3DDeviceLimits& limits) {
    if (width == 0 || height == 0 || width > limits.maxSurfaceSide ||
        height > limits.maxSurfaceSide || std::uint64_t{width} * height > kD3DMaxSurfacePixels)
        return R::SurfaceSize;
    if (!IsD3DColourFormat(format)) return R::PlainSurfaceFormat;
    // Direct3D refuses the managed pool; the device offers system memory only.
    return pool == D3DPOOL_SYSTEMMEM ? R::None : R::PlainSurfacePool;
}

D3DRefusal CheckSurfaceLockRect(const D3DSurfaceFacts& surface, const RECT* rect) {
    // Render targets, the back buffer and D16 depth surfaces cannot be locked.
    if (!IsPlainSurface(surface.desc)) return R::NotLockable;
    if (surface.locked) return R::AlreadyLocked;
    return LockRectInside(rect, surface.desc.Width, surface.desc.Height) ? R::None : R::LockRect;
}

D3DRefusal CheckSetRenderTarget(DWORD index, const D3DSurfaceFacts& surface) {
    if (index != 0) return R::RenderTargetIndex;
    if (const D3DRefusal why = CheckGivenAndMine(surface); why != R::None) return why;
    return (surface.desc.Usage & D3DUSAGE_RENDERTARGET) != 0 ? R::None : R::NotARenderTarget;
}

D3DRefusal CheckSetDepthStencil(const D3DSurfaceFacts& surface) {
    if (!surface.given) return R::None;
    if (!surface.mine) return R::ForeignObject;
    return (surface.desc.Usage & D3DUSAGE_DEPTHSTENCIL) != 0 && surface.hasStorage
               ? R::None
               : R::NotADepthSurface;
}

D3DRefusal CheckGetRenderTargetData(const D3DSurfaceFacts& source,
                                    const D3DSurfaceFacts& destination) {
    if (const D3DRefusal why = CheckGivenAndMine(source); why != R::None) return why;
    if (const D3DRefusal why = CheckGivenAndMine(destination); why != R::None) return why;
    if ((source.desc.Usage & D3DUSAGE_RENDERTARGET) == 0) return R::NotARenderTarget;
    if (source.desc.MultiSampleType != D3DMULTISAMPLE_NONE) return R::MultiSampledSource;
    if (!IsPlainSurface(destination.desc)) return R::ReadbackDestination;
    if (destination.desc.Width != source.desc.Width ||
        destination.desc.Height != source.desc.Height ||
        destination.desc.Format != source.desc.Format)
        return R::SurfacesDoNotMatch;
    return destination.locked ? R::AlreadyLocked : R::None;
}

D3DRefusal CheckViewport(const D3DVIEWPORT9& viewport, const D3DTargetFacts& targets) {
    if (!targets.hasTarget) return R::NoRenderTarget;
    if (std::uint64_t{viewport.X} + viewport.Width > targets.targetWidth ||
        std::uint64_t{viewport.Y} + viewport.Height > targets.targetHeight)
        return R::ViewportOutsideTarget;
    return R::None;
}

D3DRefusal CheckTransformType(D3DTRANSFORMSTATETYPE type) {
    switch (type) {
        case D3DTS_WORLD:
        case D3DTS_VIEW:
        case D3DTS_PROJECTION: return R::None;
    }
    return R::TransformType;
}

D3DRefusal CheckLightIndex(DWORD index) { return index < kD3DMaxLights ? R::None : R::LightIndex; }

D3DRefusal CheckLight(DWORD index, const D3DLIGHT9& light) {
    if (index >= kD3DMaxLights) return R::LightIndex;
    if (light.Type < D3DLIGHT_POINT || light.Type > D3DLIGHT_DIRECTIONAL) return R::LightType;
    return R::None;
}

D3DRefusal CheckRenderStateType(DWORD state) {
    return IsValidRenderState(state) ? R::None : R::RenderStateType;
}

D3DRefusal CheckTextureStage(DWORD stage) {
    return stage < kD3DMaxTextureStages ? R::None : R::TextureStage;
}

D3DRefusal CheckStageState(DWORD stage, DWORD type) {
    return IsValidStageState(stage, type) ? R::None : R::StageStateType;
}

D3DRefusal CheckSamplerState(DWORD sampler, DWORD type) {
    return IsValidSamplerState(sampler, type) ? R::None : R::SamplerStateType;
}

D3DRefusal CheckStreamSource(UINT stream, bool hasBuffer, std::size_t length, UINT offset) {
    if (stream != 0) return R::StreamIndex;  // one stream is all the device offers
    return hasBuffer && offset >= length ? R::StreamOffset : R::None;
}

D3DRefusal CheckDrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data,
                                UINT stride, DWORD fvf) {
    const UINT vertices = VertexCountFor(type, primitiveCount);
    if (vertices == 0) return R::PrimitiveCount;
    if (data == nullptr) return R::NoVertexData;
    const D3DVertexLayout layout = DecodeFvf(fvf);
    if (!layout.valid) return R::VertexFormat;
    if (stride < layout.size) return R::VertexStride;
    if (std::uint64_t{vertices} * stride > kD3DMaxUserVertexBytes) return R::UserVerticesTooLarge;
    return R::None;
}

D3DRefusal CheckDrawIndexed(D3DPRIMITIVETYPE type, UINT primitiveCount, DWORD fvf, bool hasStream,
                            bool hasIndices, UINT stride, UINT offset, std::size_t streamLength) {
    if (VertexCountFor(type, primitiveCount) == 0) return R::PrimitiveCount;
    const D3DVertexLayout layout = DecodeFvf(fvf);
    if (!layout.valid) return R::VertexFormat;
    if (!hasStream) return R::NoStreamSource;
    if (!hasIndices) return R::NoIndexBuffer;
    if (stride < layout.size) return R::VertexStride;
    if (offset > streamLength) return R::StreamOffset;
    return R::None;
}
