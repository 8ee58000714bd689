// Test rig for the main scene: the recording device and context, fake Win32
// services with one live window (the pointer is mapped into its client
// area), a configured client size, and a scene subclass that opens the
// scene's fields to the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "app/AppConfig.h"
#include "gfx/CDXContext.h"
#include "platform/d3d9/recording/CRecordingJournal.h"
#include "scene/CSceneMain.h"
#include "support/FakeWin32.h"
#include "support/RecordingFixture.h"

class CTestScene : public CSceneMain {
public:
    using CSceneMain::clickCooldown;
    using CSceneMain::frameCounter;
    using CSceneMain::genomes;
    using CSceneMain::glowTargets;
    using CSceneMain::mutationRate;
    using CSceneMain::reseedRate;
    using CSceneMain::shapes;
    using CSceneMain::shapeTarget;
};

class CSceneRig {
public:
    explicit CSceneRig(int width = 800, int height = 600)
        : rec(static_cast<UINT>(width), static_cast<UINT>(height)), savedConfig(g_appConfig) {
        g_appConfig.width = width;
        g_appConfig.height = height;
        win32.input.logPolls = false;
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "window";
        win32.windows.RegisterClassExA(&windowClass);
        rec.context.hwnd = win32.windows.CreateWindowExA(
            0, "window", "Tessary(?)", 0, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
    }

    ~CSceneRig() { g_appConfig = savedConfig; }

    CSceneRig(const CSceneRig&) = delete;
    CSceneRig& operator=(const CSceneRig&) = delete;

    // The pointer in client pixels (the fake client area sits at the screen
    // origin) and the left button.
    void Pointer(LONG x, LONG y) { win32.input.cursor = POINT{x, y}; }
    void Button(bool down) { win32.input.SetKey(VK_LBUTTON, down); }

    // One frame as the main loop runs it; the draws it made.
    std::vector<CRecordedDraw> Frame(CSceneMain& scene) {
        const std::size_t first = journal->draws.size();
        context.device->BeginScene();
        scene.Render();
        context.device->EndScene();
        return {journal->draws.begin() + static_cast<std::ptrdiff_t>(first), journal->draws.end()};
    }

    CRecordingFixture rec;
    CFakeWin32 win32;
    CDXContext& context = rec.context;
    std::shared_ptr<CRecordingJournal>& journal = rec.journal;

private:
    AppConfig savedConfig;
};

// The four corners of a screen quad as it was sent.
inline std::vector<ScreenVertex> QuadVertices(const CRecordedDraw& draw) {
    std::vector<ScreenVertex> corners(draw.vertices.size() / sizeof(ScreenVertex));
    if (!corners.empty()) {
        std::memcpy(corners.data(), draw.vertices.data(), corners.size() * sizeof(ScreenVertex));
    }
    return corners;
}

// The surface a render texture draws into (no reference kept).
inline IDirect3DSurface9* TargetSurface(CDXRenderTexture& target) {
    IDirect3DSurface9* surface = nullptr;
    if (target.GetTexture() == nullptr ||
        FAILED(target.GetTexture()->GetSurfaceLevel(0, &surface))) {
        return nullptr;
    }
    surface->Release();
    return surface;
}

