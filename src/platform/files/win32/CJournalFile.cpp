// The journal's file on Windows: the same promises as the POSIX one
// (files/CJournalFile.cpp) kept with Win32 calls. The lock is LockFileEx
// over the whole file, syncing is FlushFileBuffers, and a new journal is
// written under a scratch name and moved into place with MoveFileExW without
// MOVEFILE_REPLACE_EXISTING, so it appears whole and never replaces a file
// that took the name first. Paths are UTF-8 here and wide at the Win32 calls.
#include "platform/files/CJournalFile.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/files/win32/Win32Text.h"

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string TooLarge(const std::string& path, std::size_t maxBytes) {
    return path + " is larger than " + std::to_string(maxBytes >> 20) +
           " MiB, too large for a journal";
}

// Every sharing mode: a second session must get as far as the lock to be told
// the journal is in use, and the scratch file must be movable while open.
HANDLE OpenHandle(const std::string& path, DWORD disposition) {
    return CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool LockWhole(HANDLE file) {
    OVERLAPPED from{};
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                      MAXDWORD, &from) != FALSE;
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

}  // namespace

CJournalFile::CJournalFile(Handle handle, std::string path)
    : handle(handle), path(std::move(path)) {}

CJournalFile::~CJournalFile() { CloseHandle(handle); }

std::unique_ptr<CJournalFile> CJournalFile::OpenExisting(const std::string& path,
                                                         std::size_t maxBytes, bool* missing,
                                                         std::string* error) {
    const HANDLE handle = OpenHandle(path, OPEN_EXISTING);
    const DWORD code = GetLastError();
    *missing = handle == INVALID_HANDLE_VALUE && code == ERROR_FILE_NOT_FOUND;
    if (handle == INVALID_HANDLE_VALUE) {
        if (!*missing) *error = "cannot open " + path + ": " + SystemMessage(code);
        return nullptr;
    }
    std::unique_ptr<CJournalFile> file(new CJournalFile(handle, path));
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        *error = path + " is not a regular file";
    } else if (!GetFileSizeEx(handle, &size)) {
        *error = "cannot read " + path + ": " + SystemMessage(GetLastError());
    } else if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        *error = TooLarge(path, maxBytes);
    } else {
        return file;
    }
    return nullptr;
}

std::unique_ptr<CJournalFile> CJournalFile::CreateWhole(const std::string& path,
                                                        const std::string& contents, bool* taken,
                                                        std::string* error) {
    *taken = false;
    static unsigned serial = 0;
    const std::string scratch = FolderOf(path) + ".tessary-journal-" +
                                std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(++serial);
    const HANDLE handle = OpenHandle(scratch, CREATE_NEW);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = "cannot create " + path + ": " + SystemMessage(GetLastError());
        return nullptr;
    }
    // Locked before it has the journal's name, so no other session can take
    // it between the move and the lock.
    if (LockWhole(handle) && WriteWhole(handle, contents) &&
        MoveFileExW(Wide(scratch).c_str(), Wide(path).c_str(), MOVEFILE_WRITE_THROUGH)) {
        return std::unique_ptr<CJournalFile>(new CJournalFile(handle, path));
    }
    const DWORD code = GetLastError();
    DeleteFileW(Wide(scratch).c_str());  // removed when the handle closes
    CloseHandle(handle);
    *taken = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS;
    if (!*taken) *error = "cannot create " + path + ": " + SystemMessage(code);
    return nullptr;
}

bool CJournalFile::Lock(std::string* error) {
    if (LockWhole(handle)) return true;
    const DWORD code = GetLastError();
    *error = code == ERROR_LOCK_VIOLATION ? path + " is in use by another Tessary session"
                                          : "cannot lock " + path + ": " + SystemMessage(code);
    return false;
}

bool CJournalFile::ReadAll(std::size_t maxBytes, std::string* text, std::string* error) {
    return ReadToEnd(handle, path, maxBytes, TooLarge(path, maxBytes), text, error);
}

bool CJournalFile::AppendSynced(const std::string& data, std::string* reason) {
    if (WriteWhole(handle, data)) return true;
    *reason = SystemMessage(GetLastError());
    return false;
}

// A deleted file may live on under its handle with its name gone or pending
// deletion. Windows marks it deleted (DeletePending) or, deleted with POSIX
// semantics, counts its links down; failing both, the name is opened again
// and the two file indexes compared (not the volume serials, which Wine does
// not give for every handle). A name pending deletion cannot be opened.
bool CJournalFile::StillNamed() const {
    FILE_STANDARD_INFO standard{};
    if (GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) &&
        (standard.DeletePending || standard.NumberOfLinks == 0)) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION mine{};
    if (!GetFileInformationByHandle(handle, &mine)) return true;
    const HANDLE named = CreateFileW(Wide(path).c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (named == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND &&
               code != ERROR_ACCESS_DENIED;
    }
    BY_HANDLE_FILE_INFORMATION theirs{};
    const bool same = !GetFileInformationByHandle(named, &theirs) ||
                      (theirs.nFileIndexHigh == mine.nFileIndexHigh &&
                       theirs.nFileIndexLow == mine.nFileIndexLow);
    CloseHandle(named);
    return same;
}
