// What the OpenGL pipeline must look like for one draw, worked out from the
// device's desired Direct3D state without calling OpenGL, and the difference
// between two such pictures. The GL backend applies only what differs; this
// file is pure so that the translation rules can be tested without a display.
//
// Everything is drawn in "render-to-texture" orientation: Direct3D row 0 is
// GL window row 0 and texture row 0 (v = 0), for the back buffer too (it is
// an offscreen framebuffer flipped on Present). One winding rule therefore
// holds for every target.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/D3DVertexFormat.h"

enum class GLCompareFunc : std::uint8_t {
    Never,
    Less,
    Equal,
    LessEqual,
    Greater,
    NotEqual,
    GreaterEqual,
    Always
};
enum class GLBlendFactor : std::uint8_t {
    Zero,
    One,
    SrcColor,
    OneMinusSrcColor,
    SrcAlpha,
    OneMinusSrcAlpha,
    DstAlpha,
    OneMinusDstAlpha,
    DstColor,
    OneMinusDstColor
};
enum class GLCullFace : std::uint8_t { Front, Back };
enum class GLFrontFace : std::uint8_t { CounterClockwise, Clockwise };
enum class GLPolygonMode : std::uint8_t { Fill, Line, Point };
enum class GLWrap : std::uint8_t { Repeat, MirroredRepeat, ClampToEdge, ClampToBorder };
enum class GLFilter : std::uint8_t {
    Nearest,
    Linear,
    NearestMipmapNearest,
    LinearMipmapNearest,
    NearestMipmapLinear,
    LinearMipmapLinear
};

struct GLRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const GLRect&) const = default;
};

struct GLSamplerParams {
    GLWrap wrapS = GLWrap::Repeat;
    GLWrap wrapT = GLWrap::Repeat;
    GLFilter minFilter = GLFilter::Nearest;
    GLFilter magFilter = GLFilter::Nearest;
    D3DCOLOR borderColor = 0;
    bool operator==(const GLSamplerParams&) const = default;
};

// Whether light `index` takes part in lighting: enabled, directional (the
// only kind modelled; the program uses no other) and with a direction.
bool IsModelledLight(const D3DDeviceState& state, DWORD index);

// The choices that select a shader program. Stage arguments keep Direct3D's
// D3DTA_* values (selector plus modifier bits); operations their D3DTOP_*.
struct GLShaderKey {
    std::uint8_t pretransformed = 0;
    std::uint8_t hasNormal = 0;
    std::uint8_t hasDiffuse = 0;
    std::uint8_t hasSpecular = 0;
    std::uint8_t texCoordComponents = 0;
    std::uint8_t lit = 0;          // fixed-function lighting in the vertex shader
    std::uint8_t specularAdd = 0;  // specular added after the stage cascade
    std::uint8_t flatShade = 0;
    std::uint8_t textureBound = 0;
    std::uint8_t colorOp = D3DTOP_MODULATE;
    std::uint8_t colorArg1 = D3DTA_TEXTURE;
    std::uint8_t colorArg2 = D3DTA_DIFFUSE;
    std::uint8_t alphaOp = D3DTOP_SELECTARG1;
    std::uint8_t alphaArg1 = D3DTA_TEXTURE;
    std::uint8_t alphaArg2 = D3DTA_DIFFUSE;
    std::uint8_t alphaTestFunc = 0;    // 0: no alpha test, else a D3DCMPFUNC
    std::uint8_t constantDiffuse = 0;  // every vertex has one colour: a uniform, not a varying
    std::uint8_t lightCount = 0;       // lights the lit vertex shader sums (unrolled)
    std::uint8_t opaqueAlpha = 0;      // writes alpha 1 (an X8 target without blending)
    bool operator==(const GLShaderKey&) const = default;
};

struct GLPipelineState {
    bool depthTest = false;
    GLCompareFunc depthFunc = GLCompareFunc::LessEqual;
    bool depthWrite = true;
    bool cullEnable = false;
    GLCullFace cullFace = GLCullFace::Back;
    GLFrontFace frontFace = GLFrontFace::CounterClockwise;
    bool blendEnable = false;
    GLBlendFactor srcBlend = GLBlendFactor::One;
    GLBlendFactor dstBlend = GLBlendFactor::Zero;
    GLBlendFactor srcBlendAlpha = GLBlendFactor::One;
    GLBlendFactor dstBlendAlpha = GLBlendFactor::Zero;
    std::uint8_t colorMask = 0xF;  // bit 0 red, 1 green, 2 blue, 3 alpha
    GLPolygonMode polygonMode = GLPolygonMode::Fill;
    bool multisample = true;
    bool scissorTest = false;  // only Clear uses the scissor
    GLRect viewport;
    float depthNear = 0.0f;
    float depthFar = 1.0f;
    GLSamplerParams sampler0;
    bool operator==(const GLPipelineState&) const = default;
};

// What the draw goes into.
struct GLTargetInfo {
    bool hasDepth = false;
    // X8R8G8B8: the stored alpha is kept at 1, so that sampling the target
    // reads 1 without a swizzle (which would slow llvmpipe's fast path).
    bool opaqueAlpha = false;
};

// What the vertices of a draw from user memory show (the program's quads
// are four vertices of one colour at depth 0).
struct GLDrawFacts {
    bool depthAllNear = false;     // pre-transformed, every z is 0
    bool constantDiffuse = false;  // every vertex carries the same diffuse colour
    D3DCOLOR diffuse = 0;          // that colour
};

// Looks at up to a few dozen vertices; more are taken as telling nothing.
GLDrawFacts ExamineVertices(const D3DVertexLayout& layout, const void* vertices, UINT count,
                            UINT stride);

GLPipelineState PlanPipeline(const D3DDeviceState& state, const D3DVertexLayout& layout,
                             const GLTargetInfo& target, const GLDrawFacts& facts = {});
GLShaderKey PlanShader(const D3DDeviceState& state, const D3DVertexLayout& layout,
                       const GLTargetInfo& target, const GLDrawFacts& facts = {});

// The rectangles Clear touches: the viewport, or the given rectangles cut
// to it (empty ones left out). Rows are the same in both APIs: no flip.
std::vector<GLRect> ClearAreas(const D3DVIEWPORT9& viewport, DWORD count, const D3DRECT* rects);

// One bit per group of GL calls that the cache issues together.
enum GLStateGroup : std::uint32_t {
    kGLDepthTest = 1u << 0,
    kGLDepthFunc = 1u << 1,
    kGLDepthWrite = 1u << 2,
    kGLCullEnable = 1u << 3,
    kGLCullFace = 1u << 4,
    kGLFrontFace = 1u << 5,
    kGLBlendEnable = 1u << 6,
    kGLBlendFunc = 1u << 7,
    kGLColorMask = 1u << 8,
    kGLPolygonMode = 1u << 9,
    kGLMultisample = 1u << 10,
    kGLScissorTest = 1u << 11,
    kGLViewport = 1u << 12,
    kGLDepthRange = 1u << 13,
    kGLSampler0 = 1u << 14,
    kGLAllGroups = (1u << 15) - 1,
};

// The groups in which `wanted` differs from `applied`.
std::uint32_t DiffPipeline(const GLPipelineState& applied, const GLPipelineState& wanted);

// Ends one strip and starts the next inside a joined draw.
constexpr std::uint32_t kGLRestartIndex = 0xFFFFFFFFu;
