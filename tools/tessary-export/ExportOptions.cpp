#include "ExportOptions.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include <CLI/CLI.hpp>

#include "AssimpFiles.h"
#include "app/CommandLine.h"
#include "config/Decimal.h"
#include "genetic/Population.h"

namespace {

constexpr const char* kProgram = "tessary-export";
// From a hundredth of a millimetre, about the finest a printer resolves, to
// a hundred metres: far beyond any printer, and the vertices stay well
// inside single precision at both ends.
constexpr double kMinSizeMm = 0.01;
constexpr double kMaxSizeMm = 1e5;

// What the help says of the formats and the size, as this build writes them.
constexpr const char* kAllFormatsHelp =
    "The format\nfollows the extension of PATH: .stl (binary), .obj (with its .mtl), .ply "
    "(binary),\n.glb (glTF 2.0) or .3mf. The solid is centred on the origin and its largest "
    "extent\nis S millimetres.";
constexpr const char* kStlOnlyHelp =
    "PATH must\nend in .stl: this build writes binary STL only (the other formats need "
    "Assimp,\nwhich the Windows build does not have). The solid is centred on the origin "
    "and\nits largest extent is S millimetres.";

bool ParseWhole(std::string_view text, long long lo, long long hi, long long* value) {
    return ParseDecimal(text, lo, hi, value);
}

// Comma-separated whole numbers within [lo, hi]; an empty text is no number.
bool ParseList(std::string_view text, long long lo, long long hi, std::vector<int>* values) {
    values->clear();
    if (text.empty()) return true;
    for (;;) {
        const std::size_t comma = text.find(',');
        long long value = 0;
        if (!ParseWhole(text.substr(0, comma), lo, hi, &value)) return false;
        values->push_back(static_cast<int>(value));
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

bool ParseRates(std::string_view text, BreedingRates* rates) {
    std::vector<int> pair;
    if (!ParseList(text, 0, 100, &pair) || pair.size() != 2) return false;
    *rates = BreedingRates{pair[0], pair[1]};
    return true;
}

bool ParseSize(const std::string& text, double* size) {
    return ParseDecimal(std::string_view(text), kMinSizeMm, kMaxSizeMm, size);
}

bool IsSeed(const std::string& text) {
    long long seed = 0;
    return ParseWhole(text, 0, 4294967295LL, &seed);
}
bool IsGeneration(const std::string& text) {
    long long generation = 0;
    return ParseWhole(text, 0, INT_MAX, &generation);
}
bool IsRates(const std::string& text) {
    BreedingRates rates;
    return ParseRates(text, &rates);
}
bool IsClicks(const std::string& text) {
    std::vector<int> cells;
    return ParseList(text, 0, kPopulationSize - 1, &cells);
}
bool IsSize(const std::string& text) {
    double size = 0.0;
    return ParseSize(text, &size);
}
bool IsSolidPath(const std::string& text) {
    SolidFormat format;
    return SolidFormatOf(text, &format) && SolidFormatWritten(format);
}

// CLI11 checks the text of an option with these before it converts it; an
// empty result means the text is fine.
CLI::Validator Check(bool (*accepts)(const std::string&), std::string problem) {
    return CLI::Validator(
        [accepts, problem](std::string& text) { return accepts(text) ? std::string() : problem; },
        "");
}

}  // namespace

int ExportUsageError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\nRun '%s --help' for the options.\n", kProgram, message.c_str(),
                 kProgram);
    return kUsageStatus;
}

int ParseExportOptions(int argc, char** argv, ExportOptions* options) {
    CLI::App app(std::string(
                     "Writes one shape of a breeding session as a closed solid mesh: the shape in "
                     "cell K of\ngeneration G, given by a journal or by a seed and the cells "
                     "clicked. ") +
                     (kAssimpFormats ? kAllFormatsHelp : kStlOnlyHelp),
                 kProgram);
    std::string seedText, ratesText, clicksText, sizeText;
    CLI::Option* journal =
        app.add_option("--journal", options->journalPath, "the session's journal")
            ->type_name("FILE");
    CLI::Option* seed = app.add_option("--seed", seedText, "the session's seed, 0 to 4294967295")
                            ->type_name("N")
                            ->check(Check(IsSeed, "the seed is a whole number, 0 to 4294967295"));
    CLI::Option* rates =
        app.add_option("--rates", ratesText, "mutation and re-seed rate in percent (default 10,50)")
            ->type_name("M,R")
            ->check(Check(IsRates, "the rates are two whole numbers from 0 to 100, as M,R"));
    CLI::Option* clicks =
        app.add_option("--clicks", clicksText, "the cells clicked, in order (default none)")
            ->type_name("K1,K2,...")
            ->check(Check(IsClicks, "the clicks are cells from 0 to 8, separated by commas"));
    app.add_option("--generation", options->generation,
                   "the generation: 0 is the start-up one (default the last)")
        ->type_name("G")
        ->check(Check(IsGeneration, "the generation is a whole number, 0 or more"));
    app.add_option("--cell", options->cell, "the cell, 0 to 8 row by row as the grid shows it")
        ->type_name("K")
        ->required()
        ->check(WholeNumber(0, kPopulationSize - 1));
    app.add_option("--out", options->outPath, "the file to write")
        ->type_name("PATH")
        ->required()
        ->check(Check(IsSolidPath, kAssimpFormats
                                       ? "the file name must end in .stl, .obj, .ply, .glb or .3mf"
                                       : "this build writes STL only: the file name must end in "
                                         ".stl"));
    app.add_option("--size-mm", sizeText,
                   "the largest extent in millimetres, 0.01 to 100000 (default 50)")
        ->type_name("S")
        ->check(Check(IsSize, "the size is a number of millimetres from 0.01 to 100000"));
    journal->excludes(seed)->excludes(rates)->excludes(clicks);
    rates->needs(seed);
    clicks->needs(seed);

    const int status = ParseCommandLine(app, argc, argv);
    if (status != kContinueStatus) return status;
    if (journal->count() == 0 && seed->count() == 0) {
        return ExportUsageError("one of --journal and --seed is required");
    }
    SolidFormatOf(options->outPath, &options->format);
    if (options->format == SolidFormat::Obj &&
        !ObjNameAllowed(std::filesystem::path(options->outPath).filename().string())) {
        return ExportUsageError("an OBJ file name must not hold control characters");
    }

    // Every text below has passed its check.
    long long seedValue = 0;
    if (seed->count() > 0) ParseWhole(seedText, 0, 4294967295LL, &seedValue);
    options->seed = static_cast<unsigned int>(seedValue);
    if (rates->count() > 0) ParseRates(ratesText, &options->rates);
    ParseList(clicksText, 0, kPopulationSize - 1, &options->clicks);
    if (!sizeText.empty()) ParseSize(sizeText, &options->sizeMm);
    return kContinueStatus;
}
