#include "scene/ShapePasses.h"

namespace {

constexpr D3DCOLOR kOpaqueBlack = 0xFF000000u;
constexpr D3DCOLOR kOpaqueWhite = 0xFFFFFFFFu;
// Picture and glow are each composited at 0x99 / 0xFF = 0.6 of their colour.
constexpr D3DCOLOR kCompositeColor = 0xFF999999u;

constexpr float kFieldOfView = 0.7853982f;  // nearest float to pi / 4
constexpr float kNearPlane = 0.001f;
constexpr float kFarPlane = 300.0f;
constexpr double kMillisecondsPerRadian = 628.0;

// Stage 0 modulates texture by diffuse colour, for colour and alpha.
void SetModulateStage(IDirect3DDevice9* device) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

}  // namespace

void SetShapeLight(IDirect3DDevice9* device, D3DLIGHT9* light) {
    *light = D3DLIGHT9{};
    light->Type = D3DLIGHT_DIRECTIONAL;
    light->Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light->Specular = {1.0f, 1.0f, 1.0f, 0.0f};
    light->Ambient = {0.5f, 0.5f, 0.5f, 0.0f};
    const D3DXVECTOR3 direction(1.0f, -1.5f, -0.7f);
    D3DXVECTOR3 unitDirection;
    D3DXVec3Normalize(&unitDirection, &direction);
    light->Direction = unitDirection;
    device->SetLight(0, light);
    device->LightEnable(0, TRUE);
}

void SetShapeCamera(IDirect3DDevice9* device, float zoom, D3DXMATRIX* projection,
                    D3DXMATRIX* view) {
    // Magnifying scales x and y after the projection: the same picture,
    // cropped, where moving the eye would change the perspective and the
    // specular highlights.
    D3DXMatrixPerspectiveFovLH(projection, kFieldOfView, 1.0f, kNearPlane, kFarPlane);
    projection->_11 *= zoom;
    projection->_22 *= zoom;
    device->SetTransform(D3DTS_PROJECTION, projection);

    const D3DXVECTOR3 eye(1.8f, 2.6f, 3.8f);
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(view, &eye, &at, &up);
    device->SetTransform(D3DTS_VIEW, view);
}

D3DXMATRIX ShapeTurn(DWORD milliseconds) {
    const float t = static_cast<float>(static_cast<double>(milliseconds) / kMillisecondsPerRadian);
    D3DXMATRIX world;
    D3DXMATRIX rotation;
    D3DXMatrixIdentity(&world);
    D3DXMatrixRotationX(&rotation, t);
    D3DXMatrixMultiply(&world, &world, &rotation);
    D3DXMatrixRotationZ(&rotation, t * 0.25f);
    D3DXMatrixMultiply(&world, &world, &rotation);
    return world;
}

void DrawShapePicture(IDirect3DDevice9* device, CSuperShape& shape, CDXRenderTexture& picture) {
    picture.Begin();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kOpaqueBlack, 1.0f, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    shape.Draw();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    picture.End();
}

void DrawShapeGlow(CDX2DPolygon& quad, CDXRenderTexture& picture, CDXRenderTexture& glow0,
                   CDXRenderTexture& glow1, float side) {
    // Copy the picture, then twice shrink it to the quarter-size corner of
    // glow1 and stretch that corner back over glow0. The second shrink is
    // mirrored in both axes (a half turn), and the two half turns of the two
    // rounds cancel. No target needs clearing: every pass into glow0 covers
    // it whole, and only the corner of glow1 that the shrinks write is ever
    // read.
    const float corner = side / 4.0f;
    const float span = corner / side;  // 0.25, the corner in texture coordinates
    glow0.Begin();
    quad.DrawTexture(picture.GetTexture(), 0, 0, side, side, 0, 0, kOpaqueWhite);
    glow0.End();
    for (int round = 0; round < 2; ++round) {
        glow1.Begin();
        quad.DrawTexture(glow0.GetTexture(), 0, 0, corner, corner, 0, 0, kOpaqueWhite);
        glow1.End();
        glow0.Begin();
        quad.DrawTextureUV(glow1.GetTexture(), 0, 0, side, side, 0, 0, span, span, kOpaqueWhite);
        glow0.End();
        glow1.Begin();
        quad.DrawTexture(glow0.GetTexture(), corner, corner, -corner, -corner, 0, 0, kOpaqueWhite);
        glow1.End();
        glow0.Begin();
        quad.DrawTextureUV(glow1.GetTexture(), 0, 0, side, side, 0, 0, span, span, kOpaqueWhite);
        glow0.End();
    }
}

void CompositeShape(IDirect3DDevice9* device, CDX2DPolygon& quad, IDirect3DTexture9* picture,
                    IDirect3DTexture9* glow, float x, float y, float size) {
    // Blending is off: the picture replaces the square's pixels.
    quad.DrawTexture(picture, x, y, size, size, 0, 0, kCompositeColor);

    SetModulateStage(device);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    quad.DrawTexture(glow, x, y, size, size, 0, 0, kCompositeColor);
}

void EndShapePasses(IDirect3DDevice9* device) {
    SetModulateStage(device);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}
