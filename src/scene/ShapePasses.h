// The steps that draw one shape as the grid shows it, shared by the grid's
// cells and the closer look so that both show a shape alike: the light and
// camera, the turn, the lit picture in a square target, its glow, and the
// composite of the two into the current render target.
#pragma once

#include "gfx/CDX2DPolygon.h"
#include "gfx/CDXRenderTexture.h"
#include "platform/d3d9/d3dx9.h"
#include "shape/CSuperShape.h"

// The one directional light, kept in `light` and enabled as light 0.
void SetShapeLight(IDirect3DDevice9* device, D3DLIGHT9* light);

// The square projection, its picture magnified `zoom` times (1: the grid's),
// and the view from the fixed eye, set in that order and kept in the two
// matrices.
void SetShapeCamera(IDirect3DDevice9* device, float zoom, D3DXMATRIX* projection,
                    D3DXMATRIX* view);

// The world matrix of the shapes' turn at `milliseconds` on the clock: one
// radian per 628 ms about X, a quarter of that about Z.
D3DXMATRIX ShapeTurn(DWORD milliseconds);

// The shape, lit, in `picture` (cleared to black first).
void DrawShapePicture(IDirect3DDevice9* device, CSuperShape& shape, CDXRenderTexture& picture);

// The glow of `picture` in `glow0`, made through the corner of `glow1`; all
// three are squares of `side` pixels.
void DrawShapeGlow(CDX2DPolygon& quad, CDXRenderTexture& picture, CDXRenderTexture& glow0,
                   CDXRenderTexture& glow1, float side);

// The picture, replacing what is there, and its glow, added, each at 0.6 of
// their colour, over the square at (x, y) of `size` pixels of the current
// render target. Leaves additive blending on: a highlight drawn next adds
// to the square too.
void CompositeShape(IDirect3DDevice9* device, CDX2DPolygon& quad, IDirect3DTexture9* picture,
                    IDirect3DTexture9* glow, float x, float y, float size);

// Puts back what the frame's next drawing expects: the modulating stage 0,
// culling, depth on, blending off.
void EndShapePasses(IDirect3DDevice9* device);
