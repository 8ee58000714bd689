#include "scene/CShapeSaver.h"

#include <cstdio>
#include <filesystem>

#include "genetic/Decode.h"
#include "platform/files/AtomicWrite.h"
#include "shape/CSuperShape.h"
#include "shape/SolidMesh.h"
#include "shape/StlWriter.h"

std::string g_saveDirectory;

namespace {

// A name is taken by anything there, a dangling link included.
bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(
        std::filesystem::symlink_status(std::filesystem::path(path), error));
}

}  // namespace

bool SaveShapeFiles(const SaveRequest& request, std::string* report) {
    CSuperShape shape;
    DecodeGenome(request.genome, shape);
    SolidMesh solid;
    const SolidStatus built = BuildSolid(shape, kDefaultSolidSizeMm, &solid);
    const SaveSubject& subject = request.subject;
    if (built != SolidStatus::Ok) {
        *report = "the shape at generation " + std::to_string(subject.generation) + ", cell " +
                  std::to_string(subject.cell) + " " + SolidRefusal(built) + "; nothing saved";
        return false;
    }
    const std::vector<std::uint8_t> stl = BinaryStl(solid);

    const std::string prefix = request.directory.empty() || request.directory.ends_with('/')
                                   ? request.directory
                                   : request.directory + "/";
    const std::string stem = FreeStem(SaveStem(subject), [&prefix](const std::string& s) {
        return Exists(prefix + s + ".stl") || Exists(prefix + s + ".png");
    });
    const std::vector<FileToWrite> files = {
        {prefix + stem + ".stl",
         std::string_view(reinterpret_cast<const char*>(stl.data()), stl.size())},
        {prefix + stem + ".png", request.png}};
    if (!WriteNewFilesAtomically(files, report)) return false;
    *report = files[0].path + "\n" + files[1].path;
    return true;
}

CShapeSaver::CShapeSaver() : worker([this] { Work(); }) {}

CShapeSaver::~CShapeSaver() {
    {
        const std::lock_guard<std::mutex> held(lock);
        stopping = true;
    }
    wake.notify_one();
    worker.join();
}

void CShapeSaver::Submit(SaveRequest request) {
    {
        const std::lock_guard<std::mutex> held(lock);
        pending.push_back(std::move(request));
    }
    wake.notify_one();
}

std::vector<SaveOutcome> CShapeSaver::TakeOutcomes() {
    const std::lock_guard<std::mutex> held(lock);
    std::vector<SaveOutcome> taken;
    taken.swap(finished);
    return taken;
}

void CShapeSaver::Work() {
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
        wake.wait(held, [this] { return stopping || !pending.empty(); });
        if (pending.empty()) return;  // stopping, and nothing left to save
        const SaveRequest request = std::move(pending.front());
        pending.pop_front();
        held.unlock();
        std::string report;
        const bool saved = SaveShapeFiles(request, &report);
        // One whole line at a time, so saves never interleave their output.
        if (saved) {
            std::printf("%s\n", report.c_str());
            std::fflush(stdout);
        } else {
            std::fprintf(stderr, "tessary: %s\n", report.c_str());
        }
        held.lock();
        finished.push_back({request.subject.cell, saved});
    }
}
