#include "platform/sdl/CSdlDialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TempDir.h"
#include "platform/sdl/CSdlWindowSystem.h"

TEST(SdlDialogs, AnswersMapToWin32Results) {
    struct Case {
        int button;
        UINT type;
        int answer;
    };
    const Case cases[] = {
        {IDYES, MB_YESNO, IDYES},
        {IDNO, MB_YESNO, IDNO},
        {-1, MB_YESNO, IDNO},  // closed without an answer: a question box cannot be
        {IDOK, MB_ICONERROR, IDOK},
        {-1, MB_ICONERROR, IDOK},
        {IDOK, MB_OK, IDOK},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CSdlDialogs::AnswerFromButton(c.button, c.type), c.answer)
            << "button " << c.button << " type " << c.type;
    }
    // No box could be shown: a question is answered No, anything else OK.
    EXPECT_EQ(CSdlDialogs::AnswerWithoutBox(MB_YESNO), IDNO);
    EXPECT_EQ(CSdlDialogs::AnswerWithoutBox(MB_ICONERROR), IDOK);
}

// Without video the text goes to standard error, and no helper program is
// started for a box: forking a process that runs other threads can hang.
// A stand-in `zenity` first on PATH would leave a mark if one were started.
TEST(SdlDialogs, WithoutVideoTheTextGoesToStandardErrorAndNoHelperStarts) {
    CTempDir dir;
    const std::filesystem::path mark = dir.Path() / "started";
    dir.Write("zenity", "#!/bin/sh\ntouch '" + mark.string() + "'\n");
    std::filesystem::permissions(dir.Path() / "zenity", std::filesystem::perms::owner_all);
    const char* const oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath != nullptr ? oldPath : "";
    setenv("PATH", (dir.Path().string() + ":" + savedPath).c_str(), 1);

    CSdlWindowSystem windows(false);
    CSdlDialogs dialogs(windows);
    testing::internal::CaptureStderr();
    const int question = dialogs.MessageBoxA(nullptr, "Start?", "Question", MB_YESNO);
    const int failure = dialogs.MessageBoxA(nullptr, "It failed.", nullptr, MB_ICONERROR);
    const std::string err = testing::internal::GetCapturedStderr();
    setenv("PATH", savedPath.c_str(), 1);

    EXPECT_EQ(question, IDNO);
    EXPECT_EQ(failure, IDOK);
    EXPECT_EQ(err, "Question: Start?\nError: It failed.\n");
    EXPECT_FALSE(std::filesystem::exists(mark));
}
