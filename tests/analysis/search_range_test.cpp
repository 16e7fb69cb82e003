#include "analysis/search_range.h"

#include <gtest/gtest.h>

namespace arrange5 {
namespace {

TEST(SearchRange, DefaultBoundsFollowTheHistoryTypedBoundsStay) {
    SearchSettings previous;
    const HistoryBounds before{2013001, 2013150};
    const HistoryBounds after{2013001, 2013151};

    const RangeUpdate untouched =
        followHistoryChange("2013002", "2013150", before, after, previous);
    EXPECT_EQ(untouched.from, 2013002);
    EXPECT_EQ(untouched.to, 2013151) << "a newly entered draw is searched at once";

    const RangeUpdate typed = followHistoryChange("2013050", "2013100", before, after, previous);
    EXPECT_FALSE(typed.from.has_value());
    EXPECT_FALSE(typed.to.has_value());

    SearchSettings earlier;
    earlier.previousIssue = false;
    earlier.lagN = 3;
    const HistoryBounds imported{2004009, 2026174};
    const RangeUpdate lag = followHistoryChange("2013004", "2013150", before, imported, earlier);
    EXPECT_EQ(lag.from, 2004012);
    EXPECT_EQ(lag.to, 2026174);
}

TEST(SearchRange, EmptyHistoriesOnEitherSide) {
    SearchSettings s;
    const HistoryBounds bounds{2013001, 2013150};
    const RangeUpdate cleared = followHistoryChange("2013002", "2013150", bounds, std::nullopt, s);
    EXPECT_FALSE(cleared.from.has_value()) << "nothing sensible to show after a clear";
    EXPECT_FALSE(cleared.to.has_value());
    const RangeUpdate refilled = followHistoryChange("x", "", std::nullopt, bounds, s);
    EXPECT_EQ(refilled.from, 2013002);
    EXPECT_EQ(refilled.to, 2013150);
    EXPECT_FALSE(historyBounds({}).has_value());
}

}  // namespace
}  // namespace arrange5
