#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "config/AppConfig.h"
#include "app/CAppWindow.h"
#include "support/FakeWin32.h"
#include "support/TempDir.h"

TEST(StartUp, OuterSizeAddsTheDialogFrameAndCaptionToTheConfiguredClient) {
    struct Case {
        const char* conf;  // null: no conf.txt
        int outerWidth, outerHeight;
    };
    const Case cases[] = {
        {nullptr, 806, 626},
        {"1 1024 768", 1030, 794},
        {"1 -5 0", 1, 26},
        {"1 2147483647 2147483647", INT_MAX, INT_MAX},  // saturates, never overflows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.conf != nullptr ? c.conf : "no conf.txt");
        CTempDir dir;
        dir.Enter();
        if (c.conf != nullptr) dir.Write("conf.txt", c.conf);
        g_appConfig = AppConfig{};  // one start per process
        CFakeWin32 win32;
        EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
        const std::string expected = "CreateWindowExA(0x0, window, Tessary(?), 0xCA0000, " +
                                     std::to_string(c.outerWidth) + ", " +
                                     std::to_string(c.outerHeight) + ")";
        EXPECT_EQ(win32.callLog->Texts("CreateWindowExA"), std::vector<std::string>{expected});
    }
    g_appConfig = AppConfig{};
}
