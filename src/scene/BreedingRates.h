// The two breeding rates of param.txt: mutation and re-seed probability in
// percent, compared with a draw of Rand() % 100.
#pragma once

constexpr int kDefaultMutationRate = 10;
constexpr int kDefaultReseedRate = 50;

struct BreedingRates {
    int mutationRate = kDefaultMutationRate;
    int reseedRate = kDefaultReseedRate;
};

// Reads two decimal integers separated by white space (as "%d %d" would)
// from the text file at `path`. A file that cannot be opened gives the
// defaults; a rate that the file does not supply (empty file, one number,
// text first) keeps its default. Values beyond the range of int saturate.
// Nothing after the second integer is read.
BreedingRates ReadBreedingRates(const char* path);
