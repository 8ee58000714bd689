#include "SnapshotOptions.h"

#include <climits>
#include <cstdint>
#include <string_view>

#include <CLI/CLI.hpp>

#include "app/CommandLine.h"
#include "config/Decimal.h"

namespace {

// The back buffer is read whole into memory; 16384 keeps it within reach of
// any GL implementation's texture size.
constexpr int kMaxSide = 16384;

bool ParseInt(std::string_view text, int lo, int hi, int* value) {
    return ParseDecimal(text, lo, hi, value);
}

bool ParsePair(std::string_view text, char separator, int lo, int hi, int* first,
               int* second) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return false;
    return ParseInt(text.substr(0, at), lo, hi, first) &&
           ParseInt(text.substr(at + 1), lo, hi, second);
}

// An option whose value is two numbers joined by `separator`, checked while
// parsing so a bad value is a usage error like any other.
CLI::Option* AddPair(CLI::App& app, const char* name, int* first, int* second, char separator,
                     int lo, int hi, const char* typeName, const char* help) {
    return app
        .add_option_function<std::string>(
            name,
            [=](const std::string& value) { ParsePair(value, separator, lo, hi, first, second); },
            help)
        ->check(CLI::Validator(
            [=](std::string& value) {
                int a = 0;
                int b = 0;
                return ParsePair(value, separator, lo, hi, &a, &b)
                           ? std::string()
                           : "bad value " + value + " (expected " + typeName + ")";
            },
            ""))
        ->type_name(typeName);
}

}  // namespace

int ParseSnapshotOptions(int argc, char** argv, SnapshotOptions* options) {
    CLI::App app(
        "Renders the main scene offscreen (needs a display, shows nothing) and writes the "
        "last frame as an 8-bit RGB PNG. Reads neither conf.txt nor param.txt.",
        "tessary-snapshot");
    app.add_option("--out", options->outPath, "The PNG to write")->required()->type_name("FILE");
    auto* seed = app.add_option("--seed", options->seed, "Random seed (default 1)")
                     ->check(WholeNumber(0, UINT_MAX))
                     ->type_name("N");
    app.add_option("--time-ms", options->timeMs, "Clock value the rotation reads, in ms (default 0)")
        ->check(WholeNumber(0, UINT_MAX))
        ->type_name("T");
    AddPair(app, "--size", &options->width, &options->height, 'x', 1, kMaxSide, "WxH",
            "Configured client size (default 800x600)");
    auto* rates = AddPair(app, "--rates", &options->mutationRate, &options->reseedRate, ',',
                          INT_MIN, INT_MAX, "M,R",
                          "Mutation and re-seed rate in percent (default 10,50)");
    AddPair(app, "--pointer", &options->pointerX, &options->pointerY, ',', -1000000, 1000000,
            "X,Y", "Pointer in client pixels (default: outside the window)")
        ->each([options](const std::string&) { options->hasPointer = true; });
    app.add_flag("--click", options->click, "Hold the left button during every frame");
    app.add_option("--frames", options->frames,
                   "Frames rendered, one update tick between two (default 1)")
        ->check(WholeNumber(1, 1000000))
        ->type_name("N");
    app.add_option("--genomes", options->genomesPath,
                   "Write the nine genomes after the last frame")
        ->type_name("FILE");
    auto* journal = app.add_option("--journal", options->journalPath,
                                   "Show a generation of this journal, with its seed and rates")
                        ->type_name("FILE")
                        ->excludes(seed)
                        ->excludes(rates);
    app.add_option("--generation", options->generation,
                   "The journal's generation to show (default: its last)")
        ->check(WholeNumber(0, INT32_MAX))
        ->needs(journal)
        ->type_name("G");
    return ParseCommandLine(app, argc, argv);
}
