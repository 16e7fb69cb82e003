// A repeated search may skip the working columns the store knows to be current; whatever
// changes the database in between, through the same store or another connection, the
// repeated search must still leave exactly what a search on a fresh store leaves.
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include <functional>

#include "acquire/replace_history.h"
#include "search_model.h"

namespace arrange5 {
namespace {

using test::SearchHistory;

const std::vector<std::string> kDraws = {"53039", "11111", "35019", "22222", "93053", "44444",
                                         "30395", "53390", "12345", "33500", "05353", "93530"};

struct Setting {
    const char* name;
    bool free;
    bool previous;
    int k;  // 0: the single search
};

const Setting kSettings[] = {
    {"free 上期", true, true, 0},        {"free 前期", true, false, 0},
    {"fixed 上期", false, true, 0},      {"fixed 前期", false, false, 0},
    {"combo free 前期", true, false, 2}, {"combo fixed 前期", false, false, 3},
};

SearchRequest requestFor(const SearchHistory& h, const Setting& s) {
    SearchRequest r = test::defaultRequest(h);
    r.settings.freePositions = s.free;
    r.settings.previousIssue = s.previous;
    r.settings.lagN = 3;
    r.reference = {3, 5, 0, 3, 9};
    r.positions = {true, true, false, true, false};
    r.from = h.firstIssue();
    r.tally.resultPosition = 5;
    r.tally.group = true;
    return r;
}

SearchResult search(HistoryStore& store, const SearchRequest& r, int k) {
    return k ? runCombinationSearch(store, r, k) : runSingleSearch(store, r);
}

// The hits and every column the model says the search writes.
void expectAsModel(HistoryStore& store, const std::vector<HistoryEntry>& entries,
                   const SearchRequest& r, int k, const SearchResult& got) {
    const test::ModelOutcome want =
        k ? test::modelCombinationSearch(entries, 1, r, k) : test::modelSingleSearch(entries, 1, r);
    ASSERT_EQ(got.hits.size(), want.hits.size());
    for (std::size_t i = 0; i < want.hits.size(); ++i) {
        EXPECT_EQ(got.hits[i].issue, want.hits[i].issue);
        EXPECT_EQ(got.hits[i].matched, want.hits[i].matched);
    }
    const test::LishiTable table = test::LishiTable::read(store);
    for (const auto& [column, values] : want.writes) {
        EXPECT_EQ(table.columnValues(column), values) << "column " << column;
    }
}

// Runs every setting twice around `meddle`, which may change the database and the draws.
void checkAround(const std::function<void(SearchHistory&)>& meddle) {
    for (const Setting& s : kSettings) {
        SCOPED_TRACE(s.name);
        SearchHistory h(2013001, kDraws);
        const SearchRequest first = requestFor(h, s);
        search(*h.store, first, s.k);
        meddle(h);
        const SearchRequest again = requestFor(h, s);
        expectAsModel(*h.store, h.entries, again, s.k, search(*h.store, again, s.k));
    }
}

// Every lag column and mark a search writes, overwritten with values no search produces.
const char* const kScramble =
    "UPDATE Lishi SET intTh = 7, bolOk = 1, txtHisP6 = 'x', txtHisPreLst = 'x', "
    "txtHisPreLstHm = '1X3 1X5 ', L1AS = 3, L2AS = 5, L4AS = 3, L1AP = 3, L2AP = 5, L3AP = 0, "
    "L4AP = 3, L5AP = 9 WHERE SQQH % 2 = 0";

TEST(WorkingColumns, AnotherConnectionOverwritingThemIsNoticed) {
    checkAround([](SearchHistory& h) {
        SQLite::Database other(h.store->databasePath().string(), SQLite::OPEN_READWRITE);
        other.setBusyTimeout(3000);
        other.exec(kScramble);
    });
}

TEST(WorkingColumns, AWriteThroughTheSameStoreIsNoticed) {
    checkAround([](SearchHistory& h) {
        h.store->write(
            "test", [](HistoryWriter& writer) { writer.execute(kScramble); },
            ChangeKind::WorkingColumns);
    });
}

TEST(WorkingColumns, AnotherProgramsSearchWithOtherSettingsIsNoticed) {
    checkAround([](SearchHistory& h) {
        HistoryStore other(h.dir.path());
        SearchRequest r = requestFor(h, kSettings[3]);
        r.settings.lagN = 5;
        runSingleSearch(other, r);
        r.settings.freePositions = true;
        r.settings.previousIssue = true;
        runCombinationSearch(other, r, 2);
    });
}

TEST(WorkingColumns, DrawsChangedByAnotherConnectionAreNoticed) {
    checkAround([](SearchHistory& h) {
        // The same number of rows, one draw different: only the content tells.
        auto entries = h.entries;
        entries[8].digits = {3, 5, 3, 0, 9};
        test::seedFolder(h.dir.path(), entries);
        h.entries = entries;
        h.store->reopenReadingCursor();
        EXPECT_EQ(h.store->rows()[8].digits(), entries[8].digits);
    });
}

TEST(WorkingColumns, ADrawAppendedThroughTheSameStoreIsNoticed) {
    checkAround([](SearchHistory& h) {
        auto entries = h.entries;
        entries.push_back(test::entriesFrom(h.firstIssue() + int(entries.size()), {"35390"})[0]);
        h.replace(entries, 1);
        EXPECT_EQ(h.store->rows().size(), entries.size());
    });
}

}  // namespace
}  // namespace arrange5
