// The supershape: surface evaluation, its two buffers, the mesh build and
// the draw. Nothing here checks the parameters; a shape whose buffers could
// not be created skips the work that needs them.
#include "shape/CSuperShape.h"

#include <cmath>

#include "gfx/CDXContext.h"
#include "shape/SuperShapeMesh.h"

namespace {

template <typename T>
void ReleaseAndClear(T*& resource) {
    if (resource != nullptr) resource->Release();
    resource = nullptr;
}

IDirect3DDevice9* DeviceOf(const CDXContext* context) {
    return context != nullptr ? context->device : nullptr;
}

}  // namespace

CSuperShape::~CSuperShape() {
    ReleaseAndClear(indexBuffer);
    ReleaseAndClear(vertexBuffer);
}

D3DXVECTOR3 CSuperShape::GetPoint(double theta, double phi) const {
    const double r0 = SuperformulaRadius(*this, 0, theta);
    const double r1 = SuperformulaRadius(*this, 1, phi);
    const double x = ((r0 * std::cos(theta)) * r1) * std::cos(phi);
    const double y = ((r0 * std::sin(theta)) * r1) * std::cos(phi);
    const double z = std::sin(phi) * r1;
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

void CSuperShape::Create(CDXContext* ctx) {
    // A second Create replaces the buffers rather than leaking the first.
    ReleaseAndClear(indexBuffer);
    ReleaseAndClear(vertexBuffer);
    context = ctx;
    IDirect3DDevice9* device = DeviceOf(context);
    if (device == nullptr) return;

    IDirect3DVertexBuffer9* vb = nullptr;
    if (FAILED(device->CreateVertexBuffer(kMeshVertexBufferBytes, 0, kMeshVertexFVF,
                                          D3DPOOL_DEFAULT, &vb, nullptr))) {
        return;
    }
    vertexBuffer = vb;

    IDirect3DIndexBuffer9* ib = nullptr;
    if (FAILED(device->CreateIndexBuffer(kMeshIndexBufferBytes, D3DUSAGE_WRITEONLY,
                                         D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr))) {
        return;
    }
    indexBuffer = ib;
}

HRESULT CSuperShape::BuildMesh() {
    // A missing buffer counts as one that would not lock.
    if (vertexBuffer == nullptr) return E_FAIL;
    void* vertexData = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &vertexData, 0))) return E_FAIL;
    if (vertexData == nullptr) {
        vertexBuffer->Unlock();
        return E_FAIL;
    }
    // Normals are computed from the positions as stored, read back from the
    // locked buffer.
    auto* vertices = static_cast<MeshVertex*>(vertexData);
    WriteMeshPositions(*this, vertices);
    WriteMeshNormals(vertices);
    vertexBuffer->Unlock();

    if (indexBuffer == nullptr) return E_FAIL;
    void* indexData = nullptr;
    if (FAILED(indexBuffer->Lock(0, 0, &indexData, 0))) return E_FAIL;
    if (indexData != nullptr) WriteMeshIndices(static_cast<WORD*>(indexData));
    const HRESULT unlocked = indexBuffer->Unlock();
    return indexData != nullptr ? unlocked : E_FAIL;
}

void CSuperShape::Draw() {
    IDirect3DDevice9* device = DeviceOf(context);
    if (device == nullptr || vertexBuffer == nullptr || indexBuffer == nullptr) return;

    device->SetStreamSource(0, vertexBuffer, 0, sizeof(MeshVertex));
    device->SetIndices(indexBuffer);
    device->SetFVF(kMeshVertexFVF);
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    // One strip of 130 indices (128 triangles) per latitude band.
    for (UINT start = 0; start < static_cast<UINT>(kMeshIndexCount); start += kMeshStripIndices) {
        device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, kMeshVertexCount, start,
                                     kMeshStripIndices - 2);
    }
}
