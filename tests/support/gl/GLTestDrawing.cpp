#include "support/gl/GLTestDrawing.h"

#include <cstring>

HRESULT DrawTestQuad(IDirect3DDevice9* device, const GLTestQuad& q) {
    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR color;
        float u, v;
    };
    const float t = q.texture != nullptr ? 1.0f : 0.0f;  // rhw, and whether uv count
    const float u0 = t * q.u, v0 = t * q.v, u1 = t * (q.u + q.uSpan), v1 = t * (q.v + q.vSpan);
    const Vertex vertices[4] = {
        {q.x + q.width, q.y, 0, t, q.color, u1, v0},
        {q.x + q.width, q.y + q.height, 0, t, q.color, u1, v1},
        {q.x, q.y + q.height, 0, t, q.color, u0, v1},
        {q.x, q.y, 0, t, q.color, u0, v0},
    };
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetTexture(0, q.texture);
    const HRESULT hr = device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(Vertex));
    device->SetTexture(0, nullptr);
    return hr;
}

IDirect3DTexture9* MakeTestTexture(IDirect3DDevice9* device, UINT width, UINT height,
                                   const std::vector<std::uint32_t>& pixels) {
    IDirect3DTexture9* texture = nullptr;
    D3DLOCKED_RECT locked{};
    if (FAILED(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                     &texture, nullptr)))
        return nullptr;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        texture->Release();
        return nullptr;
    }
    for (UINT y = 0; y < height; ++y)
        std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + std::size_t{y} * static_cast<UINT>(locked.Pitch),
                    pixels.data() + std::size_t{y} * width, width * 4);
    texture->UnlockRect(0);
    return texture;
}
