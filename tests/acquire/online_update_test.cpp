#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "online_update_fixture.h"

namespace arrange5::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(OnlineUpdateAddress, YearPageUnderTheBase) {
    EXPECT_EQ(resultsPageUrl("http://h.example", 2016),
              "http://h.example/lottery/draw/list/4?d=2016-01-01");
    EXPECT_EQ(resultsPageUrl("https://h.example/", 2013),
              "https://h.example/lottery/draw/list/4?d=2013-01-01");
}

TEST_F(OnlineUpdateTest, EmptyHistoryReadsTheYearsToKeepInOrderWhateverThePageStyle) {
    ResultsServer site(realBetween(2013001, 2016359));
    site.setStyle(2014, PageStyle::Plain);
    site.setStyle(2015, PageStyle::Spaced);
    site.setStyle(2016, PageStyle::SpansInTbody);

    // Three years to keep are three calendar years, the current one included.
    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 3), makeCurlFetcher());

    EXPECT_THAT(site.requestedYears(), ElementsAre(2014, 2015, 2016));
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2014001, 2016359)));
    EXPECT_EQ(report.added, realBetween(2014001, 2016359).size());
    EXPECT_EQ(report.firstAdded, 2014001);
    EXPECT_EQ(report.lastIssue, 2016359);
    EXPECT_FALSE(report.purged);
    EXPECT_TRUE(report.missing.empty());
    EXPECT_EQ(report.summary(), "新增 1,074 期，截至第 2016359 期");
    expectChained(0, 0);
    // The caller's S/P state now describes the last two rows appended.
    const auto rows = storedRows();
    EXPECT_EQ(sp.s, rows.back().own);
    EXPECT_EQ(sp.p, rows[rows.size() - 2].own);
}

// The summary counts what changed: the draws not stored before, the stored ones deleted for
// good and the stored ones of the kept years deleted and read again; the progress counts the
// same way while the pages come in.
TEST_F(OnlineUpdateTest, HistoryOlderThanTheYearsToKeepIsPurgedAndReadAgain) {
    storeHistory(2012001, 2016100);
    ResultsServer site(realBetween(2012001, 2016359));
    UpdateProgressInfo last;
    const UpdateStatusProgress progress = [&](const UpdateProgressInfo& at) {
        last = at;
        return true;
    };

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 3), makeCurlFetcher(), progress);

    EXPECT_THAT(site.requestedYears(), ElementsAre(2014, 2015, 2016));
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2014001, 2016359)));
    EXPECT_TRUE(report.purged);
    EXPECT_EQ(report.startYear, 2014);
    const std::size_t added = realBetween(2016101, 2016359).size();
    const std::size_t deleted = realBetween(2012001, 2013999).size();
    const std::size_t reread = realBetween(2014001, 2016100).size();
    EXPECT_EQ(report.added, added);
    EXPECT_EQ(report.firstAdded, 2016101);
    EXPECT_EQ(report.deleted, deleted);
    EXPECT_EQ(report.reread, reread);
    EXPECT_EQ(last.draws, added);
    EXPECT_EQ(last.reread, reread);
    EXPECT_EQ(report.summary(), "新增 " + std::to_string(added) + " 期，截至第 2016359 期；删除 " +
                                    std::to_string(deleted) + " 期（2014 年以前），重新读入 " +
                                    std::to_string(reread) + " 期");
    EXPECT_EQ(report.line(), hostOfUrl(site.baseUrl()) + "：新增 " + std::to_string(added) +
                                 " 期，第 2016101 至 2016359 期；删除 " + std::to_string(deleted) +
                                 " 期（2014 年以前），重新读入 " + std::to_string(reread) + " 期");
    expectChained(0, 2);
}

TEST_F(OnlineUpdateTest, ContinuesAfterTheLastStoredIssueIntoTheNextYear) {
    storeHistory(2015001, 2015100);
    const std::size_t before = store.rows().size();
    ResultsServer site(realBetween(2014001, 2016200));
    site.setStyle(2015, PageStyle::SpansInTbody);

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 2), makeCurlFetcher());

    EXPECT_THAT(site.requestedYears(), ElementsAre(2015, 2016));
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2015001, 2016200)));
    EXPECT_EQ(report.firstAdded, 2015101);
    EXPECT_EQ(report.added, realBetween(2015101, 2016200).size());
    EXPECT_FALSE(report.purged);
    expectChained(before, before);
}

TEST_F(OnlineUpdateTest, HistoryEndingBefore2013StartsAt2013) {
    storeHistory(2012001, 2012359);
    ResultsServer site(realBetween(2012001, 2016010));

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 6), makeCurlFetcher());

    EXPECT_THAT(site.requestedYears(), ElementsAre(2013, 2014, 2015, 2016));
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2012001, 2016010)));
    EXPECT_EQ(report.firstAdded, 2013001);
    EXPECT_EQ(report.startYear, 2013);
}

TEST_F(OnlineUpdateTest, UpToDateHistoryGainsNothingAndSaysSo) {
    storeHistory(2025001, 2026174);
    ResultsServer site(realBetween(2025001, 2026174));
    const auto before = dump();
    const LastTwoDraws spBefore = sp;

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2026, 6), makeCurlFetcher());

    EXPECT_THAT(site.requestedYears(), ElementsAre(2026));
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(report.added, 0u);
    EXPECT_EQ(report.summary(), "没有新的开奖号码；历史号码截至第 2026174 期");
    EXPECT_EQ(sp.s, spBefore.s);
    EXPECT_EQ(sp.p, spBefore.p);
}

TEST_F(OnlineUpdateTest, CurrentYearWithoutDrawsYetIsNotAFailure) {
    storeHistory(2025001, 2025351);
    ResultsServer site(realBetween(2025001, 2025351));  // the 2026 page has its header only

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2026, 6), makeCurlFetcher());

    EXPECT_THAT(site.requestedYears(), ElementsAre(2025, 2026));
    EXPECT_EQ(report.added, 0u);
    EXPECT_EQ(report.lastIssue, 2025351);
}

TEST_F(OnlineUpdateTest, FollowsRedirects) {
    ResultsServer site(realBetween(2024001, 2026174));
    ResultsServer moved(realBetween(2024001, 2026174));
    const std::string target = moved.baseUrl();
    for (int year : {2024, 2025, 2026}) {
        site.override(year, [target, year](httplib::Response& res) {
            res.set_redirect(resultsPageUrl(target, year), 301);
        });
    }

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2026, 3), makeCurlFetcher());

    EXPECT_THAT(moved.requestedYears(), ElementsAre(2024, 2025, 2026));
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2024001, 2026174)));
    EXPECT_EQ(report.added, realBetween(2024001, 2026174).size());
}

TEST_F(OnlineUpdateTest, RowsOfOtherYearsAndRowsThatAreNoDrawsAreNotStored) {
    storeHistory(2016001, 2016010);
    ResultsServer site({});
    std::string rows;
    rows += drawRow("17001", "99999");  // a draw of the next year on this year's page
    rows += drawRow("16012", "1 2 3 4 5");
    rows += drawRow("合计", "共 2 期");
    rows += drawRow("16011", "54321");
    rows += drawRow("16010", "00000");  // already stored: reading stops here
    rows += drawRow("16009", "abc");
    const std::string page =
        "<table id=draw_list><tr><th>a</th><th>b</th><th>c</th></tr>" + rows + "</table>";
    site.override(2016, [page](httplib::Response& res) { res.set_content(page, "text/html"); });

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 6), makeCurlFetcher());

    EXPECT_EQ(report.added, 2u);
    const auto stored = storedEntries();
    ASSERT_EQ(stored.size(), 12u);
    EXPECT_EQ(stored[10].issue, 2016011);
    EXPECT_EQ(stored[10].digits, (Digits{5, 4, 3, 2, 1}));
    EXPECT_EQ(stored[11].issue, 2016012);
    EXPECT_EQ(stored[11].digits, (Digits{1, 2, 3, 4, 5}));
}

TEST_F(OnlineUpdateTest, SequencesAbove365GetNoRowAndAreReported) {
    storeHistory(2016001, 2016359);
    ResultsServer site({});
    std::string page = "<table id=draw_list><tr><th>h</th></tr>";
    for (int n = 16366; n >= 16360; --n) page += drawRow(std::to_string(n), "12345");
    page += "</table>";
    site.override(2016, [page](httplib::Response& res) { res.set_content(page, "text/html"); });

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 6), makeCurlFetcher());

    EXPECT_EQ(report.added, 6u);
    EXPECT_EQ(report.lastIssue, 2016365);
    EXPECT_THAT(report.missing, ElementsAre(2016366));
    EXPECT_THAT(report.summary(), HasSubstr("2016366"));
    EXPECT_EQ(storedEntries().back().issue, 2016365);
}

TEST_F(OnlineUpdateTest, DigitsFromAnEarlierYearNeverFillALaterYear) {
    // 2015 lists 001..003, 2016 lists 002..003 only: 2016001 must not be made up from 2015001;
    // the draws before the gap are stored and the gap is named.
    storeHistory(2014350, 2014357);
    ResultsServer site(realBetween(2014350, 2015003));
    const std::string page = "<table id=draw_list><tr><th>h</th></tr>" + drawRow("16003", "12345") +
                             drawRow("16002", "12345") + "</table>";
    site.override(2016, [page](httplib::Response& res) { res.set_content(page, "text/html"); });

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 6), makeCurlFetcher());

    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2014350, 2015003)));
    EXPECT_EQ(report.gap, 2016001);
}

TEST_F(OnlineUpdateTest, ProgressNamesEachYearAndTheDrawsFoundSoFar) {
    ResultsServer site(realBetween(2024001, 2026174));
    std::vector<std::pair<int, std::size_t>> calls;
    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2026, 3), makeCurlFetcher(),
                        [&](int year, std::size_t draws) {
                            calls.emplace_back(year, draws);
                            return true;
                        });

    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), std::make_pair(2024, std::size_t{0}));
    EXPECT_EQ(calls.back(), std::make_pair(2026, report.added));
    for (std::size_t i = 1; i < calls.size(); ++i) {
        EXPECT_GE(calls[i].first, calls[i - 1].first);
        EXPECT_GE(calls[i].second, calls[i - 1].second);
    }
}

TEST_F(OnlineUpdateTest, OptionsThatCannotWorkAreRejectedBeforeAnyPage) {
    int fetched = 0;
    const PageFetcher fetch = [&](const std::string&, const KeepGoing&) {
        ++fetched;
        return std::string();
    };
    auto o = options("http://127.0.0.1:1", 2016, 6);
    o.baseUrl = "file:///etc";
    EXPECT_THROW(runOnlineUpdate(store, o, fetch), InputError);
    o = options("http://127.0.0.1:1", 2016, 1);
    EXPECT_THROW(runOnlineUpdate(store, o, fetch), InputError);
    o = options("http://127.0.0.1:1", 2016, 17);
    EXPECT_THROW(runOnlineUpdate(store, o, fetch), InputError);
    o = options("http://127.0.0.1:1", 99999, 6);
    EXPECT_THROW(runOnlineUpdate(store, o, fetch), InputError);
    EXPECT_EQ(fetched, 0);
}

}  // namespace
}  // namespace arrange5::test
