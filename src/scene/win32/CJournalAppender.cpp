// The journal appender on Windows: the same promises as the POSIX one
// (scene/CJournalAppender.cpp) kept with Win32 calls. The lock is LockFileEx
// over the whole file, syncing is FlushFileBuffers, and a new journal is
// written under a scratch name and moved into place with MoveFileExW without
// MOVEFILE_REPLACE_EXISTING, so it appears whole and never replaces a file
// that took the name first. Paths are UTF-8 here and wide at the Win32 calls.
// The handle is kept as a C runtime descriptor so the class is the same on
// both systems.
#include "scene/CJournalAppender.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "genetic/Journal.h"
#include "platform/files/win32/Win32Text.h"

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// Every sharing mode: a second session must get as far as the lock to be told
// the journal is in use, and the scratch file must be movable while open.
HANDLE OpenHandle(const std::string& path, DWORD disposition) {
    return CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Takes the exclusive lock on the whole file without waiting.
bool Lock(HANDLE file, const std::string& path, std::string* error) {
    OVERLAPPED from{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                   MAXDWORD, &from)) {
        return true;
    }
    const DWORD code = GetLastError();
    *error = code == ERROR_LOCK_VIOLATION ? path + " is in use by another Tessary session"
                                          : "cannot lock " + path + ": " + SystemMessage(code);
    return false;
}

// Writes all of `data` at the end of the file and flushes it; on a failed
// write the file is cut back to its old length. The error is left for
// GetLastError.
bool WriteWhole(HANDLE file, const std::string& data) {
    LARGE_INTEGER before{};
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, &before, FILE_END)) return false;
    std::size_t done = 0;
    while (done < data.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 30));
        if (!WriteFile(file, data.data() + done, chunk, &written, nullptr) || written == 0) {
            const DWORD code = GetLastError();
            if (SetFilePointerEx(file, before, nullptr, FILE_BEGIN)) SetEndOfFile(file);
            SetLastError(code != 0 ? code : ERROR_WRITE_FAULT);
            return false;
        }
        done += written;
    }
    return FlushFileBuffers(file) != 0;
}

bool ReadAll(HANDLE file, const std::string& path, std::string* text, std::string* error) {
    text->clear();
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
            *error = "cannot read " + path + ": " + SystemMessage(GetLastError());
            return false;
        }
        if (n == 0) return true;
        text->append(buffer, n);
        if (text->size() > kMaxJournalBytes) {
            *error = path + " is larger than 256 MiB, too large for a journal";
            return false;
        }
    }
}

// Opens an existing journal: a file on disk within the size limit. A missing
// file gives INVALID_HANDLE_VALUE with `missing` set and no error.
HANDLE OpenExisting(const std::string& path, bool* missing, std::string* error) {
    *missing = false;
    const HANDLE file = OpenHandle(path, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        *missing = code == ERROR_FILE_NOT_FOUND;
        if (!*missing) *error = "cannot open " + path + ": " + SystemMessage(code);
        return INVALID_HANDLE_VALUE;
    }
    LARGE_INTEGER size{};
    std::string refusal;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        refusal = path + " is not a regular file";
    } else if (!GetFileSizeEx(file, &size)) {
        refusal = "cannot read " + path + ": " + SystemMessage(GetLastError());
    } else if (static_cast<unsigned long long>(size.QuadPart) > kMaxJournalBytes) {
        refusal = path + " is larger than 256 MiB, too large for a journal";
    }
    if (refusal.empty()) return file;
    CloseHandle(file);
    *error = refusal;
    return INVALID_HANDLE_VALUE;
}

// Makes the journal at `path` with `header` as its contents, whole or not at
// all: written, flushed and locked under a scratch name in the same folder,
// then moved to `path` only if no file has that name. `taken` is set when
// another file had the name first; otherwise a failure sets `error`.
HANDLE CreateWhole(const std::string& path, const std::string& header, bool* taken,
                   std::string* error) {
    *taken = false;
    static unsigned serial = 0;
    const std::string scratch = FolderOf(path) + ".tessary-journal-" +
                                std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(++serial);
    const HANDLE file = OpenHandle(scratch, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE) {
        *error = "cannot create " + path + ": " + SystemMessage(GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    // Locked before it has the journal's name, so no other session can take
    // it between the move and the lock.
    std::string ignored;
    const bool made = Lock(file, scratch, &ignored) && WriteWhole(file, header) &&
                      MoveFileExW(Wide(scratch).c_str(), Wide(path).c_str(),
                                  MOVEFILE_WRITE_THROUGH);
    if (made) return file;
    const DWORD code = GetLastError();
    DeleteFileW(Wide(scratch).c_str());  // removed when the handle closes
    CloseHandle(file);
    *taken = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS;
    if (!*taken) *error = "cannot create " + path + ": " + SystemMessage(code);
    return INVALID_HANDLE_VALUE;
}

// Whether `path` still names the open file. A deleted file may live on
// under its handle with its name gone (or pending deletion), so the name is
// opened again and the two file indexes compared (not the volume serials,
// which Wine does not give for every handle); an error other than a missing
// name cannot tell, and counts as yes.
bool StillNamed(HANDLE file, const std::string& path) {
    // Windows marks the file deleted; Wine counts its links down instead.
    FILE_STANDARD_INFO standard{};
    if (GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) &&
        (standard.DeletePending || standard.NumberOfLinks == 0)) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION mine{};
    if (!GetFileInformationByHandle(file, &mine)) return true;
    const HANDLE named = CreateFileW(Wide(path).c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (named == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND &&
               code != ERROR_ACCESS_DENIED;  // a name pending deletion cannot be opened
    }
    BY_HANDLE_FILE_INFORMATION theirs{};
    const bool same = !GetFileInformationByHandle(named, &theirs) ||
                      (theirs.nFileIndexHigh == mine.nFileIndexHigh &&
                       theirs.nFileIndexLow == mine.nFileIndexLow);
    CloseHandle(named);
    return same;
}

int Descriptor(HANDLE file) { return _open_osfhandle(reinterpret_cast<std::intptr_t>(file), 0); }

}  // namespace

CJournalAppender::CJournalAppender(int fd, std::string path) : fd(fd), path(std::move(path)) {}

CJournalAppender::~CJournalAppender() { _close(fd); }

std::unique_ptr<CJournalAppender> CJournalAppender::Open(
    const std::string& path, const std::function<std::string()>& makeHeader, std::string* text,
    bool* created, std::string* error) {
    *created = false;
    // Twice at most: a name taken between our look and our move is opened.
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool missing = false;
        const HANDLE existing = OpenExisting(path, &missing, error);
        if (existing != INVALID_HANDLE_VALUE) {
            std::unique_ptr<CJournalAppender> appender(
                new CJournalAppender(Descriptor(existing), path));
            if (!Lock(existing, path, error) || !ReadAll(existing, path, text, error)) {
                return nullptr;
            }
            if (!text->empty()) {
                appender->endsWithNewline = text->back() == '\n';
                return appender;
            }
            *text = makeHeader();
            if (!WriteWhole(existing, *text)) {
                *error = "cannot write " + path + ": " + SystemMessage(GetLastError());
                return nullptr;
            }
            *created = true;
            return appender;
        }
        if (!missing) return nullptr;
        *text = makeHeader();
        bool taken = false;
        const HANDLE fresh = CreateWhole(path, *text, &taken, error);
        if (fresh != INVALID_HANDLE_VALUE) {
            *created = true;
            return std::unique_ptr<CJournalAppender>(new CJournalAppender(Descriptor(fresh), path));
        }
        if (!taken) return nullptr;
    }
    *error = path + " is in use by another Tessary session";
    return nullptr;
}

bool CJournalAppender::Append(const std::string& line) {
    if (failed) return false;
    const HANDLE file = HandleOf(fd);
    const std::string data = endsWithNewline ? line : "\n" + line;
    if (!WriteWhole(file, data)) {
        Fail(SystemMessage(GetLastError()));
        return false;
    }
    endsWithNewline = true;
    // Writing to a file that was deleted succeeds but keeps nothing.
    if (!StillNamed(file, path)) {
        Fail("the file was removed");
        return false;
    }
    return true;
}

void CJournalAppender::Fail(const std::string& why) {
    failed = true;
    std::fprintf(stderr,
                 "tessary: cannot write the journal %s (%s); the session goes on, but "
                 "what follows is not kept\n",
                 path.c_str(), why.c_str());
}
