// Test rig for the main scene: the recording device and context, fake Win32
// services with one live window (the pointer is given in its client area),
// a configured client size, and a scene set up on them, of a subclass that
// opens the scene's fields to the tests.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "config/AppConfig.h"
#include "scene/CSceneMain.h"
#include "support/FakeWin32.h"
#include "support/RecordingFixture.h"
#include "support/ScriptedRandom.h"

class CTestScene : public CSceneMain {
public:
    using CSceneMain::clickCooldown;
    using CSceneMain::locked;
    using CSceneMain::frameCounter;
    using CSceneMain::genomes;
    using CSceneMain::mutationRate;
    using CSceneMain::reseedRate;
    using CSceneMain::shapes;
    using CSceneMain::shapeTarget;
};

// Varied draws for a scripted random source.
inline std::vector<int> Spread(int count) {
    std::vector<int> draws;
    for (int i = 0; i < count; ++i) draws.push_back((i * 7919 + 13) % 32768);
    return draws;
}

class CSceneRig {
public:
    explicit CSceneRig(int width = 800, int height = 600)
        : rec(static_cast<UINT>(width), static_cast<UINT>(height)) {
        g_appConfig.width = width;
        g_appConfig.height = height;
        WNDCLASSEXA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "window";
        win32.windows.RegisterClassExA(&windowClass);
        rec.context.hwnd = win32.windows.CreateWindowExA(0, "window", "", 0, 0, 0, width, height,
                                                         nullptr, nullptr, nullptr, nullptr);
        // A varied first generation and rates 0: a Breed takes exactly 63 draws.
        CScriptedRandom spread(Spread(243));
        scene.InitWithRates(&rec.context, 0, 0);
    }
    ~CSceneRig() { g_appConfig = AppConfig{}; }

    // One frame as the main loop runs it; the draws it made.
    std::vector<CRecordedDraw> Frame() {
        const std::size_t first = callLog->draws.size();
        rec.device->BeginScene();
        scene.Render();
        rec.device->EndScene();
        return {callLog->draws.begin() + static_cast<std::ptrdiff_t>(first), callLog->draws.end()};
    }

    // A message as the window procedure passes it on; a key message's
    // lParam as Win32 makes it (bit 30 set on a repeat, 31 on a release).
    void Send(UINT message, WPARAM wParam = 0, bool repeat = false) {
        const LPARAM lParam = message == WM_KEYUP ? LPARAM{0xC0000001} : repeat ? 0x40000001 : 1;
        scene.MsgProc(context.hwnd, message, wParam, lParam);
    }
    void Press(int key) {
        Send(WM_KEYDOWN, static_cast<WPARAM>(key));
        Send(WM_KEYUP, static_cast<WPARAM>(key));
    }
    // Puts the pointer on the middle of cell k (800 x 600).
    void PointAt(int k) { win32.input.cursor = POINT{200 + 200 * (k % 3), 100 + 200 * (k / 3)}; }

    CRecordingFixture rec;
    CFakeWin32 win32;
    CDXContext& context = rec.context;
    std::shared_ptr<CRecordingCallLog>& callLog = rec.callLog;
    CTestScene scene;  // last: it goes before the device
};

inline bool SameGenes(const Genome& a, const Genome& b) {
    return std::equal(a.genes, a.genes + kGenomeSize, b.genes);
}
