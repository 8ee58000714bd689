// The Direct3D 9 device of the GL backend. Setters write the desired-state
// record; each draw plans the GL state from it (GLPipelineState), lets the
// state cache apply what differs and draws. The back buffer is an offscreen
// framebuffer of exactly the present parameters' size, drawn with Direct3D
// row 0 at GL row 0 like every other target, and flipped onto the window by
// Present.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <epoxy/gl.h>

#include "platform/GLContext.h"
#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/CGLDirect3D9.h"
#include "platform/d3d9/gl/CGLShaderCache.h"
#include "platform/d3d9/gl/CGLStateCache.h"
#include "platform/d3d9/gl/GLPipelineState.h"

class CGLSurface;
class CGLTexture;
class CGLVertexBuffer;
class CGLIndexBuffer;

// Checks present parameters, fills in what Direct3D fills in (an unknown
// back-buffer format becomes the desktop's X8R8G8B8) and works out the sample
// count. Without `limits` only what needs no context is checked.
HRESULT ValidatePresentParameters(D3DPRESENT_PARAMETERS* params, const GLLimits* limits,
                                  int* samples);

class CGLDevice final : public IDirect3DDevice9 {
public:
    // Makes a device on a context for `window`; D3DERR_NOTAVAILABLE when the
    // provider cannot make one or the context cannot hold the back buffer.
    static HRESULT Create(CGLDirect3D9& d3d, IGLContextProvider& provider, HWND window,
                          D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device);

    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                    const RGNDATA* dirtyRegion) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, HANDLE* sharedHandle) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                      D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                      BOOL discard, IDirect3DSurface9** surface,
                                      HANDLE* sharedHandle) override;

    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE type, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;

    HRESULT SetFVF(DWORD fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                            UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* indices) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertexData,
                            UINT vertexStride) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                                 UINT numVertices, UINT startIndex, UINT primitiveCount) override;

    // --- For the backend's resources, readback and benchmarks -------------
    // Makes the device's context current and draws what is still held back
    // (see DrawIndexedPrimitive); every GL use outside drawing starts here.
    void MakeCurrent();
    void FlushDraws();
    const GLLimits& Limits() const { return limits; }
    int MultiSampleSamples(D3DMULTISAMPLE_TYPE type) const;
    CGLStateCache& Cache() { return cache; }
    void ResourceReferenced(bool defaultPool);
    void ResourceUnreferenced(bool defaultPool);
    // GL objects about to go: forget every cached use of them.
    void SurfaceStorageChanging(const CGLSurface* surface);
    void TextureDeleting(GLuint texture);
    void BufferDeleting(GLuint buffer);
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return params; }

    void InitialiseDepth(const CGLSurface& depth);

    void ReadBackBuffer(std::vector<std::uint32_t>* pixels, UINT* width, UINT* height);
    void Finish();

private:
    CGLDevice(CGLDirect3D9& d3d, std::unique_ptr<IGLContext> context);
    ~CGLDevice() override;

    struct Framebuffer {
        const CGLSurface* colour = nullptr;
        const CGLSurface* depth = nullptr;
        GLuint name = 0;
        bool complete = false;
    };
    struct AttributeSetup {
        GLuint buffer = 0;
        DWORD fvf = 0;
        UINT stride = 0;
        std::size_t offset = 0;
        bool operator==(const AttributeSetup&) const = default;
    };

    // Indexed draws that follow one another with nothing changed in
    // between, joined into one GL draw (strips separated by primitive
    // restart) when something else happens.
    struct PendingIndexed {
        bool active = false;
        D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
        std::vector<std::uint32_t> indices;  // base vertex already added
    };

    HRESULT Initialise(const D3DPRESENT_PARAMETERS& params);
    void Activate();
    HRESULT BuildBackBuffer();
    void DeleteBackBufferObjects();
    void ResetState();
    void ResetGLState();
    void ReleaseBindings();
    void Bump(GLUniformGroup group) { versions[group] = ++versionCounter; }

    const Framebuffer* BindTarget();
    HRESULT PrepareDraw(const GLVertexLayout& layout, const GLDrawFacts& facts);
    void UploadUniforms(CGLProgram& program, const GLVertexLayout& layout, const GLDrawFacts& facts);
    void SetupAttributes(GLuint buffer, const GLVertexLayout& layout, UINT stride,
                         std::size_t offset);
    // Copies `bytes` into the stream buffer at a multiple of `alignment`;
    // returns the offset.
    std::size_t StreamBytes(const void* data, std::size_t bytes, std::size_t alignment);
    GLuint ResolveBackBuffer();
    void SetSwapInterval();

    CGLDirect3D9& d3d;
    std::unique_ptr<IGLContext> context;
    ULONG refs = 1;
    D3DPRESENT_PARAMETERS params{};
    GLLimits limits;
    int samples = 0;
    bool forceState = false;  // TESSARY_GL_NO_STATE_CACHE=1
    bool inScene = false;
    int liveDefaultResources = 0;

    D3DDeviceState state;
    std::unique_ptr<CGLSurface> backBuffer;
    std::unique_ptr<CGLSurface> autoDepth;
    GLuint backBufferRead = 0;  // framebuffer reading the back buffer's colour
    GLuint resolveColour = 0;   // single-sample copy of a multisampled back buffer
    GLuint resolveRead = 0;

    // What the device has bound; mirrored into `state` as interfaces.
    CGLSurface* renderTarget = nullptr;
    CGLSurface* depthStencil = nullptr;
    std::array<CGLTexture*, kD3DMaxTextureStages> textures{};
    CGLVertexBuffer* streamSource = nullptr;
    CGLIndexBuffer* indices = nullptr;

    CGLStateCache cache;
    CGLShaderCache shaders;
    std::array<std::uint64_t, kGLUniformGroupCount> versions{};
    std::uint64_t versionCounter = 0;
    std::vector<Framebuffer> framebuffers;
    const Framebuffer* lastFramebuffer = nullptr;
    GLuint vertexArray = 0;
    GLuint sampler0 = 0;
    AttributeSetup attributes;
    GLuint elementBuffer = 0;
    GLuint streamBuffer = 0;
    std::size_t streamCapacity = 0;
    std::size_t streamPosition = 0;
    PendingIndexed pending;
};
