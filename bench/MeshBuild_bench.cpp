// The work of one mesh rebuild, written into ordinary memory: positions,
// normals and indices. A click rebuilds nine of these inside one 16 ms
// step, so the per-mesh time matters. The per-vertex variant evaluates
// GetPoint for each of the 4096 vertices and is measured alongside for
// comparison.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "genetic/Decode.h"
#include "genetic/Genome.h"
#include "platform/Random.h"
#include "shape/CSuperShape.h"
#include "shape/SuperShapeMesh.h"

namespace {

// A handful of bred-looking shapes, cycled so that no single parameter set
// (and its pow fast paths) decides the result.
struct MeshFixture {
    CSuperShape shapes[8];
    std::vector<MeshVertex> vertices = std::vector<MeshVertex>(kMeshVertexCount);
    std::vector<WORD> indices = std::vector<WORD>(kMeshIndexBufferBytes / sizeof(WORD));

    MeshFixture() {
        Srand(1234);
        for (CSuperShape& shape : shapes) {
            Genome genome;
            genome.Randomize();
            DecodeGenome(genome, shape);
        }
    }
};

using PositionWriter = void (*)(const CSuperShape&, MeshVertex*);

void RunMeshBuild(benchmark::State& state, PositionWriter writePositions) {
    MeshFixture f;
    std::vector<MeshVertex> reference(kMeshVertexCount);
    for (const CSuperShape& shape : f.shapes) {
        writePositions(shape, f.vertices.data());
        WriteMeshPositionsPointByPoint(shape, reference.data());
        for (int v = 0; v < kMeshVertexCount; ++v) {
            if (std::memcmp(&f.vertices[v], &reference[v], 3 * sizeof(float)) != 0) {
                state.SkipWithError("positions differ from GetPoint");
                return;
            }
        }
    }
    std::size_t next = 0;
    for (auto _ : state) {
        const CSuperShape& shape = f.shapes[next++ % 8];
        writePositions(shape, f.vertices.data());
        WriteMeshNormals(f.vertices.data());
        WriteMeshIndices(f.indices.data());
        benchmark::DoNotOptimize(f.vertices.data());
        benchmark::DoNotOptimize(f.indices.data());
        benchmark::ClobberMemory();
    }
}

void BM_BuildMesh(benchmark::State& state) { RunMeshBuild(state, WriteMeshPositions); }
void BM_BuildMeshPointByPoint(benchmark::State& state) {
    RunMeshBuild(state, WriteMeshPositionsPointByPoint);
}

}  // namespace

BENCHMARK(BM_BuildMesh)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildMeshPointByPoint)->Unit(benchmark::kMicrosecond);
