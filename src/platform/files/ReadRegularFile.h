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

#ifdef _WIN32
using FileHandle = void*;  // HANDLE
#else
using FileHandle = int;  // a file descriptor
#endif

// Reads what is left of the open file `file`, named `path`, into `text`
// (replacing it). Past `maxBytes` (a file may grow while it is read) it
// stops with `tooLarge` in `error`; a failed read gives "cannot read PATH:
// reason".
bool ReadToEnd(FileHandle file, const std::string& path, std::size_t maxBytes,
               const std::string& tooLarge, std::string* text, std::string* error);
