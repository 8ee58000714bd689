// Placeholder until the quad drawer lands.
#include "gfx/CDX2DPolygon.h"

CDX2DPolygon::~CDX2DPolygon() = default;
void CDX2DPolygon::SetContext(CDXContext* ctx) { context = ctx; texture = nullptr; }
IDirect3DTexture9* CDX2DPolygon::GetTexture() { return texture; }
HRESULT CDX2DPolygon::CreateEmptyTexture(UINT, UINT) { return E_FAIL; }
HRESULT CDX2DPolygon::LoadTexture(const char*) { return E_FAIL; }
HRESULT CDX2DPolygon::DrawRect(float, float, float, float, D3DCOLOR) { return E_FAIL; }
HRESULT CDX2DPolygon::DrawTextureUV(IDirect3DTexture9*, float, float, float, float, float, float,
                                    float, float, D3DCOLOR) {
    return E_FAIL;
}
HRESULT CDX2DPolygon::DrawTexture(IDirect3DTexture9*, float, float, float, float, float, float,
                                  D3DCOLOR) {
    return E_FAIL;
}
HRESULT CDX2DPolygon::Draw(float, float, float, float, float, float, D3DCOLOR) { return E_FAIL; }
