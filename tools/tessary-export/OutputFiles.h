// The file system side of an export: files are written into a private
// directory beside their target, synced, and only then renamed into place,
// so a file already at the target is replaced whole or not at all.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A fresh directory next to a target path, removed with whatever is left in
// it when the object goes.
class CScratchDirectory {
public:
    explicit CScratchDirectory(const std::filesystem::path& target);
    ~CScratchDirectory();
    CScratchDirectory(const CScratchDirectory&) = delete;
    CScratchDirectory& operator=(const CScratchDirectory&) = delete;

    // False, with the reason in `error`, when the directory could not be made.
    bool Created(std::string* error) const;
    const std::filesystem::path& Path() const { return path; }

private:
    std::filesystem::path path;
    std::string failure;
};

// Creates `path` (which must not exist), writes all of `data` and syncs it;
// every step is checked.
bool WriteAndSync(const std::filesystem::path& path, const unsigned char* data, std::size_t size,
                  std::string* error);

// Reads the whole of a file someone else wrote into `bytes` and syncs it.
bool ReadAndSync(const std::filesystem::path& path, std::vector<unsigned char>* bytes,
                 std::string* error);

// Renames each of `names` from `scratch` into `directory`, in order, then
// syncs `directory`. Stops at the first failure.
bool RenameIntoPlace(const std::filesystem::path& scratch, const std::vector<std::string>& names,
                     const std::filesystem::path& directory, std::string* error);
