// Replacing files whole or not at all. Each new file is written into a
// scratch directory beside its target, synced, given the permission bits of
// the file it replaces, and only then renamed over the target; the target's
// directory is synced after the rename, so the new name is on disk too.
// Paths are UTF-8.
//
// A symbolic link at a target is followed: the file it points to is
// replaced and the link stays. Hard links to a replaced file keep the old
// contents, as with any replacement by rename.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct FileToWrite {
    std::string path;
    std::string_view bytes;
};

// The file a write to `path` replaces: `path` with every symbolic link at
// its end followed (a relative link is read from the link's directory). A
// path that does not exist is its own target. False, with the reason in
// `error`, for a link that cannot be read or a loop of links.
bool ResolveFinalPath(const std::string& path, std::string* resolved, std::string* error);

// Writes and syncs every file first, then renames them into place in the
// order given, then syncs their directories. Every step is checked; on
// failure returns false with a message naming the file in `error` ("cannot
// write PATH: reason", strerror's reason where a system call failed) and
// removes the scratch. A failure before the renames leaves every target as
// it was; one between two renames leaves the earlier files replaced; one
// syncing a directory leaves all of them replaced but perhaps not on disk.
bool WriteFilesAtomically(const std::vector<FileToWrite>& files, std::string* error);

// The same steps for files that must not exist yet: each is linked into
// place instead of renamed, so a file that appears at a target meanwhile is
// never replaced (EEXIST), and the targets are taken as named, links and
// all. Either every file is created or, when one cannot be, none is left.
bool WriteNewFilesAtomically(const std::vector<FileToWrite>& files, std::string* error);
