// Reading conf.txt: three integers, windowed flag and client size.
#include "config/AppConfig.h"

#include <cstdio>

AppConfig g_appConfig;

void ReadAppConfig(AppConfig& config, const char* path) {
    std::FILE* file = std::fopen(path, "rt");
    if (file == nullptr) {
        config.windowed = 1;
        config.width = 800;
        config.height = 600;
        return;
    }
    // The count of values read is deliberately not examined: scanning stops at
    // the first text that is not an integer and the fields after it keep what
    // they held.
    const int scanned = std::fscanf(file, "%d %d %d", &config.windowed, &config.width,
                                    &config.height);
    static_cast<void>(scanned);
    std::fclose(file);
}
