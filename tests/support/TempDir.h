// A fresh temporary directory for a test, removed with everything in it when
// the object goes; optionally the current directory for its lifetime.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class CTempDir {
public:
    CTempDir() {
        std::error_code error;
        std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error) base = "/tmp";
        std::string pattern = (base / "tessary-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        path = pattern;
    }
    ~CTempDir() {
        std::error_code ignored;
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
        std::error_code error;
        if (previous.empty()) previous = std::filesystem::current_path(error);
        std::filesystem::current_path(path, error);
        if (error) ADD_FAILURE() << "cannot enter " << path;
    }

private:
    std::filesystem::path path;
    std::filesystem::path previous;
};
