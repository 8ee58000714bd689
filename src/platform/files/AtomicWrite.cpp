#include "platform/files/AtomicWrite.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/files/CFileDescriptor.h"
#include "platform/files/CScratchDirectory.h"

namespace {

// As the kernel's own limit on links followed in one path.
constexpr int kMaxLinks = 40;

std::string Reason() { return std::strerror(errno); }

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates `path`, gives it `mode` when the target had one (the umask's
// choice otherwise), writes all of `bytes`, syncs and closes it.
bool WriteAndSync(const std::string& path, std::string_view bytes, const mode_t* mode,
                  std::string* reason) {
    CFileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.Valid() || (mode != nullptr && ::fchmod(file.Get(), *mode) != 0)) {
        *reason = Reason();
        return false;
    }
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(file.Get(), data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            *reason = written < 0 ? Reason() : "nothing could be written";
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fsync(file.Get()) != 0) {
        *reason = Reason();
        return false;
    }
    if (!file.Close()) {
        *reason = Reason();
        return false;
    }
    return true;
}

bool SyncDirectory(const std::string& directory, std::string* reason) {
    CFileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.Valid() || ::fsync(dir.Get()) != 0) {
        *reason = Reason();
        return false;
    }
    return true;
}

struct StagedFile {
    const FileToWrite* file;
    std::string target;   // the resolved path replaced
    std::string scratch;  // where the new file is written first
};

}  // namespace

bool ResolveFinalPath(const std::string& path, std::string* resolved, std::string* error) {
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat info {};
        // A path that cannot be looked at is left for the write to report.
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            *resolved = current;
            return true;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
            *error = "cannot follow the link " + current + ": " +
                     (length < 0 ? Reason() : std::strerror(ENAMETOOLONG));
            return false;
        }
        target.resize(static_cast<std::size_t>(length));
        current = target.starts_with('/') ? target : DirectoryOf(current) + "/" + target;
    }
    *error = "cannot follow the link " + path + ": " + std::strerror(ELOOP);
    return false;
}

namespace {

// Both writers: replacing renames each file over its target (links at the
// target followed); creating links each one to its name, which fails on any
// name that exists, and unlinks the files it made when a later one fails.
bool WriteStaged(const std::vector<FileToWrite>& files, bool createOnly, std::string* error) {
    std::vector<StagedFile> staged;
    struct Scratch {
        std::string directory;
        std::unique_ptr<CScratchDirectory> scratch;
    };
    std::vector<Scratch> scratches;  // one a target directory
    std::string reason;
    for (const FileToWrite& file : files) {
        StagedFile entry{&file, "", ""};
        if (createOnly) {
            entry.target = file.path;
        } else if (!ResolveFinalPath(file.path, &entry.target, error)) {
            return false;
        }
        const std::string name = NameOf(entry.target);
        if (name.empty() || name == "." || name == "..") {
            *error = "cannot write " + file.path + ": not a file name";
            return false;
        }
        for (const StagedFile& other : staged) {
            if (other.target == entry.target) {
                *error = "cannot write " + file.path + " twice at once";
                return false;
            }
        }
        const std::string directory = DirectoryOf(entry.target);
        auto scratch = std::find_if(scratches.begin(), scratches.end(),
                                    [&](const Scratch& s) { return s.directory == directory; });
        if (scratch == scratches.end()) {
            scratches.push_back({directory, std::make_unique<CScratchDirectory>(directory)});
            scratch = scratches.end() - 1;
            if (!scratch->scratch->Created(&reason)) {
                *error = "cannot write " + file.path + ": " + reason;
                return false;
            }
        }
        entry.scratch = scratch->scratch->FilePath(name);
        // A file replaced keeps its permission bits; a new one gets the umask's.
        struct stat old {};
        const bool replacing = ::stat(entry.target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
        const mode_t mode = old.st_mode & 0777;
        if (!WriteAndSync(entry.scratch, file.bytes, replacing ? &mode : nullptr, &reason)) {
            *error = "cannot write " + file.path + ": " + reason;
            return false;
        }
        staged.push_back(std::move(entry));
    }

    for (std::size_t i = 0; i < staged.size(); ++i) {
        const StagedFile& entry = staged[i];
        if (createOnly) {
            if (::link(entry.scratch.c_str(), entry.target.c_str()) != 0) {
                *error = "cannot create " + entry.file->path + ": " + Reason();
                for (std::size_t made = 0; made < i; ++made) ::unlink(staged[made].target.c_str());
                return false;
            }
        } else if (::rename(entry.scratch.c_str(), entry.target.c_str()) != 0) {
            *error = "cannot replace " + entry.file->path + ": " + Reason();
            return false;
        }
    }
    scratches.clear();  // removes the emptied scratch directories before the syncs
    std::vector<std::string> synced;
    for (const StagedFile& entry : staged) {
        const std::string directory = DirectoryOf(entry.target);
        if (std::find(synced.begin(), synced.end(), directory) != synced.end()) continue;
        if (!SyncDirectory(directory, &reason)) {
            *error = "wrote " + entry.file->path + " but cannot sync its directory " + directory +
                     ": " + reason;
            return false;
        }
        synced.push_back(directory);
    }
    return true;
}

}  // namespace

bool WriteFilesAtomically(const std::vector<FileToWrite>& files, std::string* error) {
    return WriteStaged(files, false, error);
}

bool WriteNewFilesAtomically(const std::vector<FileToWrite>& files, std::string* error) {
    return WriteStaged(files, true, error);
}
