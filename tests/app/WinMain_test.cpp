#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "support/TempDir.h"
#include "app/AppConfig.h"
#include "app/CAppWindow.h"
#include "support/FakeWin32.h"

namespace {

constexpr const char* kInitFailed = "Direct3Dの初期化に失敗。";

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        g_appConfig = AppConfig{};
        dir.Enter();
    }
    void TearDown() override { g_appConfig = AppConfig{}; }

    CTempDir dir;
    CFakeWin32 win32;
};

struct OuterSizeCase {
    const char* conf;
    int outerWidth;
    int outerHeight;
};

TEST_F(StartUp, OuterSizeAddsTheDialogFrameAndCaptionToTheConfiguredClient) {
    const OuterSizeCase cases[] = {
        {nullptr, 806, 626},
        {"1 1024 768", 1030, 794},
        {"0", 806, 626},
        {"1 -5 0", 1, 26},
        {"1 2147483647 2147483647", INT_MAX, INT_MAX},  // saturates, never overflows
    };
    for (const OuterSizeCase& c : cases) {
        SCOPED_TRACE(c.conf != nullptr ? c.conf : "no conf.txt");
        std::filesystem::remove(dir.Path() / "conf.txt");
        if (c.conf != nullptr) dir.Write("conf.txt", c.conf);
        g_appConfig = AppConfig{};  // one start per process
        CFakeWin32 fresh;
        EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
        const std::string expected = "CreateWindowExA(0x0, window, Tessary(?), 0xCA0000, " +
                                     std::to_string(c.outerWidth) + ", " +
                                     std::to_string(c.outerHeight) + ")";
        EXPECT_TRUE(fresh.log.Contains(expected)) << fresh.log.Dump();
    }
}

TEST_F(StartUp, AWindowThatCannotBeMadeEndsInTheSameFailure) {
    win32.windows.failCreate = true;
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    ASSERT_EQ(win32.dialogs.shown.size(), 1u);
    EXPECT_EQ(win32.dialogs.shown[0].text, kInitFailed);
}

}  // namespace
