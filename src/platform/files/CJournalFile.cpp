#include "platform/files/CJournalFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string Reason() { return std::strerror(errno); }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string TooLarge(const std::string& path, std::size_t maxBytes) {
    return path + " is larger than " + std::to_string(maxBytes >> 20) +
           " MiB, too large for a journal";
}

// Writes all of `data` at the end of the file and syncs it; on a short write
// the file is cut back to its old length so no partial record stays behind.
bool WriteWhole(int fd, const std::string& data) {
    const off_t before = lseek(fd, 0, SEEK_END);
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int saved = errno;
            if (before >= 0) [[maybe_unused]] const int cut = ftruncate(fd, before);
            errno = saved != 0 ? saved : EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return fdatasync(fd) == 0;
}

// Syncs the folder holding `path`, so a new name is on disk as well as the
// contents it names.
bool SyncFolderOf(const std::string& path) {
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    const int saved = errno;
    close(fd);
    errno = saved;
    return synced;
}

}  // namespace

CJournalFile::CJournalFile(Handle handle, std::string path)
    : handle(handle), path(std::move(path)) {}

CJournalFile::~CJournalFile() { close(handle); }

std::unique_ptr<CJournalFile> CJournalFile::OpenExisting(const std::string& path,
                                                         std::size_t maxBytes, bool* missing,
                                                         std::string* error) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = open(path.c_str(), O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    *missing = fd < 0 && errno == ENOENT;
    if (fd < 0) {
        if (!*missing) *error = "cannot open " + path + ": " + Reason();
        return nullptr;
    }
    std::unique_ptr<CJournalFile> file(new CJournalFile(fd, path));
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        *error = "cannot read " + path + ": " + Reason();
    } else if (!S_ISREG(info.st_mode)) {
        *error = path + " is not a regular file";
    } else if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        *error = TooLarge(path, maxBytes);
    } else if (fcntl(fd, F_SETFL, O_APPEND) != 0) {
        *error = "cannot open " + path + ": " + Reason();
    } else {
        return file;
    }
    return nullptr;
}

std::unique_ptr<CJournalFile> CJournalFile::CreateWhole(const std::string& path,
                                                        const std::string& contents, bool* taken,
                                                        std::string* error) {
    *taken = false;
    std::string scratch = FolderOf(path) + "/.tessary-journal-XXXXXX";
    const int fd = mkostemp(scratch.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot create " + path + ": " + Reason();
        return nullptr;
    }
    // Locked before it has the journal's name, so no other session can take
    // it between the link and the lock.
    const bool made = fchmod(fd, 0644) == 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                      WriteWhole(fd, contents);
    int linked = made ? link(scratch.c_str(), path.c_str()) : -1;
    if (made && linked != 0 && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS)) {
        // A file system without hard links may still rename without replacing.
        linked = renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
    }
    const int saved = errno;
    unlink(scratch.c_str());  // after a rename, nothing has this name any more
    if (linked == 0 && SyncFolderOf(path)) {
        return std::unique_ptr<CJournalFile>(new CJournalFile(fd, path));
    }
    const int failure = linked == 0 ? errno : saved;
    close(fd);
    if (linked == 0) unlink(path.c_str());  // the name is ours: take it back
    *taken = failure == EEXIST;
    if (!*taken) *error = "cannot create " + path + ": " + std::strerror(failure);
    return nullptr;
}

bool CJournalFile::Lock(std::string* error) {
    if (flock(handle, LOCK_EX | LOCK_NB) == 0) return true;
    *error = errno == EWOULDBLOCK ? path + " is in use by another Tessary session"
                                  : "cannot lock " + path + ": " + Reason();
    return false;
}

bool CJournalFile::ReadAll(std::size_t maxBytes, std::string* text, std::string* error) {
    return ReadToEnd(handle, path, maxBytes, TooLarge(path, maxBytes), text, error);
}

bool CJournalFile::AppendSynced(const std::string& data, std::string* reason) {
    if (WriteWhole(handle, data)) return true;
    *reason = Reason();
    return false;
}

bool CJournalFile::StillNamed() const {
    struct stat info {};
    return fstat(handle, &info) != 0 || info.st_nlink != 0;
}
