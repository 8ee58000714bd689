// Reading conf.txt: three integers, windowed flag and client size, scanned
// as "%d %d %d" would but saturating instead of overflowing.
#include "config/AppConfig.h"

#include <cstdio>

#include "config/Decimal.h"

AppConfig g_appConfig;

void ReadAppConfig(AppConfig& config, const char* path) {
    std::FILE* file = std::fopen(path, "rt");
    if (file == nullptr) {
        config.windowed = 1;
        config.width = 800;
        config.height = 600;
        return;
    }
    // Scanning stops at the first text that is not an integer and the fields
    // after it keep what they held; a number beyond int's range saturates.
    int* const fields[] = {&config.windowed, &config.width, &config.height};
    for (int* field : fields) {
        if (!ScanDecimal(file, field)) break;
    }
    std::fclose(file);
}
