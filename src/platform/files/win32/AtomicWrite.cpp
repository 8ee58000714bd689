// The Win32 twins of the writers in AtomicWrite.h: each file is written
// under a scratch name beside its target (PATH.tessary-PID, so a scratch
// left by a killed process never stands in the way), flushed to disk, then
// moved to its name with MOVEFILE_WRITE_THROUGH, so the move is on disk
// when it returns. Replacing moves over the old file
// (MOVEFILE_REPLACE_EXISTING); creating moves without that flag, which
// fails on a name that exists, and deletes the files a failed call made.
#include "platform/files/AtomicWrite.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files/win32/Win32Text.h"

namespace {

std::string Narrow(const wchar_t* wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length - 1 : 0), '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
    return text;
}

bool WriteScratch(const std::wstring& path, std::string_view bytes, std::string* reason) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = SystemMessage(GetLastError());
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) != FALSE;
        done += written;
    }
    ok = ok && FlushFileBuffers(file) != FALSE;
    if (!ok) *reason = SystemMessage(GetLastError());
    if (CloseHandle(file) == FALSE && ok) {
        *reason = SystemMessage(GetLastError());
        ok = false;
    }
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

// Both writers: every file written and flushed under its scratch name, then
// each moved to its name in the order given.
bool WriteStaged(const std::vector<FileToWrite>& files, bool replace, std::string* error) {
    std::vector<std::wstring> scratches;
    std::string reason;
    const auto removeScratches = [&scratches] {
        for (const std::wstring& path : scratches) DeleteFileW(path.c_str());
    };
    for (const FileToWrite& file : files) {
        const std::wstring scratch =
            Wide(file.path + ".tessary-" + std::to_string(GetCurrentProcessId()));
        if (!WriteScratch(scratch, file.bytes, &reason)) {
            removeScratches();
            *error = "cannot write " + file.path + ": " + reason;
            return false;
        }
        scratches.push_back(scratch);
    }
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (MoveFileExW(scratches[i].c_str(), Wide(files[i].path).c_str(), flags) == FALSE) {
            *error = (replace ? "cannot replace " : "cannot create ") + files[i].path + ": " +
                     SystemMessage(GetLastError());
            if (!replace) {
                for (std::size_t made = 0; made < i; ++made) {
                    DeleteFileW(Wide(files[made].path).c_str());
                }
            }
            removeScratches();
            return false;
        }
    }
    return true;
}

}  // namespace

// Only a path that is a symbolic link (or another reparse point) is looked
// through: the system gives the final path of the file it leads to.
bool ResolveFinalPath(const std::string& path, std::string* resolved, std::string* error) {
    *resolved = path;
    const std::wstring wide = Wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return true;
    }
    const HANDLE file = CreateFileW(wide.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = 0;
    if (file != INVALID_HANDLE_VALUE) {
        length = GetFinalPathNameByHandleW(file, final.data(), MAX_PATH, VOLUME_NAME_DOS);
        if (length >= MAX_PATH) {
            final.resize(length);
            length = GetFinalPathNameByHandleW(file, final.data(), length, VOLUME_NAME_DOS);
        }
    }
    const DWORD code = GetLastError();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (file == INVALID_HANDLE_VALUE || length == 0 || length >= final.size()) {
        // A link to nowhere is replaced itself, as a file that is no link.
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
        *error = "cannot follow the link " + path + ": " + SystemMessage(code);
        return false;
    }
    final.resize(length);
    constexpr std::wstring_view kLocal = L"\\\\?\\";
    if (final.starts_with(kLocal) && !final.starts_with(L"\\\\?\\UNC\\")) {
        final.erase(0, kLocal.size());
    }
    *resolved = Narrow(final.c_str());
    return true;
}

bool WriteFilesAtomically(const std::vector<FileToWrite>& files, std::string* error) {
    return WriteStaged(files, true, error);
}

bool WriteNewFilesAtomically(const std::vector<FileToWrite>& files, std::string* error) {
    return WriteStaged(files, false, error);
}
