// A private directory beside a file being replaced, where the new file is
// written before it is renamed into place. It is removed, with what is in
// it, when the object goes.
//
// Its path and the names of the files made in it are also kept in a fixed
// table a signal handler can read without allocating, so that after
// RemoveAllOnSignals() an interrupted program leaves no scratch behind.
#pragma once

#include <string>

class CScratchDirectory {
public:
    // Makes ".tessary-XXXXXX" (mode 0700) in `directory`.
    explicit CScratchDirectory(const std::string& directory);
    ~CScratchDirectory();
    CScratchDirectory(const CScratchDirectory&) = delete;
    CScratchDirectory& operator=(const CScratchDirectory&) = delete;

    // False, with strerror's reason in `error`, when it could not be made.
    bool Created(std::string* error) const;
    const std::string& Path() const { return path; }

    // The path of a file called `name` inside, recorded for removal on a
    // signal before anything creates it.
    std::string FilePath(const std::string& name);

    // On SIGINT, SIGTERM or SIGHUP, removes every scratch directory still
    // present (the files it knows of, then the directory) and then dies of
    // the signal as it would have without a handler. A signal the process
    // ignores stays ignored. For programs without handlers of their own;
    // call it early in main.
    static void RemoveAllOnSignals();

private:
    std::string path;
    std::string failure;
    int slot = -1;  // in the signal handler's table; -1: not in it
};
