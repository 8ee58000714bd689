#include "platform/files/ReadRegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/files/CFileDescriptor.h"

namespace {

bool Refuse(const std::string& path, const std::string& reason, std::string* error) {
    *error = "cannot read " + path + ": " + reason;
    return false;
}

}  // namespace

bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string* text,
                     std::string* error) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer. It changes nothing for a regular file.
    const CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.Valid()) return Refuse(path, std::strerror(errno), error);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) return Refuse(path, std::strerror(errno), error);
    if (S_ISDIR(info.st_mode)) return Refuse(path, std::strerror(EISDIR), error);
    if (!S_ISREG(info.st_mode)) return Refuse(path, "not a regular file", error);
    const std::string tooLarge = "larger than " + std::to_string(maxBytes) + " bytes";
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        return Refuse(path, tooLarge, error);
    }

    text->reserve(static_cast<std::size_t>(info.st_size));
    return ReadToEnd(file.Get(), path, maxBytes, "cannot read " + path + ": " + tooLarge, text,
                     error);
}

bool ReadToEnd(FileHandle file, const std::string& path, std::size_t maxBytes,
               const std::string& tooLarge, std::string* text, std::string* error) {
    text->clear();
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Refuse(path, std::strerror(errno), error);
        if (got == 0) return true;
        if (static_cast<std::size_t>(got) > maxBytes - text->size()) {
            *error = tooLarge;
            return false;
        }
        text->append(chunk, static_cast<std::size_t>(got));
    }
}
