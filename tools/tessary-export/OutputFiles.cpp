#include "OutputFiles.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

namespace {

std::string Reason(int error) { return std::strerror(error); }

class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : fd(fd) {}
    ~CFileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return fd; }
    // Syncs and closes now, reporting the result: a failed close can mean
    // lost data.
    bool SyncAndClose(std::string* error) {
        const bool synced = ::fsync(fd) == 0;
        const int syncError = errno;
        const bool closed = ::close(fd) == 0;
        fd = -1;
        if (synced && closed) return true;
        *error = Reason(synced ? errno : syncError);
        return false;
    }

private:
    int fd;
};

}  // namespace

CScratchDirectory::CScratchDirectory(const fs::path& target) {
    const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string pattern = (parent / ".tessary-export-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        failure = Reason(errno);
        return;
    }
    path = pattern;
}

CScratchDirectory::~CScratchDirectory() {
    std::error_code ignored;  // a destructor must not throw
    if (!path.empty()) fs::remove_all(path, ignored);
}

bool CScratchDirectory::Created(std::string* error) const {
    if (!path.empty()) return true;
    *error = failure;
    return false;
}

bool WriteAndSync(const fs::path& path, const unsigned char* data, std::size_t size,
                  std::string* error) {
    CFileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.Get() < 0) {
        *error = Reason(errno);
        return false;
    }
    while (size > 0) {
        const ssize_t written = ::write(file.Get(), data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            *error = written < 0 ? Reason(errno) : "nothing could be written";
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return file.SyncAndClose(error);
}

bool ReadAndSync(const fs::path& path, std::vector<unsigned char>* bytes, std::string* error) {
    CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        *error = Reason(errno);
        return false;
    }
    bytes->clear();
    unsigned char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            *error = Reason(errno);
            return false;
        }
        if (got == 0) break;
        bytes->insert(bytes->end(), chunk, chunk + got);
    }
    return file.SyncAndClose(error);
}

bool RenameIntoPlace(const fs::path& scratch, const std::vector<std::string>& names,
                     const fs::path& directory, std::string* error) {
    for (const std::string& name : names) {
        if (::rename((scratch / name).c_str(), (directory / name).c_str()) != 0) {
            *error = Reason(errno);
            return false;
        }
    }
    // The renames themselves last only once the directory is on disk.
    CFileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) ::fsync(dir.Get());
    return true;
}
