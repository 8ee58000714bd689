// Appends records to a journal file so that none that was written can be
// lost or half-kept: each record goes out in one write and is synced to disk
// before Append returns, and the file is locked against a second writer.
// After the first failure (disk full, file removed, I/O error) it says so
// once on standard error and writes no more, so the file stays a valid
// prefix of the session instead of one with a record missing in the middle.
// The file calls are the platform's (platform/files/CJournalFile.h); what is
// done with them, in what order, is the same on every system.
#pragma once

#include <functional>
#include <memory>
#include <string>

class CJournalFile;

class CJournalAppender {
public:
    // Opens the journal at `path` for appending, under its lock, and reads its
    // whole text into `text`, so what is parsed is what is appended to.
    //
    // A missing file is created with `makeHeader()` as its first records and
    // `created` is set. The header is written and synced under another name
    // in the same folder and then linked into place only if the name is still
    // free, so the journal appears whole or not at all: a crash leaves no
    // empty journal behind, and of two sessions starting on one new path one
    // creates it and the other finds it in use. An empty file found under the
    // lock (left by hand, or by an older version) is taken as a new journal
    // the same way. Anything that is not a regular file, or is larger than
    // kMaxJournalBytes, is refused. Null with `error` set on failure.
    static std::unique_ptr<CJournalAppender> Open(const std::string& path,
                                                  const std::function<std::string()>& makeHeader,
                                                  std::string* text, bool* created,
                                                  std::string* error);
    ~CJournalAppender();
    CJournalAppender(const CJournalAppender&) = delete;
    CJournalAppender& operator=(const CJournalAppender&) = delete;

    // Appends one record (a whole line); false once writing has failed.
    bool Append(const std::string& line);

private:
    CJournalAppender(std::unique_ptr<CJournalFile> file, std::string path);
    void Fail(const std::string& why);

    std::unique_ptr<CJournalFile> file;
    std::string path;
    bool endsWithNewline = true;
    bool failed = false;
};
