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
    // n1_0 n1_1 n2_0 n2_1 n3_0 n3_1: slot 2L + c holds parameter L of curve
    // c (0: longitude, at theta; 1: latitude, at phi).
    double* Parameters() { return parameters; }
    const double* Parameters() const { return parameters; }

    // The superformula parameters of one curve, by name.
    double a(int curve) const { return parameters[0 + curve]; }
    double b(int curve) const { return parameters[2 + curve]; }
    double m(int curve) const { return parameters[4 + curve]; }
    double n1(int curve) const { return parameters[6 + curve]; }
    double n2(int curve) const { return parameters[8 + curve]; }
    double n3(int curve) const { return parameters[10 + curve]; }

    IDirect3DVertexBuffer9* vertexBuffer = nullptr;  // owned
    IDirect3DIndexBuffer9* indexBuffer = nullptr;    // owned
    D3DMATERIAL9 material{};
    CDXContext* context = nullptr;  // not owned

private:
    double parameters[12] = {1.0,   1.0,    // a
                             1.0,   1.0,    // b
                             8.0,   2.0,    // m
                             60.0,  10.0,   // n1
                             100.0, 10.0,   // n2
                             30.0,  10.0};  // n3
};
