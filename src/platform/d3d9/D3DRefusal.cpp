#include "platform/d3d9/D3DRefusal.h"

#include <array>
#include <cstdio>
#include <utility>

#include "platform/d3d9/D3DNames.h"

namespace {

using R = D3DRefusal;
constexpr HRESULT kInvalid = D3DERR_INVALIDCALL;
constexpr HRESULT kNotAvailable = D3DERR_NOTAVAILABLE;
constexpr HRESULT kOutOfMemory = D3DERR_OUTOFVIDEOMEMORY;

struct Entry {
    D3DRefusal code;
    D3DRefusalInfo info;
};

// In the order of the enumeration (checked below).
constexpr Entry kTable[] = {
    {R::None, {"None", D3D_OK, "not refused"}},
    {R::NullPointer, {"NullPointer", kInvalid, "a pointer the call needs is null"}},
    {R::SharedHandle, {"SharedHandle", kInvalid, "shared resources are not offered"}},
    {R::ForeignObject, {"ForeignObject", kInvalid, "the object belongs to another device"}},
    {R::UnknownAdapter, {"UnknownAdapter", kInvalid, "only the default adapter exists"}},
    {R::DeviceTypeNotAvailable,
     {"DeviceTypeNotAvailable", kNotAvailable, "only the hardware device type exists"}},
    {R::NoDeviceWindow, {"NoDeviceWindow", kInvalid, "neither a device window nor a focus window"}},
    {R::BackBufferSize,
     {"BackBufferSize", kNotAvailable, "the back buffer is empty or larger than the device holds"}},
    {R::BackBufferFormat, {"BackBufferFormat", kInvalid, "back buffers are X8R8G8B8 or A8R8G8B8"}},
    {R::AutoDepthFormat, {"AutoDepthFormat", kNotAvailable, "the automatic depth buffer is D16"}},
    {R::MultiSampleType,
     {"MultiSampleType", kInvalid, "a multisample type the device does not offer"}},
    {R::MultiSampleQuality, {"MultiSampleQuality", kInvalid, "multisample quality must be 0"}},
    {R::MultiSampleNotAvailable,
     {"MultiSampleNotAvailable", kNotAvailable, "more samples than the device offers"}},
    {R::MultiSampleSwapEffect,
     {"MultiSampleSwapEffect", kInvalid, "multisampling needs D3DSWAPEFFECT_DISCARD"}},
    {R::FormatNotAvailable,
     {"FormatNotAvailable", kNotAvailable, "the device offers no such format for that use"}},
    {R::DefaultPoolResourcesLive,
     {"DefaultPoolResourcesLive", kInvalid, "default-pool resources are still held"}},
    {R::SceneAlreadyBegun, {"SceneAlreadyBegun", kInvalid, "BeginScene inside a scene"}},
    {R::SceneNotBegun, {"SceneNotBegun", kInvalid, "EndScene outside a scene"}},
    {R::ClearFlags, {"ClearFlags", kInvalid, "no clear flag, or an unknown one"}},
    {R::ClearRects, {"ClearRects", kInvalid, "a rectangle count without rectangles"}},
    {R::ClearDepthValue, {"ClearDepthValue", kInvalid, "the depth value lies outside 0..1"}},
    {R::NoDepthBuffer,
     {"NoDepthBuffer", kInvalid, "a depth or stencil clear without a depth surface"}},
    {R::NoStencilBuffer,
     {"NoStencilBuffer", kInvalid, "a stencil clear, but the depth surface holds no stencil"}},
    {R::SurfaceSize, {"SurfaceSize", kInvalid, "a side of 0 or larger than the device allows"}},
    {R::TextureLevels, {"TextureLevels", kInvalid, "the device offers single-level textures only"}},
    {R::TextureFormat, {"TextureFormat", kInvalid, "textures are X8R8G8B8 or A8R8G8B8"}},
    {R::TextureUsage,
     {"TextureUsage", kInvalid, "textures take D3DUSAGE_RENDERTARGET and D3DUSAGE_DYNAMIC only"}},
    {R::TexturePool, {"TexturePool", kInvalid, "textures live in the default or the managed pool"}},
    {R::RenderTargetPool,
     {"RenderTargetPool", kInvalid, "render targets live in the default pool"}},
    {R::DepthFormat, {"DepthFormat", kInvalid, "depth-stencil surfaces are D16"}},
    {R::BufferSize, {"BufferSize", kInvalid, "a buffer of 0 bytes"}},
    {R::BufferTooLarge, {"BufferTooLarge", kOutOfMemory, "a buffer over 256 MiB"}},
    {R::BufferPool, {"BufferPool", kInvalid, "the device cannot read scratch-pool buffers"}},
    {R::IndexFormat, {"IndexFormat", kInvalid, "indices are D3DFMT_INDEX16 or D3DFMT_INDEX32"}},
    {R::OutOfVideoMemory,
     {"OutOfVideoMemory", kOutOfMemory, "the backend could not allocate the storage"}},
    {R::TextureLevel, {"TextureLevel", kInvalid, "no such mip level"}},
    {R::NotLockable,
     {"NotLockable", kInvalid,
      "only managed textures and plain surfaces in system memory can be locked"}},
    {R::LockRect, {"LockRect", kInvalid, "the rectangle is empty or leaves the level"}},
    {R::AlreadyLocked, {"AlreadyLocked", kInvalid, "the surface is locked already"}},
    {R::NotLocked, {"NotLocked", kInvalid, "unlock without a lock"}},
    {R::LockRange, {"LockRange", kInvalid, "the range leaves the buffer"}},
    {R::PlainSurfaceFormat,
     {"PlainSurfaceFormat", kInvalid, "plain surfaces are X8R8G8B8 or A8R8G8B8"}},
    {R::PlainSurfacePool,
     {"PlainSurfacePool", kInvalid, "plain surfaces live in the system-memory pool"}},
    {R::RenderTargetIndex, {"RenderTargetIndex", kInvalid, "only render target 0 exists"}},
    {R::NotARenderTarget, {"NotARenderTarget", kInvalid, "the surface is not a render target"}},
    {R::NotADepthSurface,
     {"NotADepthSurface", kInvalid, "the surface is not a depth-stencil surface"}},
    {R::NoDepthStencilSurface,
     {"NoDepthStencilSurface", D3DERR_NOTFOUND, "no depth-stencil surface is set"}},
    {R::ViewportOutsideTarget,
     {"ViewportOutsideTarget", kInvalid, "the viewport leaves the render target"}},
    {R::NoRenderTarget, {"NoRenderTarget", kInvalid, "no render target to draw into"}},
    {R::TargetsDoNotFit,
     {"TargetsDoNotFit", kInvalid,
      "the depth surface is smaller than the render target or sampled differently"}},
    {R::MultiSampledSource,
     {"MultiSampledSource", kInvalid, "a multisampled render target cannot be read back"}},
    {R::ReadbackDestination,
     {"ReadbackDestination", kInvalid, "the destination is not a plain surface in system memory"}},
    {R::SurfacesDoNotMatch,
     {"SurfacesDoNotMatch", kInvalid,
      "the destination's size or format is not the render target's"}},
    {R::TransformType, {"TransformType", kInvalid, "unknown transform"}},
    {R::LightIndex, {"LightIndex", kInvalid, "light index past the last light"}},
    {R::LightType, {"LightType", kInvalid, "unknown light type"}},
    {R::RenderStateType, {"RenderStateType", kInvalid, "render state out of range"}},
    {R::TextureStage, {"TextureStage", kInvalid, "texture stage out of range"}},
    {R::StageStateType, {"StageStateType", kInvalid, "stage or stage state out of range"}},
    {R::SamplerStateType, {"SamplerStateType", kInvalid, "sampler or sampler state out of range"}},
    {R::StreamIndex, {"StreamIndex", kInvalid, "only stream 0 exists"}},
    {R::StreamOffset, {"StreamOffset", kInvalid, "the offset lies past the end of the buffer"}},
    {R::PrimitiveCount,
     {"PrimitiveCount", kInvalid, "unknown primitive type, or no primitives, or too many"}},
    {R::NoVertexData, {"NoVertexData", kInvalid, "no vertex data"}},
    {R::VertexFormat, {"VertexFormat", kInvalid, "the FVF describes no vertex the device draws"}},
    {R::VertexStride, {"VertexStride", kInvalid, "the stride is smaller than the FVF's vertex"}},
    {R::UserVerticesTooLarge,
     {"UserVerticesTooLarge", kInvalid, "more than 64 MiB of vertices from user memory"}},
    {R::NoStreamSource, {"NoStreamSource", kInvalid, "no vertex buffer on stream 0"}},
    {R::NoIndexBuffer, {"NoIndexBuffer", kInvalid, "no index buffer set"}},
    {R::IndexRangeOutsideBuffer,
     {"IndexRangeOutsideBuffer", kInvalid, "the indices run past the end of the index buffer"}},
    {R::IndexOutsideDeclaredRange,
     {"IndexOutsideDeclaredRange", kInvalid,
      "an index lies outside minVertexIndex .. minVertexIndex + numVertices - 1"}},
    {R::IndexOutsideVertexBuffer,
     {"IndexOutsideVertexBuffer", kInvalid,
      "an index plus the base vertex names no vertex of the stream"}},
    {R::SamplesItsRenderTarget,
     {"SamplesItsRenderTarget", kInvalid, "stage 0 samples the texture being drawn into"}},
    {R::ShaderUnavailable,
     {"ShaderUnavailable", kInvalid, "the shader program for this state does not build"}},
    {R::NoGLContext, {"NoGLContext", kNotAvailable, "the window system gives no GL context"}},
    {R::NoDisplayMode, {"NoDisplayMode", kNotAvailable, "the desktop's display mode is unknown"}},
    {R::BackBufferStorage,
     {"BackBufferStorage", kNotAvailable, "GL refuses the back buffer's storage"}},
};
static_assert(std::size(kTable) == static_cast<std::size_t>(D3DRefusal::Count));

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < std::size(kTable); ++i)
        if (static_cast<std::size_t>(kTable[i].code) != i) return false;
    return true;
}
static_assert(InEnumOrder(), "the refusal table follows the enumeration");

D3DRefusalSink& InstalledSink() {
    static D3DRefusalSink sink;
    return sink;
}

}  // namespace

const D3DRefusalInfo& DescribeRefusal(D3DRefusal why) {
    const auto index = static_cast<std::size_t>(why);
    return kTable[index < std::size(kTable) ? index : 0].info;
}

std::string RefusalLine(const char* call, D3DRefusal why) {
    const D3DRefusalInfo& info = DescribeRefusal(why);
    return std::string("tessary d3d9: ") + call + " refused, " + info.name + ": " + info.reason +
           " (" + D3DResultName(info.result) + ")";
}

HRESULT RefuseD3DCall(const char* call, D3DRefusal why) {
    if constexpr (kD3DRefusalLog) {
        const std::string line = RefusalLine(call, why);
        if (const D3DRefusalSink& sink = InstalledSink())
            sink(line);
        else
            std::fprintf(stderr, "%s\n", line.c_str());
    }
    return RefusalResult(why);
}

D3DRefusalSink SetD3DRefusalSink(D3DRefusalSink sink) {
    return std::exchange(InstalledSink(), std::move(sink));
}
