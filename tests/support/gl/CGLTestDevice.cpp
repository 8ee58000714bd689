#include "support/gl/CGLTestDevice.h"

#include <cstdlib>

#include "platform/d3d9/gl/GLDirect3D9.h"
#include "support/TestPresentParams.h"

// Tests draw as fast as they can: no waiting for the vertical retrace.
D3DPRESENT_PARAMETERS CGLTestDevice::DefaultParams(UINT width, UINT height) {
    return TestPresentParams(width, height, D3DPRESENT_INTERVAL_IMMEDIATE);
}

// Mesa writes compiled shaders to its disk cache from a thread of its own;
// a write still running when the test process exits can crash the leak
// checker's stop-the-world. Tests gain nothing from the cache.
CGLTestDevice::CGLTestDevice(UINT width, UINT height)
    : shaderCacheOff(setenv("MESA_SHADER_CACHE_DISABLE", "true", 0) == 0),
      window(static_cast<int>(width), static_cast<int>(height)) {
    if (window.Handle() == nullptr) return;
    d3d = CreateGLDirect3D9(provider);
    D3DPRESENT_PARAMETERS p = DefaultParams(width, height);
    d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.Handle(),
                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device);
}

CGLTestDevice::~CGLTestDevice() {
    if (device != nullptr) device->Release();
    if (d3d != nullptr) d3d->Release();
}

const char* CGLTestDevice::Failure() const {
    if (window.Handle() == nullptr) return "no offscreen window (is there a display?)";
    return device == nullptr ? "CreateDevice failed" : "";
}

CGLPicture CGLTestDevice::ReadBackBuffer() const {
    CGLPicture picture;
    if (device != nullptr) ReadGLBackBuffer(device, &picture.pixels, &picture.width, &picture.height);
    return picture;
}
