// Reading a whole file that a user named, without trusting what it is: a
// FIFO, a device or a directory is refused instead of read (and a FIFO
// cannot hang the program), and so is a file larger than the caller allows.
#pragma once

#include <cstddef>
#include <string>

// Reads the regular file at `path` (UTF-8) into `text`. On failure returns
// false with "cannot read PATH: reason" in `error`, the reason being
// strerror's text where a system call failed.
bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string* text,
                     std::string* error);
