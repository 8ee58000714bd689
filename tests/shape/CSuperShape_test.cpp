#include "shape/CSuperShape.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shape/SuperShapeMesh.h"
#include "support/RecordingFixture.h"

namespace {
// The device holds its own references to bound buffers; once it lets go,
// only the shape's references could keep them alive.
void Unbind(IDirect3DDevice9* device) {
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
}
}  // namespace

TEST_F(RecordingTest, ShapeCreatesBuildsAndDrawsItsMesh) {
    CRecordingJournal& journal = *rec.journal;
    {
        CSuperShape shape;
        shape.Create(&rec.context);
        const std::vector<std::string> created = journal.Texts();
        ASSERT_EQ(created.size(), 2u);
        EXPECT_EQ(created[0].rfind("CreateVertexBuffer(98304, 0, 18, 0, ", 0), 0u);
        EXPECT_EQ(created[1].rfind("CreateIndexBuffer(16640, 8, 101, 0, ", 0), 0u);
        void* marked = nullptr;  // so that untouched index slots show
        ASSERT_EQ(shape.indexBuffer->Lock(0, 0, &marked, 0), D3D_OK);
        std::memset(marked, 0xAB, kMeshIndexBufferBytes);
        shape.indexBuffer->Unlock();
        journal.ClearLog();

        EXPECT_EQ(shape.BuildMesh(), D3D_OK);
        EXPECT_EQ(journal.Names(), (std::vector<std::string>{"VertexBuffer.Lock", "VertexBuffer.Unlock",
                                                             "IndexBuffer.Lock", "IndexBuffer.Unlock"}));
        EXPECT_NE(journal.Texts()[0].find(", 0, 0, 0)"), std::string::npos);
        std::vector<MeshVertex> vertices(kMeshVertexCount);
        WriteMeshPositions(shape, vertices.data());
        WriteMeshNormals(vertices.data());
        std::vector<WORD> indices(kMeshIndexBufferBytes / 2, 0xABAB);
        WriteMeshIndices(indices.data());
        EXPECT_EQ(std::memcmp(RecordingBufferBytes(shape.vertexBuffer).data(), vertices.data(),
                              kMeshVertexBufferBytes), 0);
        EXPECT_EQ(std::memcmp(RecordingBufferBytes(shape.indexBuffer).data(), indices.data(),
                              kMeshIndexBufferBytes), 0);

        shape.material.Diffuse = {0.5f, 0.25f, 1.0f, 0.0f};
        shape.Draw();
        ASSERT_EQ(journal.draws.size(), 63u);
        for (UINT k = 0; k < 63; ++k) {
            const CRecordedDraw& d = journal.draws[k];
            EXPECT_TRUE(d.indexed && d.type == D3DPT_TRIANGLESTRIP && d.baseVertexIndex == 0 &&
                        d.minVertexIndex == 0 && d.numVertices == 4096 &&
                        d.startIndex == 130 * k && d.primitiveCount == 128) << k;
            EXPECT_TRUE(d.state.fvf == 18 && d.state.streamSource == shape.vertexBuffer &&
                        d.state.streamStride == 24 && d.state.indices == shape.indexBuffer &&
                        d.state.RenderState(D3DRS_SPECULARENABLE) == TRUE) << k;
            EXPECT_EQ(std::memcmp(&d.state.material, &shape.material, sizeof shape.material), 0);
        }
    }
    Unbind(rec.device);
    EXPECT_EQ(journal.LiveObjects(), rec.liveAfterSetUp);  // the shape released its buffers
}

TEST(CSuperShapeFailures, MissingOrUnlockableBuffersAreNeverTouched) {
    struct Case {
        const char* failing;
        const char* absent;  // a call that must not follow
        std::size_t vertexUnlocks, draws;
    };
    const Case cases[] = {{"CreateVertexBuffer", "CreateIndexBuffer", 0, 0},
                          {"CreateIndexBuffer", "IndexBuffer.Lock", 1, 0},
                          {"VertexBuffer.Lock", "IndexBuffer.Lock", 0, 63},
                          {"IndexBuffer.Lock", "IndexBuffer.Unlock", 1, 63}};
    for (const Case& c : cases) {
        CRecordingFixture rec;
        {
            rec.journal->InjectFailure(c.failing, D3DERR_OUTOFVIDEOMEMORY);
            CSuperShape shape;
            shape.Create(&rec.context);
            EXPECT_EQ(shape.BuildMesh(), E_FAIL) << c.failing;
            shape.Draw();
            EXPECT_EQ(rec.journal->Count(c.absent), 0u) << c.failing;
            EXPECT_EQ(rec.journal->Count("VertexBuffer.Unlock"), c.vertexUnlocks) << c.failing;
            EXPECT_EQ(rec.journal->draws.size(), c.draws) << c.failing;
        }
        Unbind(rec.device);
        EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp) << c.failing;
    }
}
