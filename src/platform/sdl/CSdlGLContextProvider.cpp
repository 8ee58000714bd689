#include "platform/sdl/CSdlGLContextProvider.h"

#include <cstdio>

#include <SDL.h>

#include "platform/sdl/SdlGLWindow.h"
#include "platform/sdl/SdlWindowHandles.h"

namespace {

class CSdlGLContext final : public IGLContext {
public:
    CSdlGLContext(HWND hwnd, SDL_GLContext context) : hwnd(hwnd), context(context) {}
    ~CSdlGLContext() override { SDL_GL_DeleteContext(context); }
    CSdlGLContext(const CSdlGLContext&) = delete;
    CSdlGLContext& operator=(const CSdlGLContext&) = delete;

    // The window is looked up on each use: if it is gone, the calls do
    // nothing rather than touch a destroyed window.
    bool MakeCurrent() override {
        SDL_Window* window = SdlWindowFromHandle(hwnd);
        return window != nullptr && SDL_GL_MakeCurrent(window, context) == 0;
    }
    void SwapWindow() override {
        if (SDL_Window* window = SdlWindowFromHandle(hwnd)) SDL_GL_SwapWindow(window);
    }
    void GetDrawableSize(int* width, int* height) override {
        *width = 0;
        *height = 0;
        if (SDL_Window* window = SdlWindowFromHandle(hwnd)) SDL_GL_GetDrawableSize(window, width, height);
    }
    bool SetSwapInterval(int interval) override { return SDL_GL_SetSwapInterval(interval) == 0; }

private:
    HWND hwnd;
    SDL_GLContext context;
};

}  // namespace

std::unique_ptr<IGLContext> CSdlGLContextProvider::CreateContext(HWND hwnd) {
    SDL_Window* window = SdlWindowFromHandle(hwnd);
    if (window == nullptr || (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) return nullptr;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        std::fprintf(stderr, "tessary: no OpenGL 3.3 core context: %s\n", SDL_GetError());
        return nullptr;
    }
    // SDL_GL_CreateContext leaves the new context current, as promised.
    return std::make_unique<CSdlGLContext>(hwnd, context);
}

bool CSdlGLContextProvider::GetDesktopMode(GLDesktopMode* mode) {
    SDL_DisplayMode desktop;
    if (mode == nullptr || SDL_GetDesktopDisplayMode(0, &desktop) != 0) return false;
    mode->width = desktop.w;
    mode->height = desktop.h;
    mode->refreshRate = desktop.refresh_rate;
    return true;
}

CSdlOffscreenWindow::CSdlOffscreenWindow(int width, int height) {
    // Video is started if nobody has, and then left running for the rest of
    // the process: stopping it unloads the GL driver, after which the leak
    // checker can no longer tell the driver's own leftovers from ours.
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "tessary: SDL video does not start: %s\n", SDL_GetError());
        return;
    }
    SDL_Window* window = CreateSdlGLWindow("tessary offscreen", SDL_WINDOWPOS_UNDEFINED,
                                           SDL_WINDOWPOS_UNDEFINED, width, height);
    if (window == nullptr) {
        std::fprintf(stderr, "tessary: no offscreen window: %s\n", SDL_GetError());
        return;
    }
    handle = SdlWindowToHandle(window);
}

CSdlOffscreenWindow::~CSdlOffscreenWindow() {
    if (SDL_Window* window = SdlWindowFromHandle(handle)) SDL_DestroyWindow(window);
}
