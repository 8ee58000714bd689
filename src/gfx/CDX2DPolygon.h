// Screen-space quads: one axis-aligned rectangle per call, flat or textured,
// in pixels of the current render target.
#pragma once

#include "platform/d3d9/d3d9.h"

class CDXContext;

// The pre-transformed vertex of all screen-space drawing (FVF 324).
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);
constexpr DWORD kScreenVertexFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class CDX2DPolygon {
public:
    CDX2DPolygon() = default;
    ~CDX2DPolygon();
    CDX2DPolygon(const CDX2DPolygon&) = delete;
    CDX2DPolygon& operator=(const CDX2DPolygon&) = delete;

    virtual void SetContext(CDXContext* ctx);
    virtual IDirect3DTexture9* GetTexture();
    virtual HRESULT CreateEmptyTexture(UINT width, UINT height);
    virtual HRESULT LoadTexture(const char* fileName);
    virtual HRESULT DrawRect(float x, float y, float width, float height, D3DCOLOR color);
    virtual HRESULT DrawTextureUV(IDirect3DTexture9* tex, float x, float y, float width,
                                  float height, float u, float v, float uSpan, float vSpan,
                                  D3DCOLOR color);
    virtual HRESULT DrawTexture(IDirect3DTexture9* tex, float x, float y, float width,
                                float height, float u, float v, D3DCOLOR color);
    virtual HRESULT Draw(float x, float y, float width, float height, float u, float v,
                         D3DCOLOR color);

private:
    CDXContext* context = nullptr;         // not owned
    IDirect3DTexture9* texture = nullptr;  // owned
};
