// Where a Windows program's --help, --version and command-line errors go.
// A window program has no console of its own: started from a command prompt
// it writes to that prompt's console; started from Explorer, with no console
// and no standard streams, what it writes is gathered and shown in a message
// box when the object goes. Output already redirected stays where it goes.
#pragma once

#include <string>

class CCommandLineOutput {
public:
    CCommandLineOutput();
    ~CCommandLineOutput();
    CCommandLineOutput(const CCommandLineOutput&) = delete;
    CCommandLineOutput& operator=(const CCommandLineOutput&) = delete;

    // The program's exit status, which picks the box's icon.
    void SetStatus(int status) { failed = status != 0; }

private:
    std::string outPath;
    std::string errPath;
    bool failed = false;
};
