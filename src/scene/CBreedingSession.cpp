#include "scene/CBreedingSession.h"

#include <sys/stat.h>

#include <cerrno>

#include "config/ParamFile.h"
#include "scene/CJournalAppender.h"

CBreedingSession* g_breedingSession = nullptr;

CBreedingSession::~CBreedingSession() = default;

std::unique_ptr<CBreedingSession> CBreedingSession::Open(const BreedingSessionOptions& options,
                                                         unsigned int clockSeed,
                                                         std::string* error) {
    std::unique_ptr<CBreedingSession> session(new CBreedingSession());
    session->seed = options.hasSeed ? options.seed : clockSeed;
    if (options.journalPath.empty()) return session;

    const std::string& path = options.journalPath;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        session->hasRates = true;
        session->rates = ClampedRates(ReadBreedingRates("param.txt"));
        session->journal = CJournalAppender::Create(
            path, FormatJournalHeader(session->seed, session->rates), error);
        return session->journal ? std::move(session) : nullptr;
    }

    std::string text;
    session->journal = CJournalAppender::OpenExisting(path, &text, error);
    if (!session->journal) return nullptr;
    Journal journal;
    if (!ParseJournal(text, &journal, error)) {
        *error = path + ": " + *error;
        return nullptr;
    }
    if (options.hasSeed && options.seed != journal.seed) {
        *error = "--seed " + std::to_string(options.seed) + " disagrees with the seed " +
                 std::to_string(journal.seed) + " of " + path;
        return nullptr;
    }
    session->seed = journal.seed;
    session->hasRates = true;
    session->rates = journal.rates;
    session->clicks = ClicksInEffect(journal.entries);
    return session;
}

void CBreedingSession::Append(const JournalEntry& entry) {
    if (journal) journal->Append(FormatJournalEntry(entry));
}

void CBreedingSession::RecordClick(int cell) {
    clicks.push_back(cell);
    Append({JournalEntryKind::Click, cell, 0});
}

bool CBreedingSession::Undo() {
    if (clicks.empty()) return false;
    clicks.pop_back();
    Append({JournalEntryKind::Undo, 0, 0});
    return true;
}
