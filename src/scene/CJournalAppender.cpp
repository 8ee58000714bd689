#include "scene/CJournalAppender.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "genetic/Journal.h"

namespace {

std::string Reason() { return std::strerror(errno); }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Takes the file's exclusive lock without waiting.
bool Lock(int fd, const std::string& path, std::string* error) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    *error = errno == EWOULDBLOCK ? path + " is in use by another Tessary session"
                                  : "cannot lock " + path + ": " + Reason();
    return false;
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

// Reads the rest of a regular file of at most kMaxJournalBytes.
bool ReadAll(int fd, const std::string& path, std::string* text, std::string* error) {
    text->clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = "cannot read " + path + ": " + Reason();
            return false;
        }
        if (n == 0) return true;
        text->append(buffer, static_cast<std::size_t>(n));
        if (text->size() > kMaxJournalBytes) {
            *error = path + " is larger than 256 MiB, too large for a journal";
            return false;
        }
    }
}

// Opens an existing journal: a regular file, within the size limit. ENOENT
// is left in errno (with -1) for the caller to create the file instead.
int OpenExisting(const std::string& path, std::string* error) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = open(path.c_str(), O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) *error = "cannot open " + path + ": " + Reason();
        return -1;
    }
    struct stat info {};
    std::string refusal;
    if (fstat(fd, &info) != 0) {
        refusal = "cannot read " + path + ": " + Reason();
    } else if (!S_ISREG(info.st_mode)) {
        refusal = path + " is not a regular file";
    } else if (static_cast<unsigned long long>(info.st_size) > kMaxJournalBytes) {
        refusal = path + " is larger than 256 MiB, too large for a journal";
    } else if (fcntl(fd, F_SETFL, O_APPEND) != 0) {
        refusal = "cannot open " + path + ": " + Reason();
    }
    if (refusal.empty()) return fd;
    close(fd);
    *error = refusal;
    errno = EINVAL;
    return -1;
}

// Makes the journal at `path` with `header` as its contents, whole or not at
// all: written, synced and locked under a scratch name in the same folder,
// then linked to `path` only if no file has that name by then. Returns the
// locked descriptor; -1 with errno EEXIST when another file took the name
// first, -1 with `error` set on any other failure.
int CreateWhole(const std::string& path, const std::string& header, std::string* error) {
    std::string scratch = FolderOf(path) + "/.tessary-journal-XXXXXX";
    const int fd = mkostemp(scratch.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot create " + path + ": " + Reason();
        return -1;
    }
    // Locked before it has the journal's name, so no other session can take
    // it between the link and the lock.
    const bool made = fchmod(fd, 0644) == 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                      WriteWhole(fd, header);
    int linked = made ? link(scratch.c_str(), path.c_str()) : -1;
    if (made && linked != 0 && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS)) {
        // A file system without hard links may still rename without replacing.
        linked = renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
    }
    const int saved = errno;
    unlink(scratch.c_str());  // after a rename, nothing has this name any more
    if (linked == 0 && SyncFolderOf(path)) return fd;
    const int failure = linked == 0 ? errno : saved;
    close(fd);
    if (linked == 0) unlink(path.c_str());  // the name is ours: take it back
    errno = failure;
    if (failure != EEXIST) *error = "cannot create " + path + ": " + std::strerror(failure);
    return -1;
}

}  // namespace

CJournalAppender::CJournalAppender(int fd, std::string path) : fd(fd), path(std::move(path)) {}

CJournalAppender::~CJournalAppender() { close(fd); }

std::unique_ptr<CJournalAppender> CJournalAppender::Open(
    const std::string& path, const std::function<std::string()>& makeHeader, std::string* text,
    bool* created, std::string* error) {
    *created = false;
    // Twice at most: a name taken between our look and our link is opened.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int existing = OpenExisting(path, error);
        if (existing >= 0) {
            std::unique_ptr<CJournalAppender> appender(new CJournalAppender(existing, path));
            if (!Lock(existing, path, error) || !ReadAll(existing, path, text, error)) {
                return nullptr;
            }
            if (!text->empty()) {
                // A file cut by hand may end without a line break; the next
                // record must still start on a line of its own.
                appender->endsWithNewline = text->back() == '\n';
                return appender;
            }
            *text = makeHeader();
            if (!WriteWhole(existing, *text)) {
                *error = "cannot write " + path + ": " + Reason();
                return nullptr;
            }
            *created = true;
            return appender;
        }
        if (errno != ENOENT) return nullptr;
        *text = makeHeader();
        const int fresh = CreateWhole(path, *text, error);
        if (fresh >= 0) {
            *created = true;
            return std::unique_ptr<CJournalAppender>(new CJournalAppender(fresh, path));
        }
        if (errno != EEXIST) return nullptr;
    }
    *error = path + " is in use by another Tessary session";
    return nullptr;
}

bool CJournalAppender::Append(const std::string& line) {
    if (failed) return false;
    const std::string data = endsWithNewline ? line : "\n" + line;
    if (!WriteWhole(fd, data)) {
        Fail(Reason());
        return false;
    }
    endsWithNewline = true;
    // Writing to a file that was removed succeeds but keeps nothing.
    struct stat info {};
    if (fstat(fd, &info) == 0 && info.st_nlink == 0) {
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
