// The D3DX helpers: row-major matrices for row vectors, left-handed, depth
// 0..1. A D3DX matrix and the GLM matrix of the same transform share their
// sixteen floats in memory, so GLM's left-handed builders are copied as
// they stand.
#include "platform/d3d9/d3dx9.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wpedantic"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#include <stb/stb_image.h>
// Static, so that a program that builds its own copy of the writer links.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include "platform/d3d9/CD3DXBuffer.h"
#include "platform/d3d9/D3DRefusal.h"

namespace {
void CopyFrom(D3DXMATRIX* out, const glm::mat4& m) { std::memcpy(&out->_11, &m[0][0], 64); }

glm::vec3 ToGlm(const D3DXVECTOR3* v) { return glm::vec3(v->x, v->y, v->z); }

constexpr UINT kMaxImageSide = 16384;

void AppendBytes(void* context, void* data, int size) {
    auto& bytes = *static_cast<std::vector<std::uint8_t>*>(context);
    const auto* first = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), first, first + size);
}

// The locked rows as R, G, B(, A) bytes: an A8R8G8B8 or X8R8G8B8 pixel is
// the DWORD 0xAARRGGBB, which little-endian memory holds as B, G, R, A.
std::vector<std::uint8_t> ImageBytes(const D3DLOCKED_RECT& locked, UINT width, UINT height,
                                     int channels) {
    std::vector<std::uint8_t> image(std::size_t{width} * height * static_cast<UINT>(channels));
    std::uint8_t* out = image.data();
    for (UINT y = 0; y < height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(locked.pBits) +
                          static_cast<std::ptrdiff_t>(y) * locked.Pitch;
        for (UINT x = 0; x < width; ++x, row += 4) {
            *out++ = row[2];
            *out++ = row[1];
            *out++ = row[0];
            if (channels == 4) *out++ = row[3];
        }
    }
    return image;
}
}  // namespace

// Windows' d3dx9math.h defines this one inline.
#ifndef _WIN32
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    *out = D3DXMATRIX{};
    out->_11 = out->_22 = out->_33 = out->_44 = 1.0f;
    return out;
}
#endif

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                       float zf) {
    CopyFrom(out, glm::perspectiveLH_ZO(fovy, aspect, zn, zf));
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
    CopyFrom(out, glm::lookAtLH(ToGlm(eye), ToGlm(at), ToGlm(up)));
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    D3DXMatrixIdentity(out);
    out->_22 = c;
    out->_23 = s;
    out->_32 = -s;
    out->_33 = c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    D3DXMatrixIdentity(out);
    out->_11 = c;
    out->_12 = s;
    out->_21 = -s;
    out->_22 = c;
    return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2) {
    // Computed aside first: out may be m1 or m2.
    D3DXMATRIX product;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += (*m1)(row, k) * (*m2)(k, col);
            product(row, col) = sum;
        }
    }
    *out = product;
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    const float length = std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
    if (length == 0.0f) {
        *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    } else {
        *out = D3DXVECTOR3(v->x / length, v->y / length, v->z / length);
    }
    return out;
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                   IDirect3DTexture9** texture) {
    if (!device || !path || !texture)
        return RefuseD3DCall("D3DXCreateTextureFromFileA", D3DRefusal::NullPointer);

    // Refuse absurd sizes before decoding anything.
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info(path, &width, &height, &channels) || width <= 0 || height <= 0 ||
        static_cast<UINT>(width) > kMaxImageSide || static_cast<UINT>(height) > kMaxImageSide) {
        return D3DXERR_INVALIDDATA;
    }
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load(path, &width, &height, &channels, 4), &stbi_image_free);
    if (!pixels) return D3DXERR_INVALIDDATA;

    IDirect3DTexture9* created = nullptr;
    HRESULT hr = device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1, 0,
                                       D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &created, nullptr);
    if (FAILED(hr)) return hr;
    D3DLOCKED_RECT locked{};
    hr = created->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    // stb gives R, G, B, A bytes; an A8R8G8B8 pixel is the DWORD 0xAARRGGBB,
    // which little-endian memory holds as B, G, R, A.
    const stbi_uc* source = pixels.get();
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(locked.pBits) +
                    static_cast<std::ptrdiff_t>(y) * locked.Pitch;
        for (int x = 0; x < width; ++x, source += 4) {
            const std::uint32_t pixel = (std::uint32_t{source[3]} << 24) |
                                        (std::uint32_t{source[0]} << 16) |
                                        (std::uint32_t{source[1]} << 8) | source[2];
            std::memcpy(row + static_cast<std::ptrdiff_t>(x) * 4, &pixel, sizeof pixel);
        }
    }
    created->UnlockRect(0);
    *texture = created;
    return D3D_OK;
}

HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer) {
    if (!buffer) return RefuseD3DCall("D3DXCreateBuffer", D3DRefusal::NullPointer);
    *buffer = new CD3DXBuffer(std::vector<std::uint8_t>(numBytes));
    return D3D_OK;
}

HRESULT D3DXSaveSurfaceToFileInMemory(ID3DXBuffer** destination, D3DXIMAGE_FILEFORMAT format,
                                      IDirect3DSurface9* surface, const PALETTEENTRY* /*palette*/,
                                      const RECT* rect) {
    if (!destination || !surface)
        return RefuseD3DCall("D3DXSaveSurfaceToFileInMemory", D3DRefusal::NullPointer);
    *destination = nullptr;
    D3DSURFACE_DESC desc{};
    HRESULT hr = surface->GetDesc(&desc);
    if (FAILED(hr)) return hr;
    if (format != D3DXIFF_PNG || (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8))
        return D3DERR_INVALIDCALL;
    const UINT width = rect ? static_cast<UINT>(rect->right - rect->left) : desc.Width;
    const UINT height = rect ? static_cast<UINT>(rect->bottom - rect->top) : desc.Height;
    D3DLOCKED_RECT locked{};
    hr = surface->LockRect(&locked, rect, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    const int channels = desc.Format == D3DFMT_A8R8G8B8 ? 4 : 3;
    const std::vector<std::uint8_t> image = ImageBytes(locked, width, height, channels);
    surface->UnlockRect();

    std::vector<std::uint8_t> png;
    const auto w = static_cast<int>(width);
    if (!stbi_write_png_to_func(AppendBytes, &png, w, static_cast<int>(height), channels,
                                image.data(), w * channels))
        return E_OUTOFMEMORY;
    *destination = new CD3DXBuffer(std::move(png));
    return D3D_OK;
}
