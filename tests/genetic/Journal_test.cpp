// The journal's text format: what parses, what is refused with the line it
// names, the clicks in effect after undos, and that no damaged text can do
// worse than a clean error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "genetic/Journal.h"

namespace {

const std::string kValid =
    "tessary-journal 1\nseed 1733600123\nrates 10 50\nclick 4\nlock 3\nclick 0\nundo\n"
    "rates 15 45\nclick 7\nunlock 3\n";

TEST(Journal, ParsesRecordsIgnoringCommentsBlanksAndLineEndStyles) {
    const std::string text =
        "\xEF\xBB\xBF# kept by hand\n\ntessary-journal 1\r\n  seed\t4294967295  \r\n"
        "rates 0 100\n   # a comment\nclick 8\nundo\nclick 0";  // no final line break
    Journal journal;
    std::string error;
    ASSERT_TRUE(ParseJournal(text, &journal, &error)) << error;
    EXPECT_EQ(journal.seed, 4294967295u);
    EXPECT_EQ(journal.rates.mutationRate, 0);
    EXPECT_EQ(journal.rates.reseedRate, 100);
    ASSERT_EQ(journal.entries.size(), 3u);
    EXPECT_EQ(journal.entries[0].cell, 8);
    EXPECT_EQ(journal.entries[0].line, 7);
    EXPECT_EQ(journal.entries[1].kind, JournalEntryKind::Undo);
    EXPECT_EQ(journal.entries[2].line, 9);
}

TEST(Journal, RefusesMalformedTextNamingTheLine) {
    const std::string header = "tessary-journal 1\nseed 1\nrates 10 50\n";
    struct Case {
        std::string text;
        const char* error;  // the start of the message
    };
    const Case cases[] = {
        {"", "line 1: the journal ends before its 'tessary-journal 1'"},
        {"# only a comment\n", "line 1: the journal ends before its 'tessary-journal 1'"},
        {"tessary-journal 1\nseed 1\n", "line 2: the journal ends before its 'rates'"},
        {"tessary-journal 2\n", "line 1: journal version '2' is not supported"},
        {"tessary-journal\n", "line 1: 'tessary-journal' needs 1 value"},
        {"hello 1\n", "line 1: not a Tessary journal"},
        {"tessary-journal 1\nrates 10 50\n", "line 2: expected 'seed', found 'rates'"},
        {"tessary-journal 1\nseed 4294967296\n", "line 2: the seed must be a whole number"},
        {"tessary-journal 1\nseed -1\n", "line 2: the seed must be a whole number"},
        {"tessary-journal 1\nseed 1\nrates 10\n", "line 3: 'rates' needs 2 values"},
        {"tessary-journal 1\nseed 1\nrates 10 101\n", "line 3: the re-seed rate must be"},
        {header + "click 9\n", "line 4: the cell must be a whole number from 0 to 8"},
        {header + "click +3\n", "line 4: the cell must be"},
        {header + "click 3 4\n", "line 4: unexpected text after 'click': '4'"},
        {header + "undo now\n", "line 4: unexpected text after 'undo'"},
        {header + "\n\nclick\n", "line 6: 'click' needs 1 value"},
        {header + "seed 2\n", "line 4: unknown record 'seed'"},
        {header + "Click 1\n", "line 4: unknown record 'Click'"},
        {header + "click\x1b[2J 1\n", "line 4: unknown record 'click?[2J'"},
        {header + "rates 5\n", "line 4: 'rates' needs 2 values"},
        {header + "rates 5 101\n", "line 4: the re-seed rate must be"},
        {header + "lock 9\n", "line 4: the cell must be"},
        {header + "unlock\n", "line 4: 'unlock' needs 1 value"},
        {header + "lock 1 2\n", "line 4: unexpected text after 'lock': '2'"},
        {header + "Lock 1\n", "line 4: unknown record 'Lock'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Journal journal;
        std::string error;
        EXPECT_FALSE(ParseJournal(c.text, &journal, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

TEST(Journal, UndoTakesBackTheLastClickInEffectAndNothingAtGenerationZero) {
    using K = JournalEntryKind;
    const std::vector<JournalEntry> entries = {{K::Undo}, {K::Click, 4}, {K::Click, 0},
                                               {K::Undo}, {K::Click, 7}, {K::Click, 2},
                                               {K::Undo}, {K::Undo},     {K::Undo},
                                               {K::Undo}, {K::Click, 5}};
    EXPECT_EQ(ClicksInEffect(entries), std::vector<int>{5});
    EXPECT_EQ(ClicksInEffect({entries.begin(), entries.begin() + 5}), (std::vector<int>{4, 7}));
}

// Thousands of random edits of a valid journal (run under the sanitizers):
// each gives either a clean parse or an error naming a line of the text.
TEST(Journal, DamagedTextGivesACleanParseOrAnErrorNamingALine) {
    std::mt19937 random(20261207);
    using namespace std::string_literals;
    const std::string alphabet = "0123456789 \t\r\n#-+xclickundoseedrateslock\xff\0"s;
    int errors = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text = kValid;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = text.empty() ? 0 : random() % text.size();
            const char c = alphabet[random() % alphabet.size()];
            switch (random() % 4) {
                case 0: if (!text.empty()) text.erase(at, 1 + random() % 5); break;
                case 1: text.insert(at, 1, c); break;
                case 2: if (!text.empty()) text[at] = c; break;
                default: text.insert(at, text.substr(random() % text.size(), random() % 20));
            }
        }
        Journal journal;
        std::string error;
        if (ParseJournal(text, &journal, &error)) {
            for (const JournalEntry& entry : journal.entries) {
                ASSERT_TRUE(entry.cell >= 0 && entry.cell <= 8);
                ASSERT_TRUE(entry.rates.mutationRate >= 0 && entry.rates.mutationRate <= 100 &&
                            entry.rates.reseedRate >= 0 && entry.rates.reseedRate <= 100);
            }
            continue;
        }
        ++errors;
        const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        int line = 0;
        ASSERT_EQ(std::sscanf(error.c_str(), "line %d: ", &line), 1) << error;
        ASSERT_GE(line, 1);
        ASSERT_LE(line, lines) << text;
    }
    EXPECT_GT(errors, 1000);  // the edits do reach the checks
}

}  // namespace
