#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

#include <set>

#include "analysis/reference.h"
#include "search_model.h"
#include "store/errors.h"
#include "store/sql_connection.h"

namespace arrange5 {
namespace {

using test::SearchHistory;
using Issues = std::vector<int32_t>;

SearchRequest freeRequest(const SearchHistory& h, std::initializer_list<int> positions,
                          ReferenceValues reference) {
    SearchRequest r = test::defaultRequest(h);
    r.reference = reference;
    for (int p : positions) r.positions[p - 1] = true;
    return r;
}

const TallyRow& rowFor(const SearchResult& result, int value) {
    for (const auto& row : result.tally) {
        if (row.value == value) return row;
    }
    throw std::runtime_error("no tally row for " + std::to_string(value));
}

TEST(SingleSearch, FreeMatchingNeedsTheReferenceMultisetInThePreviousDraw) {
    // Reference digits 3, 3, 5: the previous draw needs two 3s and a 5, at any positions.
    SearchHistory h(2013001, {"53039", "11111", "35019", "22222", "93053", "44444"});
    const SearchResult r = runSingleSearch(*h.store, freeRequest(h, {1, 2, 3}, {3, 3, 5, 0, 0}));
    EXPECT_EQ(h.hitIssues(r), (Issues{2013002, 2013006}));
    EXPECT_EQ(r.hits[0].matched, "53039");
    EXPECT_EQ(r.hits[0].values, (std::array<int16_t, 5>{1, 1, 1, 1, 1}));
    EXPECT_FALSE(r.earlierMode);
}

TEST(SingleSearch, FixedMatchingComparesEachTickedPositionOfThePreviousDraw) {
    SearchHistory h(2013001, {"14000", "00000", "04000", "24111", "99999"});
    SearchRequest req = freeRequest(h, {2}, {0, 4, 0, 0, 0});
    req.settings.freePositions = false;
    EXPECT_EQ(h.hitIssues(runSingleSearch(*h.store, req)), (Issues{2013002, 2013004, 2013005}));
    req.positions[0] = true;  // and position 1 = 0
    EXPECT_EQ(h.hitIssues(runSingleSearch(*h.store, req)), (Issues{2013004}));
}

TEST(SingleSearch, NoTickedPositionSelectsEveryRowOfTheRangeThatHasAPreviousDraw) {
    SearchHistory h(2013356, {"12345", "23456", "34567", "45678", "56789", "67890"});
    SearchRequest req = freeRequest(h, {}, {9, 9, 9, 9, 9});
    req.from = 2013357;
    req.to = 2014002;
    EXPECT_EQ(h.hitIssues(runSingleSearch(*h.store, req)),
              (Issues{2013357, 2013358, 2014001, 2014002}));
    // From the first row on: the first row has no previous draw, so it is never a hit.
    req.from = h.firstIssue();
    EXPECT_EQ(h.hitIssues(runSingleSearch(*h.store, req)),
              (Issues{2013357, 2013358, 2014001, 2014002}));
    // The bounds are inclusive for real matches too: the rows after 12345 and after 56789.
    SearchHistory m(2013001, {"12345", "00000", "99999", "11111", "12345", "70000"});
    SearchRequest fixed = freeRequest(m, {1, 5}, {1, 0, 0, 0, 5});
    fixed.settings.freePositions = false;
    fixed.from = 2013002;
    fixed.to = 2013006;
    EXPECT_EQ(m.hitIssues(runSingleSearch(*m.store, fixed)), (Issues{2013002, 2013006}));
}

TEST(SingleSearch, EarlierModeMatchesTheDrawNIssuesBackAndNeverRowsWithoutOne) {
    // N = 3: row r is matched against row r − 3; the first three rows have no such draw.
    SearchHistory h(2013001, {"00000", "00000", "55550", "00000", "00000", "00000", "00000"});
    SearchSettings s;
    s.previousIssue = false;
    s.lagN = 3;
    EXPECT_EQ(referenceRowIndex(h.store->rows(), s), std::optional<std::size_t>(4));
    EXPECT_EQ(defaultRangeStart(h.store->rows(), s), std::optional<int32_t>(2013004));

    SearchRequest req = freeRequest(h, {1, 2}, {0, 0, 0, 0, 0});
    req.settings = s;
    req.from = h.firstIssue();  // the whole history, so rows 1..3 could show up
    for (const bool free : {true, false}) {
        SCOPED_TRACE(free ? "自由位" : "固定位");
        req.settings.freePositions = free;
        const SearchResult r = runSingleSearch(*h.store, req);
        EXPECT_EQ(h.hitIssues(r), (Issues{2013004, 2013005, 2013007}));
        EXPECT_TRUE(r.earlierMode);
        ASSERT_FALSE(r.hits.empty());
        EXPECT_EQ(r.hits[0].matched, "00000");  // the first row's draw, three issues back
    }
    req.positions = {};
    // Nothing ticked: every row in range that has a draw three back, never the first three.
    for (const bool free : {true, false}) {
        SCOPED_TRACE(free ? "自由位, nothing ticked" : "固定位, nothing ticked");
        req.settings.freePositions = free;
        const SearchResult all = runSingleSearch(*h.store, req);
        EXPECT_EQ(h.hitIssues(all), (Issues{2013004, 2013005, 2013006, 2013007}));
        ASSERT_EQ(all.hits.size(), 4u);
        EXPECT_EQ(all.hits[0].matched, "00000");
        EXPECT_EQ(all.hits[2].matched, "55550");
    }
}

TEST(SingleSearch, AReferenceValueOutsideTheKindMatchesNothing) {
    SearchHistory h(2013001, {"11111", "11111", "11111"});
    for (const bool free : {true, false}) {
        SearchRequest req = freeRequest(h, {1, 2}, {1, -1, 1, 1, 1});
        req.settings.freePositions = free;
        EXPECT_TRUE(runSingleSearch(*h.store, req).hits.empty());
        req.reference = {1, 10, 1, 1, 1};
        EXPECT_TRUE(runSingleSearch(*h.store, req).hits.empty());
        req.settings.kind = CodeKind::BigSmall;
        req.reference = {0, 2, 0, 0, 0};
        EXPECT_TRUE(runSingleSearch(*h.store, req).hits.empty());
        req.reference = {0, 0, 0, 0, 0};
        EXPECT_EQ(runSingleSearch(*h.store, req).hits.size(), 2u);
    }
}

TEST(SingleSearch, RunsAgainWithTheSameHitsAfterAnyOtherSearch) {
    SearchHistory h(2013001, {"12345", "54321", "12345", "11111", "54321", "12345", "67890"});
    SearchRequest req = freeRequest(h, {1, 3}, {5, 0, 3, 0, 0});
    const Issues first = h.hitIssues(runSingleSearch(*h.store, req));
    EXPECT_EQ(first, (Issues{2013002, 2013003, 2013004, 2013006, 2013007}));
    EXPECT_EQ(h.hitIssues(runSingleSearch(*h.store, req)), first);
    SearchRequest other = req;
    other.settings.previousIssue = false;
    other.settings.lagN = 2;
    other.settings.freePositions = false;
    runCombinationSearch(*h.store, other, 1);
    runSingleSearch(*h.store, other);
    EXPECT_EQ(h.hitIssues(runSingleSearch(*h.store, req)), first);
}

TEST(Tally, TwentyHitsGiveTheWindowsPercentagesForStraightAndGroupCounting) {
    // 21 draws; the last 20 are the hits of a search without ticked positions, and five of
    // them have 7 at position 3.
    std::vector<std::string> draws = {"00000"};
    for (int i = 0; i < 20; ++i) draws.push_back(i % 4 == 0 ? "00700" : "12345");
    SearchHistory h(2013001, draws);
    SearchRequest req = freeRequest(h, {}, {0, 0, 0, 0, 0});
    req.tally.resultPosition = 3;
    SearchResult r = runSingleSearch(*h.store, req);
    ASSERT_EQ(r.hits.size(), 20u);
    EXPECT_EQ(r.total, 20);
    EXPECT_EQ(rowFor(r, 7).count, 5);
    EXPECT_EQ(rowFor(r, 7).percent, "25.000%");
    EXPECT_EQ(rowFor(r, 3).percent, "75.000%");
    EXPECT_EQ(rowFor(r, 9).percent, "0.000%");
    EXPECT_EQ(r.tally.front().value, 3);
    EXPECT_EQ(r.tally[1].value, 7);
    EXPECT_EQ(r.tally[2].value, 0) << "equal counts follow in ascending order";
    EXPECT_EQ(r.tally.back().value, 9);

    req.tally.group = true;
    r = runSingleSearch(*h.store, req);
    EXPECT_EQ(r.total, 60);
    EXPECT_EQ(rowFor(r, 7).count, 5);
    EXPECT_EQ(rowFor(r, 7).percent, "8.333%");
    EXPECT_EQ(rowFor(r, 0).count, 10);
}

TEST(Tally, NoHitsListsEveryOutcomeAtZeroWithoutPercentages) {
    SearchHistory h(2013001, {"12345", "67890"});
    SearchRequest req = freeRequest(h, {1}, {9, 0, 0, 0, 0});
    req.tally.resultKind = CodeKind::OddEven;
    const SearchResult r = runSingleSearch(*h.store, req);
    EXPECT_TRUE(r.hits.empty());
    EXPECT_EQ(r.total, 0);
    ASSERT_EQ(r.tally.size(), 2u);
    EXPECT_EQ(r.tally[0].outcome, "双");
    EXPECT_EQ(r.tally[1].outcome, "单");
    for (const auto& row : r.tally) {
        EXPECT_EQ(row.count, 0);
        EXPECT_EQ(row.percent, "");
    }
}

TEST(Tally, SegmentsAreListedUnderTheCurrentBaseAndOtherRowsStillCount) {
    // Stored with base 1: digit 9 is segment 5, which base 0 does not list.
    SearchHistory h(2013001, {"00000", "90000", "20000", "90000"}, 1);
    SearchRequest req = freeRequest(h, {}, {0, 0, 0, 0, 0});
    req.tally.resultKind = CodeKind::Segment;
    req.tally.segmentBase = 0;
    SearchResult r = runSingleSearch(*h.store, req);
    EXPECT_EQ(r.total, 3);
    ASSERT_EQ(r.tally.size(), 5u);
    EXPECT_EQ(r.tally[0].value, 2);
    EXPECT_EQ(r.tally[0].percent, "33.333%");
    EXPECT_EQ(r.tally[1].value, 0);
    req.tally.segmentBase = 1;
    r = runSingleSearch(*h.store, req);
    EXPECT_EQ(r.tally[0].value, 5);
    EXPECT_EQ(r.tally[0].percent, "66.667%");
    EXPECT_EQ(r.tally[1].value, 2);
    EXPECT_EQ(r.tally.back().value, 4);
}

TEST(CombinationSearch, FiveFreePositionsMatchAnyPermutationOfTheReference) {
    SearchHistory h(2013001,
                    {"42312", "00000", "12234", "00000", "12334", "00000", "22134", "00000"});
    SearchRequest req = freeRequest(h, {}, {1, 2, 2, 3, 4});
    req.from = h.firstIssue();
    EXPECT_EQ(h.hitIssues(runCombinationSearch(*h.store, req, 5)),
              (Issues{2013002, 2013004, 2013008}));
    req.settings.freePositions = false;
    EXPECT_EQ(h.hitIssues(runCombinationSearch(*h.store, req, 5)), (Issues{2013004}));
}

TEST(CombinationSearch, IsTheUnionOfTheSingleSearchesOfEveryCombination) {
    SearchHistory h(2013001, {"55123", "31500", "04709", "55555", "12345", "70409", "00047",
                              "55100", "99999", "01234", "43210", "55123"});
    for (const bool free : {true, false}) {
        for (const ReferenceValues ref :
             {ReferenceValues{5, 5, 1, 2, 3}, ReferenceValues{0, 4, 7, 0, 9},
              ReferenceValues{5, 5, -1, 2, 3}}) {
            for (int k = 1; k <= 5; ++k) {
                SCOPED_TRACE("k " + std::to_string(k) + (free ? " free" : " fixed") + " ref " +
                             std::to_string(ref[0]) + std::to_string(ref[2]));
                SearchRequest req = freeRequest(h, {}, ref);
                req.settings.freePositions = free;
                std::set<int32_t> expected;
                for (int mask = 1; mask < 32; ++mask) {
                    if (__builtin_popcount(mask) != k) continue;
                    SearchRequest single = req;
                    for (int p = 0; p < 5; ++p) single.positions[p] = mask & (1 << p);
                    for (int32_t issue : h.hitIssues(runSingleSearch(*h.store, single))) {
                        expected.insert(issue);
                    }
                }
                const Issues got = h.hitIssues(runCombinationSearch(*h.store, req, k));
                EXPECT_EQ(got, Issues(expected.begin(), expected.end()));
            }
        }
    }
}

TEST(CombinationSearch, AnOutOfRangeValueRemovesOnlyTheCombinationsWithItsPosition) {
    // Previous draws: 1 2 x x x shares positions 1,2 with the reference; 9 9 9 4 5 only
    // positions 4,5; 1 9 3 9 9 only positions 1,3, which the -1 removes.
    SearchHistory h(2013001, {"12000", "00000", "99945", "00000", "19399", "00000"});
    SearchRequest req = freeRequest(h, {}, {1, 2, -1, 4, 5});
    req.settings.freePositions = false;
    EXPECT_EQ(h.hitIssues(runCombinationSearch(*h.store, req, 2)), (Issues{2013002, 2013004}));
    req.reference[2] = 3;
    EXPECT_EQ(h.hitIssues(runCombinationSearch(*h.store, req, 2)),
              (Issues{2013002, 2013004, 2013006}));
    req.settings.freePositions = true;
    req.reference[2] = -1;
    EXPECT_EQ(h.hitIssues(runCombinationSearch(*h.store, req, 2)), (Issues{2013002, 2013004}));
}

TEST(CombinationSearch, KOutsideOneToFiveHasNoHitsAndAZeroTally) {
    SearchHistory h(2013001, {"12345", "12345", "12345"});
    SearchRequest req = freeRequest(h, {}, {1, 2, 3, 4, 5});
    ASSERT_EQ(runCombinationSearch(*h.store, req, 1).hits.size(), 2u);
    for (int k : {0, 6, -3, 100}) {
        const SearchResult r = runCombinationSearch(*h.store, req, k);
        EXPECT_TRUE(r.hits.empty()) << k;
        ASSERT_EQ(r.tally.size(), 10u);
        EXPECT_EQ(r.tally[0].count, 0);
        SQLite::Statement flagged(sqlConnection(*h.store),
                                  "SELECT COUNT(*) FROM Lishi WHERE bolOk <> 0");
        ASSERT_TRUE(flagged.executeStep());
        EXPECT_EQ(flagged.getColumn(0).getInt(), 0);
    }
}

TEST(CombinationSearch, FlagsHitsOutsideTheRangeWithoutListingThem) {
    SearchHistory h(2013001, {"12345", "12345", "12345", "12345"});
    SearchRequest req = freeRequest(h, {}, {1, 2, 3, 4, 5});
    req.from = 2013003;
    req.to = 2013003;
    EXPECT_EQ(h.hitIssues(runCombinationSearch(*h.store, req, 3)), (Issues{2013003}));
    SQLite::Statement flagged(sqlConnection(*h.store),
                              "SELECT COUNT(*) FROM Lishi WHERE bolOk <> 0");
    ASSERT_TRUE(flagged.executeStep());
    EXPECT_EQ(flagged.getColumn(0).getInt(), 3);
}

TEST(Search, RejectsSettingsNoWindowCanProduceAndChangesNothing) {
    SearchHistory h(2013001, {"12345", "12345"});
    SearchRequest req = freeRequest(h, {1}, {1, 2, 3, 4, 5});
    runSingleSearch(*h.store, req);
    const auto before = test::LishiTable::read(*h.store).rows;
    SearchRequest bad = req;
    bad.settings.previousIssue = false;
    bad.settings.lagN = 0;
    EXPECT_THROW(runSingleSearch(*h.store, bad), InputError);
    bad.settings.lagN = 10;
    EXPECT_THROW(runCombinationSearch(*h.store, bad, 2), InputError);
    bad = req;
    bad.tally.resultPosition = 6;
    EXPECT_THROW(runSingleSearch(*h.store, bad), InputError);
    bad = req;
    bad.settings.kind = static_cast<CodeKind>(4);
    EXPECT_THROW(runSingleSearch(*h.store, bad), InputError);
    EXPECT_EQ(test::LishiTable::read(*h.store).rows, before);
}

TEST(Search, AnEmptyHistoryGivesAnEmptyResult) {
    SearchHistory h({});
    SearchRequest req;
    req.positions = {true, false, false, false, false};
    req.from = 2013001;
    req.to = 2013100;
    EXPECT_TRUE(runSingleSearch(*h.store, req).hits.empty());
    EXPECT_TRUE(runCombinationSearch(*h.store, req, 2).hits.empty());
}

}  // namespace
}  // namespace arrange5
