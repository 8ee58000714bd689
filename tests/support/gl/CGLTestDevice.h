// A device of the OpenGL backend for GL tests (run them on a display of
// their own: tests/support/with-display.sh, which ctest does for *_gltest).
//
//   CGLTestDevice gl(64, 64);
//   ASSERT_TRUE(gl.Ok()) << gl.Failure();
//   IDirect3DDevice9* d = gl.Device();
//   ... draw ...
//   CGLPicture picture = gl.ReadBackBuffer();    // 0xAARRGGBB, top row first
//   EXPECT_EQ(picture.At(3, 0), 0xFFFF0000u);
//
// It owns a hidden SDL window of the back buffer's size, the GL Direct3D
// object and the device, and releases them in reverse order. The device has
// the program's own parameters (X8R8G8B8, D16 automatic depth, discard)
// without multisampling and without waiting for the vertical retrace.
// D3DRef<T> holds one reference to any Direct3D interface.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/sdl/CSdlGLContextProvider.h"

struct D3DReleaser {
    void operator()(IUnknown* object) const {
        if (object != nullptr) object->Release();
    }
};
template <class T>
using D3DRef = std::unique_ptr<T, D3DReleaser>;

struct CGLPicture {
    UINT width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row by row from the top

    std::uint32_t At(UINT x, UINT y) const { return pixels[std::size_t{y} * width + x]; }
};

class CGLTestDevice {
public:
    static D3DPRESENT_PARAMETERS DefaultParams(UINT width, UINT height);

    CGLTestDevice(UINT width, UINT height);
    ~CGLTestDevice();
    CGLTestDevice(const CGLTestDevice&) = delete;
    CGLTestDevice& operator=(const CGLTestDevice&) = delete;

    bool Ok() const { return device != nullptr; }
    const char* Failure() const;

    IDirect3D9* D3D() const { return d3d; }
    IDirect3DDevice9* Device() const { return device; }
    HWND Window() const { return window.Handle(); }

    CGLPicture ReadBackBuffer() const;

private:
    bool shaderCacheOff;  // set before the window: see the constructor
    CSdlOffscreenWindow window;
    CSdlGLContextProvider provider;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};
