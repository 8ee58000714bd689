// Command line of tessary-export.
#pragma once

#include <string>
#include <vector>

#include "ExportWriter.h"
#include "config/BreedingRates.h"
#include "shape/SolidMesh.h"

struct ExportOptions {
    std::string journalPath;  // empty: the session is --seed, --rates and --clicks
    unsigned int seed = 0;
    BreedingRates rates;
    std::vector<int> clicks;
    int generation = -1;  // -1: the last
    int cell = 0;
    std::string outPath;
    SolidFormat format = SolidFormat::Stl;
    double sizeMm = kDefaultSolidSizeMm;
};

// Fills `options` from argv. Returns kContinueStatus (CommandLine.h) when the
// export should go on, otherwise the status to exit with: 0 after --help or
// --version, kUsageStatus after a usage error, which has been printed.
int ParseExportOptions(int argc, char** argv, ExportOptions* options);

// Prints a usage error found after parsing, as the parser prints its own,
// and returns kUsageStatus.
int ExportUsageError(const std::string& message);
