// Reading param.txt. The scanner follows fscanf's %d (leading white space,
// optional sign, at least one digit) but saturates instead of overflowing, so
// no content of the file can give an undefined value.
#include "config/ParamFile.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Scans one integer; false when the next non-blank text is not one.
bool ScanInt(std::FILE* file, int* value) {
    int c = std::fgetc(file);
    while (c != EOF && std::isspace(c)) c = std::fgetc(file);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::fgetc(file);
    }
    if (c == EOF || !std::isdigit(c)) return false;
    // Accumulate the magnitude towards the limit of the sign's side.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    while (c != EOF && std::isdigit(c)) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) magnitude = limit;
        c = std::fgetc(file);
    }
    if (c != EOF) std::ungetc(c, file);
    *value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

}  // namespace

BreedingRates ReadBreedingRates(const char* path) {
    BreedingRates rates;
    const FilePtr file(std::fopen(path, "r"));
    if (!file) return rates;
    int value = 0;
    if (!ScanInt(file.get(), &value)) return rates;
    rates.mutationRate = value;
    if (ScanInt(file.get(), &value)) rates.reseedRate = value;
    return rates;
}
