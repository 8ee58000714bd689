// Program entry: the command line first, so a bad option or journal ends the
// program before any window or question appears; then, on Linux, the SDL2
// platform behind the Win32 calls and the OpenGL backend behind Direct3D
// (on Windows the system's own serve), and the application as WinMain runs
// it. Torn down in reverse: the platform goes last, after every device and
// context.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/CAppWindow.h"
#include "app/CSceneManager.h"
#include "app/CommandLine.h"
#include "platform/Win32.h"
#include "platform/d3d9/d3d9.h"
#ifdef _WIN32
#include "app/win32/CCommandLineOutput.h"
#include "app/win32/CUtf8Arguments.h"
#else
#include "platform/d3d9/gl/GLDirect3D9.h"
#include "platform/sdl/CSdlGLContextProvider.h"
#include "platform/sdl/CSdlPlatform.h"
#endif
#include "scene/CBreedingSession.h"
#include "scene/CSceneMain.h"
#include "scene/CShapeSaver.h"

namespace {

// Sets the program's session for as long as the scope lives.
class CSessionScope {
public:
    explicit CSessionScope(CBreedingSession* session) { g_breedingSession = session; }
    ~CSessionScope() { g_breedingSession = nullptr; }
    CSessionScope(const CSessionScope&) = delete;
    CSessionScope& operator=(const CSessionScope&) = delete;
};

int Run(int argc, char** argv) {
    CLI::App app("Breeds three-dimensional supershapes by eye: click the shape you like and a "
                 "new generation is bred from it. Reads conf.txt and param.txt from the "
                 "current directory.",
                 "tessary");
    BreedingSessionOptions options;
    std::uint64_t seed = 0;
    app.add_option("--seed", seed, "Start the population from seed N instead of the clock")
        ->check(WholeNumber(0, UINT32_MAX))
        ->type_name("N");
    app.add_option("--journal", options.journalPath,
                   "Keep the session in FILE: a new file is created, an existing one resumed; "
                   "Backspace goes back a generation")
        ->type_name("FILE");
    app.add_option("--save-dir", g_saveDirectory,
                   "Put the shapes saved with S (an STL and a PNG each) in DIR instead of the "
                   "current directory")
        ->type_name("DIR");
    if (const int status = ParseCommandLine(app, argc, argv); status != kContinueStatus) {
        return status;
    }
    options.hasSeed = app.count("--seed") > 0;
    options.seed = static_cast<unsigned int>(seed);

    std::unique_ptr<CBreedingSession> session;
    if (options.hasSeed || !options.journalPath.empty()) {
        std::string error;
        session = CBreedingSession::Open(options, static_cast<unsigned int>(std::time(nullptr)),
                                         &error);
        if (!session) {
            std::fprintf(stderr, "tessary: %s\n", error.c_str());
            return kUsageStatus;
        }
    }
    CSessionScope sessionScope(session.get());

#ifdef _WIN32
    CSceneFactoryScope scene([] { return std::make_unique<CSceneMain>(); });
    return WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOW);
#else
    CSdlPlatform platform;
    CWin32ServicesScope services(platform.Services());
    CSdlGLContextProvider provider;
    CDirect3DFactoryScope direct3d([&provider](UINT) { return CreateGLDirect3D9(provider); });
    CSceneFactoryScope scene([] { return std::make_unique<CSceneMain>(); });
    return WinMain(nullptr, nullptr, nullptr, SW_SHOW);
#endif
}

}  // namespace

#ifdef _WIN32
int main() {
    CCommandLineOutput output;  // the prompt's console, or a message box at the end
    CUtf8Arguments arguments;
    const int status = RunGuarded("tessary", [&arguments] {
        return Run(arguments.Count(), arguments.Values());
    });
    output.SetStatus(status);
    return status;
}
#else
int main(int argc, char** argv) {
    return RunGuarded("tessary", [argc, argv] { return Run(argc, argv); });
}
#endif
