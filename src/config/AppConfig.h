// The start-up configuration read from conf.txt: windowed flag and client
// size. Written once at start-up, read everywhere afterwards.
#pragma once

struct AppConfig {
    int windowed = 1;  // nonzero: windowed; 0: full screen
    int width = 800;   // client width, also the back-buffer width
    int height = 600;  // client height, also the back-buffer height
};

// The one process-wide configuration.
extern AppConfig g_appConfig;

// Reads "%d %d %d" from the text file at `path` into `config`. A missing file
// sets 1, 800, 600; otherwise the values read so far are kept and the rest
// keep their initial values (scanning stops at the first non-integer).
void ReadAppConfig(AppConfig& config, const char* path);
