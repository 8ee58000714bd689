#include "scene/SaveNames.h"

#include <cstdio>
#include <filesystem>

std::string SaveStem(const SaveSubject& s) {
    const std::string place = "-g" + std::to_string(s.generation) + "-c" + std::to_string(s.cell);
    if (!s.journalPath.empty()) {
        std::string name = std::filesystem::path(s.journalPath).stem().string();
        name.erase(0, name.find_first_not_of('.'));
        return (name.empty() ? std::string("journal") : name) + place;
    }
    if (s.seeded) return "seed-" + std::to_string(s.seed) + place;
    char when[32];
    const SYSTEMTIME& t = s.localTime;
    std::snprintf(when, sizeof when, "%04u%02u%02u-%02u%02u%02u", unsigned{t.wYear},
                  unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                  unsigned{t.wSecond});
    return std::string("tessary-") + when + "-c" + std::to_string(s.cell);
}

std::string FreeStem(const std::string& stem,
                     const std::function<bool(const std::string&)>& taken) {
    std::string candidate = stem;
    for (int n = 2; taken(candidate); ++n) candidate = stem + "-" + std::to_string(n);
    return candidate;
}
