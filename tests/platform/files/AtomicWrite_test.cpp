#include "platform/files/AtomicWrite.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicWrite, ReplacesWholeKeepingModesAndLinksAndLeavesNoScratch) {
    CTempDir dir;
    const fs::path d = dir.Path();
    fs::create_directory(d / "real");
    dir.Write("real/locked", "old");
    chmod((d / "real/locked").c_str(), 0440);
    fs::create_symlink("real/locked", d / "near");   // relative to the link's directory
    fs::create_symlink(d / "near", d / "far");       // a link to a link
    fs::create_symlink("real/new", d / "dangling");  // made where it points
    const mode_t previous = umask(022);
    std::string error;
    const std::vector<FileToWrite> files = {
        {(d / "far").string(), "one"}, {(d / "plain").string(), "two"},
        {(d / "dangling").string(), "three"}};
    ASSERT_TRUE(WriteFilesAtomically(files, &error)) << error;
    umask(previous);
    EXPECT_EQ(ReadWholeFile(d / "real/locked"), "one");
    EXPECT_EQ(ModeOf(d / "real/locked"), 0440u);
    EXPECT_TRUE(fs::is_symlink(d / "far") && fs::is_symlink(d / "near"));
    EXPECT_EQ(ReadWholeFile(d / "plain"), "two");
    EXPECT_EQ(ModeOf(d / "plain"), 0644u);
    EXPECT_EQ(ReadWholeFile(d / "real/new"), "three");
    EXPECT_EQ(Entries(d), (std::vector<std::string>{"dangling", "far", "near", "plain", "real"}));
    EXPECT_EQ(Entries(d / "real"), (std::vector<std::string>{"locked", "new"}));
}

TEST(AtomicWrite, AFailureBeforeTheRenamesChangesNothingAndNamesTheFile) {
    CTempDir dir;
    const fs::path d = dir.Path();
    dir.Write("kept", "old");
    fs::create_symlink("loop", d / "loop");
    struct Case {
        fs::path second;
        std::string error;
    };
    const Case cases[] = {
        {d / "missing/file", "cannot write " + (d / "missing/file").string() +
                                 ": No such file or directory"},
        {d / "loop", "cannot follow the link " + (d / "loop").string() +
                         ": Too many levels of symbolic links"},
        {d / "kept", "cannot write " + (d / "kept").string() + " twice at once"},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::vector<FileToWrite> files = {{(d / "kept").string(), "new"},
                                                {c.second.string(), "x"}};
        EXPECT_FALSE(WriteFilesAtomically(files, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(ReadWholeFile(d / "kept"), "old");
        EXPECT_EQ(Entries(d), (std::vector<std::string>{"kept", "loop"}));
    }
}

TEST(AtomicWrite, CreatingNeverReplacesAndLeavesNeitherFileWhenOneExists) {
    CTempDir dir;
    const fs::path d = dir.Path();
    dir.Write("b.png", "old");
    fs::create_symlink("elsewhere", d / "c.png");  // a dangling link is taken too
    std::string error;
    for (const char* taken : {"b.png", "c.png"}) {
        const std::vector<FileToWrite> files = {{(d / "a.stl").string(), "solid"},
                                                {(d / taken).string(), "picture"}};
        EXPECT_FALSE(WriteNewFilesAtomically(files, &error));
        EXPECT_EQ(error, "cannot create " + (d / taken).string() + ": File exists");
        EXPECT_EQ(Entries(d), (std::vector<std::string>{"b.png", "c.png"}));
    }
    EXPECT_EQ(ReadWholeFile(d / "b.png"), "old");
    ASSERT_TRUE(WriteNewFilesAtomically({{(d / "a.stl").string(), "solid"}}, &error)) << error;
    EXPECT_EQ(ReadWholeFile(d / "a.stl"), "solid");
    EXPECT_EQ(Entries(d), (std::vector<std::string>{"a.stl", "b.png", "c.png"}));
}

}  // namespace
