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
#include <shellapi.h>

#include "app/win32/CCommandLineOutput.h"
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

#ifdef _WIN32
// The arguments as UTF-8, the program's encoding for paths (the C runtime's
// argv is in the ANSI code page, which cannot hold every file name).
std::vector<std::string> Utf8Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide != nullptr && i < count; ++i) {
        const int length = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr,
                                               nullptr);
        std::string argument(static_cast<std::size_t>(length > 0 ? length - 1 : 0), '\0');
        if (length > 1) {
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), length, nullptr,
                                nullptr);
        }
        arguments.push_back(std::move(argument));
    }
    LocalFree(wide);
    return arguments;
}
#endif

}  // namespace

#ifdef _WIN32
int main() {
    CCommandLineOutput output;  // the prompt's console, or a message box at the end
    std::vector<std::string> arguments = Utf8Arguments();
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(arguments.size());
    const int status = RunGuarded("tessary", [argc, &argv] { return Run(argc, argv.data()); });
    output.SetStatus(status);
    return status;
}
#else
int main(int argc, char** argv) {
    return RunGuarded("tessary", [argc, argv] { return Run(argc, argv); });
}
#endif
