// tessary-snapshot: renders the real main scene offscreen, in a hidden
// window, and writes the back buffer as a PNG: on Linux through the OpenGL
// backend, on Windows through the system's Direct3D 9 (tools/common/win32
// holds that view). The clock, the pointer and the button are set from the
// command line, and the seed replaces the time, so a picture can be made
// again exactly. It asks no question and reads neither conf.txt nor
// param.txt.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "COffscreenView.h"
#include "SnapshotOptions.h"
#include "config/AppConfig.h"
#include "app/CommandLine.h"
#include "genetic/Journal.h"
#include "platform/Random.h"
#include "platform/files/AtomicWrite.h"
#ifndef _WIN32
#include "platform/files/CScratchDirectory.h"
#endif
#include "scene/CSceneMain.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wpedantic"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

constexpr int kFailureStatus = 1;

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<std::size_t>(size));
}

// The picture as PNG bytes; false when the encoder fails (out of memory).
bool EncodePng(const std::vector<std::uint32_t>& argb, UINT width, UINT height, std::string* png) {
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < argb.size() && 3 * i + 2 < rgb.size(); ++i) {
        rgb[3 * i] = static_cast<unsigned char>(argb[i] >> 16);
        rgb[3 * i + 1] = static_cast<unsigned char>(argb[i] >> 8);
        rgb[3 * i + 2] = static_cast<unsigned char>(argb[i]);
    }
    return stbi_write_png_to_func(AppendBytes, png, static_cast<int>(width),
                                  static_cast<int>(height), 3, rgb.data(),
                                  static_cast<int>(width * 3)) != 0;
}

// One line per slot, 36 genes printed to round-trip exactly.
std::string FormatGenomes(const CSceneMain& scene) {
    std::string text;
    char number[32];
    for (int k = 0; k < kPopulationSize; ++k) {
        const Genome& genome = scene.GenomeAt(k);
        for (int i = 0; i < kGenomeSize; ++i) {
            std::snprintf(number, sizeof number, i == 0 ? "%.17g" : " %.17g", genome.genes[i]);
            text += number;
        }
        text += '\n';
    }
    return text;
}

// A journal's generation to show: the clicks that lead to it, and the rates
// and locked cells in effect at the journal's end (as the viewer shows them
// after resuming and going back to that generation).
struct JournalView {
    bool fromJournal = false;
    std::vector<BreedingStep> steps;
    BreedingRates rates;
    LockedCells locked;
};

int Run(const SnapshotOptions& options, const JournalView& journal) {
    g_appConfig = AppConfig{1, options.width, options.height};
    Srand(options.seed);

    CToolDisplay display;
    if (!display.Available()) {
        std::fprintf(stderr, "tessary-snapshot: no X display\n");
        return kFailureStatus;
    }
    COffscreenView view;
    view.clock.now = options.timeMs;
    view.input.hasPointer = options.hasPointer;
    view.input.client = POINT{options.pointerX, options.pointerY};
    view.input.buttonHeld = options.click;
    std::string error;
    if (!view.Open("tessary-snapshot", options.width, options.height, &error)) {
        std::fprintf(stderr, "tessary-snapshot: %s\n", error.c_str());
        return kFailureStatus;
    }
    IDirect3DDevice9* device = view.Device();
    // The scene never writes outside its grid; start from black there.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);

    std::vector<std::uint32_t> pixels;
    UINT width = 0;
    UINT height = 0;
    std::string genomes;
    {
        const auto scene = std::make_unique<CSceneMain>();
        scene->InitWithRates(&view.Context(), options.mutationRate, options.reseedRate);
        if (journal.fromJournal) {
            if (!journal.steps.empty()) scene->ShowGeneration(options.seed, journal.steps);
            scene->SetBreeding(journal.rates, journal.locked);
        }
        for (int frame = 0; frame < options.frames; ++frame) {
            if (frame > 0) scene->Update();
            device->BeginScene();
            scene->Render();
            device->EndScene();
        }
        if (!view.ReadBackBuffer(&pixels, &width, &height)) {
            std::fprintf(stderr, "tessary-snapshot: cannot read the back buffer\n");
            return kFailureStatus;
        }
        genomes = FormatGenomes(*scene);
    }
    std::string png;
    if (!EncodePng(pixels, width, height, &png)) {
        std::fprintf(stderr, "tessary-snapshot: cannot encode the picture\n");
        return kFailureStatus;
    }
    // Both files are written and synced before either replaces an old one.
    std::vector<FileToWrite> files;
    if (!options.genomesPath.empty()) files.push_back({options.genomesPath, genomes});
    files.push_back({options.outPath, png});
    if (!WriteFilesAtomically(files, &error)) {
        std::fprintf(stderr, "tessary-snapshot: %s\n", error.c_str());
        return kFailureStatus;
    }
    return 0;
}

int Run(int argc, char** argv) {
#ifndef _WIN32
    // Before SDL starts, which otherwise takes SIGINT and SIGTERM as quit
    // events that this program never reads.
    CScratchDirectory::RemoveAllOnSignals();
#endif
    SnapshotOptions options;
    if (const int status = ParseSnapshotOptions(argc, argv, &options); status != kContinueStatus) {
        return status;
    }
    // A journal gives the seed, the header's rates (start-up draws none) and
    // what replaying it leads to.
    JournalView view;
    if (!options.journalPath.empty()) {
        Journal journal;
        std::string error;
        const bool loaded = LoadJournal(options.journalPath, &journal, &error);
        const JournalState state = loaded ? StateInEffect(journal) : JournalState{};
        if (!loaded || !StepsUpToGeneration(state.steps, options.generation, &view.steps, &error)) {
            std::fprintf(stderr, "tessary-snapshot: %s\n", error.c_str());
            return kUsageStatus;
        }
        view.fromJournal = true;
        view.rates = state.rates;
        view.locked = state.locked;
        options.seed = journal.seed;
        options.mutationRate = journal.rates.mutationRate;
        options.reseedRate = journal.rates.reseedRate;
    }
    return Run(options, view);
}

}  // namespace

int main(int argc, char** argv) {
    return RunGuarded("tessary-snapshot", [argc, argv] { return Run(argc, argv); });
}
