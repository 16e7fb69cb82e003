#include "analysis/reference.h"

#include <gtest/gtest.h>

#include "analysis/search_request.h"
#include "analysis/tally.h"
#include "search_model.h"
#include "store/errors.h"

namespace arrange5 {
namespace {

HistorySnapshot rowsOf(const std::vector<std::pair<int32_t, Digits>>& draws, int base = 1) {
    HistorySnapshot rows;
    for (const auto& [issue, digits] : draws) rows.push_back({issue, deriveCodes(digits, base)});
    return rows;
}

SearchSettings earlier(int n, CodeKind kind = CodeKind::Number) {
    SearchSettings s;
    s.previousIssue = false;
    s.lagN = n;
    s.kind = kind;
    return s;
}

const HistorySnapshot kYearEnd = rowsOf({{2013356, {1, 1, 1, 1, 1}},
                                         {2013357, {2, 2, 2, 2, 2}},
                                         {2013358, {3, 3, 3, 3, 3}},
                                         {2014001, {4, 4, 4, 4, 4}},
                                         {2014002, {9, 8, 7, 6, 5}}});

TEST(Reference, ComesFromTheLatestRowOrTheNthLatestInEarlierMode) {
    EXPECT_EQ(referenceRowIndex(kYearEnd, SearchSettings{}), std::optional<std::size_t>(4));
    EXPECT_EQ(referenceRowIndex(kYearEnd, earlier(1)), std::optional<std::size_t>(4));
    EXPECT_EQ(referenceRowIndex(kYearEnd, earlier(3)), std::optional<std::size_t>(2));
    EXPECT_EQ(referenceRowIndex(kYearEnd, earlier(5)), std::optional<std::size_t>(0));
    EXPECT_EQ(referenceRowIndex(kYearEnd, earlier(6)), std::nullopt);
    EXPECT_EQ(referenceRowIndex({}, SearchSettings{}), std::nullopt);
    EXPECT_THROW(referenceRowIndex(kYearEnd, earlier(0)), InputError);

    EXPECT_EQ(valuesOfRow(kYearEnd[4], CodeKind::Number), (ReferenceValues{9, 8, 7, 6, 5}));
    EXPECT_EQ(valuesOfRow(kYearEnd[4], CodeKind::BigSmall), (ReferenceValues{1, 1, 1, 1, 1}));
    EXPECT_EQ(valuesOfRow(kYearEnd[4], CodeKind::OddEven), (ReferenceValues{1, 0, 1, 0, 1}));
    EXPECT_EQ(valuesOfRow(kYearEnd[4], CodeKind::Segment), (ReferenceValues{5, 5, 4, 4, 3}));
}

TEST(Reference, DefaultRangeStartsWhereADrawLiesFarEnoughBack) {
    // Plain addition: no change of year even past sequence 358.
    EXPECT_EQ(defaultRangeStart(kYearEnd, SearchSettings{}), std::optional<int32_t>(2013357));
    EXPECT_EQ(defaultRangeStart(kYearEnd, earlier(3)), std::optional<int32_t>(2013359));
    EXPECT_EQ(defaultRangeStart({}, SearchSettings{}), std::nullopt);
}

TEST(Reference, VerifyTargetIsTheIssueBeforeWith359ForAYearsFirstDraw) {
    EXPECT_EQ(verifyTarget(2013150), 2013149);
    EXPECT_EQ(verifyTarget(2013001), 2012359);
    EXPECT_EQ(verifyTarget(2014001), 2013359);
    EXPECT_EQ(verifyTarget(2014002), 2014001);
}

TEST(Reference, VerifyingTakesTheDrawBeforeTheIssueAndOptionallyEndsTheRangeThere) {
    // 2014001 with 仅检索该期前: everything up to 2013359, i.e. the year's last draw.
    auto v = verifyReference(kYearEnd, 2014001, true, SearchSettings{});
    ASSERT_TRUE(v);
    EXPECT_EQ(v->referenceIssue, 2013358);
    EXPECT_EQ(v->rangeEnd, 2013358);
    EXPECT_EQ(v->values, (ReferenceValues{3, 3, 3, 3, 3}));

    v = verifyReference(kYearEnd, 2014001, false, SearchSettings{});
    ASSERT_TRUE(v);
    EXPECT_EQ(v->referenceIssue, 2013358);
    EXPECT_EQ(v->rangeEnd, 2014002);

    // 前期 N = 2 steps one more row back; the range still ends at the issue before.
    v = verifyReference(kYearEnd, 2014002, true, earlier(2, CodeKind::Segment));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->referenceIssue, 2013358);
    EXPECT_EQ(v->rangeEnd, 2014001);
    EXPECT_EQ(v->values, (ReferenceValues{2, 2, 2, 2, 2}));

    // An issue beyond the history verifies against the last draw.
    v = verifyReference(kYearEnd, 2015001, true, SearchSettings{});
    ASSERT_TRUE(v);
    EXPECT_EQ(v->referenceIssue, 2014002);
}

TEST(Reference, VerifyingGivesNothingWithoutADrawFarEnoughBefore) {
    EXPECT_FALSE(verifyReference(kYearEnd, 2013356, true, SearchSettings{}));
    EXPECT_FALSE(verifyReference(kYearEnd, 2013001, false, SearchSettings{}));
    EXPECT_FALSE(verifyReference(kYearEnd, 2013358, true, earlier(3)));
    EXPECT_TRUE(verifyReference(kYearEnd, 2014001, true, earlier(3)));
    EXPECT_FALSE(verifyReference({}, 2014001, true, SearchSettings{}));
}

TEST(Reference, IssueFieldsAcceptWholeNumbersOnlyAndNameTheField) {
    EXPECT_EQ(parseIssueField("2013001", "起"), 2013001);
    EXPECT_EQ(parseIssueField("  2013001 ", "起"), 2013001);
    for (const char* bad : {"", "   ", "abc", "2013O01", "2013001x", "1.5", "99999999999", "+-1"}) {
        try {
            parseIssueField(bad, "止");
            ADD_FAILURE() << "accepted \"" << bad << "\"";
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find("止"), std::string::npos) << e.what();
        }
    }
}

TEST(Reference, RequestTakesTheChosenSourceAndRangeDefaultsAndNamesTheFrontEndsFields) {
    RequestInput in;
    in.settings = earlier(2);
    EXPECT_EQ(buildSearchRequest(kYearEnd, in).reference, (ReferenceValues{4, 4, 4, 4, 4}));
    EXPECT_EQ(buildSearchRequest(kYearEnd, in).from, 2013358);

    // A bound typed by the user beats the end the verification would set.
    in.source = ReferenceSource::Verify;
    in.issueToVerify = 2014002;
    in.onlyBefore = true;
    in.to = 2013358;
    SearchRequest r = buildSearchRequest(kYearEnd, in);
    EXPECT_EQ(r.reference, (ReferenceValues{3, 3, 3, 3, 3}));
    EXPECT_EQ(r.to, 2013358);
    // Typed the wrong way round, or an issue that is not stored: refused, naming the fields.
    in.to = 2013357;
    EXPECT_THROW(buildSearchRequest(kYearEnd, in), InputError);
    in.to = 2013358;
    in.issueToVerify = 2014003;
    EXPECT_THROW(buildSearchRequest(kYearEnd, in), InputError);
    in.issueToVerify = 2013357;
    try {
        buildSearchRequest(kYearEnd, in);
        ADD_FAILURE() << "verified without a draw two before";
    } catch (const NoReferenceError& e) {
        EXPECT_NE(std::string(e.what()).find("验证期 2013357"), std::string::npos) << e.what();
    }

    // Typed values need no history once both bounds are given.
    in.source = ReferenceSource::Typed;
    in.typed = {7, 7, 7, 7, 7};
    in.from = 2013001;
    r = buildSearchRequest({}, in);
    EXPECT_EQ(r.reference, in.typed);
    EXPECT_EQ(r.from, 2013001);
    in.from.reset();
    EXPECT_THROW(buildSearchRequest({}, in), InputError);
}

// What a request comes to, or the message it fails with.
std::string outcomeOf(const HistorySnapshot& rows, const RequestInput& in) {
    try {
        const SearchRequest r = buildSearchRequest(rows, in);
        std::string out;
        for (int16_t v : r.reference) out += std::to_string(v) + ",";
        return out + " " + std::to_string(r.from) + ".." + std::to_string(r.to);
    } catch (const InputError& e) {
        return e.what();
    }
}

TEST(Reference, TheFewRowsTheStoreReadsForARequestGiveTheWholeHistorysRequest) {
    std::vector<std::string> draws;
    for (int i = 0; i < 16; ++i) draws.push_back(std::to_string(10000 + i * 5711 % 90000));
    const test::SearchHistory h(2013349, draws);  // across the year end after 2013358
    for (const auto source :
         {ReferenceSource::History, ReferenceSource::Typed, ReferenceSource::Verify}) {
        for (int n = 0; n <= 9; ++n) {
            for (int32_t issue = 2013348; issue <= 2014009; issue = nextIssueForDisplay(issue)) {
                for (const bool onlyBefore : {false, true}) {
                    RequestInput in;
                    in.source = source;
                    in.settings.previousIssue = n == 0;
                    in.settings.lagN = n == 0 ? 2 : n;
                    in.issueToVerify = issue;
                    in.onlyBefore = onlyBefore;
                    const RowsNeeded need = rowsNeeded(in);
                    EXPECT_EQ(outcomeOf(h.store->readEnds(need.count, need.upTo), in),
                              outcomeOf(h.store->rows(), in))
                        << "N " << n << ", verify " << issue << (onlyBefore ? " only before" : "");
                }
            }
        }
    }
    EXPECT_TRUE(h.store->readEnds(3, std::nullopt).size() == 4u);
}

TEST(Tally, PercentagesRoundHalfAwayFromZeroOnTheExactValue) {
    EXPECT_EQ(formatPercent(5, 20), "25.000%");
    EXPECT_EQ(formatPercent(5, 60), "8.333%");
    EXPECT_EQ(formatPercent(2, 3), "66.667%");
    EXPECT_EQ(formatPercent(1, 64), "1.563%");  // 1.5625 exactly
    EXPECT_EQ(formatPercent(3, 64), "4.688%");  // 4.6875 exactly
    EXPECT_EQ(formatPercent(0, 7), "0.000%");
    EXPECT_EQ(formatPercent(7, 7), "100.000%");
    EXPECT_EQ(formatPercent(1, 200000), "0.001%");  // 0.0005 exactly
    EXPECT_EQ(formatPercent(1, 200001), "0.000%");
    EXPECT_EQ(formatPercent(3, 0), "");
}

}  // namespace
}  // namespace arrange5
