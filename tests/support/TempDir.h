// A fresh temporary directory for a test, removed with everything in it when
// the object goes; optionally the current directory for its lifetime.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

class CTempDir {
public:
    CTempDir() {
        // A new name of our own, on every system (mkdtemp is POSIX only).
        std::random_device random;
        std::error_code error;
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
            auto candidate = std::filesystem::temp_directory_path(error) /
                             ("tessary-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate, error)) path = candidate;
        }
        if (path.empty()) ADD_FAILURE() << "cannot make a temporary directory";
    }
    ~CTempDir() {
        std::error_code ignored;  // a destructor must not throw
        if (!previous.empty()) std::filesystem::current_path(previous, ignored);
        std::filesystem::remove_all(path, ignored);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return path; }

    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(path / name, std::ios::binary) << text;
    }

    // Makes this directory the current one until the object goes.
    void Enter() {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(path);
    }

private:
    std::filesystem::path path;
    std::filesystem::path previous;
};

// A file's whole contents as bytes ("" when it cannot be read).
inline std::string ReadWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
