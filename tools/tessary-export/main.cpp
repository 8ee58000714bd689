// tessary-export: one shape of a breeding session as a printable solid. The
// session (a journal, or a seed, rates and clicks) is replayed without any
// window or device up to the generation asked for, each click with its rates
// and locked cells; the shape in the chosen cell is decoded, made into a
// closed mesh and written (STL by the core's writer, the other formats with
// Assimp where the build has it; the Windows build writes STL only).
//
// Exit status: 0 written; 1 the shape was refused or the file could not be
// written (nothing at the target changed); 2 a usage error or a bad journal.
#include <cstdio>
#include <string>
#include <vector>

#include "ExportOptions.h"
#include "ExportWriter.h"
#include "app/CommandLine.h"
#include "genetic/Decode.h"
#include "genetic/Journal.h"
#include "genetic/Population.h"
#ifdef _WIN32
#include "app/win32/CUtf8Arguments.h"
#else
#include "platform/files/CScratchDirectory.h"
#endif
#include "shape/CSuperShape.h"
#include "shape/SolidMesh.h"

namespace {

constexpr int kFailureStatus = 1;

// The seed and the clicks in effect of the session the options name, each
// click with its rates and locked cells: a journal's, or --clicks with
// --rates and nothing locked.
int LoadSession(ExportOptions& options, std::vector<BreedingStep>* steps) {
    if (options.journalPath.empty()) {
        for (const int cell : options.clicks) steps->push_back({cell, options.rates, {}});
        return kContinueStatus;
    }
    Journal journal;
    std::string error;
    if (!LoadJournal(options.journalPath, &journal, &error)) {
        std::fprintf(stderr, "tessary-export: %s\n", error.c_str());
        return kUsageStatus;
    }
    options.seed = journal.seed;
    *steps = StateInEffect(journal).steps;
    return kContinueStatus;
}

int Run(int argc, char** argv) {
#ifndef _WIN32
    // The scratch directories are POSIX only; on Windows a Ctrl-C may leave
    // the scratch file beside the target (platform/files/win32/AtomicWrite.cpp).
    CScratchDirectory::RemoveAllOnSignals();
#endif
    ExportOptions options;
    int status = ParseExportOptions(argc, argv, &options);
    if (status != kContinueStatus) return status;
    std::vector<BreedingStep> session;
    status = LoadSession(options, &session);
    if (status != kContinueStatus) return status;

    std::vector<BreedingStep> steps;
    std::string error;
    if (!StepsUpToGeneration(session, options.generation, &steps, &error)) {
        return ExportUsageError(error);
    }
    const int generation = static_cast<int>(steps.size());
    const Population population = ReplayPopulation(options.seed, steps);

    CSuperShape shape;
    DecodeGenome(population.genomes[options.cell], shape);
    SolidMesh solid;
    const SolidStatus built = BuildSolid(shape, options.sizeMm, &solid);
    if (built != SolidStatus::Ok) {
        std::fprintf(stderr,
                     "tessary-export: the shape at generation %d, cell %d %s; nothing written\n",
                     generation, options.cell, SolidRefusal(built));
        return kFailureStatus;
    }

    if (!WriteSolidFile(solid, population.materials[options.cell].Diffuse, options.format,
                        options.outPath, &error)) {
        std::fprintf(stderr, "tessary-export: %s\n", error.c_str());
        return kFailureStatus;
    }
    return 0;
}

}  // namespace

#ifdef _WIN32
int main() {
    CUtf8Arguments arguments;
    return RunGuarded("tessary-export", [&arguments] {
        return Run(arguments.Count(), arguments.Values());
    });
}
#else
int main(int argc, char** argv) {
    return RunGuarded("tessary-export", [argc, argv] { return Run(argc, argv); });
}
#endif
