#include "gfx/CDXContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/AppConfig.h"
#include "platform/d3d9/recording/CRecordingJournal.h"
#include "support/FakeWin32.h"

namespace {

// A recording Direct3D behind Direct3DCreate9 and the Win32 fakes, sharing
// one log; `window` is a created fake window.
class ContextTest : public ::testing::Test {
protected:
    ContextTest()
        : direct3d([journal = journal](UINT) { return CreateRecordingDirect3D9(journal); }) {
        g_appConfig = AppConfig{};
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpszClassName = "test";
        RegisterClassExA(&wc);
        window = CreateWindowExA(0, "test", "", WS_CAPTION, 0, 0, 806, 626, nullptr, nullptr,
                                 nullptr, nullptr);
        win32.log.AttachJournal(journal);
        win32.log.Clear();
    }
    ~ContextTest() override { g_appConfig = AppConfig{}; }

    std::string CreateDeviceText() {
        const std::vector<std::string> texts = journal->Texts("D3D9.CreateDevice");
        return texts.empty() ? std::string() : texts.back();
    }

    std::shared_ptr<CRecordingJournal> journal = std::make_shared<CRecordingJournal>();
    CFakeWin32 win32;
    CDirect3DFactoryScope direct3d;
    HWND window = nullptr;
};

// --- failure points -------------------------------------------------------------

struct FailureCase {
    const char* name;
    const char* failing;  // journal call to fail, null: no Direct3D at all
    HRESULT result;
    const char* notReached;  // a call that must not happen after the failure
};

class ContextFailure : public ContextTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ContextFailure, CreateReturnsOneAndReleaseFreesWhatWasMade) {
    const FailureCase& c = GetParam();
    std::unique_ptr<CDirect3DFactoryScope> missing;
    if (c.failing == nullptr) {
        missing = std::make_unique<CDirect3DFactoryScope>(Direct3DFactory{});
    } else {
        journal->InjectFailure(c.failing, c.result);
    }

    CDXContext context;
    EXPECT_EQ(context.Create(window, true), 1);
    EXPECT_EQ(context.device, nullptr);
    EXPECT_EQ(context.d3d != nullptr, c.failing != nullptr);
    if (c.notReached != nullptr) {
        EXPECT_EQ(journal->Count(c.notReached), 0u);
    }

    context.Release();
    EXPECT_EQ(context.d3d, nullptr);
    EXPECT_EQ(journal->Count("Release"), 0u);  // no device to release
    EXPECT_EQ(journal->Count("D3D9.Release"), c.failing != nullptr ? 1u : 0u);
    EXPECT_EQ(journal->LiveObjects(), 0);
    // Create reports; it shows nothing itself.
    EXPECT_TRUE(win32.dialogs.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Points, ContextFailure,
    ::testing::Values(
        FailureCase{"NoDirect3D", nullptr, S_OK, nullptr},
        FailureCase{"DisplayMode", "D3D9.GetAdapterDisplayMode", D3DERR_NOTAVAILABLE,
                    "D3D9.CheckDeviceFormat"},
        FailureCase{"DepthFormatNotAvailable", "D3D9.CheckDeviceFormat", D3DERR_NOTAVAILABLE,
                    "D3D9.GetDeviceCaps"},
        FailureCase{"Caps", "D3D9.GetDeviceCaps", D3DERR_INVALIDCALL,
                    "D3D9.CheckDeviceMultiSampleType"},
        FailureCase{"CreateDevice", "D3D9.CreateDevice", D3DERR_NOTAVAILABLE, nullptr}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(ContextTest, DepthFormatQueryFailingOtherwiseIsNotAnAnswer) {
    journal->InjectFailure("D3D9.CheckDeviceFormat", E_FAIL);
    CDXContext context;
    EXPECT_EQ(context.Create(window, true), 0);
    EXPECT_NE(context.device, nullptr);
}

// --- vertex processing and multisampling ---------------------------------------

struct ChoiceCase {
    const char* name;
    DWORD vertexProcessingCaps;
    int failingMultisampleCheck;  // 0: none, 1: the display format, 2: D16
    std::size_t multisampleChecks;
    const char* behaviour;
    D3DMULTISAMPLE_TYPE multiSample;
};

class ContextChoice : public ContextTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ContextChoice, CapsAndMultisampleAnswersDecideTheDevice) {
    const ChoiceCase& c = GetParam();
    journal->vertexProcessingCaps = c.vertexProcessingCaps;
    if (c.failingMultisampleCheck > 0) {
        journal->InjectFailure("D3D9.CheckDeviceMultiSampleType", D3DERR_NOTAVAILABLE,
                               c.failingMultisampleCheck - 1);
    }

    CDXContext context;
    ASSERT_EQ(context.Create(window, true), 0);
    EXPECT_EQ(journal->Count("D3D9.CheckDeviceMultiSampleType"), c.multisampleChecks);
    EXPECT_EQ(context.presentParams.MultiSampleType, c.multiSample);
    EXPECT_NE(CreateDeviceText().find(c.behaviour), std::string::npos) << CreateDeviceText();
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, ContextChoice,
    ::testing::Values(
        ChoiceCase{"HardwareWithMultisampling", 0x13B, 0, 2, ", 0x00000040, ",
                   D3DMULTISAMPLE_NONMASKABLE},
        ChoiceCase{"AnyNonzeroCapsIsHardware", 0x1, 0, 2, ", 0x00000040, ",
                   D3DMULTISAMPLE_NONMASKABLE},
        ChoiceCase{"DisplayFormatRefused", 0x13B, 1, 1, ", 0x00000040, ", D3DMULTISAMPLE_NONE},
        ChoiceCase{"DepthFormatRefused", 0x13B, 2, 2, ", 0x00000040, ", D3DMULTISAMPLE_NONE},
        ChoiceCase{"SoftwareNeverTests", 0x0, 0, 0, ", 0x00000020, ", D3DMULTISAMPLE_NONE}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return info.param.name; });

// --- the present parameters and the window -------------------------------------

TEST_F(ContextTest, PresentParametersDescribeTheConfiguredBackBuffer) {
    g_appConfig.width = 1024;
    g_appConfig.height = 768;
    journal->displayMode.Format = D3DFMT_X8R8G8B8;
    CDXContext context;
    ASSERT_EQ(context.Create(window, true), 0);

    EXPECT_EQ(context.hwnd, window);
    EXPECT_EQ(context.width, 1024);
    EXPECT_EQ(context.height, 768);
    // width height format count multisample quality swap window windowed
    // autodepth depthformat flags refresh interval
    EXPECT_NE(CreateDeviceText().find("{1024 768 22 0 1 0 1 null 1 1 80 0 0 1}"),
              std::string::npos)
        << CreateDeviceText();
    EXPECT_EQ(win32.log.Count("SetWindowLongA("), 0u);  // windowed: the frame stays
}

}  // namespace
