// Program entry: the SDL2 platform behind the Win32 calls, the OpenGL
// backend behind Direct3D, then the application as WinMain runs it. Torn
// down in reverse: the platform goes last, after every device and context.
#include "app/CAppWindow.h"
#include "platform/Win32.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/gl/GLDirect3D9.h"
#include "platform/sdl/CSdlGLContextProvider.h"
#include "platform/sdl/CSdlPlatform.h"

int main() {
    CSdlPlatform platform;
    CWin32ServicesScope services(platform.Services());
    CSdlGLContextProvider provider;
    CDirect3DFactoryScope direct3d([&provider](UINT) { return CreateGLDirect3D9(provider); });
    return WinMain(nullptr, nullptr, nullptr, SW_SHOW);
}
