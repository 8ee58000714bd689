// The main loop and the graphics context it creates, on the Win32 fakes and
// a recording Direct3D noting their calls in one call log.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/AppConfig.h"
#include "app/CAppWindow.h"
#include "app/CSceneManager.h"
#include "gfx/CDXContext.h"
#include "support/FakeWin32.h"

namespace {

// A created fake window whose Run makes a probe scene, which logs what the
// loop asks of it. `onUpdate` gets the 1-based count of updates and gives
// Update's result; `onRender` gets the count of frames.
class CRunRig {
public:
    class CProbeScene : public IScene {
    public:
        explicit CProbeScene(CRunRig& rig) : rig(rig) {}
        ~CProbeScene() override { rig.Note("scene.destroyed"); }
        int Update() override {
            rig.Note("scene.Update");
            return rig.onUpdate ? rig.onUpdate(++updates) : 0;
        }
        int Render() override {
            rig.Note("scene.Render");
            if (rig.onRender) rig.onRender(++renders);
            return 0;
        }
        int Init(CDXContext*) override {
            rig.Note("scene.Init");
            return 0;
        }
        int Reset() override { return 0; }

    private:
        CRunRig& rig;
        int updates = 0, renders = 0;
    };

    CRunRig() {
        window.Create(nullptr, 806, 626);
        callLog->ClearLog();
    }
    ~CRunRig() { g_appConfig = AppConfig{}; }

    void Note(const char* what) { callLog->Note(what, what, S_OK); }
    // Index of the first call at or after `from` with this text, or npos.
    std::size_t Find(const std::string& text, std::size_t from = 0) {
        for (std::size_t i = from; i < callLog->calls.size(); ++i) {
            if (callLog->calls[i].text == text || callLog->calls[i].name == text) return i;
        }
        return std::string::npos;
    }
    // How often calls with this name (or text) come in each pass (a pass's
    // entry ends with its PeekMessageA).
    std::vector<std::size_t> CountPerPass(const std::string& call) {
        std::vector<std::size_t> passes{0};
        for (const CRecordedCall& logged : callLog->calls) {
            if (logged.name == call || logged.text == call) ++passes.back();
            if (logged.name == "PeekMessageA") passes.push_back(0);
        }
        return passes;
    }

    std::shared_ptr<CRecordingCallLog> callLog = std::make_shared<CRecordingCallLog>();
    CFakeWin32 win32{callLog};
    CDirect3DFactoryScope direct3d{[j = callLog](UINT) { return CreateRecordingDirect3D9(j); }};
    CSceneFactoryScope scenes{[this] { return std::make_unique<CProbeScene>(*this); }};
    CAppWindow window;
    std::function<int(int)> onUpdate;
    std::function<void(int)> onRender;
};

// --- fixed-step timing -------------------------------------------------------

TEST(MainLoop, FirstPassRunsTheStepsItsElapsedTimeAsksFor) {
    struct Case {
        DWORD base;          // timeGetTime when the loop takes its time base
        DWORD elapsed;       // time since then when the first pass starts
        DWORD overrun;       // extra time every Sleep takes
        std::size_t steps;   // updates in the first pass
        std::size_t sleeps;  // Sleep calls in the first pass (6 ms when there is one)
        DWORD nextBase;      // the base the first pass leaves for the second
    };
    const Case cases[] = {
        {1000, 10, 3, 1, 1, 1019},  // oversleeping: the time of waking is the new base
        {1000, 40, 0, 2, 0, 1032},  // the remainder carries over
        {1000, 95, 0, 5, 0, 1080},
        {1000, 96, 0, 5, 0, 1096},  // the excess is dropped
        {0xFFFFFFF0u, 40, 0, 2, 0, 0x00000010u},  // the counter wraps
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elapsed);
        CRunRig rig;
        rig.win32.clock.now = c.base;
        rig.win32.clock.sleepOverrun = c.overrun;
        rig.win32.clock.onTimeGetTime = [&](int call) {
            if (call == 1) rig.win32.clock.now = c.base + c.elapsed;  // the first pass
        };
        // The second pass starts 5 ms after the base the first one left: it
        // must sleep exactly 11 ms and run one update.
        rig.onRender = [&](int frame) {
            if (frame == 1) rig.win32.clock.now = c.nextBase + 5;
        };
        rig.win32.windows.CloseAtPass(2);

        rig.window.Run();

        EXPECT_EQ(rig.CountPerPass("scene.Update")[0], c.steps);
        EXPECT_EQ(rig.CountPerPass("scene.Update")[1], 1u);
        EXPECT_EQ(rig.CountPerPass("Sleep")[0], c.sleeps);
        EXPECT_EQ(rig.CountPerPass("Sleep(6)")[0], c.sleeps);
        EXPECT_EQ(rig.CountPerPass("Sleep")[1], 1u);
        EXPECT_EQ(rig.CountPerPass("Sleep(11)")[1], 1u) << "wrong base after the first pass";
    }
}

// --- the passes and leaving the loop -------------------------------------------

TEST(MainLoop, SceneEndingOnTheSecondOfThreeStepsEndsAtOnceAndTearsDownInOrder) {
    CRunRig rig;
    rig.win32.clock.now = 1000;
    rig.win32.clock.onTimeGetTime = [&](int call) {
        if (call == 1) rig.win32.clock.now = 1048;  // three steps due
    };
    rig.onUpdate = [](int update) { return update == 2 ? 1 : 0; };

    rig.window.Run();

    EXPECT_EQ(rig.callLog->Count("scene.Update"), 2u);
    EXPECT_EQ(rig.callLog->Count("scene.Render"), 0u);
    // Scenes go before the device, the device before the Direct3D object.
    const std::size_t sceneGone = rig.Find("scene.destroyed", rig.Find("timeEndPeriod(1)"));
    const std::size_t deviceGone = rig.Find("Release", sceneGone);
    EXPECT_NE(rig.Find("D3D9.Release", deviceGone), std::string::npos);
    EXPECT_EQ(rig.callLog->LiveObjects(), 0);
}

TEST(MainLoop, OneMessagePerPassEscapePolledLastAndQuitAfterQueuedMessages) {
    CRunRig rig;
    rig.win32.input.SetKey(VK_ESCAPE, true);
    rig.win32.windows.onPeek = [&](int call) {
        if (call != 1) return;
        rig.win32.windows.Post(rig.window.hwnd, WM_MOUSEMOVE);
        rig.win32.windows.Post(rig.window.hwnd, WM_KEYDOWN, 'A');
    };

    rig.window.Run();

    // Pass 1 handles the move and destroys the window, which posts quit
    // behind the key; pass 2 handles the key and finds no window to destroy;
    // pass 3 takes the quit. (A message is dispatched after its pass's
    // PeekMessageA.)
    EXPECT_EQ(rig.CountPerPass("scene.Render"), (std::vector<std::size_t>{1, 1, 1, 0}));
    EXPECT_EQ(rig.CountPerPass("DispatchMessageA"), (std::vector<std::size_t>{0, 1, 1, 0}));
    EXPECT_EQ(rig.callLog->Count("DestroyWindow"), 2u);
    EXPECT_EQ(rig.callLog->Count("PostQuitMessage"), 1u);
    const std::size_t dispatch = rig.Find("DispatchMessageA");
    const std::size_t poll = rig.Find("GetKeyState(27)");
    EXPECT_LT(rig.Find("Present"), dispatch);
    EXPECT_LT(dispatch, poll);
    EXPECT_LT(poll, rig.Find("DestroyWindow(hwnd#1)"));
    EXPECT_LT(rig.Find("GetMessageA(hwnd#1, 0x100)"), rig.Find("GetMessageA(null, 0x12)"));
}

// --- start-up and the graphics context -----------------------------------------

TEST(MainLoop, YesSwitchesToFullScreenBeforeTheSceneExists) {
    CRunRig rig;
    rig.win32.dialogs.answers = {IDYES};
    rig.win32.windows.CloseAtPass(1);

    rig.window.Run();

    const std::vector<std::string> question{
        "MessageBoxA(hwnd#1, フルスクリーンで起動しますか？, 質問, 0x4)"};
    EXPECT_EQ(rig.callLog->Texts("MessageBoxA"), question);
    const std::size_t style = rig.Find("SetWindowLongA(hwnd#1, -16, 0x90000000)");
    const std::size_t size = rig.Find("SetWindowPos(hwnd#1, null, 0, 0, 800, 600, 0x22)");
    const std::size_t reset = rig.Find("Reset");
    EXPECT_EQ(rig.callLog->Count("Reset"), 1u);
    EXPECT_LT(rig.Find("MessageBoxA"), style);
    EXPECT_LT(style, size);
    EXPECT_LT(size, reset);
    EXPECT_LT(reset, rig.Find("scene.Init"));
}

TEST(GraphicsContext, EachFailurePointShowsOneErrorBoxAndFreesWhatWasMade) {
    struct Case {
        const char* failing;  // null: no Direct3D at all
        HRESULT result;
        const char* notReached;  // a call that must not follow the failure
    };
    const Case cases[] = {
        {nullptr, S_OK, "D3D9.GetAdapterDisplayMode"},
        {"D3D9.GetAdapterDisplayMode", D3DERR_NOTAVAILABLE, "D3D9.CheckDeviceFormat"},
        {"D3D9.CheckDeviceFormat", D3DERR_NOTAVAILABLE, "D3D9.GetDeviceCaps"},
        {"D3D9.GetDeviceCaps", D3DERR_INVALIDCALL, "D3D9.CheckDeviceMultiSampleType"},
        {"D3D9.CreateDevice", D3DERR_NOTAVAILABLE, "Release"},  // no device to release
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notReached);
        CRunRig rig;
        std::optional<CDirect3DFactoryScope> missing;
        if (c.failing == nullptr) missing.emplace(Direct3DFactory{});
        if (c.failing != nullptr) rig.callLog->InjectFailure(c.failing, c.result);

        rig.window.Run();

        // The error box alone: no question, no scene, no timer period.
        const std::vector<std::string> errorBox{
            "MessageBoxA(null, Direct3Dの初期化に失敗。, null, 0x10)"};
        EXPECT_EQ(rig.callLog->Texts("MessageBoxA"), errorBox);
        EXPECT_EQ(rig.callLog->Count("scene.Init"), 0u);
        EXPECT_EQ(rig.callLog->Count("timeBeginPeriod"), 0u);
        EXPECT_EQ(rig.callLog->Count(c.notReached), 0u);
        EXPECT_EQ(rig.callLog->Count("D3D9.Release"), c.failing != nullptr ? 1u : 0u);
        EXPECT_EQ(rig.callLog->LiveObjects(), 0);
    }
}

TEST(GraphicsContext, AdapterAnswersDecideVertexProcessingAndMultisampling) {
    struct Case {
        DWORD vertexProcessingCaps;
        const char* failing;  // a call failed once after `skip` successes
        int skip;
        HRESULT result;
        std::size_t multisampleChecks;
        const char* behaviour;
        const char* multiSample;
    };
    const char* const kMultisampleCheck = "D3D9.CheckDeviceMultiSampleType";
    const char* const kHardware = "D3DCREATE_HARDWARE_VERTEXPROCESSING";
    const char* const kNonMaskable = "D3DMULTISAMPLE_NONMASKABLE";
    const char* const kNone = "D3DMULTISAMPLE_NONE";
    const Case cases[] = {
        {0x13B, nullptr, 0, S_OK, 2, kHardware, kNonMaskable},
        {0x13B, kMultisampleCheck, 0, D3DERR_NOTAVAILABLE, 1, kHardware, kNone},  // display format
        {0x13B, kMultisampleCheck, 1, D3DERR_NOTAVAILABLE, 2, kHardware, kNone},  // D16
        {0x0, nullptr, 0, S_OK, 0, "D3DCREATE_SOFTWARE_VERTEXPROCESSING", kNone},
        // Only "not available" rules the depth format out.
        {0x13B, "D3D9.CheckDeviceFormat", 0, E_FAIL, 2, kHardware, kNonMaskable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        CRunRig rig;
        g_appConfig.width = 1024;
        g_appConfig.height = 768;
        rig.callLog->displayMode.Format = D3DFMT_A8R8G8B8;
        rig.callLog->vertexProcessingCaps = c.vertexProcessingCaps;
        if (c.failing != nullptr) rig.callLog->InjectFailure(c.failing, c.result, c.skip);

        CDXContext context;
        ASSERT_EQ(context.Create(rig.window.hwnd, true), 0);
        EXPECT_EQ(rig.callLog->Count(kMultisampleCheck), c.multisampleChecks);
        // Present parameters: width height format count multisample quality
        // swap window windowed autodepth depthformat flags refresh interval.
        const std::string created = rig.callLog->Texts("D3D9.CreateDevice").at(0);
        EXPECT_TRUE(created.ends_with(std::string(c.behaviour) + ", {1024 768 D3DFMT_A8R8G8B8 0 " +
                                      c.multiSample +
                                      " 0 D3DSWAPEFFECT_DISCARD null 1 1 D3DFMT_D16 0 0"
                                      " D3DPRESENT_INTERVAL_ONE})"))
            << created;
        EXPECT_EQ(rig.callLog->Count("SetWindowLongA"), 0u);  // windowed: the frame stays
    }
}

}  // namespace
