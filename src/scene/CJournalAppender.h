// Appends records to a journal file so that none that was written can be
// lost or half-kept: each record goes out in one write and is synced to disk
// before Append returns, and the file is locked against a second writer.
// After the first failure (disk full, file removed, I/O error) it says so
// once on standard error and writes no more, so the file stays a valid
// prefix of the session instead of one with a record missing in the middle.
#pragma once

#include <memory>
#include <string>

class CJournalAppender {
public:
    // Creates the file at `path`, which must not exist, with `header` as its
    // first records. Null with `error` set on failure.
    static std::unique_ptr<CJournalAppender> Create(const std::string& path,
                                                    const std::string& header,
                                                    std::string* error);
    // Opens the existing file at `path` for appending and reads its whole
    // text into `text`, under the lock, so what is parsed is what is
    // appended to. Null with `error` set on failure.
    static std::unique_ptr<CJournalAppender> OpenExisting(const std::string& path,
                                                          std::string* text, std::string* error);
    ~CJournalAppender();
    CJournalAppender(const CJournalAppender&) = delete;
    CJournalAppender& operator=(const CJournalAppender&) = delete;

    // Appends one record (a whole line); false once writing has failed.
    bool Append(const std::string& line);

private:
    CJournalAppender(int fd, std::string path, bool endsWithNewline);
    void Fail(const std::string& why);

    int fd;
    std::string path;
    bool endsWithNewline;
    bool failed = false;
};
