#include "SnapshotOptions.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

const char* const kSnapshotUsage =
    "usage: tessary-snapshot --out FILE [--seed N] [--time-ms T] [--size WxH]\n"
    "                        [--rates M,R] [--pointer X,Y] [--click] [--frames N]\n"
    "                        [--genomes FILE]\n"
    "Renders the main scene offscreen (needs an X display) and writes the last\n"
    "frame as an 8-bit RGB PNG.\n"
    "  --seed N        random seed (default 1)\n"
    "  --time-ms T     clock value the rotation reads, in ms (default 0)\n"
    "  --size WxH      configured client size (default 800x600)\n"
    "  --rates M,R     mutation and re-seed rate in percent (default 10,50)\n"
    "  --pointer X,Y   pointer in client pixels (default: outside the window)\n"
    "  --click         hold the left button during every frame\n"
    "  --frames N      frames rendered, one update tick between two (default 1)\n"
    "  --genomes FILE  write the nine genomes after the last frame\n"
    "  --out FILE      the PNG to write (required)\n";

namespace {

// A whole decimal integer within [lo, hi].
bool ParseLong(std::string_view text, long long lo, long long hi, long long* value) {
    if (text.empty() || text.size() > 20) return false;
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(copy.c_str(), &end, 10);
    if (errno != 0 || end != copy.c_str() + copy.size() || parsed < lo || parsed > hi) {
        return false;
    }
    // strtoll accepts leading blanks; a value given on the command line may not.
    if (copy[0] == ' ' || copy[0] == '\t') return false;
    *value = parsed;
    return true;
}

bool ParseInt(std::string_view text, int lo, int hi, int* value) {
    long long parsed = 0;
    if (!ParseLong(text, lo, hi, &parsed)) return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool ParsePair(std::string_view text, char separator, int lo, int hi, int* first, int* second) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return false;
    return ParseInt(text.substr(0, at), lo, hi, first) &&
           ParseInt(text.substr(at + 1), lo, hi, second);
}

}  // namespace

bool ParseSnapshotOptions(int argc, char** argv, SnapshotOptions* options, std::string* error) {
    // The back buffer is read whole into memory; 16384 keeps it within reach
    // of any GL implementation's texture size.
    constexpr int kMaxSide = 16384;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--click") {
            options->click = true;
            continue;
        }
        const bool takesValue = arg == "--seed" || arg == "--time-ms" || arg == "--size" ||
                                arg == "--rates" || arg == "--pointer" || arg == "--frames" ||
                                arg == "--genomes" || arg == "--out";
        if (!takesValue) {
            *error = "unknown argument: " + std::string(arg);
            return false;
        }
        if (i + 1 >= argc) {
            *error = std::string(arg) + " needs a value";
            return false;
        }
        const std::string_view value = argv[++i];
        bool ok = true;
        long long number = 0;
        if (arg == "--seed") {
            ok = ParseLong(value, 0, UINT_MAX, &number);
            options->seed = static_cast<unsigned int>(number);
        } else if (arg == "--time-ms") {
            ok = ParseLong(value, 0, UINT_MAX, &number);
            options->timeMs = static_cast<unsigned int>(number);
        } else if (arg == "--size") {
            ok = ParsePair(value, 'x', 1, kMaxSide, &options->width, &options->height);
        } else if (arg == "--rates") {
            ok = ParsePair(value, ',', INT_MIN, INT_MAX, &options->mutationRate,
                           &options->reseedRate);
        } else if (arg == "--pointer") {
            ok = ParsePair(value, ',', -1000000, 1000000, &options->pointerX, &options->pointerY);
            options->hasPointer = true;
        } else if (arg == "--frames") {
            ok = ParseInt(value, 1, 1000000, &options->frames);
        } else if (arg == "--genomes") {
            ok = !value.empty();
            options->genomesPath = value;
        } else {
            ok = !value.empty();
            options->outPath = value;
        }
        if (!ok) {
            *error = "bad value for " + std::string(arg) + ": " + std::string(value);
            return false;
        }
    }
    if (options->outPath.empty()) {
        *error = "--out is required";
        return false;
    }
    return true;
}
