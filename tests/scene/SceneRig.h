// Test rig for the main scene: a recording device behind a graphics context,
// fake Win32 services with one live window (the pointer is mapped into its
// client area), a configured client size, and a scene subclass that opens the
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

class CTestScene : public CSceneMain {
public:
    using CSceneMain::clickCooldown;
    using CSceneMain::frameCounter;
    using CSceneMain::genomes;
    using CSceneMain::glowTargets;
    using CSceneMain::light;
    using CSceneMain::mutationRate;
    using CSceneMain::reseedRate;
    using CSceneMain::shapes;
    using CSceneMain::shapeTarget;
    using CSceneMain::viewport;
};

class CSceneRig {
public:
    explicit CSceneRig(int width = 800, int height = 600) : savedConfig(g_appConfig) {
        g_appConfig.width = width;
        g_appConfig.height = height;
        win32.input.logPolls = false;
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "window";
        win32.windows.RegisterClassExA(&windowClass);
        hwnd = win32.windows.CreateWindowExA(0, "window", "Tessary(?)", 0, 0, 0, width, height,
                                             nullptr, nullptr, nullptr, nullptr);

        context.d3d = CreateRecordingDirect3D9(journal);
        context.hwnd = hwnd;
        context.width = width;
        context.height = height;
        D3DPRESENT_PARAMETERS& pp = context.presentParams;
        pp.BackBufferWidth = static_cast<UINT>(width);
        pp.BackBufferHeight = static_cast<UINT>(height);
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D16;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        if (context.d3d != nullptr) {
            context.d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &context.device);
        }
    }

    ~CSceneRig() {
        if (context.device != nullptr) context.device->Release();
        if (context.d3d != nullptr) context.d3d->Release();
        g_appConfig = savedConfig;
    }

    CSceneRig(const CSceneRig&) = delete;
    CSceneRig& operator=(const CSceneRig&) = delete;

    IDirect3DDevice9* Device() { return context.device; }
    const D3DDeviceState& State() { return RecordingDeviceState(context.device); }

    // The pointer in client pixels (the fake client area sits at the screen
    // origin) and the left button.
    void Pointer(LONG x, LONG y) { win32.input.cursor = POINT{x, y}; }
    void Button(bool down) { win32.input.SetKey(VK_LBUTTON, down); }

    // Runs one frame as the main loop does and returns the draws it made.
    std::vector<CRecordedDraw> Frame(CSceneMain& scene) {
        const std::size_t first = journal->draws.size();
        context.device->BeginScene();
        scene.Render();
        context.device->EndScene();
        return {journal->draws.begin() + static_cast<std::ptrdiff_t>(first),
                journal->draws.end()};
    }

    std::shared_ptr<CRecordingJournal> journal = std::make_shared<CRecordingJournal>();
    CFakeWin32 win32;
    CDXContext context;
    HWND hwnd = nullptr;

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

inline const IDirect3DBaseTexture9* TextureOf(CDXRenderTexture& target) {
    return target.GetTexture();
}
