// A journal named on a tool's command line, read with the platform's
// careful reader: a directory, a FIFO or a device is refused, as is a file
// above 256 MiB (some ten million records), and a failed read says why.
#pragma once

#include <string>

#include "genetic/Journal.h"

// Reads and parses the journal at `path`. On failure returns false with
// "cannot read PATH: reason" or "PATH: line N: what is wrong" in `error`.
bool ReadJournalFile(const std::string& path, Journal* journal, std::string* error);
