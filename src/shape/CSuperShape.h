// One drawable supershape: twelve superformula parameters (two curves),
// its mesh buffers, its material and the graphics context.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dx9.h"

class CDXContext;

// The mesh vertex (FVF 18): position and unit normal.
struct MeshVertex {
    float px, py, pz;
    float nx, ny, nz;
};
static_assert(sizeof(MeshVertex) == 24);
constexpr DWORD kMeshVertexFVF = D3DFVF_XYZ | D3DFVF_NORMAL;

constexpr int kMeshSlices = 64;
constexpr int kMeshRows = 64;
constexpr int kMeshVertexCount = kMeshSlices * kMeshRows;     // 4096
constexpr int kMeshStripCount = kMeshRows - 1;                 // 63
constexpr int kMeshStripIndices = 2 * (kMeshSlices + 1);       // 130
constexpr int kMeshIndexCount = kMeshStripCount * kMeshStripIndices;  // 8190
constexpr UINT kMeshVertexBufferBytes = kMeshVertexCount * sizeof(MeshVertex);  // 98304
constexpr UINT kMeshIndexBufferBytes = 16640;  // room for 64 strips; 63 are used

class CSuperShape {
public:
    CSuperShape() = default;
    ~CSuperShape();
    CSuperShape(const CSuperShape&) = delete;
    CSuperShape& operator=(const CSuperShape&) = delete;

    D3DXVECTOR3 GetPoint(double theta, double phi) const;
    void Create(CDXContext* ctx);
    HRESULT BuildMesh();
    void Draw();

    // The twelve parameters as one block, in slot order a0 a1 b0 b1 m0 m1
    // n1_0 n1_1 n2_0 n2_1 n3_0 n3_1.
    double* Parameters() { return a; }
    const double* Parameters() const { return a; }

    double a[2] = {1.0, 1.0};
    double b[2] = {1.0, 1.0};
    double m[2] = {8.0, 2.0};
    double n1[2] = {60.0, 10.0};
    double n2[2] = {100.0, 10.0};
    double n3[2] = {30.0, 10.0};
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;  // owned
    IDirect3DIndexBuffer9* indexBuffer = nullptr;    // owned
    D3DMATERIAL9 material{};
    CDXContext* context = nullptr;  // not owned
};
