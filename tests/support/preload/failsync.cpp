// failsync.so: preloaded (LD_PRELOAD) into a program under test, it lets a
// test see and break what the program does to make its files durable,
// without strace. Set in the environment:
//
//   TESSARY_SYNC_LOG=FILE        append one line per call to FILE:
//                                  write PATH, fsync PATH, fdatasync PATH,
//                                  rename FROM TO, link FROM TO
//                                (descriptors named through /proc/self/fd,
//                                relative paths made absolute)
//   TESSARY_FAIL_SYNC=N          the Nth fsync or fdatasync of the process
//                                and every later one fail with EIO without
//                                syncing (1: all of them), as on a dying disk
//   TESSARY_SIGNAL_AT_SYNC=N:SIG the Nth sync raises signal SIG first
//   TESSARY_SYNC_MATCH=TEXT      only syncs of paths holding TEXT are counted
//                                (and so fail or raise); all are logged
//
// The real calls are reached with dlsym(RTLD_NEXT). It is built without the
// sanitizers; preloaded into a sanitized program, that program needs
// ASAN_OPTIONS=verify_asan_link_order=0.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

using WriteFn = ssize_t (*)(int, const void*, size_t);
using SyncFn = int (*)(int);
using RenameFn = int (*)(const char*, const char*);
using RenameAtFn = int (*)(int, const char*, int, const char*);
using LinkFn = int (*)(const char*, const char*);

// `path` as an absolute path, relative ones taken from `dirfd`.
void Absolute(int dirfd, const char* path, char* out, std::size_t size) {
    if (path[0] == '/') {
        std::snprintf(out, size, "%s", path);
        return;
    }
    char base[PATH_MAX] = "?";
    if (dirfd == AT_FDCWD) {
        if (getcwd(base, sizeof base) == nullptr) std::strcpy(base, "?");
    } else {
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
        const ssize_t n = readlink(link, base, sizeof base - 1);
        base[n > 0 ? n : 0] = '\0';
    }
    std::snprintf(out, size, "%s/%s", base, path);
}

void NameOfFd(int fd, char* out, std::size_t size) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, out, size - 1);
    if (n < 0) {
        std::snprintf(out, size, "fd%d", fd);
    } else {
        out[n] = '\0';
    }
}

void Log(const char* verb, const char* first, const char* second = nullptr) {
    const char* path = std::getenv("TESSARY_SYNC_LOG");
    if (path == nullptr || path[0] == '\0') return;
    const int saved = errno;
    char line[3 * PATH_MAX];
    const int length = std::snprintf(line, sizeof line, "%s %s%s%s\n", verb, first,
                                     second ? " " : "", second ? second : "");
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        // One write a line, so lines from several threads do not mix.
        static const WriteFn realWrite = Real<WriteFn>("write");
        if (length > 0) realWrite(fd, line, std::min<std::size_t>(length, sizeof line - 1));
        close(fd);
    }
    errno = saved;
}

// Counts this sync of `path`; says whether it is to fail, raising the
// signal asked for.
bool SyncFails(const char* path) {
    const char* match = std::getenv("TESSARY_SYNC_MATCH");
    if (match != nullptr && std::strstr(path, match) == nullptr) return false;
    static std::atomic<long> syncs{0};
    const long n = ++syncs;
    if (const char* at = std::getenv("TESSARY_SIGNAL_AT_SYNC")) {
        long when = 0;
        int sig = 0;
        if (std::sscanf(at, "%ld:%d", &when, &sig) == 2 && when == n) raise(sig);
    }
    const char* from = std::getenv("TESSARY_FAIL_SYNC");
    const long first = from != nullptr ? std::atol(from) : 0;
    return first >= 1 && n >= first;
}

int Sync(const char* name, int fd) {
    char path[PATH_MAX];
    NameOfFd(fd, path, sizeof path);
    Log(name, path);
    if (SyncFails(path)) {
        errno = EIO;
        return -1;
    }
    return Real<SyncFn>(name)(fd);
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* data, size_t size) {
    static const WriteFn real = Real<WriteFn>("write");
    if (std::getenv("TESSARY_SYNC_LOG") != nullptr) {
        char path[PATH_MAX];
        NameOfFd(fd, path, sizeof path);
        Log("write", path);
    }
    return real(fd, data, size);
}

int fsync(int fd) { return Sync("fsync", fd); }

int fdatasync(int fd) { return Sync("fdatasync", fd); }

int rename(const char* from, const char* to) noexcept {
    char a[PATH_MAX];
    char b[PATH_MAX];
    Absolute(AT_FDCWD, from, a, sizeof a);
    Absolute(AT_FDCWD, to, b, sizeof b);
    Log("rename", a, b);
    return Real<RenameFn>("rename")(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) noexcept {
    char a[PATH_MAX];
    char b[PATH_MAX];
    Absolute(fromDir, from, a, sizeof a);
    Absolute(toDir, to, b, sizeof b);
    Log("rename", a, b);
    return Real<RenameAtFn>("renameat")(fromDir, from, toDir, to);
}

int link(const char* from, const char* to) noexcept {
    char a[PATH_MAX];
    char b[PATH_MAX];
    Absolute(AT_FDCWD, from, a, sizeof a);
    Absolute(AT_FDCWD, to, b, sizeof b);
    Log("link", a, b);
    return Real<LinkFn>("link")(from, to);
}

}  // extern "C"
