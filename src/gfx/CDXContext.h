// The one graphics context: the Direct3D object, display mode, present
// parameters, device, and the window and client size they were made for.
#pragma once

#include "platform/Win32.h"
#include "platform/d3d9/d3d9.h"

class CDXContext {
public:
    CDXContext() = default;
    // Releases whatever Release has not (a context never leaks its device).
    ~CDXContext();
    CDXContext(const CDXContext&) = delete;
    CDXContext& operator=(const CDXContext&) = delete;

    // 0 on success, 1 on failure (what was made stays for Release).
    int Create(HWND window, bool windowed);
    // Releases the device, then the Direct3D object, and nulls both.
    void Release();
    void SwitchToFullScreen();
    // Presents; on failure resets the device once.
    void PresentFrame();

    IDirect3D9* d3d = nullptr;              // owned
    D3DDISPLAYMODE displayMode{};
    D3DPRESENT_PARAMETERS presentParams{};
    IDirect3DDevice9* device = nullptr;     // owned
    HWND hwnd = nullptr;                    // not owned
    int width = 0;
    int height = 0;
};
