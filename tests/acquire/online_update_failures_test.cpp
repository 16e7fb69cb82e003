#include <SQLiteCpp/Transaction.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>

#include "online_update_fixture.h"
#include "store/draw_appender.h"
#include "store/sql_connection.h"

namespace arrange5::test {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Each failure leaves every row as it was, leaves the caller's S/P state alone and names
// the reason; the fixture keeps a history from 2015001 to 2015100 and asks for 2015 and 2016.
class OnlineUpdateFailure : public OnlineUpdateTest {
  protected:
    void SetUp() override {
        storeHistory(2015001, 2015100);
        before_ = dump();
        spBefore_ = sp;
    }

    // Runs the update, expects it to throw E and returns the message.
    template <typename E>
    std::string expectFailure(const std::string& baseUrl, const PageFetcher& fetch,
                              const UpdateProgress& progress = {}) {
        try {
            runOnlineUpdate(store, options(baseUrl, 2016, 2), fetch, progress);
        } catch (const E& e) {
            EXPECT_EQ(dump(), before_);
            EXPECT_EQ(sp.s, spBefore_.s);
            EXPECT_EQ(sp.p, spBefore_.p);
            return e.what();
        }
        ADD_FAILURE() << "the update did not fail";
        return {};
    }

    std::vector<std::string> before_;
    LastTwoDraws spBefore_;
};

TEST_F(OnlineUpdateFailure, UnreachableHostIsTriedFourTimesThenReported) {
    const std::string base = unreachableBaseUrl();
    const std::string host = base.substr(7);
    const std::string why = expectFailure<FetchError>(base, makeCurlFetcher());
    EXPECT_THAT(why, AllOf(HasSubstr(host), HasSubstr("2015"), HasSubstr("无法连接到网站"),
                           HasSubstr("共尝试 4 次"), HasSubstr("历史号码保持原样")));
}

TEST_F(OnlineUpdateFailure, HttpErrorRestartsThePassAtMostThreeTimes) {
    ResultsServer site(realBetween(2015001, 2016359));
    site.override(2016, [](httplib::Response& res) { res.status = 404; });
    const std::string why = expectFailure<FetchError>(site.baseUrl(), makeCurlFetcher());

    EXPECT_THAT(why, AllOf(HasSubstr("HTTP 404"), HasSubstr("2016"), HasSubstr("127.0.0.1")));
    // Every restart reads the pages again from the start year.
    EXPECT_THAT(site.requestedYears(), ElementsAre(2015, 2016, 2015, 2016, 2015, 2016, 2015, 2016));
}

TEST_F(OnlineUpdateFailure, PageWithoutTheTableIsReported) {
    ResultsServer site(realBetween(2015001, 2016359));
    site.override(2016, [](httplib::Response& res) {
        res.set_content("<html><body><p>维护中</p><table id=other></table></body></html>",
                        "text/html");
    });
    const std::string why = expectFailure<FetchError>(site.baseUrl(), makeCurlFetcher());
    EXPECT_THAT(why, AllOf(HasSubstr("没有表格“draw_list”"), HasSubstr("2016")));

    site.override(2016, [](httplib::Response& res) {
        res.set_content("<table id=draw_list></table>", "text/html");
    });
    EXPECT_THAT(expectFailure<FetchError>(site.baseUrl(), makeCurlFetcher()),
                HasSubstr("没有任何行"));
}

TEST_F(OnlineUpdateFailure, APageThatComesBackOnARestartIsReadOnce) {
    ResultsServer site(realBetween(2015001, 2016359));
    site.override(
        2016, [](httplib::Response& res) { res.status = 503; }, 2);

    const UpdateReport report =
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 2), makeCurlFetcher());

    EXPECT_EQ(site.requestCount(2016), 3);
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2015001, 2016359)));
    EXPECT_EQ(report.added, realBetween(2015101, 2016359).size());
}

TEST_F(OnlineUpdateFailure, StalledServerEndsAtThePageTimeout) {
    SilentListener silent;
    FetchLimits limits;
    limits.connectTimeout = std::chrono::milliseconds(2000);
    limits.pageTimeout = std::chrono::milliseconds(200);
    const std::string why = expectFailure<FetchError>(silent.baseUrl(), makeCurlFetcher(limits));
    EXPECT_THAT(why, AllOf(HasSubstr("超时"), HasSubstr("2015"), HasSubstr("共尝试 4 次")));
}

TEST_F(OnlineUpdateFailure, PageOverTheSizeCapIsRefused) {
    ResultsServer site(realBetween(2015001, 2016359));
    const std::size_t cap = 5 * 1024 * 1024;
    site.override(2016, [cap](httplib::Response& res) {
        res.set_content(std::string(cap + 1, ' '), "text/html");
    });
    EXPECT_THAT(expectFailure<FetchError>(site.baseUrl(), makeCurlFetcher()),
                AllOf(HasSubstr("大于 5 MiB"), HasSubstr("2016")));

    // Without a length announced the cap holds while the body streams in.
    site.override(2016, [](httplib::Response& res) {
        res.set_chunked_content_provider("text/html", [](std::size_t, httplib::DataSink& sink) {
            const std::string chunk(64 * 1024, 'x');
            for (int i = 0; i < 100; ++i) {
                if (!sink.write(chunk.data(), chunk.size())) return false;
            }
            sink.done();
            return true;
        });
    });
    EXPECT_THAT(expectFailure<FetchError>(site.baseUrl(), makeCurlFetcher()),
                HasSubstr("大于 5 MiB"));
}

TEST_F(OnlineUpdateFailure, HoleRightAfterTheLastStoredIssueStoresNothingAndNamesIt) {
    auto served = realBetween(2015001, 2016359);
    std::erase_if(served, [](const HistoryEntry& e) { return e.issue == 2015101; });
    ResultsServer site(served);
    try {
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 2), makeCurlFetcher());
        ADD_FAILURE() << "the update did not fail";
    } catch (const MissingDrawsError& e) {
        EXPECT_THAT(e.missing(), ElementsAre(2015101));
        EXPECT_THAT(std::string(e.what()),
                    AllOf(HasSubstr("第 2015101 期不在页面上"), HasSubstr("历史号码保持原样")));
    }
    EXPECT_EQ(dump(), before_);
    // A hole is what the site says, not a failure to read it: no restart.
    EXPECT_THAT(site.requestedYears(), ElementsAre(2015, 2016));
}

TEST_F(OnlineUpdateFailure, DigitsCellWithoutFiveDigitsRefusesTheUpdateNamingTheCell) {
    ResultsServer site(realBetween(2015001, 2015358));
    for (const char* cell : {"1 2 3 4", "12a45", ""}) {
        std::string page = "<table id=draw_list><tr><th>h</th></tr>";
        page += drawRow("16002", "1 2 3 4 5");
        page += drawRow("16001", cell);
        page += "</table>";
        site.override(2016, [page](httplib::Response& res) { res.set_content(page, "text/html"); });
        const std::string why = expectFailure<FetchError>(site.baseUrl(), makeCurlFetcher());
        EXPECT_THAT(why, AllOf(HasSubstr("第 2016001 期"), HasSubstr("“" + std::string(cell) + "”"),
                               HasSubstr("不是五位数字")));
    }
}

TEST_F(OnlineUpdateFailure, CancelBetweenPagesChangesNothing) {
    ResultsServer site(realBetween(2015001, 2016359));
    const std::string why = expectFailure<CancelledError>(
        site.baseUrl(), makeCurlFetcher(), [](int year, std::size_t) { return year < 2016; });
    EXPECT_THAT(why, HasSubstr("已取消"));
    EXPECT_THAT(site.requestedYears(), ElementsAre(2015));
}

TEST_F(OnlineUpdateFailure, CancelWhileWaitingForAPageStopsTheWait) {
    // The page timeout is far longer than the test: only a cancel can end this wait, and a
    // timeout would be reported as a FetchError instead.
    SilentListener silent;
    FetchLimits limits;
    limits.pageTimeout = std::chrono::seconds(300);
    std::atomic<int> polls{0};
    expectFailure<CancelledError>(silent.baseUrl(), makeCurlFetcher(limits),
                                  [&](int, std::size_t) { return ++polls < 5; });
    EXPECT_EQ(polls.load(), 5);
}

TEST_F(OnlineUpdateFailure, PurgeWithNothingToReadAgainKeepsTheHistory) {
    ResultsServer site({});  // every page has its header only
    std::string why;
    try {
        runOnlineUpdate(store, options(site.baseUrl(), 2018, 3), makeCurlFetcher());
        ADD_FAILURE() << "the update did not fail";
    } catch (const FetchError& e) {
        why = e.what();
    }
    EXPECT_THAT(why, HasSubstr("没有列出任何一期"));
    EXPECT_EQ(dump(), before_);
    // 2018 cannot have draws when neither 2016 nor 2017 listed any.
    EXPECT_THAT(site.requestedYears(), ElementsAre(2016, 2017));
}

TEST_F(OnlineUpdateFailure, HistoryChangedWhilePagesWereReadIsNotOverwritten) {
    ResultsServer site(realBetween(2015001, 2016359));
    bool appended = false;
    const auto otherCommand = [&](int year, std::size_t) {
        if (year == 2016 && !appended) {
            // Another handle on the same folder appends a draw meanwhile.
            HistoryStore other(dir.path());
            AppendState state;
            state.primeFrom(other.rows());
            SQLite::Transaction tx(sqlConnection(other));
            DrawAppender(sqlConnection(other)).append(2015101, Digits{1, 2, 3, 4, 5}, 1, state);
            tx.commit();
            appended = true;
        }
        return true;
    };
    EXPECT_THROW(
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 2), makeCurlFetcher(), otherCommand),
        Error);
    const auto stored = storedEntries();
    ASSERT_EQ(stored.size(), 101u);
    EXPECT_EQ(stored.back().issue, 2015101);
    EXPECT_EQ(stored.back().digits, (Digits{1, 2, 3, 4, 5}));
}

}  // namespace
}  // namespace arrange5::test

namespace arrange5::test {
namespace {

TEST_F(OnlineUpdateFailure, LastDrawReplacedWhilePagesWereReadIsNotOverwritten) {
    // Same number of rows and the same last issue, but another draw under it.
    ResultsServer site(realBetween(2015001, 2016359));
    bool replaced = false;
    const auto otherCommand = [&](int, std::size_t) {
        if (!replaced) {
            HistoryStore other(dir.path());
            sqlConnection(other).exec("UPDATE Lishi SET L1A = (L1A + 1) % 10 WHERE SQQH = 2015100");
            replaced = true;
        }
        return true;
    };
    EXPECT_THROW(
        runOnlineUpdate(store, options(site.baseUrl(), 2016, 2), makeCurlFetcher(), otherCommand),
        Error);
    EXPECT_EQ(storedEntries().size(), 100u);
}

}  // namespace
}  // namespace arrange5::test
