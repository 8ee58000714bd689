// The breeding journal: a plain text record of a session from which every
// generation can be made again. One record a line:
//
//   tessary-journal 1        format version (only 1 is known)
//   seed 1733600123          0..4294967295
//   rates 10 50              mutation and re-seed rate, 0..100 each
//   click 4                  a generation bred from cell 4 (0..8, row by row)
//   undo                     back to the generation before the last click
//
// The first three records are required, in that order. Blank lines and lines
// whose first non-blank character is '#' are ignored; spaces and tabs may
// separate and surround the words (a CR before the line end is white space).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/BreedingRates.h"

constexpr int kJournalVersion = 1;

// A journal larger than this is refused: about 30 million records, far more
// than any session clicks, and small enough to read whole.
constexpr std::size_t kMaxJournalBytes = std::size_t{256} << 20;

enum class JournalEntryKind { Click, Undo };

struct JournalEntry {
    JournalEntryKind kind = JournalEntryKind::Click;
    int cell = 0;  // Click: 0..8
    std::uint64_t line = 0;  // 1-based line of the text it came from (0: not parsed)
};

struct Journal {
    unsigned int seed = 0;
    BreedingRates rates;
    std::vector<JournalEntry> entries;
};

// Parses a journal's whole text. On failure returns false and sets `error` to
// "line N: what is wrong" (the line is the offending one, or the last line
// for a journal that ends before its header does); `journal` is then
// unspecified.
bool ParseJournal(std::string_view text, Journal* journal, std::string* error);

// The clicks in effect after `entries`: each click adds its cell, each undo
// takes the last one away (an undo with none in effect does nothing).
std::vector<int> ClicksInEffect(const std::vector<JournalEntry>& entries);

// The three header lines, each ending in '\n'. Rates are clamped to 0..100,
// which breeds exactly as the unclamped values do.
std::string FormatJournalHeader(unsigned int seed, const BreedingRates& rates);
// One record line, ending in '\n'.
std::string FormatJournalEntry(const JournalEntry& entry);

// Reads and parses the journal file at `path`. A file that cannot be read (a
// folder, a device, a pipe, a file over kMaxJournalBytes) gives false and
// "cannot read PATH: reason" in `error`; a malformed one the error of
// ParseJournal, prefixed with the path ("PATH: line N: ...").
bool LoadJournal(const std::string& path, Journal* journal, std::string* error);

// The first `generation` clicks of `clicks` (a negative generation: all of
// them), the clicks that lead to that generation. False with `error` set
// when there are fewer.
bool ClicksUpToGeneration(const std::vector<int>& clicks, long long generation,
                          std::vector<int>* out, std::string* error);
