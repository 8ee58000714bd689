// Command line of tessary-snapshot.
#pragma once

#include <string>

struct SnapshotOptions {
    unsigned int seed = 1;
    unsigned int timeMs = 0;
    int width = 800;
    int height = 600;
    int mutationRate = 10;
    int reseedRate = 50;
    bool hasPointer = false;
    int pointerX = 0;
    int pointerY = 0;
    bool click = false;
    int frames = 1;
    std::string genomesPath;  // empty: not written
    std::string outPath;
};

extern const char* const kSnapshotUsage;

// Fills `options` from argv; false (with a reason in `error`) for anything
// it does not understand, a missing value or a missing --out.
bool ParseSnapshotOptions(int argc, char** argv, SnapshotOptions* options, std::string* error);
