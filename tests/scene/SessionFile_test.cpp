// The journal file, on every system: created whole, resumed, refused and
// appended to safely, and kept from a second session.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "genetic/Journal.h"
#include "scene/CBreedingSession.h"
#include "scene/CJournalAppender.h"
#include "support/TempDir.h"

namespace {

// A device that is no file, and how each system refuses to open a folder.
#ifdef _WIN32
constexpr const char* kNotAFile = "NUL";
constexpr const char* kIsADirectory = "Access denied";
#else
constexpr const char* kNotAFile = "/dev/zero";
constexpr const char* kIsADirectory = "Is a directory";
#endif

class SessionFileTest : public ::testing::Test {
protected:
    std::unique_ptr<CBreedingSession> Open(bool hasSeed, unsigned int seed) {
        error.clear();
        return CBreedingSession::Open({hasSeed, seed, path.string()}, 555, &error);
    }

    CTempDir dir;
    std::filesystem::path path = dir.Path() / "session.txt";
    std::string error;
};

TEST_F(SessionFileTest, ANewJournalGetsItsHeaderAndEveryRecordAtOnce) {
    dir.Enter();
    dir.Write("param.txt", "150 -2");
    auto session = Open(false, 0);
    ASSERT_TRUE(session) << error;
    EXPECT_EQ(session->Seed(), 555u);  // the clock's
    EXPECT_EQ(session->Rates()->mutationRate, 100);
    EXPECT_EQ(ReadWholeFile(path), "tessary-journal 1\nseed 555\nrates 100 0\n");
    session->RecordClick(3);
    EXPECT_TRUE(session->Undo());
    EXPECT_FALSE(session->Undo());  // generation 0: nothing written
    EXPECT_EQ(ReadWholeFile(path), "tessary-journal 1\nseed 555\nrates 100 0\nclick 3\nundo\n");
}

TEST_F(SessionFileTest, AnExistingJournalResumesAndAppendsOnALineOfItsOwn) {
    dir.Write("session.txt", "tessary-journal 1\nseed 9\nrates 5 7\nclick 1\nclick 2\nundo\nclick 6");
    auto session = Open(true, 9);  // an agreeing --seed is fine
    ASSERT_TRUE(session) << error;
    EXPECT_EQ(session->Seed(), 9u);
    EXPECT_EQ(session->Rates()->reseedRate, 7);
    EXPECT_EQ(session->Clicks(), (std::vector<int>{1, 6}));
    session->RecordClick(0);
    EXPECT_TRUE(ReadWholeFile(path).ends_with("\nclick 6\nclick 0\n"));
}

TEST_F(SessionFileTest, RefusedJournalsAreLeftAsTheyWere) {
    const std::string valid = "tessary-journal 1\nseed 9\nrates 5 7\n";
    struct Case {
        std::string text;
        bool hasSeed;
        const char* error;
    };
    const Case cases[] = {{valid, true, "disagrees with the seed 9"},
                          {valid + "click 1\nredo\n", false, "line 5: unknown record 'redo'"},
                          {"tessary-journal 1\n", false, "line 1:"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        dir.Write("session.txt", c.text);
        EXPECT_FALSE(Open(c.hasSeed, 10));
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(ReadWholeFile(path), c.text);
    }
}

TEST_F(SessionFileTest, WhatIsNoJournalFileIsRefusedWithTheReasonAndWithoutReadingIt) {
    const std::filesystem::path huge = dir.Path() / "huge.txt";
    dir.Write("huge.txt", "");
    std::filesystem::resize_file(huge, kMaxJournalBytes + 1);  // sparse: reading it would take long
    std::vector<std::pair<std::string, std::string>> cases = {
        {huge.string(), "larger than 256 MiB"},
        {dir.Path().string(), "cannot open " + dir.Path().string() + ": " + kIsADirectory},
        {kNotAFile, std::string(kNotAFile) + " is not a regular file"},
    };
#ifndef _WIN32
    const std::filesystem::path fifo = dir.Path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // reading it would wait for ever
    cases.push_back({fifo.string(), "is not a regular file"});
#endif
    for (const auto& [where, expected] : cases) {
        SCOPED_TRACE(where);
        EXPECT_FALSE(CBreedingSession::Open({false, 0, where}, 1, &error));
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
}

TEST_F(SessionFileTest, AJournalAppearsWholeAndAnEmptyFileIsTakenAsANewOne) {
    dir.Enter();
    for (const bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "an empty file" : "no file");
        std::filesystem::remove(path);
        if (empty) dir.Write("session.txt", "");
        auto session = Open(true, 77);
        ASSERT_TRUE(session) << error;
        EXPECT_EQ(ReadWholeFile(path), "tessary-journal 1\nseed 77\nrates 10 50\n");
        // The header was written under another name: nothing of that is left.
        const auto entries = std::distance(std::filesystem::directory_iterator(dir.Path()),
                                           std::filesystem::directory_iterator());
        EXPECT_EQ(entries, 1);
    }
}

TEST_F(SessionFileTest, ASecondSessionOnTheSameJournalIsRefused) {
    dir.Enter();
    auto first = Open(true, 4);
    ASSERT_TRUE(first) << error;
    EXPECT_FALSE(Open(true, 4));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
    first.reset();
    EXPECT_TRUE(Open(true, 4)) << error;
}

TEST_F(SessionFileTest, AJournalRemovedMidSessionIsReportedOnceAndTheSessionGoesOn) {
#ifdef _WIN32
    // Wine 8 unlinks a deleted file only when its last handle closes, and till
    // then shows none of Windows's signs: DeletePending is false, it has one
    // link, and its name still opens as the same file.
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr) {
        GTEST_SKIP() << "Wine keeps a deleted journal whole while it is open";
    }
#endif
    dir.Enter();
    auto session = Open(true, 4);
    ASSERT_TRUE(session) << error;
    std::filesystem::remove(path);
    testing::internal::CaptureStderr();
    session->RecordClick(1);
    session->RecordClick(2);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("session.txt"), std::string::npos) << said;
    EXPECT_EQ(said.find("session.txt"), said.rfind("session.txt")) << "said more than once";
    EXPECT_EQ(session->Clicks(), (std::vector<int>{1, 2}));
}

// The program's paths are UTF-8 on every system (wide only at the Win32 calls).
TEST_F(SessionFileTest, AJournalInAFolderWithANonAsciiNameWorks) {
    dir.Enter();
    const std::filesystem::path folder = dir.Path() / u8"Züchtung 育種";
    std::filesystem::create_directory(folder);
    const std::u8string utf8 = (folder / "session.txt").u8string();
    const std::string name(utf8.begin(), utf8.end());
    for (int run = 0; run < 2; ++run) {  // created, then resumed
        auto session = CBreedingSession::Open({true, 6, name}, 1, &error);
        ASSERT_TRUE(session) << error;
        session->RecordClick(run);
    }
    EXPECT_EQ(ReadWholeFile(folder / "session.txt"),
              "tessary-journal 1\nseed 6\nrates 10 50\nclick 0\nclick 1\n");
}

}  // namespace
