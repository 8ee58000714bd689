// Reading the two breeding rates from param.txt.
#pragma once

#include "config/BreedingRates.h"

// Reads two decimal integers separated by white space (as "%d %d" would)
// from the text file at `path`. A file that cannot be opened gives the
// defaults; a rate that the file does not supply (empty file, one number,
// text first) keeps its default. Values beyond the range of int saturate.
// Nothing after the second integer is read.
BreedingRates ReadBreedingRates(const char* path);
