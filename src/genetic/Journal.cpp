#include "genetic/Journal.h"

#include <algorithm>
#include <cstdint>

#include "config/Decimal.h"
#include "platform/files/ReadRegularFile.h"

namespace {

constexpr std::string_view kMagic = "tessary-journal";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::size_t kMaxQuoted = 32;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// No record has more than a keyword and two values; one word more is enough
// to report text after a record, so a line is never split further than that.
constexpr std::size_t kMaxWords = 4;

// The first kMaxWords words of one line, split at runs of blanks.
std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size() && words.size() < kMaxWords) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A word as it may safely be shown in a message: at most kMaxQuoted
// characters, with control and non-ASCII bytes shown as '?', so a damaged
// file cannot put terminal escapes into the error.
std::string Quoted(std::string_view word) {
    std::string shown = "'";
    for (std::size_t i = 0; i < word.size() && i < kMaxQuoted; ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        shown += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (word.size() > kMaxQuoted) shown += "...";
    return shown + "'";
}

bool ParseNumber(std::string_view word, std::uint64_t max, std::uint64_t* value) {
    return ParseDecimal(word, std::uint64_t{0}, max, value);
}

class CParser {
public:
    CParser(Journal* journal, std::string* error) : journal(journal), error(error) {}

    bool Line(std::uint64_t number, const std::vector<std::string_view>& words) {
        line = number;
        switch (recordsSeen++) {
            case 0: return Header(words);
            case 1: return Seed(words);
            case 2: return Rates(words);
            default: return Entry(words);
        }
    }

    bool Finish(std::uint64_t lastLine) {
        static constexpr const char* kMissing[] = {"'tessary-journal 1'", "'seed'", "'rates'"};
        if (recordsSeen >= 3) return true;
        line = std::max<std::uint64_t>(lastLine, 1);
        return Fail(std::string("the journal ends before its ") + kMissing[recordsSeen] +
                    " record");
    }

private:
    bool Fail(const std::string& what) {
        *error = "line " + std::to_string(line) + ": " + what;
        return false;
    }

    // Checks the word count of a record: its keyword and `values` values.
    bool Arity(const std::vector<std::string_view>& words, std::size_t values) {
        const std::string keyword(words[0]);
        if (words.size() < values + 1) {
            return Fail("'" + keyword + "' needs " + std::to_string(values) +
                        (values == 1 ? " value" : " values"));
        }
        if (words.size() > values + 1) {
            return Fail("unexpected text after '" + keyword + "': " + Quoted(words[values + 1]));
        }
        return true;
    }

    bool Number(std::string_view word, std::uint64_t max, const char* what,
                std::uint64_t* value) {
        if (ParseNumber(word, max, value)) return true;
        return Fail(std::string(what) + " must be a whole number from 0 to " +
                    std::to_string(max) + ", not " + Quoted(word));
    }

    bool Expect(const std::vector<std::string_view>& words, std::string_view keyword) {
        if (words[0] == keyword) return true;
        return Fail("expected '" + std::string(keyword) + "', found " + Quoted(words[0]));
    }

    bool Header(const std::vector<std::string_view>& words) {
        if (words[0] != kMagic) {
            return Fail("not a Tessary journal (it must begin with 'tessary-journal 1')");
        }
        std::uint64_t version = 0;
        if (!Arity(words, 1)) return false;
        if (!ParseNumber(words[1], UINT32_MAX, &version) || version != kJournalVersion) {
            return Fail("journal version " + Quoted(words[1]) + " is not supported (only 1 is)");
        }
        return true;
    }

    bool Seed(const std::vector<std::string_view>& words) {
        std::uint64_t seed = 0;
        if (!Expect(words, "seed") || !Arity(words, 1)) return false;
        if (!Number(words[1], UINT32_MAX, "the seed", &seed)) return false;
        journal->seed = static_cast<unsigned int>(seed);
        return true;
    }

    bool Rates(const std::vector<std::string_view>& words) {
        std::uint64_t mutation = 0;
        std::uint64_t reseed = 0;
        if (!Expect(words, "rates") || !Arity(words, 2)) return false;
        if (!Number(words[1], 100, "the mutation rate", &mutation)) return false;
        if (!Number(words[2], 100, "the re-seed rate", &reseed)) return false;
        journal->rates = {static_cast<int>(mutation), static_cast<int>(reseed)};
        return true;
    }

    bool Entry(const std::vector<std::string_view>& words) {
        if (words[0] == "click") {
            std::uint64_t cell = 0;
            if (!Arity(words, 1) || !Number(words[1], 8, "the cell", &cell)) return false;
            journal->entries.push_back({JournalEntryKind::Click, static_cast<int>(cell), line});
            return true;
        }
        if (words[0] == "undo") {
            if (!Arity(words, 0)) return false;
            journal->entries.push_back({JournalEntryKind::Undo, 0, line});
            return true;
        }
        return Fail("unknown record " + Quoted(words[0]) + " (expected 'click' or 'undo')");
    }

    Journal* journal;
    std::string* error;
    std::uint64_t line = 0;
    int recordsSeen = 0;
};

}  // namespace

bool ParseJournal(std::string_view text, Journal* journal, std::string* error) {
    *journal = Journal{};
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    CParser parser(journal, error);
    std::uint64_t number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words[0].front() == '#') continue;
        if (!parser.Line(number, words)) return false;
    }
    return parser.Finish(number);
}

std::vector<int> ClicksInEffect(const std::vector<JournalEntry>& entries) {
    std::vector<int> clicks;
    for (const JournalEntry& entry : entries) {
        if (entry.kind == JournalEntryKind::Click) {
            clicks.push_back(entry.cell);
        } else if (!clicks.empty()) {
            clicks.pop_back();
        }
    }
    return clicks;
}

std::string FormatJournalHeader(unsigned int seed, const BreedingRates& rates) {
    const BreedingRates kept = ClampedRates(rates);
    return std::string(kMagic) + " " + std::to_string(kJournalVersion) + "\nseed " +
           std::to_string(seed) + "\nrates " + std::to_string(kept.mutationRate) + " " +
           std::to_string(kept.reseedRate) + "\n";
}

std::string FormatJournalEntry(const JournalEntry& entry) {
    if (entry.kind == JournalEntryKind::Undo) return "undo\n";
    return "click " + std::to_string(entry.cell) + "\n";
}

bool LoadJournal(const std::string& path, Journal* journal, std::string* error) {
    std::string text;
    if (!ReadRegularFile(path, kMaxJournalBytes, &text, error)) return false;
    if (!ParseJournal(text, journal, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

bool ClicksUpToGeneration(const std::vector<int>& clicks, long long generation,
                          std::vector<int>* out, std::string* error) {
    if (generation > static_cast<long long>(clicks.size())) {
        *error = "there is no generation " + std::to_string(generation) + ": the last is " +
                 std::to_string(clicks.size());
        return false;
    }
    const std::size_t count = generation < 0 ? clicks.size() : static_cast<std::size_t>(generation);
    out->assign(clicks.begin(), clicks.begin() + static_cast<std::ptrdiff_t>(count));
    return true;
}
