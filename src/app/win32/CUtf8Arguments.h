// A Windows program's arguments as UTF-8, the programs' encoding for paths:
// the C runtime's argv is in the ANSI code page, which cannot hold every file
// name, so they are taken from the wide command line instead.
#pragma once

#include <string>
#include <vector>

class CUtf8Arguments {
public:
    CUtf8Arguments();
    CUtf8Arguments(const CUtf8Arguments&) = delete;
    CUtf8Arguments& operator=(const CUtf8Arguments&) = delete;

    int Count() const { return static_cast<int>(arguments.size()); }
    // argv as main has it, ending in a null pointer; valid while the object lives.
    char** Values() { return pointers.data(); }

private:
    std::vector<std::string> arguments;
    std::vector<char*> pointers;
};
