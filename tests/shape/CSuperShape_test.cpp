#include "shape/CSuperShape.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shape/SuperShapeMesh.h"
#include "support/RecordingFixture.h"

namespace {

std::vector<std::string> Names(const CRecordingJournal& journal) { return journal.Names(); }

// The device keeps its own references to bound buffers; once it lets go,
// only the shape's references could keep them alive.
void Unbind(IDirect3DDevice9* device) {
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
}

}  // namespace

TEST_F(RecordingTest, ShapeCreatesBuildsAndDrawsItsMesh) {
    auto& journal = *rec.journal;
    {
        CSuperShape shape;
        shape.Create(&rec.context);
        ASSERT_NE(shape.indexBuffer, nullptr);
        const std::vector<std::string> created = journal.Texts();
        ASSERT_EQ(created.size(), 2u);
        EXPECT_EQ(created[0].rfind("CreateVertexBuffer(98304, 0, 18, 0, ", 0), 0u);
        EXPECT_EQ(created[1].rfind("CreateIndexBuffer(16640, 8, 101, 0, ", 0), 0u);

        // Mark the index buffer so that untouched slots can be told apart.
        void* marked = nullptr;
        ASSERT_EQ(shape.indexBuffer->Lock(0, 0, &marked, 0), D3D_OK);
        std::memset(marked, 0xAB, kMeshIndexBufferBytes);
        shape.indexBuffer->Unlock();
        journal.ClearLog();

        EXPECT_EQ(shape.BuildMesh(), D3D_OK);
        EXPECT_EQ(Names(journal), (std::vector<std::string>{"VertexBuffer.Lock", "VertexBuffer.Unlock",
                                                           "IndexBuffer.Lock", "IndexBuffer.Unlock"}));
        EXPECT_NE(journal.Texts("VertexBuffer.Lock")[0].find(", 0, 0, 0)"), std::string::npos);
        EXPECT_NE(journal.Texts("IndexBuffer.Lock")[0].find(", 0, 0, 0)"), std::string::npos);

        std::vector<MeshVertex> expected(kMeshVertexCount);
        WriteMeshPositions(shape, expected.data());
        WriteMeshNormals(expected.data());
        const auto& vertexBytes = RecordingBufferBytes(shape.vertexBuffer);
        ASSERT_EQ(vertexBytes.size(), kMeshVertexBufferBytes);
        EXPECT_EQ(std::memcmp(vertexBytes.data(), expected.data(), kMeshVertexBufferBytes), 0);

        std::vector<WORD> indices(kMeshIndexCount);
        WriteMeshIndices(indices.data());
        const auto& indexBytes = RecordingBufferBytes(shape.indexBuffer);
        EXPECT_EQ(std::memcmp(indexBytes.data(), indices.data(), kMeshIndexCount * sizeof(WORD)), 0);
        for (std::size_t k = kMeshIndexCount * sizeof(WORD); k < indexBytes.size(); ++k) {
            ASSERT_EQ(indexBytes[k], 0xAB) << "byte " << k;
        }

        shape.material.Diffuse = {0.5f, 0.25f, 1.0f, 0.0f};
        shape.material.Power = 50.0f;
        journal.ClearLog();
        shape.Draw();
        ASSERT_EQ(journal.draws.size(), 63u);
        for (std::size_t k = 0; k < journal.draws.size(); ++k) {
            const CRecordedDraw& d = journal.draws[k];
            EXPECT_TRUE(d.indexed);
            EXPECT_EQ(d.type, D3DPT_TRIANGLESTRIP);
            EXPECT_EQ(d.startIndex, 130 * k);
            EXPECT_EQ(d.primitiveCount, 128u);
            EXPECT_EQ(d.numVertices, 4096u);
            EXPECT_EQ(d.baseVertexIndex, 0);
            EXPECT_EQ(d.minVertexIndex, 0u);
            EXPECT_EQ(d.state.fvf, 18u);
            EXPECT_EQ(d.state.streamSource, shape.vertexBuffer);
            EXPECT_EQ(d.state.streamStride, 24u);
            EXPECT_EQ(d.state.indices, shape.indexBuffer);
            EXPECT_EQ(d.state.RenderState(D3DRS_SPECULARENABLE), 1u);
            EXPECT_EQ(std::memcmp(&d.state.material, &shape.material, sizeof shape.material), 0);
        }
        EXPECT_EQ(rec.State().RenderState(D3DRS_SPECULARENABLE), 1u);  // left on
    }
    // The shape gives its buffers back when it goes.
    Unbind(rec.device);
    EXPECT_EQ(journal.LiveObjects(), rec.liveAfterSetUp);
}

TEST(CSuperShapeFailures, MissingOrUnlockableBuffersAreNeverTouched) {
    struct Case {
        const char* failing;
        const char* absent;         // a call that must not happen
        bool buildsVertices;
        bool draws;
    };
    const Case cases[] = {
        {"CreateVertexBuffer", "CreateIndexBuffer", false, false},
        {"CreateIndexBuffer", "IndexBuffer.Lock", true, false},
        {"VertexBuffer.Lock", "IndexBuffer.Lock", false, true},
        {"IndexBuffer.Lock", "IndexBuffer.Unlock", true, true},
    };
    for (const Case& c : cases) {
        CRecordingFixture rec;
        {
            rec.journal->InjectFailure(c.failing, D3DERR_OUTOFVIDEOMEMORY);
            CSuperShape shape;
            shape.Create(&rec.context);
            EXPECT_EQ(shape.BuildMesh(), E_FAIL) << c.failing;
            shape.Draw();
            EXPECT_EQ(rec.journal->Count(c.absent), 0u) << c.failing;
            EXPECT_EQ(rec.journal->Count("VertexBuffer.Unlock"), c.buildsVertices ? 1u : 0u)
                << c.failing;
            EXPECT_EQ(rec.journal->draws.size(), c.draws ? 63u : 0u) << c.failing;
        }
        Unbind(rec.device);
        EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp) << c.failing;
    }
}
