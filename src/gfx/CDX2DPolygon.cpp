// Screen-space quads: four pre-transformed vertices sent with DrawPrimitiveUP
// as a two-triangle fan. A draw sets only what the quad needs (vertex
// format, stage-0 texture, Z writes) and leaves Z writes on and stage 0
// empty behind it; everything else is the caller's.
#include "gfx/CDX2DPolygon.h"

#include <cstdio>

#include "gfx/CDXContext.h"
#include "platform/d3d9/d3dx9.h"

namespace {
// Image files live in this directory under the working directory.
constexpr const char* kImageDirectory = "img/";
constexpr std::size_t kPathBufferSize = 1024;

IDirect3DDevice9* DeviceOf(const CDXContext* context) {
    return context ? context->device : nullptr;
}

// Corners in the order right-top, right-bottom, left-bottom, left-top, the
// texture window travelling with them; negative sizes mirror the quad.
void FillQuad(ScreenVertex (&vertices)[4], float x, float y, float width, float height, float u,
              float v, float du, float dv, float rhw, D3DCOLOR color) {
    const float right = x + width;
    const float bottom = y + height;
    const float uEnd = u + du;
    const float vEnd = v + dv;
    vertices[0] = ScreenVertex{right, y, 0.0f, rhw, color, uEnd, v};
    vertices[1] = ScreenVertex{right, bottom, 0.0f, rhw, color, uEnd, vEnd};
    vertices[2] = ScreenVertex{x, bottom, 0.0f, rhw, color, u, vEnd};
    vertices[3] = ScreenVertex{x, y, 0.0f, rhw, color, u, v};
}

HRESULT SendQuad(IDirect3DDevice9* device, IDirect3DTexture9* texture,
                 const ScreenVertex (&vertices)[4], bool textured) {
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetFVF(kScreenVertexFVF);
    device->SetTexture(0, texture);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(ScreenVertex));
    if (textured) device->SetTexture(0, nullptr);
    return device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}
}  // namespace

CDX2DPolygon::~CDX2DPolygon() {
    if (texture) texture->Release();
}

void CDX2DPolygon::SetContext(CDXContext* ctx) {
    context = ctx;
    // A texture held from before is given back rather than forgotten.
    if (texture) texture->Release();
    texture = nullptr;
}

IDirect3DTexture9* CDX2DPolygon::GetTexture() { return texture; }

HRESULT CDX2DPolygon::CreateEmptyTexture(UINT width, UINT height) {
    IDirect3DDevice9* device = DeviceOf(context);
    if (!device) return E_FAIL;
    IDirect3DTexture9* created = nullptr;
    const HRESULT hr = device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8,
                                             D3DPOOL_MANAGED, &created, nullptr);
    if (SUCCEEDED(hr) && created) {
        if (texture) texture->Release();
        texture = created;
    }
    return hr;
}

HRESULT CDX2DPolygon::LoadTexture(const char* fileName) {
    IDirect3DDevice9* device = DeviceOf(context);
    if (!device) return E_FAIL;
    if (!fileName) return E_INVALIDARG;
    char path[kPathBufferSize];
    const int length = std::snprintf(path, sizeof path, "%s%s", kImageDirectory, fileName);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof path) return E_INVALIDARG;
    IDirect3DTexture9* loaded = nullptr;
    const HRESULT hr = D3DXCreateTextureFromFileA(device, path, &loaded);
    if (SUCCEEDED(hr) && loaded) {
        if (texture) texture->Release();
        texture = loaded;
    }
    return hr;
}

HRESULT CDX2DPolygon::DrawRect(float x, float y, float width, float height, D3DCOLOR color) {
    IDirect3DDevice9* device = DeviceOf(context);
    if (!device) return E_FAIL;
    // rhw 0 and no texture: the flat colour comes through stage 0 as is.
    ScreenVertex vertices[4];
    FillQuad(vertices, x, y, width, height, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, color);
    return SendQuad(device, nullptr, vertices, false);
}

HRESULT CDX2DPolygon::DrawTextureUV(IDirect3DTexture9* tex, float x, float y, float width,
                                    float height, float u, float v, float uSpan, float vSpan,
                                    D3DCOLOR color) {
    IDirect3DDevice9* device = DeviceOf(context);
    if (!device) return E_FAIL;
    ScreenVertex vertices[4];
    FillQuad(vertices, x, y, width, height, u, v, uSpan, vSpan, 1.0f, color);
    return SendQuad(device, tex, vertices, true);
}

HRESULT CDX2DPolygon::DrawTexture(IDirect3DTexture9* tex, float x, float y, float width,
                                  float height, float u, float v, D3DCOLOR color) {
    return DrawTextureUV(tex, x, y, width, height, u, v, 1.0f, 1.0f, color);
}

HRESULT CDX2DPolygon::Draw(float x, float y, float width, float height, float u, float v,
                           D3DCOLOR color) {
    return DrawTexture(texture, x, y, width, height, u, v, color);
}
