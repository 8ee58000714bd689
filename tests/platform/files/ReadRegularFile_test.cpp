#include "platform/files/ReadRegularFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace {

struct ReadCase {
    const char* name;     // in the temporary directory, or an absolute path
    std::size_t maxBytes;
    const char* expected;  // the text, or the end of the error
    bool reads;
};

TEST(ReadRegularFile, ReadsOnlyRegularFilesWithinTheLimitAndSaysWhyNot) {
    CTempDir dir;
    dir.Write("three", "abc");
    ASSERT_EQ(mkfifo((dir.Path() / "fifo").c_str(), 0600), 0);  // would block a plain open
    const ReadCase cases[] = {
        {"three", 3, "abc", true},
        {"three", 2, ": larger than 2 bytes", false},
        {"missing", 9, ": No such file or directory", false},
        {".", 9, ": Is a directory", false},
        {"fifo", 9, ": not a regular file", false},
        {"/dev/null", 9, ": not a regular file", false},
    };
    for (const ReadCase& c : cases) {
        const std::string path = c.name[0] == '/' ? c.name : (dir.Path() / c.name).string();
        std::string text = "stale";
        std::string error;
        EXPECT_EQ(ReadRegularFile(path, c.maxBytes, &text, &error), c.reads) << c.name;
        EXPECT_EQ(c.reads ? text : error,
                  c.reads ? std::string(c.expected) : "cannot read " + path + c.expected);
    }
}

}  // namespace
