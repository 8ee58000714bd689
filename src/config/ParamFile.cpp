// Reading param.txt: two integers scanned as "%d %d" would, saturating.
#include "config/ParamFile.h"

#include <cstdio>
#include <memory>

#include "config/Decimal.h"

BreedingRates ReadBreedingRates(const char* path) {
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    BreedingRates rates;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "r"));
    if (!file) return rates;
    int value = 0;
    if (!ScanDecimal(file.get(), &value)) return rates;
    rates.mutationRate = value;
    if (ScanDecimal(file.get(), &value)) rates.reseedRate = value;
    return rates;
}
