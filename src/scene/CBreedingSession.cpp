#include "scene/CBreedingSession.h"

#include <utility>

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
    JournalState state = StateInEffect(journal);
    session->seed = journal.seed;
    session->rates = state.rates;
    session->locked = state.locked;
    session->steps = std::move(state.steps);
    return session;
}

std::vector<int> CBreedingSession::Clicks() const {
    std::vector<int> cells;
    for (const BreedingStep& step : steps) cells.push_back(step.cell);
    return cells;
}

void CBreedingSession::Append(const JournalEntry& entry) {
    if (journal) journal->Append(FormatJournalEntry(entry));
}

void CBreedingSession::RecordClick(int cell) {
    steps.push_back({cell, rates, locked});
    Append({JournalEntryKind::Click, cell, 0});
}

bool CBreedingSession::Undo() {
    if (steps.empty()) return false;
    steps.pop_back();
    Append({JournalEntryKind::Undo, 0, 0});
    return true;
}

void CBreedingSession::RecordRates(const BreedingRates& newRates) {
    const BreedingRates kept = ClampedRates(newRates);
    if (kept.mutationRate == rates.mutationRate && kept.reseedRate == rates.reseedRate) return;
    rates = kept;
    Append({JournalEntryKind::Rates, 0, 0, kept});
}

void CBreedingSession::RecordLock(int cell, bool lock) {
    if (cell < 0 || cell >= kPopulationSize) return;
    const auto bit = static_cast<std::size_t>(cell);
    if (locked[bit] == lock) return;
    locked.set(bit, lock);
    Append({lock ? JournalEntryKind::Lock : JournalEntryKind::Unlock, cell, 0});
}
