// The Win32 twin of AtomicWrite.h: each file is written under a scratch name
// beside its target and flushed to disk, then moved to its name. New files
// are moved without replacing (MoveFileExW without MOVEFILE_REPLACE_EXISTING
// fails on a name that exists) and a failed call deletes the files it made;
// replaced files are moved with it, in the order given. Symbolic links at a
// target are not followed on Windows: the link itself is replaced.
#include "platform/files/AtomicWrite.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files/win32/Win32Text.h"

namespace {

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

}  // namespace

bool WriteNewFilesAtomically(const std::vector<FileToWrite>& files, std::string* error) {
    std::vector<std::wstring> scratches;
    std::string reason;
    const auto removeScratches = [&scratches] {
        for (const std::wstring& path : scratches) DeleteFileW(path.c_str());
    };
    for (const FileToWrite& file : files) {
        const std::wstring scratch = Wide(file.path + ".tessary-new");
        if (!WriteScratch(scratch, file.bytes, &reason)) {
            removeScratches();
            *error = "cannot write " + file.path + ": " + reason;
            return false;
        }
        scratches.push_back(scratch);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (MoveFileExW(scratches[i].c_str(), Wide(files[i].path).c_str(),
                        MOVEFILE_WRITE_THROUGH) == FALSE) {
            *error = "cannot create " + files[i].path + ": " + SystemMessage(GetLastError());
            for (std::size_t made = 0; made < i; ++made) DeleteFileW(Wide(files[made].path).c_str());
            removeScratches();
            return false;
        }
    }
    return true;
}

bool WriteFilesAtomically(const std::vector<FileToWrite>& files, std::string* error) {
    std::vector<std::wstring> scratches;
    std::string reason;
    const auto removeScratches = [&scratches](std::size_t from) {
        for (std::size_t i = from; i < scratches.size(); ++i) DeleteFileW(scratches[i].c_str());
    };
    for (const FileToWrite& file : files) {
        const std::wstring scratch = Wide(file.path + ".tessary-new");
        if (!WriteScratch(scratch, file.bytes, &reason)) {
            removeScratches(0);
            *error = "cannot write " + file.path + ": " + reason;
            return false;
        }
        scratches.push_back(scratch);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (MoveFileExW(scratches[i].c_str(), Wide(files[i].path).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
            *error = "cannot write " + files[i].path + ": " + SystemMessage(GetLastError());
            removeScratches(i);
            return false;
        }
    }
    return true;
}
