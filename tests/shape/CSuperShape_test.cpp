#include "shape/CSuperShape.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shape/SuperShapeMesh.h"
#include "support/RecordingFixture.h"

TEST_F(RecordingTest, ShapeCreatesBuildsAndDrawsItsMesh) {
    CRecordingCallLog& callLog = *rec.callLog;
    {
        CSuperShape shape;
        shape.Create(&rec.context);
        const std::vector<std::string> created = callLog.Texts();
        ASSERT_EQ(created.size(), 2u);
        EXPECT_TRUE(created[0].starts_with("CreateVertexBuffer(98304, 0, D3DFVF_XYZ|D3DFVF_NORMAL, D3DPOOL_DEFAULT, ")) << created[0];
        EXPECT_TRUE(created[1].starts_with("CreateIndexBuffer(16640, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, ")) << created[1];

        EXPECT_EQ(shape.BuildMesh(), D3D_OK);
        std::vector<MeshVertex> vertices(kMeshVertexCount);
        WriteMeshPositions(shape, vertices.data());
        WriteMeshNormals(vertices.data());
        std::vector<WORD> indices(kMeshIndexBufferBytes / 2, 0);
        WriteMeshIndices(indices.data());
        EXPECT_EQ(std::memcmp(RecordingBufferBytes(shape.vertexBuffer).data(), vertices.data(),
                              kMeshVertexBufferBytes), 0);
        EXPECT_EQ(std::memcmp(RecordingBufferBytes(shape.indexBuffer).data(), indices.data(),
                              kMeshIndexBufferBytes), 0);

        shape.material.Diffuse = {0.5f, 0.25f, 1.0f, 0.0f};
        shape.Draw();
        ASSERT_EQ(callLog.draws.size(), 63u);
        for (UINT k = 0; k < 63; ++k) {
            const CRecordedDraw& d = callLog.draws[k];
            EXPECT_TRUE(d.indexed && d.type == D3DPT_TRIANGLESTRIP && d.baseVertexIndex == 0 &&
                        d.minVertexIndex == 0 && d.numVertices == 4096 &&
                        d.startIndex == 130 * k && d.primitiveCount == 128) << k;
            EXPECT_TRUE(d.state.fvf == 18 && d.state.streamSource == shape.vertexBuffer &&
                        d.state.streamStride == 24 && d.state.indices == shape.indexBuffer &&
                        d.state.RenderState(D3DRS_SPECULARENABLE) == TRUE &&
                        d.state.material.Diffuse.g == 0.25f) << k;
        }
    }
    // Once the device lets go of its own references to the bound buffers,
    // only the shape's could keep them alive.
    rec.device->SetStreamSource(0, nullptr, 0, 0);
    rec.device->SetIndices(nullptr);
    EXPECT_EQ(callLog.LiveObjects(), rec.liveAfterSetUp);
}
