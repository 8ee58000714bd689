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
    std::string journalPath;  // empty: seed and rates as given
    long long generation = -1;  // of the journal; -1: its last
    std::string outPath;
};

// Fills `options` from argv. Returns kContinueStatus (CommandLine.h) to go
// on, or the status to exit with after --help, --version or a usage error.
int ParseSnapshotOptions(int argc, char** argv, SnapshotOptions* options);
