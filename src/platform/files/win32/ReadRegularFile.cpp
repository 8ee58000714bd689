// ReadRegularFile on Windows: only a file on disk is read (not a console, a
// pipe or a device such as NUL; a folder cannot be opened as a file).
#include "platform/files/ReadRegularFile.h"

#include "platform/files/win32/Win32Text.h"

namespace {

bool Refuse(const std::string& path, const std::string& reason, std::string* error) {
    *error = "cannot read " + path + ": " + reason;
    return false;
}

class CHandle {
public:
    explicit CHandle(HANDLE handle) : handle(handle) {}
    ~CHandle() {
        if (Valid()) CloseHandle(handle);
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    bool Valid() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle; }

private:
    HANDLE handle;
};

}  // namespace

bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string* text,
                     std::string* error) {
    const CHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return Refuse(path, SystemMessage(GetLastError()), error);
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return Refuse(path, "not a regular file", error);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        return Refuse(path, SystemMessage(GetLastError()), error);
    }
    const std::string tooLarge = "larger than " + std::to_string(maxBytes) + " bytes";
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        return Refuse(path, tooLarge, error);
    }

    text->reserve(static_cast<std::size_t>(size.QuadPart));
    return ReadToEnd(file.Get(), path, maxBytes, "cannot read " + path + ": " + tooLarge, text,
                     error);
}

bool ReadToEnd(FileHandle file, const std::string& path, std::size_t maxBytes,
               const std::string& tooLarge, std::string* text, std::string* error) {
    text->clear();
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            return Refuse(path, SystemMessage(GetLastError()), error);
        }
        if (got == 0) return true;
        if (got > maxBytes - text->size()) {
            *error = tooLarge;
            return false;
        }
        text->append(chunk, got);
    }
}
