// The Win32 twin of replacing files whole (tessary-snapshot.exe's PNG and
// genomes): every file replaced in order, and a failure before the moves
// leaves the old files and no scratch behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/files/AtomicWrite.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::size_t Count(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

}  // namespace

TEST(AtomicReplace, ReplacesEveryFileOrNoneBeforeTheMoves) {
    CTempDir dir;
    const fs::path d = dir.Path();
    dir.Write("old.png", "old picture");
    std::string error;
    ASSERT_TRUE(WriteFilesAtomically({{(d / "old.png").string(), "new picture"},
                                      {(d / "genomes.txt").string(), "1 2 3\n"}},
                                     &error))
        << error;
    EXPECT_EQ(ReadWholeFile(d / "old.png"), "new picture");
    EXPECT_EQ(ReadWholeFile(d / "genomes.txt"), "1 2 3\n");
    EXPECT_EQ(Count(d), 2u);

    // The second file's folder does not exist: its scratch cannot be made.
    const std::string missing = (d / "no-such-folder" / "x.png").string();
    EXPECT_FALSE(WriteFilesAtomically({{(d / "old.png").string(), "lost"}, {missing, "lost"}},
                                      &error));
    EXPECT_EQ(error.rfind("cannot write " + missing + ": ", 0), 0u) << error;
    EXPECT_EQ(ReadWholeFile(d / "old.png"), "new picture");
    EXPECT_EQ(Count(d), 2u);
}
