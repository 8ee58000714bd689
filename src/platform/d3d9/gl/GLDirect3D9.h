// The OpenGL 3.3 core backend of the Direct3D stand-in. It draws through a
// GL context that the platform makes on the device's window; it never calls
// the window system itself.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/GLContext.h"
#include "platform/d3d9/d3d9.h"

// A Direct3D object whose devices draw with OpenGL, with one reference for
// the caller. `provider` must outlive it and every device it makes.
IDirect3D9* CreateGLDirect3D9(IGLContextProvider& provider);

// Copies the back buffer of a device made by the GL backend, top row first,
// as 0xAARRGGBB pixels. False for any other device.
bool ReadGLBackBuffer(IDirect3DDevice9* device, std::vector<std::uint32_t>* pixels,
                      UINT* width, UINT* height);

// Waits until the GL backend has finished all drawing (glFinish); for
// benchmarks. No effect on other devices.
void FinishGL(IDirect3DDevice9* device);
