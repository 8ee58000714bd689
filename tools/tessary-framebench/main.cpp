// tessary-framebench: times the real main scene on the OpenGL backend in a
// hidden window (needs an X display large enough for the sizes asked for).
// A frame is BeginScene, Render, EndScene and Present with vsync off, and the
// clock stops only once GL has finished it. A click is Breed: nine meshes
// rebuilt and uploaded, finished likewise. Prints the median and the 99th
// percentile in milliseconds.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "COffscreenView.h"
#include "app/CommandLine.h"
#include "config/AppConfig.h"
#include "config/Decimal.h"
#include "platform/Random.h"
#include "platform/d3d9/gl/GLDirect3D9.h"
#include "scene/CSceneMain.h"

namespace {

constexpr const char* kUsage =
    "usage: tessary-framebench [--frames N] [--clicks N] [--size WxH]...\n"
    "Times frames and clicks of the main scene on the OpenGL backend, then\n"
    "frames of the closer look, and at the first size frames while saving\n"
    "(the saves' paths are printed too).\n"
    "  --frames N   frames timed per size (default 600, after 60 untimed)\n"
    "  --clicks N   clicks (Breed) timed at the first size (default 200)\n"
    "  --size WxH   a client size to time; may repeat (default 800x600 and 1920x1080)\n"
    "  --no-multisample  a single-sampled back buffer instead of the one the\n"
    "               program's context chooses\n"
    "  --indicator  keep the rates indicator shown (an Up key held down)\n";

struct Size {
    int width;
    int height;
};

struct Options {
    int frames = 600;
    int clicks = 200;
    bool multisample = true;
    bool indicator = false;
    std::vector<Size> sizes;
};

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The value below which the given fraction of the samples lie.
double Percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const auto at =
        static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(at, samples.size() - 1)];
}

void Print(const char* what, const std::vector<double>& samples) {
    std::printf("%-22s n=%-5zu median %7.3f ms   p99 %7.3f ms   max %7.3f ms\n", what,
                samples.size(), Percentile(samples, 0.5), Percentile(samples, 0.99),
                Percentile(samples, 1.0));
}

bool ParseCount(std::string_view text, int* value) {
    return ParseDecimal(text, 1, 1000000, value);
}

// WxH, each side 1 to 16384.
bool ParseSize(std::string_view text, Size* size) {
    const std::size_t x = text.find('x');
    return x != std::string_view::npos && ParseDecimal(text.substr(0, x), 1, 16384, &size->width) &&
           ParseDecimal(text.substr(x + 1), 1, 16384, &size->height);
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--no-multisample") {
            options->multisample = false;
            continue;
        }
        if (arg == "--indicator") {
            options->indicator = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (arg == "--frames") {
            if (!ParseCount(value, &options->frames)) return false;
        } else if (arg == "--clicks") {
            if (!ParseCount(value, &options->clicks)) return false;
        } else if (arg == "--size") {
            Size size{};
            if (!ParseSize(value, &size)) return false;
            options->sizes.push_back(size);
        } else {
            return false;
        }
    }
    if (options->sizes.empty()) options->sizes = {{800, 600}, {1920, 1080}};
    return true;
}

// One frame as the main loop runs it, 16 ms after the last; its time in
// milliseconds, GL finished.
double TimeFrame(CSceneMain& scene, CDXContext& context, CPresetClock& clock) {
    clock.now += 16;
    scene.Update();
    const Clock::time_point start = Clock::now();
    context.device->BeginScene();
    scene.Render();
    context.device->EndScene();
    context.PresentFrame();
    FinishGL(context.device);
    return Milliseconds(Clock::now() - start);
}

// A key's or the right button's press and release, as the window
// procedure passes them on.
void Press(CSceneMain& scene, HWND hwnd, UINT down, UINT up, WPARAM key) {
    scene.MsgProc(hwnd, down, key, 1);
    scene.MsgProc(hwnd, up, key, static_cast<LPARAM>(0xC0000001u));
}

// Saves of the centre cell (S pressed before one frame in every five) into
// a temporary folder: every frame from the first save to the last's end.
void MeasureSaves(CSceneMain& scene, CDXContext& context, COffscreenView& view, int saves) {
    std::string dir = (std::filesystem::temp_directory_path() / "tessary-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) return;
    g_saveDirectory = dir;
    std::vector<double> times;
    for (int save = 0; save < saves; ++save) {
        for (int frame = 0; frame < 5; ++frame) {
            if (frame == 0) Press(scene, context.hwnd, WM_KEYDOWN, WM_KEYUP, 'S');
            times.push_back(TimeFrame(scene, context, view.clock));
        }
    }
    Print("frame while saving", times);
    g_saveDirectory.clear();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

// Times one size; with `clicks` > 0 also times that many Breeds.
bool Measure(const Size& size, const Options& options, int clicks) {
    const int frames = options.frames;
    g_appConfig = AppConfig{1, size.width, size.height};
    Srand(1);

    // The shapes turn 16 ms a frame, and the pointer rests on the centre cell
    // so that every frame also draws the highlight.
    COffscreenView view;
    view.input.hasPointer = true;
    view.input.client = POINT{size.width / 2, size.height / 2};
    std::string error;
    if (!view.Open("tessary-framebench", size.width, size.height, &error)) return false;
    CDXContext& context = view.Context();
    CPresetClock& clock = view.clock;
    context.presentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (!options.multisample) context.presentParams.MultiSampleType = D3DMULTISAMPLE_NONE;
    if (FAILED(context.device->Reset(&context.presentParams))) return false;
    IDirect3DDevice9* device = context.device;

    const auto scene = std::make_unique<CSceneMain>();
    scene->InitWithRates(&context, 10, 50);
    // Pressed and never released, Up keeps the indicator up.
    if (options.indicator) scene->MsgProc(context.hwnd, WM_KEYDOWN, VK_UP, 1);

    constexpr int kWarmUp = 60;
    std::vector<double> frameTimes;
    frameTimes.reserve(static_cast<std::size_t>(frames));
    for (int frame = 0; frame < kWarmUp + frames; ++frame) {
        clock.now += 16;
        scene->Update();
        const Clock::time_point start = Clock::now();
        device->BeginScene();
        scene->Render();
        device->EndScene();
        context.PresentFrame();
        FinishGL(device);
        if (frame >= kWarmUp) frameTimes.push_back(Milliseconds(Clock::now() - start));
    }
    char label[64];
    std::snprintf(label, sizeof label, "frame %dx%d", size.width, size.height);
    Print(label, frameTimes);

    if (clicks > 0) {
        std::vector<double> clickTimes;
        clickTimes.reserve(static_cast<std::size_t>(clicks));
        FinishGL(device);
        for (int click = 0; click < clicks; ++click) {
            const Clock::time_point start = Clock::now();
            scene->Breed(click % kPopulationSize);
            FinishGL(device);
            clickTimes.push_back(Milliseconds(Clock::now() - start));
        }
        Print("click (Breed)", clickTimes);
        MeasureSaves(*scene, context, view, 30);
    }

    // The closer look on the centre cell: opened by a right click, then
    // timed as the grid was.
    Press(*scene, context.hwnd, WM_RBUTTONDOWN, WM_RBUTTONUP, 0);
    TimeFrame(*scene, context, clock);
    std::vector<double> lookTimes;
    for (int frame = 0; frame < kWarmUp + frames; ++frame) {
        const double ms = TimeFrame(*scene, context, clock);
        if (frame >= kWarmUp) lookTimes.push_back(ms);
    }
    std::snprintf(label, sizeof label, "closer look %dx%d", size.width, size.height);
    Print(label, lookTimes);
    return true;
}

int Run(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    CToolDisplay display;
    if (!display.Available()) {
        std::fprintf(stderr, "tessary-framebench: no X display\n");
        return 1;
    }
    for (std::size_t i = 0; i < options.sizes.size(); ++i) {
        if (!Measure(options.sizes[i], options, i == 0 ? options.clicks : 0)) {
            std::fprintf(stderr, "tessary-framebench: cannot set up %dx%d\n",
                         options.sizes[i].width, options.sizes[i].height);
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return RunGuarded("tessary-framebench", [argc, argv] { return Run(argc, argv); });
}
