#include "platform/d3d9/D3DNames.h"

#include <cstdio>
#include <initializer_list>

namespace {

struct Named {
    DWORD value;
    const char* name;
};
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
    {D3DBLEND_ZERO, "D3DBLEND_ZERO"},           {D3DBLEND_ONE, "D3DBLEND_ONE"},
    {D3DBLEND_SRCCOLOR, "D3DBLEND_SRCCOLOR"},   {D3DBLEND_INVSRCCOLOR, "D3DBLEND_INVSRCCOLOR"},
    {D3DBLEND_SRCALPHA, "D3DBLEND_SRCALPHA"},   {D3DBLEND_INVSRCALPHA, "D3DBLEND_INVSRCALPHA"},
    {D3DBLEND_DESTALPHA, "D3DBLEND_DESTALPHA"}, {D3DBLEND_INVDESTALPHA, "D3DBLEND_INVDESTALPHA"},
    {D3DBLEND_DESTCOLOR, "D3DBLEND_DESTCOLOR"}, {D3DBLEND_INVDESTCOLOR, "D3DBLEND_INVDESTCOLOR"},
};
constexpr Named kCompares[] = {
    {D3DCMP_NEVER, "D3DCMP_NEVER"},
    {D3DCMP_LESS, "D3DCMP_LESS"},
    {D3DCMP_EQUAL, "D3DCMP_EQUAL"},
    {D3DCMP_LESSEQUAL, "D3DCMP_LESSEQUAL"},
    {D3DCMP_GREATER, "D3DCMP_GREATER"},
    {D3DCMP_NOTEQUAL, "D3DCMP_NOTEQUAL"},
    {D3DCMP_GREATEREQUAL, "D3DCMP_GREATEREQUAL"},
    {D3DCMP_ALWAYS, "D3DCMP_ALWAYS"},
};
constexpr Named kColorSources[] = {
    {D3DMCS_MATERIAL, "D3DMCS_MATERIAL"},
    {D3DMCS_COLOR1, "D3DMCS_COLOR1"},
    {D3DMCS_COLOR2, "D3DMCS_COLOR2"},
};
constexpr Named kTextureOps[] = {
    {D3DTOP_DISABLE, "D3DTOP_DISABLE"},
    {D3DTOP_SELECTARG1, "D3DTOP_SELECTARG1"},
    {D3DTOP_SELECTARG2, "D3DTOP_SELECTARG2"},
    {D3DTOP_MODULATE, "D3DTOP_MODULATE"},
    {D3DTOP_MODULATE2X, "D3DTOP_MODULATE2X"},
    {D3DTOP_MODULATE4X, "D3DTOP_MODULATE4X"},
    {D3DTOP_ADD, "D3DTOP_ADD"},
};
constexpr Named kTextureArgs[] = {
    {D3DTA_DIFFUSE, "D3DTA_DIFFUSE"},   {D3DTA_CURRENT, "D3DTA_CURRENT"},
    {D3DTA_TEXTURE, "D3DTA_TEXTURE"},   {D3DTA_TFACTOR, "D3DTA_TFACTOR"},
    {D3DTA_SPECULAR, "D3DTA_SPECULAR"},
};
constexpr Named kAddresses[] = {
    {D3DTADDRESS_WRAP, "D3DTADDRESS_WRAP"},
    {D3DTADDRESS_MIRROR, "D3DTADDRESS_MIRROR"},
    {D3DTADDRESS_CLAMP, "D3DTADDRESS_CLAMP"},
    {D3DTADDRESS_BORDER, "D3DTADDRESS_BORDER"},
};
constexpr Named kFilters[] = {
    {D3DTEXF_NONE, "D3DTEXF_NONE"},
    {D3DTEXF_POINT, "D3DTEXF_POINT"},
    {D3DTEXF_LINEAR, "D3DTEXF_LINEAR"},
};

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
    return Lookup({{D3DFMT_UNKNOWN, "D3DFMT_UNKNOWN"},
                   {D3DFMT_A8R8G8B8, "D3DFMT_A8R8G8B8"},
                   {D3DFMT_X8R8G8B8, "D3DFMT_X8R8G8B8"},
                   {D3DFMT_D24S8, "D3DFMT_D24S8"},
                   {D3DFMT_D16, "D3DFMT_D16"},
                   {D3DFMT_INDEX16, "D3DFMT_INDEX16"},
                   {D3DFMT_INDEX32, "D3DFMT_INDEX32"}},
                  format);
}

std::string D3DPoolName(DWORD pool) {
    return Lookup({{D3DPOOL_DEFAULT, "D3DPOOL_DEFAULT"},
                   {D3DPOOL_MANAGED, "D3DPOOL_MANAGED"},
                   {D3DPOOL_SYSTEMMEM, "D3DPOOL_SYSTEMMEM"},
                   {D3DPOOL_SCRATCH, "D3DPOOL_SCRATCH"}},
                  pool);
}

std::string D3DUsageName(DWORD usage) {
    return Flags({{D3DUSAGE_RENDERTARGET, "D3DUSAGE_RENDERTARGET"},
                  {D3DUSAGE_DEPTHSTENCIL, "D3DUSAGE_DEPTHSTENCIL"},
                  {D3DUSAGE_WRITEONLY, "D3DUSAGE_WRITEONLY"},
                  {D3DUSAGE_DYNAMIC, "D3DUSAGE_DYNAMIC"}},
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
         {Named{D3DFVF_NORMAL, "D3DFVF_NORMAL"}, Named{0x020, "D3DFVF_PSIZE"},
          Named{D3DFVF_DIFFUSE, "D3DFVF_DIFFUSE"}, Named{D3DFVF_SPECULAR, "D3DFVF_SPECULAR"}}) {
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
    return Lookup({{D3DPT_POINTLIST, "D3DPT_POINTLIST"},
                   {D3DPT_LINELIST, "D3DPT_LINELIST"},
                   {D3DPT_LINESTRIP, "D3DPT_LINESTRIP"},
                   {D3DPT_TRIANGLELIST, "D3DPT_TRIANGLELIST"},
                   {D3DPT_TRIANGLESTRIP, "D3DPT_TRIANGLESTRIP"},
                   {D3DPT_TRIANGLEFAN, "D3DPT_TRIANGLEFAN"}},
                  type);
}

std::string D3DTransformName(DWORD type) {
    return Lookup({{D3DTS_VIEW, "D3DTS_VIEW"},
                   {D3DTS_PROJECTION, "D3DTS_PROJECTION"},
                   {D3DTS_WORLD, "D3DTS_WORLD"}},
                  type);
}

std::string D3DDevTypeName(DWORD type) {
    return Lookup({{D3DDEVTYPE_HAL, "D3DDEVTYPE_HAL"},
                   {D3DDEVTYPE_REF, "D3DDEVTYPE_REF"},
                   {D3DDEVTYPE_SW, "D3DDEVTYPE_SW"}},
                  type);
}

std::string D3DCreateFlagsName(DWORD flags) {
    return Flags({{D3DCREATE_FPU_PRESERVE, "D3DCREATE_FPU_PRESERVE"},
                  {D3DCREATE_MULTITHREADED, "D3DCREATE_MULTITHREADED"},
                  {D3DCREATE_PUREDEVICE, "D3DCREATE_PUREDEVICE"},
                  {D3DCREATE_SOFTWARE_VERTEXPROCESSING, "D3DCREATE_SOFTWARE_VERTEXPROCESSING"},
                  {D3DCREATE_HARDWARE_VERTEXPROCESSING, "D3DCREATE_HARDWARE_VERTEXPROCESSING"},
                  {D3DCREATE_MIXED_VERTEXPROCESSING, "D3DCREATE_MIXED_VERTEXPROCESSING"}},
                 flags);
}

std::string D3DMultiSampleName(DWORD type) {
    if (type >= 2 && type <= 16) return "D3DMULTISAMPLE_" + std::to_string(type) + "_SAMPLES";
    return Lookup({{D3DMULTISAMPLE_NONE, "D3DMULTISAMPLE_NONE"},
                   {D3DMULTISAMPLE_NONMASKABLE, "D3DMULTISAMPLE_NONMASKABLE"}},
                  type);
}

std::string D3DSwapEffectName(DWORD effect) {
    return Lookup({{D3DSWAPEFFECT_DISCARD, "D3DSWAPEFFECT_DISCARD"},
                   {D3DSWAPEFFECT_FLIP, "D3DSWAPEFFECT_FLIP"},
                   {D3DSWAPEFFECT_COPY, "D3DSWAPEFFECT_COPY"}},
                  effect);
}

std::string D3DPresentIntervalName(DWORD interval) {
    return Lookup({{D3DPRESENT_INTERVAL_DEFAULT, "D3DPRESENT_INTERVAL_DEFAULT"},
                   {D3DPRESENT_INTERVAL_ONE, "D3DPRESENT_INTERVAL_ONE"},
                   {D3DPRESENT_INTERVAL_IMMEDIATE, "D3DPRESENT_INTERVAL_IMMEDIATE"}},
                  interval);
}

std::string D3DClearFlagsName(DWORD flags) {
    return Flags({{D3DCLEAR_TARGET, "D3DCLEAR_TARGET"},
                  {D3DCLEAR_ZBUFFER, "D3DCLEAR_ZBUFFER"},
                  {D3DCLEAR_STENCIL, "D3DCLEAR_STENCIL"}},
                 flags);
}

std::string D3DLockFlagsName(DWORD flags) {
    return Flags({{D3DLOCK_READONLY, "D3DLOCK_READONLY"},
                  {D3DLOCK_NOOVERWRITE, "D3DLOCK_NOOVERWRITE"},
                  {D3DLOCK_DISCARD, "D3DLOCK_DISCARD"}},
                 flags);
}

std::string D3DLightTypeName(DWORD type) {
    return Lookup({{D3DLIGHT_POINT, "D3DLIGHT_POINT"},
                   {D3DLIGHT_SPOT, "D3DLIGHT_SPOT"},
                   {D3DLIGHT_DIRECTIONAL, "D3DLIGHT_DIRECTIONAL"}},
                  type);
}

std::string D3DResourceTypeName(DWORD type) {
    return Lookup({{D3DRTYPE_SURFACE, "D3DRTYPE_SURFACE"},
                   {D3DRTYPE_VOLUME, "D3DRTYPE_VOLUME"},
                   {D3DRTYPE_TEXTURE, "D3DRTYPE_TEXTURE"},
                   {D3DRTYPE_VOLUMETEXTURE, "D3DRTYPE_VOLUMETEXTURE"},
                   {D3DRTYPE_CUBETEXTURE, "D3DRTYPE_CUBETEXTURE"},
                   {D3DRTYPE_VERTEXBUFFER, "D3DRTYPE_VERTEXBUFFER"},
                   {D3DRTYPE_INDEXBUFFER, "D3DRTYPE_INDEXBUFFER"}},
                  type);
}

std::string D3DRenderStateName(DWORD state) {
    return Lookup({{D3DRS_ZENABLE, "D3DRS_ZENABLE"},
                   {D3DRS_FILLMODE, "D3DRS_FILLMODE"},
                   {D3DRS_SHADEMODE, "D3DRS_SHADEMODE"},
                   {D3DRS_ZWRITEENABLE, "D3DRS_ZWRITEENABLE"},
                   {D3DRS_ALPHATESTENABLE, "D3DRS_ALPHATESTENABLE"},
                   {D3DRS_LASTPIXEL, "D3DRS_LASTPIXEL"},
                   {D3DRS_SRCBLEND, "D3DRS_SRCBLEND"},
                   {D3DRS_DESTBLEND, "D3DRS_DESTBLEND"},
                   {D3DRS_CULLMODE, "D3DRS_CULLMODE"},
                   {D3DRS_ZFUNC, "D3DRS_ZFUNC"},
                   {D3DRS_ALPHAREF, "D3DRS_ALPHAREF"},
                   {D3DRS_ALPHAFUNC, "D3DRS_ALPHAFUNC"},
                   {D3DRS_DITHERENABLE, "D3DRS_DITHERENABLE"},
                   {D3DRS_ALPHABLENDENABLE, "D3DRS_ALPHABLENDENABLE"},
                   {D3DRS_FOGENABLE, "D3DRS_FOGENABLE"},
                   {D3DRS_SPECULARENABLE, "D3DRS_SPECULARENABLE"},
                   {D3DRS_STENCILENABLE, "D3DRS_STENCILENABLE"},
                   {D3DRS_TEXTUREFACTOR, "D3DRS_TEXTUREFACTOR"},
                   {D3DRS_LIGHTING, "D3DRS_LIGHTING"},
                   {D3DRS_AMBIENT, "D3DRS_AMBIENT"},
                   {D3DRS_COLORVERTEX, "D3DRS_COLORVERTEX"},
                   {D3DRS_LOCALVIEWER, "D3DRS_LOCALVIEWER"},
                   {D3DRS_NORMALIZENORMALS, "D3DRS_NORMALIZENORMALS"},
                   {D3DRS_DIFFUSEMATERIALSOURCE, "D3DRS_DIFFUSEMATERIALSOURCE"},
                   {D3DRS_SPECULARMATERIALSOURCE, "D3DRS_SPECULARMATERIALSOURCE"},
                   {D3DRS_AMBIENTMATERIALSOURCE, "D3DRS_AMBIENTMATERIALSOURCE"},
                   {D3DRS_EMISSIVEMATERIALSOURCE, "D3DRS_EMISSIVEMATERIALSOURCE"},
                   {D3DRS_MULTISAMPLEANTIALIAS, "D3DRS_MULTISAMPLEANTIALIAS"},
                   {D3DRS_COLORWRITEENABLE, "D3DRS_COLORWRITEENABLE"},
                   {D3DRS_BLENDOP, "D3DRS_BLENDOP"}},
                  state);
}

std::string D3DRenderStateValueName(DWORD state, DWORD value) {
    switch (state) {
        case D3DRS_ZENABLE:
            return Lookup({{D3DZB_FALSE, "D3DZB_FALSE"}, {D3DZB_TRUE, "D3DZB_TRUE"}}, value);
        case D3DRS_FILLMODE:
            return Lookup({{D3DFILL_POINT, "D3DFILL_POINT"},
                           {D3DFILL_WIREFRAME, "D3DFILL_WIREFRAME"},
                           {D3DFILL_SOLID, "D3DFILL_SOLID"}},
                          value);
        case D3DRS_SHADEMODE:
            return Lookup(
                {{D3DSHADE_FLAT, "D3DSHADE_FLAT"}, {D3DSHADE_GOURAUD, "D3DSHADE_GOURAUD"}}, value);
        case D3DRS_CULLMODE:
            return Lookup({{D3DCULL_NONE, "D3DCULL_NONE"},
                           {D3DCULL_CW, "D3DCULL_CW"},
                           {D3DCULL_CCW, "D3DCULL_CCW"}},
                          value);
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND: return Pick(kBlends, value);
        case D3DRS_ZFUNC:
        case D3DRS_ALPHAFUNC: return Pick(kCompares, value);
        case D3DRS_DIFFUSEMATERIALSOURCE:
        case D3DRS_SPECULARMATERIALSOURCE:
        case D3DRS_AMBIENTMATERIALSOURCE:
        case D3DRS_EMISSIVEMATERIALSOURCE: return Pick(kColorSources, value);
        case D3DRS_BLENDOP: return Lookup({{D3DBLENDOP_ADD, "D3DBLENDOP_ADD"}}, value);
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
    return Lookup({{D3DTSS_COLOROP, "D3DTSS_COLOROP"},
                   {D3DTSS_COLORARG1, "D3DTSS_COLORARG1"},
                   {D3DTSS_COLORARG2, "D3DTSS_COLORARG2"},
                   {D3DTSS_ALPHAOP, "D3DTSS_ALPHAOP"},
                   {D3DTSS_ALPHAARG1, "D3DTSS_ALPHAARG1"},
                   {D3DTSS_ALPHAARG2, "D3DTSS_ALPHAARG2"},
                   {D3DTSS_TEXCOORDINDEX, "D3DTSS_TEXCOORDINDEX"}},
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
    return Lookup({{D3DSAMP_ADDRESSU, "D3DSAMP_ADDRESSU"},
                   {D3DSAMP_ADDRESSV, "D3DSAMP_ADDRESSV"},
                   {D3DSAMP_ADDRESSW, "D3DSAMP_ADDRESSW"},
                   {D3DSAMP_BORDERCOLOR, "D3DSAMP_BORDERCOLOR"},
                   {D3DSAMP_MAGFILTER, "D3DSAMP_MAGFILTER"},
                   {D3DSAMP_MINFILTER, "D3DSAMP_MINFILTER"},
                   {D3DSAMP_MIPFILTER, "D3DSAMP_MIPFILTER"}},
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
