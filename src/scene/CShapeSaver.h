// Saving a shape from the viewer as a solid (binary STL, 50 mm, the solid
// tessary-export writes) and a picture (PNG), beside each other under one
// free stem (SaveNames.h). The solid and the files are made on a worker
// thread from a copy of what they need, so the view does not stall for the
// disk; the scene learns the outcome when it next asks.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "genetic/Genome.h"
#include "scene/SaveNames.h"

// Where saves go: a folder, or the current directory when empty. Set by
// the program entry (--save-dir) for its whole run.
extern std::string g_saveDirectory;

struct SaveRequest {
    SaveSubject subject;
    Genome genome;
    std::string png;        // the picture's file, encoded
    std::string directory;  // empty: the current directory
};

struct SaveOutcome {
    int cell = 0;
    bool saved = false;
};

// One save, done now: the solid, its STL and the PNG created under the first
// free stem, never replacing a file. On success the two paths, one a line,
// are in `report`; otherwise one line saying which path failed and why, or
// why the shape was refused, and nothing is left on disk.
bool SaveShapeFiles(const SaveRequest& request, std::string* report);

class CShapeSaver {
public:
    CShapeSaver();
    // Finishes the saves already asked for, then ends the worker.
    ~CShapeSaver();
    CShapeSaver(const CShapeSaver&) = delete;
    CShapeSaver& operator=(const CShapeSaver&) = delete;

    // Queues a save; the worker prints the paths on standard output or the
    // failure on standard error.
    void Submit(SaveRequest request);
    // The saves finished since the last call, oldest first.
    std::vector<SaveOutcome> TakeOutcomes();

private:
    void Work();

    std::mutex lock;
    std::condition_variable wake;
    std::deque<SaveRequest> pending;
    std::vector<SaveOutcome> finished;
    bool stopping = false;
    std::thread worker;  // last: it starts once the rest is made
};
