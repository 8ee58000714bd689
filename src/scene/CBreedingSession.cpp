#include "scene/CBreedingSession.h"

#include "config/ParamFile.h"
#include "scene/CJournalAppender.h"

CBreedingSession* g_breedingSession = nullptr;

CBreedingSession::~CBreedingSession() = default;

std::unique_ptr<CBreedingSession> CBreedingSession::Open(const BreedingSessionOptions& options,
                                                         unsigned int clockSeed,
                                                         std::string* error) {
    std::unique_ptr<CBreedingSession> session(new CBreedingSession());
    session->seed = options.hasSeed ? options.seed : clockSeed;
    session->seeded = options.hasSeed;
    session->journalPath = options.journalPath;
    if (options.journalPath.empty()) return session;

    const std::string& path = options.journalPath;
    std::string text;
    bool created = false;
    session->journal = CJournalAppender::Open(
        path,
        [&session] {
            session->rates = ClampedRates(ReadBreedingRates("param.txt"));
            return FormatJournalHeader(session->seed, session->rates);
        },
        &text, &created, error);
    if (!session->journal) return nullptr;
    session->hasRates = true;
    if (created) return session;

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
