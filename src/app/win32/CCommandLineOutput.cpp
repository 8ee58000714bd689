#include "app/win32/CCommandLineOutput.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// A new empty scratch file's name, or "" when none can be made.
std::string ScratchFile() {
    char folder[MAX_PATH + 1] = {};
    char file[MAX_PATH + 1] = {};
    if (GetTempPathA(sizeof folder, folder) == 0) return "";
    if (GetTempFileNameA(folder, "tes", 0, file) == 0) return "";
    return file;
}

std::string TakeText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    in.close();
    DeleteFileA(path.c_str());
    return text.str();
}

bool HasStream(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

CCommandLineOutput::CCommandLineOutput() {
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        // A stream the prompt redirected (tessary.exe > out.txt) stays so.
        if (!HasStream(STD_OUTPUT_HANDLE)) {
            [[maybe_unused]] auto* out = std::freopen("CONOUT$", "w", stdout);
        }
        if (!HasStream(STD_ERROR_HANDLE)) {
            [[maybe_unused]] auto* err = std::freopen("CONOUT$", "w", stderr);
        }
        return;
    }
    if (HasStream(STD_ERROR_HANDLE)) return;
    outPath = ScratchFile();
    errPath = ScratchFile();
    if (!outPath.empty()) {
        [[maybe_unused]] auto* out = std::freopen(outPath.c_str(), "w", stdout);
    }
    if (!errPath.empty()) {
        [[maybe_unused]] auto* err = std::freopen(errPath.c_str(), "w", stderr);
    }
}

CCommandLineOutput::~CCommandLineOutput() {
    if (outPath.empty() && errPath.empty()) return;
    std::fflush(stdout);
    std::fflush(stderr);
    std::fclose(stdout);
    std::fclose(stderr);
    const std::string text = (outPath.empty() ? "" : TakeText(outPath)) +
                             (errPath.empty() ? "" : TakeText(errPath));
    if (!text.empty()) {
        MessageBoxA(nullptr, text.c_str(), "Tessary", failed ? MB_OK | MB_ICONERROR : MB_OK);
    }
}
