#include "platform/sdl/SdlDriverPinning.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

int CollectDriver(dl_phdr_info* info, std::size_t, void* data) {
    auto* paths = static_cast<std::vector<std::string>*>(data);
    if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/dri/") != nullptr) {
        paths->emplace_back(info->dlpi_name);
    }
    return 0;
}

}  // namespace

int PinGraphicsDriverModules() {
    std::vector<std::string> paths;
    dl_iterate_phdr(CollectDriver, &paths);
    int pinned = 0;
    for (const std::string& path : paths) {
        // RTLD_NOLOAD: only modules already loaded; RTLD_NODELETE: never
        // unloaded. The extra reference is deliberately kept.
        if (dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr) ++pinned;
    }
    return pinned;
}
