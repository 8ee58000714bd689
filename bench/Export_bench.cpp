// The work of tessary-export, without process start-up: one shape made into
// a solid and written as a binary STL (the core's STL writer, the synced
// write beside the target and the rename over the previous file).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "ExportWriter.h"
#include "genetic/Decode.h"
#include "genetic/Population.h"
#include "platform/Random.h"
#include "scene/CShapeSaver.h"
#include "shape/CSuperShape.h"
#include "shape/SolidMesh.h"

namespace {

void BM_ExportStl(benchmark::State& state) {
    std::string dir = (std::filesystem::temp_directory_path() / "tessary-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) {
        state.SkipWithError("no temporary directory");
        return;
    }
    const std::string path = dir + "/shape.stl";
    // Bred shapes, cycled so that no one parameter set decides the result.
    Population population = ReplayPopulation(2024u, BreedingRates{}, {4, 0, 7});
    std::size_t next = 0;
    for (auto _ : state) {
        const int cell = static_cast<int>(next++ % kPopulationSize);
        CSuperShape shape;
        DecodeGenome(population.genomes[cell], shape);
        SolidMesh solid;
        std::string error;
        if (BuildSolid(shape, kDefaultSolidSizeMm, &solid) != SolidStatus::Ok ||
            !WriteSolidFile(solid, population.materials[cell].Diffuse, SolidFormat::Stl, path,
                            &error)) {
            state.SkipWithError(("export failed: " + error).c_str());
            break;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace

BENCHMARK(BM_ExportStl)->Unit(benchmark::kMillisecond);

namespace {

// The worker's part of a save from the viewer: the solid, its STL and the
// two files (a PNG the size of a cell's, here stand-in bytes) created under
// a free name, each synced, linked into place and its folder synced. The
// names keep growing (-2, -3, ...), as repeated saves of one cell do.
void BM_SaveShapeFiles(benchmark::State& state) {
    std::string dir = (std::filesystem::temp_directory_path() / "tessary-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) {
        state.SkipWithError("no temporary directory");
        return;
    }
    const Population population = ReplayPopulation(2024u, BreedingRates{}, {4, 0, 7});
    SaveRequest request;
    request.png.assign(60000, '\x5A');  // about a cell's picture
    request.directory = dir;
    request.subject.seeded = true;
    request.subject.seed = 2024u;
    std::size_t next = 0;
    for (auto _ : state) {
        request.subject.cell = static_cast<int>(next++ % kPopulationSize);
        request.genome = population.genomes[request.subject.cell];
        std::string report;
        if (!SaveShapeFiles(request, &report)) {
            state.SkipWithError(("save failed: " + report).c_str());
            break;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace

BENCHMARK(BM_SaveShapeFiles)->Unit(benchmark::kMillisecond);
