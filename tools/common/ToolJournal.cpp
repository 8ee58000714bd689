#include "ToolJournal.h"

#include <cstddef>

#include "platform/files/ReadRegularFile.h"

namespace {
constexpr std::size_t kMaxJournalBytes = std::size_t{256} << 20;
}  // namespace

bool ReadJournalFile(const std::string& path, Journal* journal, std::string* error) {
    std::string text;
    if (!ReadRegularFile(path, kMaxJournalBytes, &text, error)) return false;
    if (!ParseJournal(text, journal, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}
