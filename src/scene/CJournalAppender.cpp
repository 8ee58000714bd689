#include "scene/CJournalAppender.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string Reason() { return std::strerror(errno); }

// Takes the file's exclusive lock without waiting.
bool Lock(int fd, const std::string& path, std::string* error) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    *error = errno == EWOULDBLOCK ? path + " is in use by another Tessary session"
                                  : "cannot lock " + path + ": " + Reason();
    return false;
}

// Writes all of `data` at the end of the file; on a short write the file is
// cut back to its old length so no partial record stays behind.
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

// Syncs the directory holding `path`, so a newly created file's name is on
// disk as well as its contents.
void SyncDirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

CJournalAppender::CJournalAppender(int fd, std::string path, bool endsWithNewline)
    : fd(fd), path(std::move(path)), endsWithNewline(endsWithNewline) {}

CJournalAppender::~CJournalAppender() { close(fd); }

std::unique_ptr<CJournalAppender> CJournalAppender::Create(const std::string& path,
                                                           const std::string& header,
                                                           std::string* error) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        *error = "cannot create " + path + ": " + Reason();
        return nullptr;
    }
    std::unique_ptr<CJournalAppender> appender(new CJournalAppender(fd, path, true));
    if (!Lock(fd, path, error)) return nullptr;
    if (!WriteWhole(fd, header)) {
        *error = "cannot write " + path + ": " + Reason();
        unlink(path.c_str());
        return nullptr;
    }
    SyncDirectoryOf(path);
    return appender;
}

std::unique_ptr<CJournalAppender> CJournalAppender::OpenExisting(const std::string& path,
                                                                 std::string* text,
                                                                 std::string* error) {
    const int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot open " + path + ": " + Reason();
        return nullptr;
    }
    std::unique_ptr<CJournalAppender> appender(new CJournalAppender(fd, path, true));
    if (!Lock(fd, path, error)) return nullptr;
    text->clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = "cannot read " + path + ": " + Reason();
            return nullptr;
        }
        if (n == 0) break;
        text->append(buffer, static_cast<std::size_t>(n));
    }
    appender->endsWithNewline = text->empty() || text->back() == '\n';
    return appender;
}

bool CJournalAppender::Append(const std::string& line) {
    if (failed) return false;
    // A file cut by hand may end without a line break; the record must
    // still start on a line of its own.
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
