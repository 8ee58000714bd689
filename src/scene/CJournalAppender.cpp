#include "scene/CJournalAppender.h"

#include <cstdio>

#include "genetic/Journal.h"
#include "platform/files/CJournalFile.h"

CJournalAppender::CJournalAppender(std::unique_ptr<CJournalFile> file, std::string path)
    : file(std::move(file)), path(std::move(path)) {}

CJournalAppender::~CJournalAppender() = default;

std::unique_ptr<CJournalAppender> CJournalAppender::Open(
    const std::string& path, const std::function<std::string()>& makeHeader, std::string* text,
    bool* created, std::string* error) {
    *created = false;
    // Twice at most: a name taken between our look and our link is opened.
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool missing = false;
        std::unique_ptr<CJournalFile> existing =
            CJournalFile::OpenExisting(path, kMaxJournalBytes, &missing, error);
        if (existing) {
            if (!existing->Lock(error) || !existing->ReadAll(kMaxJournalBytes, text, error)) {
                return nullptr;
            }
            std::unique_ptr<CJournalAppender> appender(
                new CJournalAppender(std::move(existing), path));
            if (!text->empty()) {
                // A file cut by hand may end without a line break; the next
                // record must still start on a line of its own.
                appender->endsWithNewline = text->back() == '\n';
                return appender;
            }
            *text = makeHeader();
            std::string reason;
            if (!appender->file->AppendSynced(*text, &reason)) {
                *error = "cannot write " + path + ": " + reason;
                return nullptr;
            }
            *created = true;
            return appender;
        }
        if (!missing) return nullptr;
        *text = makeHeader();
        bool taken = false;
        std::unique_ptr<CJournalFile> fresh = CJournalFile::CreateWhole(path, *text, &taken, error);
        if (fresh) {
            *created = true;
            return std::unique_ptr<CJournalAppender>(new CJournalAppender(std::move(fresh), path));
        }
        if (!taken) return nullptr;
    }
    *error = path + " is in use by another Tessary session";
    return nullptr;
}

bool CJournalAppender::Append(const std::string& line) {
    if (failed) return false;
    const std::string data = endsWithNewline ? line : "\n" + line;
    std::string reason;
    if (!file->AppendSynced(data, &reason)) {
        Fail(reason);
        return false;
    }
    endsWithNewline = true;
    // Writing to a file that was removed succeeds but keeps nothing.
    if (!file->StillNamed()) {
        Fail("the file was removed");
        return false;
    }
    return true;
}

void CJournalAppender::Fail(const std::string& why) {
    failed = true;
    std::fprintf(stderr,
                 "tessary: cannot write the journal %s (%s); the session goes on, but "
                 "what follows is not kept\n",
                 path.c_str(), why.c_str());
}
