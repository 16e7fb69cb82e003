// The online update never throws away draws it cannot replace and never stores what a page
// did not say: partial purges, a clock in the past, rows in any order, cells that are not
// five digits, and gaps on the pages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "acquire/maintenance.h"
#include "online_update_fixture.h"

namespace arrange5::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string pageOf(const std::string& rows) {
    return "<table id=draw_list><tr><th>彩种</th><th>期号</th><th>开奖号码</th></tr>" + rows +
           "</table>";
}

std::string rowOf(const HistoryEntry& e) {
    return drawRow(fiveDigitIssue(e.issue), digitsCell(e.digits, PageStyle::Spaced));
}

class OnlineUpdateGuard : public OnlineUpdateTest {
  protected:
    template <typename E>
    std::string expectRefused(const UpdateOptions& o, const PageFetcher& fetch) {
        return expectRefusedWith<E>(o, fetch);
    }
};

TEST_F(OnlineUpdateGuard, PurgeWithYearsThatListNothingIsRetriedThenChangesNothing) {
    storeHistory(2004009, 2026100);
    ResultsServer site(realBetween(2026001, 2026174));  // 2016..2025: the header row only
    const std::string why =
        expectRefused<FetchError>(options(site.baseUrl(), 2026, 11), makeCurlFetcher());
    EXPECT_THAT(why, AllOf(HasSubstr("2016 年"), HasSubstr("没有列出这一年的任何一期"),
                           HasSubstr("共尝试 4 次"), HasSubstr("历史号码保持原样")));
    EXPECT_EQ(site.requestCount(2026), 4);

    // Every year back, but fewer draws than stored: the purge would lose 2026051..2026100.
    site.setDraws(realBetween(2016001, 2026050));
    EXPECT_THAT(expectRefused<FetchError>(options(site.baseUrl(), 2026, 11), makeCurlFetcher()),
                AllOf(HasSubstr("第 2026050 期"), HasSubstr("第 2026100 期")));

    // A gap is no reason to purge either: the draws after it would be gone.
    auto gapped = realBetween(2016001, 2026174);
    std::erase_if(gapped, [](const HistoryEntry& e) { return e.issue == 2020100; });
    site.setDraws(gapped);
    EXPECT_THAT(
        expectRefused<MissingDrawsError>(options(site.baseUrl(), 2026, 11), makeCurlFetcher()),
        HasSubstr("第 2020100 期不在页面上"));

    // With every year there the purge goes ahead.
    site.setDraws(realBetween(2016001, 2026174));
    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2026, 11), makeCurlFetcher());
    EXPECT_TRUE(report.purged);
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2016001, 2026174)));
}

TEST_F(OnlineUpdateGuard, PurgeNeedsConsentAndGetsEveryKeptDrawBackWithItsDigits) {
    storeHistory(2012001, 2016100);
    ResultsServer site(realBetween(2012001, 2016359));
    UpdateOptions keep = options(site.baseUrl(), 2016, 3);
    keep.purgeAllowed = false;

    // Without consent the outdated history is kept whole and continued.
    const UpdateReport kept = runOnlineUpdate(store, keep, makeCurlFetcher());
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2012001, 2016359)));
    EXPECT_FALSE(kept.purged);
    EXPECT_THAT(kept.summary(), HasSubstr("2012–2013 年的 717 期早于保留年数的历史号码已保留"));
    EXPECT_THAT(kept.line(),
                AllOf(HasSubstr("第 2016101 至 2016359 期"), HasSubstr("没有删除历史号码")));

    // A source that gives a kept draw other digits: the purge would replace it, so nothing
    // changes, and the message names the draw and what the source gave.
    auto changed = realBetween(2012001, 2016359);
    auto& draw = *std::find_if(changed.begin(), changed.end(),
                               [](const HistoryEntry& e) { return e.issue == 2016050; });
    const std::string storedDigits = digitString(draw.digits);
    draw.digits[0] = static_cast<int16_t>((draw.digits[0] + 1) % 10);
    site.setDraws(changed);
    EXPECT_THAT(expectRefused<FetchError>(options(site.baseUrl(), 2016, 3), makeCurlFetcher()),
                AllOf(HasSubstr("已存的第 2016050 期"), HasSubstr("存有 " + storedDigits),
                      HasSubstr(digitString(draw.digits))));

    // Without a purge the stored draw stays as it is and the report names it.
    const auto before = dump();
    const UpdateReport differing = runOnlineUpdate(store, keep, makeCurlFetcher());
    EXPECT_EQ(dump(), before);
    EXPECT_THAT(differing.disagreements, ElementsAre(2016050));
    EXPECT_THAT(differing.warning(), HasSubstr("第 2016050 期（存有 " + storedDigits));
    EXPECT_THAT(differing.line(), HasSubstr("1 期与来源不同"));
}

TEST_F(OnlineUpdateGuard, PagesCannotReachBefore2013AndSayWhichDrawsAreMissing) {
    storeHistory(2010001, 2010100);
    ResultsServer site(realBetween(2010001, 2016359));
    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 7), makeCurlFetcher());
    auto expected = realBetween(2010001, 2010100);
    const auto appended = realBetween(2013001, 2016359);
    expected.insert(expected.end(), appended.begin(), appended.end());
    EXPECT_EQ(lines(storedEntries()), lines(expected));
    EXPECT_EQ(report.holeFrom, 2010101);
    EXPECT_EQ(report.holeBefore, 2013001);
    EXPECT_THAT(report.warning(), AllOf(HasSubstr("第 2010101 期至 2012 年最后一期"),
                                        HasSubstr("从第 2013001 期接上")));
}

TEST_F(OnlineUpdateGuard, StoredDrawsNewerThanTodayStopTheUpdateBeforeAnyPage) {
    storeHistory(2010001, 2026100);
    ResultsServer site(realBetween(2010001, 2026174));
    UpdateOptions o = options(site.baseUrl(), 2020, 2);
    o.today = "2020-06-01";
    const std::string why = expectRefused<InputError>(o, makeCurlFetcher());
    EXPECT_THAT(why, AllOf(HasSubstr("第 2026100 期"), HasSubstr("2020-06-01"),
                           HasSubstr("历史号码没有改变")));
    EXPECT_TRUE(site.requestedYears().empty());
}

TEST_F(OnlineUpdateGuard, RowsInAnyOrderAmongJunkAreReadAndUnreadableIssuesNamed) {
    storeHistory(2016001, 2016100);
    std::vector<std::string> rows;
    for (const auto& e : realBetween(2016001, 2016174)) rows.push_back(rowOf(e));
    std::shuffle(rows.begin(), rows.end(), std::mt19937(5));
    rows.insert(rows.begin() + 30, "<tr><td>-<td>…</tr>\n");
    rows.insert(rows.begin() + 60, drawRow("—", "—"));
    const std::vector<std::string> unreadable = {"26174x", "-26174", "26174.7", "第16001期",
                                                 "\xC2\xA0"};
    for (std::size_t i = 0; i < unreadable.size(); ++i) {
        rows.insert(rows.begin() + 10 * i, drawRow(unreadable[i], "1 2 3 4 5"));
    }
    std::string all;
    for (const auto& r : rows) all += r;
    ResultsServer site({});
    const std::string page = pageOf(all);
    site.override(2016, [page](httplib::Response& res) { res.set_content(page, "text/html"); });

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 6), makeCurlFetcher());

    EXPECT_EQ(report.added, 74u);
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2016001, 2016174)));
    expectChained(100, 100);
    EXPECT_EQ(report.unreadableIssues, unreadable);
    EXPECT_EQ(report.skippedRows, 2u);
    for (const char* named : {"“26174x”", "“-26174”", "“26174.7”", "“第16001期”"}) {
        EXPECT_THAT(report.summary(), HasSubstr(named));
    }

    // A page on which no row can be read is unreadable, never "no new draws".
    std::string junk;
    for (const auto& u : unreadable) junk += drawRow(u, "1 2 3 4 5");
    const std::string junkPage = pageOf(junk);
    site.override(2016,
                  [junkPage](httplib::Response& res) { res.set_content(junkPage, "text/html"); });
    EXPECT_THAT(expectRefused<FetchError>(options(site.baseUrl(), 2016, 6), makeCurlFetcher()),
                AllOf(HasSubstr("没有一行能读出期号"), HasSubstr("共尝试 4 次")));
}

TEST_F(OnlineUpdateGuard, DigitsCellsMustBeFiveDigitsAndAnIssueListedTwiceMustAgree) {
    storeHistory(2016001, 2016010);
    ResultsServer site({});
    const auto serve = [&](const std::string& rows) {
        const std::string page = pageOf(rows);
        site.override(2016, [page](httplib::Response& res) { res.set_content(page, "text/html"); });
    };

    serve(drawRow("16012", "1 2 3 4 5") + drawRow("16011", "1 2 3 4 5 6"));
    EXPECT_THAT(expectRefused<FetchError>(options(site.baseUrl(), 2016, 6), makeCurlFetcher()),
                AllOf(HasSubstr("第 2016011 期"), HasSubstr("“1 2 3 4 5 6”")));

    serve(drawRow("16012", "1 2 3 4 5") + drawRow("16011", "5 4 3 2 1") +
          drawRow("16011", "5 4 3 2 0"));
    EXPECT_THAT(expectRefused<FetchError>(options(site.baseUrl(), 2016, 6), makeCurlFetcher()),
                AllOf(HasSubstr("第 2016011 期出现两次"), HasSubstr("“5 4 3 2 1”"),
                      HasSubstr("“5 4 3 2 0”")));

    // A bad cell of a draw already stored is not read, and a repeated row is one draw.
    serve(drawRow("16012", "1 2 3 4 5") + drawRow("16011", "5 4 3 2 1") +
          drawRow("16011", "54321") + drawRow("16010", "1 2 3 4 5 6"));
    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 6), makeCurlFetcher());
    EXPECT_EQ(report.added, 2u);
    const auto stored = storedEntries();
    ASSERT_EQ(stored.size(), 12u);
    EXPECT_EQ(stored[10].digits, (Digits{5, 4, 3, 2, 1}));
}

TEST_F(OnlineUpdateGuard, GapStoresTheDrawsBeforeItAndTheUpdateContinuesOnceItIsEntered) {
    storeHistory(2016001, 2016100);
    auto served = realBetween(2016001, 2016359);
    std::erase_if(served, [](const HistoryEntry& e) { return e.issue == 2016150; });
    ResultsServer site(served);

    const UpdateReport first =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 6), makeCurlFetcher());
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2016001, 2016149)));
    EXPECT_EQ(first.gap, 2016150);
    EXPECT_EQ(first.warning(),
              "第 2016150 期不在页面上；已存入到第 2016149 期。可以在下面手动输入第 2016150 期，"
              "再在线更新其余各期。");

    // The gap is still there: nothing to store, nothing changed.
    EXPECT_THAT(
        expectRefused<MissingDrawsError>(options(site.baseUrl(), 2016, 6), makeCurlFetcher()),
        HasSubstr("第 2016150 期不在页面上"));

    appendManualDraw(store, realBetween(2016150, 2016150).front().digits);
    const UpdateReport second =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 6), makeCurlFetcher());
    EXPECT_FALSE(second.gap);
    EXPECT_EQ(second.firstAdded, 2016151);
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2016001, 2016359)));
    expectChained(100, 100);
}

// Another program changes a stored draw (same count, same ends, same last digits) while the
// update waits on its pages: the update must not put the source's digits over it.
TEST_F(OnlineUpdateGuard, AChangeByAnotherProgramWhileThePagesAreReadIsNeverOverwritten) {
    for (const bool purge : {true, false}) {
        SCOPED_TRACE(purge ? "purging" : "appending");
        storeHistory(2012001, 2016100);
        ResultsServer site(realBetween(2012001, 2016359));
        UpdateOptions o = options(site.baseUrl(), 2016, 3);
        o.purgeAllowed = purge;
        const PageFetcher curl = makeCurlFetcher();
        bool changed = false;
        const PageFetcher racing = [&](const std::string& url, const KeepGoing& keepGoing) {
            if (!changed) {
                changed = true;
                SQLite::Database other(store.databasePath().string(), SQLite::OPEN_READWRITE);
                other.setBusyTimeout(3000);
                other.exec("UPDATE Lishi SET L1A = (L1A + 1) % 10 WHERE SQQH = 2015100");
            }
            return curl(url, keepGoing);
        };
        try {
            runOnlineUpdate(store, o, racing);
            ADD_FAILURE() << "the update wrote over another program's change";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr("另一个程序改动了历史号码"));
        }
        store.reopenReadingCursor();
        const auto row = std::find_if(store.rows().begin(), store.rows().end(),
                                      [](const HistoryRow& r) { return r.issue == 2015100; });
        ASSERT_NE(row, store.rows().end());
        EXPECT_EQ(row->digits()[0], (realBetween(2015100, 2015100).front().digits[0] + 1) % 10);
        EXPECT_EQ(store.rows().size(), realBetween(2012001, 2016100).size());

        // A commit that changes no draw is no reason to refuse.
        storeHistory(2012001, 2016100);
        SQLite::Database other(store.databasePath().string(), SQLite::OPEN_READWRITE);
        other.setBusyTimeout(3000);
        changed = false;
        const PageFetcher harmless = [&](const std::string& url, const KeepGoing& keepGoing) {
            if (!changed) {
                changed = true;
                other.exec("UPDATE Lishi SET intTh = intTh + 1");
            }
            return curl(url, keepGoing);
        };
        EXPECT_NO_THROW(runOnlineUpdate(store, o, harmless));
        EXPECT_EQ(lines(storedEntries()), lines(realBetween(purge ? 2014001 : 2012001, 2016359)));
    }
}

// An empty history and a source without any draw is no success; an empty history read from
// 2004 begins where the lottery began (2004009), not at a 2004001 that never existed.
TEST_F(OnlineUpdateGuard, AnEmptyHistoryIsNeverReportedAsUpToDateAndBeginsWhere2004Began) {
    ResultsServer empty({});
    EXPECT_THAT(expectRefused<FetchError>(options(empty.baseUrl(), 2016, 2), makeCurlFetcher()),
                HasSubstr("历史号码仍是空的"));

    YearListing y2004;
    y2004.year = 2004;
    for (const HistoryEntry& e : realBetween(2004009, 2004044)) {
        y2004.draws.push_back({e.issue, e.digits, digitString(e.digits)});
    }
    UpdatePlan plan;
    plan.startYear = 2004;
    plan.currentYear = 2004;
    const NewDraws found =
        collectNewDraws({y2004}, plan, [](int year) { return std::to_string(year); });
    EXPECT_FALSE(found.gap);
    EXPECT_EQ(lines(found.draws), lines(realBetween(2004009, 2004044)));
}

}  // namespace
}  // namespace arrange5::test
