// Shader text for a key. Choices known when the program is built (vertex
// parts, lighting on or off, the stage operations) become preprocessor
// switches or generated expressions, so llvmpipe runs no dead branches.
#include "platform/d3d9/gl/GLShaderSource.h"

namespace {

constexpr unsigned kArgSelectorMask = 0x0F;
constexpr unsigned kArgComplement = 0x10;
constexpr unsigned kArgAlphaReplicate = 0x20;

void Define(std::string* s, const char* name, int value) {
    *s += "#define ";
    *s += name;
    *s += ' ';
    *s += std::to_string(value);
    *s += '\n';
}

std::string CommonDefines(const GLShaderKey& key) {
    std::string s = "#version 330 core\n";
    Define(&s, "PRETRANSFORMED", key.pretransformed);
    Define(&s, "HAS_NORMAL", key.hasNormal);
    Define(&s, "HAS_DIFFUSE", key.hasDiffuse);
    Define(&s, "HAS_SPECULAR", key.hasSpecular);
    Define(&s, "TEXCOORDS", key.texCoordComponents);
    Define(&s, "LIT", key.lit);
    Define(&s, "SPECULAR_ADD", key.specularAdd);
    Define(&s, "TEXTURE_BOUND", key.textureBound);
    Define(&s, "CONSTANT_DIFFUSE", key.constantDiffuse);
    Define(&s, "LIGHT_COUNT", key.lightCount);
    Define(&s, "OPAQUE_ALPHA", key.opaqueAlpha);
    s += key.flatShade ? "#define SHADING flat\n" : "#define SHADING smooth\n";
    return s;
}

const char kVertexBody[] = R"(
layout(location = 0) in vec4 aPosition;
#if HAS_NORMAL
layout(location = 1) in vec3 aNormal;
#endif
#if HAS_DIFFUSE
layout(location = 2) in vec4 aDiffuse;
#endif
#if HAS_SPECULAR
layout(location = 3) in vec4 aSpecular;
#endif
#if TEXCOORDS > 0
layout(location = 4) in vec4 aTexCoord;
#endif

SHADING out vec4 vDiffuse;
SHADING out vec4 vSpecular;
out vec2 vTexCoord;

#if PRETRANSFORMED
uniform vec4 uScreen;
#else
uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform vec2 uFixup;
#endif

#if LIT
uniform mat3 uNormalMatrix;
uniform vec3 uLightToLight[8];
uniform vec3 uLightDiffuse[8];
uniform vec3 uLightSpecular[8];
uniform vec3 uLightAmbient[8];
uniform vec4 uMaterialDiffuse;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialSpecular;
uniform vec4 uMaterialEmissive;
uniform float uMaterialPower;
uniform vec3 uGlobalAmbient;
uniform ivec4 uColorSource;
uniform bool uLocalViewer;
uniform bool uNormalizeNormals;

vec4 Reflectance(int source, vec4 material, vec4 vertexDiffuse, vec4 vertexSpecular) {
    return source == 1 ? vertexDiffuse : (source == 2 ? vertexSpecular : material);
}
#endif

void main() {
#if HAS_DIFFUSE
    vec4 inDiffuse = aDiffuse;
#else
    vec4 inDiffuse = vec4(1.0);
#endif
#if HAS_SPECULAR
    vec4 inSpecular = aSpecular;
#else
    vec4 inSpecular = vec4(0.0);
#endif
#if TEXCOORDS > 0
    vTexCoord = aTexCoord.xy;
#else
    vTexCoord = vec2(0.0);
#endif

#if PRETRANSFORMED
    // x, y are target pixels, z the depth itself, rhw only steers the
    // perspective-correct interpolation (0 means no division).
    float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
    gl_Position = vec4(aPosition.xy * uScreen.xy + uScreen.zw, 2.0 * aPosition.z - 1.0, 1.0) * w;
    vDiffuse = inDiffuse;
    vSpecular = inSpecular;
#else
    vec4 eye = uWorldView * vec4(aPosition.xyz, 1.0);
    vec4 clip = uProjection * eye;
    // Rows run downwards as in Direct3D (y negated), the half pixel moves the
    // picture onto Direct3D's pixel centres, and depth 0..1 becomes GL's -1..1.
    gl_Position = vec4(clip.x + uFixup.x * clip.w, -clip.y + uFixup.y * clip.w,
                       2.0 * clip.z - clip.w, clip.w);
#if LIT
    // Direct3D's fixed-function lighting, evaluated per vertex in its
    // left-handed camera space.
#if HAS_NORMAL
    vec3 n = uNormalMatrix * aNormal;
    if (uNormalizeNormals && dot(n, n) > 0.0) n = normalize(n);
#else
    vec3 n = vec3(0.0);
#endif
    vec3 toEye = vec3(0.0, 0.0, -1.0);
    if (uLocalViewer && dot(eye.xyz, eye.xyz) > 0.0) toEye = normalize(-eye.xyz);
    vec3 ambient = uGlobalAmbient;
    vec3 diffuse = vec3(0.0);
    vec3 specular = vec3(0.0);
    for (int i = 0; i < LIGHT_COUNT; ++i) {
        vec3 toLight = uLightToLight[i];
        ambient += uLightAmbient[i];
        float nl = dot(n, toLight);
        diffuse += uLightDiffuse[i] * max(nl, 0.0);
#if SPECULAR_ADD
        vec3 halfway = toEye + toLight;
        if (nl > 0.0 && dot(halfway, halfway) > 0.0) {
            float nh = dot(n, normalize(halfway));
            if (nh > 0.0) specular += uLightSpecular[i] * pow(nh, uMaterialPower);
        }
#endif
    }
    vec4 cd = Reflectance(uColorSource.x, uMaterialDiffuse, inDiffuse, inSpecular);
    vec4 cs = Reflectance(uColorSource.y, uMaterialSpecular, inDiffuse, inSpecular);
    vec4 ca = Reflectance(uColorSource.z, uMaterialAmbient, inDiffuse, inSpecular);
    vec4 ce = Reflectance(uColorSource.w, uMaterialEmissive, inDiffuse, inSpecular);
    vDiffuse = clamp(vec4(ca.rgb * ambient + cd.rgb * diffuse + ce.rgb, cd.a), 0.0, 1.0);
    vSpecular = vec4(clamp(cs.rgb * specular, 0.0, 1.0), 0.0);
#else
    vDiffuse = inDiffuse;
    vSpecular = inSpecular;
#endif
#endif
}
)";

std::string ArgExpr(const GLShaderKey& key, unsigned arg) {
    std::string base;
    switch (arg & kArgSelectorMask) {
        case D3DTA_DIFFUSE: base = "diffuse"; break;
        case D3DTA_TEXTURE: base = key.textureBound ? "texel" : "vec4(1.0)"; break;
        case D3DTA_TFACTOR: base = "uTextureFactor"; break;
        case D3DTA_SPECULAR: base = "vSpecular"; break;
        default: base = "current"; break;  // D3DTA_CURRENT, and what is not modelled
    }
    if (arg & kArgComplement) base = "(vec4(1.0) - " + base + ")";
    if (arg & kArgAlphaReplicate) base = "vec4(" + base + ".a)";
    return base;
}

std::string OpExpr(const GLShaderKey& key, unsigned op, unsigned arg1, unsigned arg2,
                   const char* swizzle) {
    const std::string a = ArgExpr(key, arg1) + swizzle;
    const std::string b = ArgExpr(key, arg2) + swizzle;
    switch (op) {
        case D3DTOP_SELECTARG1: return a;
        case D3DTOP_SELECTARG2: return b;
        case D3DTOP_MODULATE2X: return a + " * " + b + " * 2.0";
        case D3DTOP_MODULATE4X: return a + " * " + b + " * 4.0";
        case D3DTOP_ADD: return a + " + " + b;
        default: return a + " * " + b;  // D3DTOP_MODULATE
    }
}

const char* CompareOperator(unsigned func) {
    switch (func) {
        case D3DCMP_LESS: return "<";
        case D3DCMP_EQUAL: return "==";
        case D3DCMP_LESSEQUAL: return "<=";
        case D3DCMP_GREATER: return ">";
        case D3DCMP_NOTEQUAL: return "!=";
        case D3DCMP_GREATEREQUAL: return ">=";
        default: return nullptr;  // never passes
    }
}

}  // namespace

std::string BuildVertexShaderSource(const GLShaderKey& key) {
    return CommonDefines(key) + kVertexBody;
}

std::string BuildFragmentShaderSource(const GLShaderKey& key) {
    std::string s = CommonDefines(key);
    s += R"(
SHADING in vec4 vDiffuse;
SHADING in vec4 vSpecular;
in vec2 vTexCoord;
uniform sampler2D uTexture0;
uniform vec4 uTextureFactor;
uniform float uAlphaRef;
uniform vec4 uConstantDiffuse;
out vec4 oColor;

void main() {
#if CONSTANT_DIFFUSE
    vec4 diffuse = uConstantDiffuse;
#else
    vec4 diffuse = vDiffuse;
#endif
    vec4 current = diffuse;  // the previous stage's result, at stage 0 the diffuse colour
#if TEXTURE_BOUND
    vec4 texel = texture(uTexture0, vTexCoord);
#endif
)";
    // Every argument lies in 0..1, so selecting and modulating stay inside;
    // only the sums and the scaled products need the clamp. (Leaving it out
    // where it does nothing keeps textured quads on llvmpipe's fast path.)
    const auto saturated = [](unsigned op, const std::string& e) {
        const bool stays = op == D3DTOP_SELECTARG1 || op == D3DTOP_SELECTARG2 || op == D3DTOP_MODULATE;
        return stays ? e : "clamp(" + e + ", 0.0, 1.0)";
    };
    s += "    vec3 colour = " +
         saturated(key.colorOp, OpExpr(key, key.colorOp, key.colorArg1, key.colorArg2, ".rgb")) +
         ";\n";
    s += "    float alpha = " +
         saturated(key.alphaOp, OpExpr(key, key.alphaOp, key.alphaArg1, key.alphaArg2, ".a")) +
         ";\n";
    // Specular joins after the cascade, before blending.
    s += "#if SPECULAR_ADD\n    colour = min(colour + vSpecular.rgb, vec3(1.0));\n#endif\n";
    if (key.alphaTestFunc != 0) {
        const char* op = CompareOperator(key.alphaTestFunc);
        if (op == nullptr)
            s += "    discard;\n";
        else
            s += std::string("    if (!(floor(alpha * 255.0 + 0.5) ") + op + " uAlphaRef)) discard;\n";
    }
    s += "#if OPAQUE_ALPHA\n    oColor = vec4(colour, 1.0);\n#else\n    oColor = vec4(colour, alpha);\n#endif\n}\n";
    return s;
}
