// The names of the two files a save writes (a solid .stl and a picture
// .png): one stem that says what the shape is, never a stem either file of
// an earlier save has.
#pragma once

#include <functional>
#include <string>

#include "platform/Win32.h"

// What a save is of.
struct SaveSubject {
    std::string journalPath;  // the session's journal; empty without one
    bool seeded = false;      // a session started with --seed (no journal)
    unsigned int seed = 0;
    int generation = 0;  // the clicks in effect
    int cell = 0;
    SYSTEMTIME localTime{};  // names a save outside any session
};

// "my-session-g12-c4" for the journal my-session.txt, "seed-1733600123-g12-c4"
// for a --seed session, "tessary-20261208-031500-c4" without a session. A
// journal's name loses its directory, its last extension and any leading
// dots (a save is never a hidden file).
std::string SaveStem(const SaveSubject& subject);

// `stem`, or failing that stem-2, stem-3, ...: the first that `taken` says
// is free (it checks both files' names).
std::string FreeStem(const std::string& stem, const std::function<bool(const std::string&)>& taken);
