// The session journal's file on disk: held open for reading and appending,
// under an exclusive lock, each write synced before it returns. The calls
// are the few steps the journal appender (scene/CJournalAppender) is made
// of; each system keeps them its own way: POSIX here (flock, fdatasync, a
// scratch file linked into place), Win32 in win32/CJournalFile.cpp
// (LockFileEx, FlushFileBuffers, a scratch file moved into place). Paths are
// UTF-8. Messages name the path as the caller gave it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/files/ReadRegularFile.h"

class CJournalFile {
public:
    // Opens the existing file at `path`: a regular file of at most
    // `maxBytes`, opened without waiting (a FIFO has no writer to wait for)
    // and not yet locked. Null with `missing` set and no error when no file
    // has the name; null with `error` set ("cannot open PATH: reason", "PATH
    // is not a regular file", "PATH is larger than 256 MiB, too large for a
    // journal") on any other failure.
    static std::unique_ptr<CJournalFile> OpenExisting(const std::string& path, std::size_t maxBytes,
                                                      bool* missing, std::string* error);

    // Makes the file at `path` holding `contents`, whole or not at all:
    // written, synced and locked under a scratch name in the same folder,
    // then given `path` only if no file has that name by then (and the
    // folder synced). Null with `taken` set when another file had the name
    // first; null with `error` set ("cannot create PATH: reason") on any
    // other failure. Nothing is left under the scratch name either way.
    static std::unique_ptr<CJournalFile> CreateWhole(const std::string& path,
                                                     const std::string& contents, bool* taken,
                                                     std::string* error);

    ~CJournalFile();
    CJournalFile(const CJournalFile&) = delete;
    CJournalFile& operator=(const CJournalFile&) = delete;

    // Takes the exclusive lock without waiting: "PATH is in use by another
    // Tessary session" when another process holds it.
    bool Lock(std::string* error);

    // Reads the file, just opened, to its end (it may have grown since it
    // was looked at), refusing more than `maxBytes`.
    bool ReadAll(std::size_t maxBytes, std::string* text, std::string* error);

    // Writes all of `data` at the end and syncs it. A write that fails part
    // way is cut back to the old length, so no partial record stays. False
    // with the system's reason in `reason`.
    bool AppendSynced(const std::string& data, std::string* reason);

    // Whether the file still has a name. A removed file takes writes and
    // keeps nothing; an error that cannot tell counts as yes.
    bool StillNamed() const;

private:
    using Handle = FileHandle;
    CJournalFile(Handle handle, std::string path);

    Handle handle;
    std::string path;
};
