// Stand-ins for the few Direct3D 9 extension library (D3DX) helpers that the
// program calls. They give the same matrices and vectors as the originals:
// row-major matrices for row vectors, left-handed, depth range 0..1.
#pragma once

// On Windows the declarations are the system's own d3dx9.h; the definitions
// stay ours (d3dx9.cpp), so no extension library has to be installed.
#ifdef _WIN32
#include <d3dx9.h>
#else
#include "platform/d3d9/d3d9.h"

// The extension library's result for a file that is missing or not an image.
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

struct D3DXVECTOR3 : public D3DVECTOR {
    D3DXVECTOR3() = default;
    constexpr D3DXVECTOR3(float vx, float vy, float vz) : D3DVECTOR{vx, vy, vz} {}
};

struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() = default;
};

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                       float zf);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
// out = m1 * m2 ("transform by m1, then by m2"); out may alias either input.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2);
// A zero-length input gives (0, 0, 0), never NaN.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);

// Image file formats; the stand-in writes PNG only.
enum D3DXIMAGE_FILEFORMAT : DWORD {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
};

// A palette entry (wingdi.h's); the stand-in's formats have no palette.
struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

// A reference-counted block of bytes.
class ID3DXBuffer : public IUnknown {
public:
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

// A buffer of `numBytes` zero bytes.
HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer);

// Encodes `rect` of `surface` (all of it when null) as an image file in a
// new buffer. PNG only, of an X8R8G8B8 surface (8-bit RGB) or an A8R8G8B8
// one (8-bit RGBA); the surface must be one that LockRect can read, such
// as a plain surface in system memory. D3DERR_INVALIDCALL otherwise.
HRESULT D3DXSaveSurfaceToFileInMemory(ID3DXBuffer** destination, D3DXIMAGE_FILEFORMAT format,
                                      IDirect3DSurface9* surface, const PALETTEENTRY* palette,
                                      const RECT* rect);

// Creates a managed A8R8G8B8 texture from an image file (PNG, JPEG, BMP, TGA).
// A missing or unreadable file returns a failing result and leaves *texture
// untouched.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                   IDirect3DTexture9** texture);

#endif  // _WIN32
