#include "platform/sdl/CSdlDialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/sdl/CSdlWindowSystem.h"
#include "support/TempDir.h"

TEST(SdlDialogs, AnswersMapToWin32Results) {
    // {button pressed (-1: closed without an answer), box type, answer}
    const int cases[][3] = {{IDYES, MB_YESNO, IDYES}, {IDNO, MB_YESNO, IDNO},
                            {-1, MB_YESNO, IDNO},  // a question box cannot be closed
                            {IDOK, MB_ICONERROR, IDOK}, {-1, MB_ICONERROR, IDOK},
                            {IDOK, MB_OK, IDOK}};
    for (const auto& [button, type, answer] : cases) {
        EXPECT_EQ(CSdlDialogs::AnswerFromButton(button, static_cast<UINT>(type)), answer)
            << "button " << button << " type " << type;
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
    EXPECT_EQ(dialogs.MessageBoxA(nullptr, "Start?", "Question", MB_YESNO), IDNO);
    EXPECT_EQ(dialogs.MessageBoxA(nullptr, "It failed.", nullptr, MB_ICONERROR), IDOK);
    const std::string err = testing::internal::GetCapturedStderr();
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_EQ(err, "Question: Start?\nError: It failed.\n");
    EXPECT_FALSE(std::filesystem::exists(mark));
}
