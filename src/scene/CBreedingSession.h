// A breeding session that can be made again: the seed of the random
// sequence, the clicks in effect with the rates and locked cells each was
// taken with, and the rates and locked cells in effect now, optionally kept
// in a journal file that every click, undo, rate change, lock and unlock is
// appended to as it happens. The program has a session only when started
// with --seed or --journal; without one it behaves exactly as it always has.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/BreedingRates.h"
#include "genetic/Journal.h"

struct BreedingSessionOptions {
    bool hasSeed = false;
    unsigned int seed = 0;
    std::string journalPath;  // empty: no journal
};

class CJournalAppender;

class CBreedingSession {
public:
    // Makes the session the options ask for; null with `error` set when they
    // cannot be honoured. With a journal path: an existing file is resumed
    // (its seed, its clicks, and the rates and locked cells at its end; a
    // --seed that disagrees is refused) and left as it is if it is not a
    // valid journal; a missing file is created with its
    // header, the seed being --seed's or `clockSeed`, the rates param.txt's.
    // A journal held open by another session is refused.
    static std::unique_ptr<CBreedingSession> Open(const BreedingSessionOptions& options,
                                                  unsigned int clockSeed, std::string* error);
    ~CBreedingSession();
    CBreedingSession(const CBreedingSession&) = delete;
    CBreedingSession& operator=(const CBreedingSession&) = delete;

    unsigned int Seed() const { return seed; }
    // The journal's path as given (empty without one), and whether --seed
    // chose the seed: what a saved shape's file names are made from.
    const std::string& JournalPath() const { return journalPath; }
    bool Seeded() const { return seeded; }
    // The rates to breed with, or null when param.txt decides (no journal).
    const BreedingRates* Rates() const { return hasRates ? &rates : nullptr; }
    // The cells locked now.
    const LockedCells& Locked() const { return locked; }
    // The clicks in effect, oldest first; their count is the generation.
    const std::vector<BreedingStep>& Steps() const { return steps; }
    std::size_t Generation() const { return steps.size(); }
    // The cells of the clicks in effect.
    std::vector<int> Clicks() const;

    // A generation was bred from `cell` with the rates and locked cells in
    // effect: kept, and appended to the journal.
    void RecordClick(int cell);
    // Goes back one generation: false (nothing kept or written) at
    // generation 0, otherwise the last click is taken away and "undo"
    // appended. Rates and locks stay as they are.
    bool Undo();
    // The rates in effect from now on, clamped to 0..100; appended as
    // "rates M R" when they differ from those in effect.
    void RecordRates(const BreedingRates& newRates);
    // Locks or unlocks `cell` (0..8); appended as "lock K" or "unlock K"
    // when that changes it.
    void RecordLock(int cell, bool lock);

private:
    CBreedingSession() = default;
    void Append(const JournalEntry& entry);

    unsigned int seed = 0;
    bool seeded = false;
    std::string journalPath;
    bool hasRates = false;
    BreedingRates rates;
    LockedCells locked;
    std::vector<BreedingStep> steps;
    std::unique_ptr<CJournalAppender> journal;  // null without a journal file
};

// The program's session, or null when it was started without options. Set
// by the program entry for its whole run.
extern CBreedingSession* g_breedingSession;
