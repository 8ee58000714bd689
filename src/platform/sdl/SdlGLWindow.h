// Hidden SDL windows that the OpenGL backend can draw into.
#pragma once

#include <SDL.h>

// A hidden SDL_WINDOW_OPENGL window with a true-colour, double-buffered
// surface and no depth buffer or multisampling: the device draws into
// framebuffers of its own and only copies the result into the window.
// Null when SDL refuses the window.
SDL_Window* CreateSdlGLWindow(const char* title, int x, int y, int width, int height);
