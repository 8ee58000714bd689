// A fresh temporary directory for a test, removed with everything in it when
// the object goes; optionally the current directory for its lifetime.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

class CTempDir {
public:
    CTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessary-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        path = pattern;
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
