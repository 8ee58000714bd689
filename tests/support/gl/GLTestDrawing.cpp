#include "support/gl/GLTestDrawing.h"

#include <cstring>

HRESULT DrawTestQuad(IDirect3DDevice9* device, const GLTestQuad& q) {
    const bool textured = q.texture != nullptr;
    const float rhw = textured ? 1.0f : 0.0f;
    const float u0 = textured ? q.u : 0.0f;
    const float v0 = textured ? q.v : 0.0f;
    const float u1 = textured ? q.u + q.uSpan : 0.0f;
    const float v1 = textured ? q.v + q.vSpan : 0.0f;
    const GLTestScreenVertex vertices[4] = {
        {q.x + q.width, q.y, q.z, rhw, q.color, u1, v0},
        {q.x + q.width, q.y + q.height, q.z, rhw, q.color, u1, v1},
        {q.x, q.y + q.height, q.z, rhw, q.color, u0, v1},
        {q.x, q.y, q.z, rhw, q.color, u0, v0},
    };
    device->SetFVF(kGLTestScreenFvf);
    device->SetTexture(0, q.texture);
    const HRESULT hr = device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(GLTestScreenVertex));
    device->SetTexture(0, nullptr);
    return hr;
}

IDirect3DTexture9* MakeTestTexture(IDirect3DDevice9* device, UINT width, UINT height,
                                   const std::vector<std::uint32_t>& pixels) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                     &texture, nullptr)))
        return nullptr;
    D3DLOCKED_RECT locked{};
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
