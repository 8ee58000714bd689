#include "platform/d3d9/recording/RecordingText.h"

#include <cstdio>

namespace recording {

std::string Dec(long long value) { return std::to_string(value); }

std::string Hex(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return buffer;
}

std::string Flt(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string Floats(const float* values, std::size_t count) {
    std::string text = "[";
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += Flt(values[i]);
    }
    return text + "]";
}

std::string Matrix(const D3DMATRIX* matrix) {
    return matrix ? Floats(matrix->Data(), 16) : std::string("null");
}

std::string Handle(const void* handle) { return handle ? "handle" : "null"; }

std::string Rect(const RECT* rect) {
    if (!rect) return "null";
    return "[" + Dec(rect->left) + " " + Dec(rect->top) + " " + Dec(rect->right) + " " +
           Dec(rect->bottom) + "]";
}

std::string LockFlags(DWORD flags) { return D3DLockFlagsName(flags); }

std::string Viewport(const D3DVIEWPORT9* v) {
    if (!v) return "null";
    return Dec(v->X) + ", " + Dec(v->Y) + ", " + Dec(v->Width) + ", " + Dec(v->Height) + ", " +
           Flt(v->MinZ) + ", " + Flt(v->MaxZ);
}

std::string Material(const D3DMATERIAL9* m) {
    if (!m) return "null";
    return Floats(&m->Diffuse.r, 4) + ", " + Floats(&m->Ambient.r, 4) + ", " +
           Floats(&m->Specular.r, 4) + ", " + Floats(&m->Emissive.r, 4) + ", " + Flt(m->Power);
}

std::string Light(const D3DLIGHT9* l) {
    if (!l) return "null";
    return D3DLightTypeName(l->Type) + ", " + Floats(&l->Diffuse.r, 4) + ", " +
           Floats(&l->Specular.r, 4) + ", " + Floats(&l->Ambient.r, 4) + ", " +
           Floats(&l->Position.x, 3) + ", " + Floats(&l->Direction.x, 3) + ", " + Flt(l->Range) +
           ", " + Flt(l->Falloff) + ", " + Flt(l->Attenuation0) + ", " + Flt(l->Attenuation1) +
           ", " + Flt(l->Attenuation2) + ", " + Flt(l->Theta) + ", " + Flt(l->Phi);
}

std::string PresentParams(const D3DPRESENT_PARAMETERS* p) {
    if (!p) return "null";
    return "{" + Dec(p->BackBufferWidth) + " " + Dec(p->BackBufferHeight) + " " +
           D3DFormatName(p->BackBufferFormat) + " " + Dec(p->BackBufferCount) + " " +
           D3DMultiSampleName(p->MultiSampleType) + " " + Dec(p->MultiSampleQuality) + " " +
           D3DSwapEffectName(p->SwapEffect) + " " + Handle(p->hDeviceWindow) + " " +
           Dec(p->Windowed) + " " + Dec(p->EnableAutoDepthStencil) + " " +
           D3DFormatName(p->AutoDepthStencilFormat) + " " + Dec(p->Flags) + " " +
           Dec(p->FullScreen_RefreshRateInHz) + " " +
           D3DPresentIntervalName(p->PresentationInterval) + "}";
}

std::string Call(std::string_view name, std::initializer_list<std::string> args) {
    std::string text(name);
    text += '(';
    bool first = true;
    for (const std::string& arg : args) {
        if (!first) text += ", ";
        text += arg;
        first = false;
    }
    return text + ')';
}

}  // namespace recording
