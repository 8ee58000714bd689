#include "platform/d3d9/D3DNames.h"

#include <cstdio>
#include <initializer_list>

namespace {

struct Named {
    DWORD value;
    const char* name;
};
// A value and its spelling, from one token so that the two cannot differ.
// clang-format off
#define N(value) Named{static_cast<DWORD>(value), #value}
// clang-format on
using Table = std::initializer_list<Named>;

std::string Decimal(DWORD value) { return std::to_string(value); }

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string Lookup(Table table, DWORD value) {
    for (const Named& n : table)
        if (n.value == value) return n.name;
    return Decimal(value);
}

std::string Flags(Table table, DWORD value) {
    if (value == 0) return "0";
    std::string text;
    DWORD rest = value;
    for (const Named& n : table) {
        if ((rest & n.value) != n.value) continue;
        if (!text.empty()) text += '|';
        text += n.name;
        rest &= ~n.value;
    }
    if (rest != 0) {
        if (!text.empty()) text += '|';
        text += Hex(rest);
    }
    return text;
}

std::string Bool(DWORD value) {
    if (value == FALSE) return "FALSE";
    return value == TRUE ? "TRUE" : Decimal(value);
}

constexpr Named kBlends[] = {
    N(D3DBLEND_ZERO),      N(D3DBLEND_ONE),         N(D3DBLEND_SRCCOLOR),  N(D3DBLEND_INVSRCCOLOR),
    N(D3DBLEND_SRCALPHA),  N(D3DBLEND_INVSRCALPHA), N(D3DBLEND_DESTALPHA), N(D3DBLEND_INVDESTALPHA),
    N(D3DBLEND_DESTCOLOR), N(D3DBLEND_INVDESTCOLOR)};
constexpr Named kCompares[] = {N(D3DCMP_NEVER),        N(D3DCMP_LESS),    N(D3DCMP_EQUAL),
                               N(D3DCMP_LESSEQUAL),    N(D3DCMP_GREATER), N(D3DCMP_NOTEQUAL),
                               N(D3DCMP_GREATEREQUAL), N(D3DCMP_ALWAYS)};
constexpr Named kColorSources[] = {N(D3DMCS_MATERIAL), N(D3DMCS_COLOR1), N(D3DMCS_COLOR2)};
constexpr Named kTextureOps[] = {N(D3DTOP_DISABLE),  N(D3DTOP_SELECTARG1), N(D3DTOP_SELECTARG2),
                                 N(D3DTOP_MODULATE), N(D3DTOP_MODULATE2X), N(D3DTOP_MODULATE4X),
                                 N(D3DTOP_ADD)};
constexpr Named kTextureArgs[] = {N(D3DTA_DIFFUSE), N(D3DTA_CURRENT), N(D3DTA_TEXTURE),
                                  N(D3DTA_TFACTOR), N(D3DTA_SPECULAR)};
constexpr Named kAddresses[] = {N(D3DTADDRESS_WRAP), N(D3DTADDRESS_MIRROR), N(D3DTADDRESS_CLAMP),
                                N(D3DTADDRESS_BORDER)};
constexpr Named kFilters[] = {N(D3DTEXF_NONE), N(D3DTEXF_POINT), N(D3DTEXF_LINEAR)};

std::string Pick(const Named* begin, const Named* end, DWORD value) {
    for (const Named* n = begin; n != end; ++n)
        if (n->value == value) return n->name;
    return Decimal(value);
}
template <std::size_t N>
std::string Pick(const Named (&table)[N], DWORD value) {
    return Pick(table, table + N, value);
}

}  // namespace

std::string D3DResultName(HRESULT result) {
    switch (result) {
        case D3D_OK: return "D3D_OK";
        case D3DERR_NOTAVAILABLE: return "D3DERR_NOTAVAILABLE";
        case D3DERR_INVALIDCALL: return "D3DERR_INVALIDCALL";
        case D3DERR_DEVICELOST: return "D3DERR_DEVICELOST";
        case D3DERR_OUTOFVIDEOMEMORY: return "D3DERR_OUTOFVIDEOMEMORY";
        case D3DERR_NOTFOUND: return "D3DERR_NOTFOUND";
        default: return Hex(static_cast<DWORD>(result));
    }
}

std::string D3DFormatName(DWORD format) {
    return Lookup({N(D3DFMT_UNKNOWN), N(D3DFMT_A8R8G8B8), N(D3DFMT_X8R8G8B8), N(D3DFMT_D24S8),
                   N(D3DFMT_D16), N(D3DFMT_INDEX16), N(D3DFMT_INDEX32)},
                  format);
}

std::string D3DPoolName(DWORD pool) {
    return Lookup(
        {N(D3DPOOL_DEFAULT), N(D3DPOOL_MANAGED), N(D3DPOOL_SYSTEMMEM), N(D3DPOOL_SCRATCH)}, pool);
}

std::string D3DUsageName(DWORD usage) {
    return Flags({N(D3DUSAGE_RENDERTARGET), N(D3DUSAGE_DEPTHSTENCIL), N(D3DUSAGE_WRITEONLY),
                  N(D3DUSAGE_DYNAMIC)},
                 usage);
}

std::string D3DFvfName(DWORD fvf) {
    // The position is a field of its own (XYZRHW is not XYZ plus a bit), and
    // so is the texture-coordinate count.
    constexpr DWORD kPositionMask = 0x400E;
    constexpr DWORD kTexCountMask = 0xF00;
    std::string text;
    const auto add = [&text](const std::string& part) {
        if (!text.empty()) text += '|';
        text += part;
    };
    const DWORD position = fvf & kPositionMask;
    if (position == D3DFVF_XYZ)
        add("D3DFVF_XYZ");
    else if (position == D3DFVF_XYZRHW)
        add("D3DFVF_XYZRHW");
    DWORD rest = fvf & ~(position == D3DFVF_XYZ || position == D3DFVF_XYZRHW ? kPositionMask : 0u);
    for (const Named& n :
         {N(D3DFVF_NORMAL), Named{0x020, "D3DFVF_PSIZE"}, N(D3DFVF_DIFFUSE), N(D3DFVF_SPECULAR)}) {
        if ((rest & n.value) == 0) continue;
        add(n.name);
        rest &= ~n.value;
    }
    if ((rest & kTexCountMask) != 0) {
        add("D3DFVF_TEX" + std::to_string((rest & kTexCountMask) >> 8));
        rest &= ~kTexCountMask;
    }
    if (rest != 0) add(Hex(rest));
    return text.empty() ? "0" : text;
}

std::string D3DPrimitiveName(DWORD type) {
    return Lookup({N(D3DPT_POINTLIST), N(D3DPT_LINELIST), N(D3DPT_LINESTRIP), N(D3DPT_TRIANGLELIST),
                   N(D3DPT_TRIANGLESTRIP), N(D3DPT_TRIANGLEFAN)},
                  type);
}

std::string D3DTransformName(DWORD type) {
    return Lookup({N(D3DTS_VIEW), N(D3DTS_PROJECTION), N(D3DTS_WORLD)}, type);
}

std::string D3DDevTypeName(DWORD type) {
    return Lookup({N(D3DDEVTYPE_HAL), N(D3DDEVTYPE_REF), N(D3DDEVTYPE_SW)}, type);
}

std::string D3DCreateFlagsName(DWORD flags) {
    return Flags({N(D3DCREATE_FPU_PRESERVE), N(D3DCREATE_MULTITHREADED), N(D3DCREATE_PUREDEVICE),
                  N(D3DCREATE_SOFTWARE_VERTEXPROCESSING), N(D3DCREATE_HARDWARE_VERTEXPROCESSING),
                  N(D3DCREATE_MIXED_VERTEXPROCESSING)},
                 flags);
}

std::string D3DMultiSampleName(DWORD type) {
    if (type >= 2 && type <= 16) return "D3DMULTISAMPLE_" + std::to_string(type) + "_SAMPLES";
    return Lookup({N(D3DMULTISAMPLE_NONE), N(D3DMULTISAMPLE_NONMASKABLE)}, type);
}

std::string D3DSwapEffectName(DWORD effect) {
    return Lookup({N(D3DSWAPEFFECT_DISCARD), N(D3DSWAPEFFECT_FLIP), N(D3DSWAPEFFECT_COPY)}, effect);
}

std::string D3DPresentIntervalName(DWORD interval) {
    return Lookup({N(D3DPRESENT_INTERVAL_DEFAULT), N(D3DPRESENT_INTERVAL_ONE),
                   N(D3DPRESENT_INTERVAL_IMMEDIATE)},
                  interval);
}

std::string D3DClearFlagsName(DWORD flags) {
    return Flags({N(D3DCLEAR_TARGET), N(D3DCLEAR_ZBUFFER), N(D3DCLEAR_STENCIL)}, flags);
}

std::string D3DLockFlagsName(DWORD flags) {
    return Flags({N(D3DLOCK_READONLY), N(D3DLOCK_NOOVERWRITE), N(D3DLOCK_DISCARD)}, flags);
}

std::string D3DLightTypeName(DWORD type) {
    return Lookup({N(D3DLIGHT_POINT), N(D3DLIGHT_SPOT), N(D3DLIGHT_DIRECTIONAL)}, type);
}

std::string D3DResourceTypeName(DWORD type) {
    return Lookup(
        {N(D3DRTYPE_SURFACE), N(D3DRTYPE_VOLUME), N(D3DRTYPE_TEXTURE), N(D3DRTYPE_VOLUMETEXTURE),
         N(D3DRTYPE_CUBETEXTURE), N(D3DRTYPE_VERTEXBUFFER), N(D3DRTYPE_INDEXBUFFER)},
        type);
}

std::string D3DRenderStateName(DWORD state) {
    return Lookup({N(D3DRS_ZENABLE),
                   N(D3DRS_FILLMODE),
                   N(D3DRS_SHADEMODE),
                   N(D3DRS_ZWRITEENABLE),
                   N(D3DRS_ALPHATESTENABLE),
                   N(D3DRS_LASTPIXEL),
                   N(D3DRS_SRCBLEND),
                   N(D3DRS_DESTBLEND),
                   N(D3DRS_CULLMODE),
                   N(D3DRS_ZFUNC),
                   N(D3DRS_ALPHAREF),
                   N(D3DRS_ALPHAFUNC),
                   N(D3DRS_DITHERENABLE),
                   N(D3DRS_ALPHABLENDENABLE),
                   N(D3DRS_FOGENABLE),
                   N(D3DRS_SPECULARENABLE),
                   N(D3DRS_STENCILENABLE),
                   N(D3DRS_TEXTUREFACTOR),
                   N(D3DRS_LIGHTING),
                   N(D3DRS_AMBIENT),
                   N(D3DRS_COLORVERTEX),
                   N(D3DRS_LOCALVIEWER),
                   N(D3DRS_NORMALIZENORMALS),
                   N(D3DRS_DIFFUSEMATERIALSOURCE),
                   N(D3DRS_SPECULARMATERIALSOURCE),
                   N(D3DRS_AMBIENTMATERIALSOURCE),
                   N(D3DRS_EMISSIVEMATERIALSOURCE),
                   N(D3DRS_MULTISAMPLEANTIALIAS),
                   N(D3DRS_COLORWRITEENABLE),
                   N(D3DRS_BLENDOP)},
                  state);
}

std::string D3DRenderStateValueName(DWORD state, DWORD value) {
    switch (state) {
        case D3DRS_ZENABLE: return Lookup({N(D3DZB_FALSE), N(D3DZB_TRUE)}, value);
        case D3DRS_FILLMODE:
            return Lookup({N(D3DFILL_POINT), N(D3DFILL_WIREFRAME), N(D3DFILL_SOLID)}, value);
        case D3DRS_SHADEMODE: return Lookup({N(D3DSHADE_FLAT), N(D3DSHADE_GOURAUD)}, value);
        case D3DRS_CULLMODE: return Lookup({N(D3DCULL_NONE), N(D3DCULL_CW), N(D3DCULL_CCW)}, value);
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND: return Pick(kBlends, value);
        case D3DRS_ZFUNC:
        case D3DRS_ALPHAFUNC: return Pick(kCompares, value);
        case D3DRS_DIFFUSEMATERIALSOURCE:
        case D3DRS_SPECULARMATERIALSOURCE:
        case D3DRS_AMBIENTMATERIALSOURCE:
        case D3DRS_EMISSIVEMATERIALSOURCE: return Pick(kColorSources, value);
        case D3DRS_BLENDOP: return Lookup({N(D3DBLENDOP_ADD)}, value);
        case D3DRS_TEXTUREFACTOR:
        case D3DRS_AMBIENT:
        case D3DRS_COLORWRITEENABLE: return Hex(value);
        case D3DRS_ZWRITEENABLE:
        case D3DRS_ALPHATESTENABLE:
        case D3DRS_LASTPIXEL:
        case D3DRS_DITHERENABLE:
        case D3DRS_ALPHABLENDENABLE:
        case D3DRS_FOGENABLE:
        case D3DRS_SPECULARENABLE:
        case D3DRS_STENCILENABLE:
        case D3DRS_LIGHTING:
        case D3DRS_COLORVERTEX:
        case D3DRS_LOCALVIEWER:
        case D3DRS_NORMALIZENORMALS:
        case D3DRS_MULTISAMPLEANTIALIAS: return Bool(value);
        default: return Decimal(value);
    }
}

std::string D3DStageStateName(DWORD type) {
    return Lookup({N(D3DTSS_COLOROP), N(D3DTSS_COLORARG1), N(D3DTSS_COLORARG2), N(D3DTSS_ALPHAOP),
                   N(D3DTSS_ALPHAARG1), N(D3DTSS_ALPHAARG2), N(D3DTSS_TEXCOORDINDEX)},
                  type);
}

std::string D3DStageStateValueName(DWORD type, DWORD value) {
    switch (type) {
        case D3DTSS_COLOROP:
        case D3DTSS_ALPHAOP: return Pick(kTextureOps, value);
        case D3DTSS_COLORARG1:
        case D3DTSS_COLORARG2:
        case D3DTSS_ALPHAARG1:
        case D3DTSS_ALPHAARG2: {
            // The selector, then the modifier bits (complement, alpha replicate).
            constexpr DWORD kSelectorMask = 0x0F;
            std::string text = Pick(kTextureArgs, value & kSelectorMask);
            if ((value & ~kSelectorMask) != 0) text += "|" + Hex(value & ~kSelectorMask);
            return text;
        }
        default: return Decimal(value);
    }
}

std::string D3DSamplerStateName(DWORD type) {
    return Lookup(
        {N(D3DSAMP_ADDRESSU), N(D3DSAMP_ADDRESSV), N(D3DSAMP_ADDRESSW), N(D3DSAMP_BORDERCOLOR),
         N(D3DSAMP_MAGFILTER), N(D3DSAMP_MINFILTER), N(D3DSAMP_MIPFILTER)},
        type);
}

std::string D3DSamplerStateValueName(DWORD type, DWORD value) {
    switch (type) {
        case D3DSAMP_ADDRESSU:
        case D3DSAMP_ADDRESSV:
        case D3DSAMP_ADDRESSW: return Pick(kAddresses, value);
        case D3DSAMP_BORDERCOLOR: return Hex(value);
        case D3DSAMP_MAGFILTER:
        case D3DSAMP_MINFILTER:
        case D3DSAMP_MIPFILTER: return Pick(kFilters, value);
        default: return Decimal(value);
    }
}

#undef N
