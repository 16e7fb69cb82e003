// The online update from the operator's paged draw data, against a stand-in on 127.0.0.1 that
// serves the bundled history: every case ends in bounded time with the history right or
// unchanged byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "online_update_fixture.h"
#include "store/sql_connection.h"

namespace arrange5::test {
namespace {

using namespace std::chrono_literals;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr int kPageSize = 100;

class OfficialUpdate : public OnlineUpdateTest {
  protected:
    UpdateOptions official(const std::string& address, int currentYear, int yearsToKeep) const {
        UpdateOptions o = options("", currentYear, yearsToKeep);
        o.source = UpdateSource::Official;
        o.officialUrl = address;
        o.officialPageSize = kPageSize;
        o.busyPauses = {1ms, 2ms, 3ms};
        return o;
    }

    UpdateReport update(const UpdateOptions& o, const UpdateStatusProgress& progress = {}) {
        return runOnlineUpdate(store, o, makeUpdateFetcher(UpdateSource::Official), progress);
    }

    // The official source's fetcher unless the case brings its own.
    template <typename E>
    std::string expectRefused(const UpdateOptions& o, const PageFetcher& fetch = {}) {
        return expectRefusedWith<E>(o, fetch ? fetch : makeUpdateFetcher(UpdateSource::Official));
    }
};

// The pages 1..n, where page n is the first to hold `issue` or an older draw.
std::vector<int> pagesUpTo(int32_t issue) {
    const auto newer = realBetween(issue + 1, 9999999).size();
    std::vector<int> pages;
    for (int p = 1; p <= static_cast<int>(newer / kPageSize) + 1; ++p) pages.push_back(p);
    return pages;
}

TEST_F(OfficialUpdate, EmptyHistoryGetsTheYearsToKeepAskedAsABrowserWould) {
    OfficialServer service(realDraws());
    std::vector<UpdateProgressInfo> calls;
    const UpdateReport report =
        update(official(service.address(), 2026, 3), [&](const UpdateProgressInfo& at) {
            calls.push_back(at);
            return true;
        });

    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2024001, 2026174)));
    EXPECT_EQ(report.added, realBetween(2024001, 2026174).size());
    EXPECT_EQ(report.source, UpdateSource::Official);
    expectChained(0, 0);
    // Read until the page that reaches 2023, no further.
    EXPECT_EQ(service.requestedPages(), pagesUpTo(2023999));
    const httplib::Headers headers = service.lastHeaders();
    EXPECT_THAT(headers.find("User-Agent")->second, HasSubstr("Mozilla/5.0"));
    EXPECT_EQ(headers.find("Accept")->second, "application/json");
    EXPECT_THAT(headers.find("Referer")->second, HasSubstr("lottery.gov.cn"));
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().draws, report.added);
}

TEST_F(OfficialUpdate, ContinuesFromACutUpToTheNewestDraw) {
    storeHistory(2020001, 2025100);
    const std::size_t before = store.rows().size();
    OfficialServer service(realDraws());

    const UpdateReport report = update(official(service.address(), 2026, 7));

    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2020001, 2026174)));
    EXPECT_EQ(report.firstAdded, 2025101);
    EXPECT_FALSE(report.purged);
    expectChained(before, before);
    EXPECT_EQ(service.requestedPages(), pagesUpTo(2025100));
}

TEST_F(OfficialUpdate, AHistoryEndingIn2010IsContinuedWithoutAHole) {
    storeHistory(2010001, 2010100);
    OfficialServer service(realDraws());
    UpdateOptions keep = official(service.address(), 2026, 16);
    keep.purgeAllowed = false;
    const UpdateReport report = update(keep);
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2010001, 2026174)));
    EXPECT_EQ(report.holeFrom, 0);
    EXPECT_EQ(report.firstAdded, 2010101);
}

// A clock years ahead neither renumbers the draws into its century nor purges the history
// by its count of years: the new draws are appended as they are.
TEST_F(OfficialUpdate, AClockYearsAheadRefusesThePurgeAndAppendsAsUsual) {
    for (const int clockYear : {2031, 2126}) {
        SCOPED_TRACE(clockYear);
        TempDir folder;
        HistoryStore ahead(folder.path());
        LastTwoDraws state;
        seedHistory(ahead, realBetween(2018001, 2026100), state, 1, "test history");
        OfficialServer service(realDraws());
        const UpdateReport report =
            runOnlineUpdate(ahead, official(service.address(), clockYear, 6),
                            makeUpdateFetcher(UpdateSource::Official));
        ahead.reopenReadingCursor();
        std::vector<HistoryEntry> stored;
        for (const auto& row : ahead.rows()) stored.push_back({row.issue, row.digits()});
        EXPECT_EQ(lines(stored), lines(realBetween(2018001, 2026174)));
        EXPECT_FALSE(report.purged);
        EXPECT_TRUE(report.purgeRefusedForClock);
        EXPECT_THAT(report.warning(), HasSubstr("电脑的日期看来不对"));
    }
}

// The history is never thrown away by default, a consented purge commits only when every
// kept draw comes back as stored, and neither the clock's year nor its century renumbers a
// draw.
TEST_F(OfficialUpdate, EarlyYearsGoOnlyWithConsentAndOnlyWhenEveryKeptDrawComesBack) {
    struct Case {
        const char* what;
        int32_t storedFrom, storedTo;
        int currentYear;
        bool consent;
        int32_t changedIssue;  // the source lists this draw with other digits (0: none)
        const char* refusal;   // nullptr: the update goes ahead
        int32_t firstAfter;    // the first stored issue afterwards
    };
    const Case cases[] = {
        {"no consent keeps 2004-2020 and appends", 2004009, 2025100, 2026, false, 0, nullptr,
         2004009},
        // Six years are six calendar years: 2021 to 2026.
        {"consent purges", 2004009, 2025100, 2026, true, 0, nullptr, 2021001},
        {"a kept draw listed with other digits", 2004009, 2025100, 2026, true, 2022050,
         "已存的第 2022050 期", 0},
        {"a clock a century ahead appends to the right years", 2020001, 2025100, 2126, false, 0,
         nullptr, 2020001},
        // The purge is refused; the draws read are appended as without it.
        {"a clock five years ahead stops the purge", 2004009, 2025100, 2031, true, 0, nullptr,
         2004009},
        {"a history ending in 2010 is continued from 2010", 2004009, 2010100, 2026, false, 0,
         nullptr, 2004009},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        HistoryStore own(folder.path());
        LastTwoDraws ownSp;
        seedHistory(own, realBetween(c.storedFrom, c.storedTo), ownSp, 1, "test history");
        std::vector<HistoryEntry> listed = realDraws();
        for (HistoryEntry& e : listed) {
            if (e.issue == c.changedIssue)
                e.digits[0] = static_cast<int16_t>((e.digits[0] + 1) % 10);
        }
        OfficialServer service(listed);
        UpdateOptions o = official(service.address(), c.currentYear, 6);
        o.purgeAllowed = c.consent;
        const auto before = dumpLishi(sqlConnection(own));
        if (c.refusal) {
            try {
                runOnlineUpdate(own, o, makeUpdateFetcher(UpdateSource::Official));
                ADD_FAILURE() << "the update went ahead";
            } catch (const Error& e) {
                EXPECT_THAT(e.what(), HasSubstr(c.refusal));
            }
            EXPECT_EQ(dumpLishi(sqlConnection(own)), before);
            continue;
        }
        const UpdateReport report =
            runOnlineUpdate(own, o, makeUpdateFetcher(UpdateSource::Official));
        own.reopenReadingCursor();
        std::vector<HistoryEntry> stored;
        for (const auto& row : own.rows()) stored.push_back({row.issue, row.digits()});
        EXPECT_EQ(lines(stored), lines(realBetween(c.firstAfter, 2026174)));
        EXPECT_EQ(report.purged, c.consent && !report.purgeRefusedForClock);
        EXPECT_EQ(report.purgeRefusedForClock, c.currentYear == 2031);
        if (!c.consent && c.storedFrom < c.currentYear * 1000 - 5000) {
            ASSERT_TRUE(report.purgeDeclined.has_value());
            EXPECT_THAT(report.summary(), HasSubstr("期早于保留年数的历史号码已保留，没有删除"));
        }
    }
}

TEST_F(OfficialUpdate, BusyServiceIsWaitedForAndTheWaitShown) {
    storeHistory(2026001, 2026050);
    OfficialServer service(realDraws());
    service.override(
        1, [](httplib::Response& res) { res.status = 567; }, 2);
    int waits = 0;
    update(official(service.address(), 2026, 6), [&](const UpdateProgressInfo& at) {
        if (at.secondsToWait > 0) ++waits;
        return true;
    });
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2026001, 2026174)));
    EXPECT_GE(waits, 2);
    EXPECT_THAT(service.requestedPages(), ElementsAre(1, 1, 1, 2));

    // Busy for good: after the pauses the update gives up, and cancel ends a wait at once.
    storeHistory(2026001, 2026050);
    service.override(1, [](httplib::Response& res) { res.status = 567; });
    EXPECT_THAT(expectRefused<FetchError>(official(service.address(), 2026, 6)),
                AllOf(HasSubstr("HTTP 567"), HasSubstr("历史号码保持原样")));
    UpdateOptions slow = official(service.address(), 2026, 6);
    slow.busyPauses = {std::chrono::minutes(10)};
    const auto before = dump();
    EXPECT_THROW(update(slow, [](const UpdateProgressInfo& at) { return at.secondsToWait == 0; }),
                 CancelledError);
    EXPECT_EQ(dump(), before);
}

TEST_F(OfficialUpdate, AnswersThatAreNotTheDrawListAreRefusedNamingFieldAndValue) {
    storeHistory(2026001, 2026050);
    OfficialServer service(realDraws());
    const auto refusedWith = [&](const std::function<void(nlohmann::json&)>& change) {
        service.edit(2, change);
        return expectRefused<FetchError>(official(service.address(), 2026, 6));
    };
    EXPECT_THAT(refusedWith([](nlohmann::json& d) {
                    d["value"]["list"][3]["lotteryDrawResult"] = "1 2 3 4 5 6";
                }),
                AllOf(HasSubstr("lotteryDrawResult"), HasSubstr("“1 2 3 4 5 6”")));
    EXPECT_THAT(
        refusedWith([](nlohmann::json& d) { d["value"]["list"][0]["lotteryDrawNum"] = "2607a"; }),
        AllOf(HasSubstr("lotteryDrawNum"), HasSubstr("“2607a”")));
    EXPECT_THAT(refusedWith([](nlohmann::json& d) {
                    d = {{"success", false}, {"errorCode", "9"}, {"errorMessage", "系统繁忙"}};
                }),
                AllOf(HasSubstr("success"), HasSubstr("false"), HasSubstr("系统繁忙")));
    EXPECT_THAT(refusedWith([](nlohmann::json& d) {
                    auto& list = d["value"]["list"];
                    list.push_back(list[0]);
                    list.back()["lotteryDrawResult"] = "0 0 0 0 0";
                }),
                HasSubstr("出现两次"));
    // A refusal is what the service said: it is not asked again.
    const std::vector<int> asked = service.requestedPages();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), 2), 4);

    // Blanks around a field are no reason to refuse it.
    service.edit(2, [](nlohmann::json& d) {
        for (auto& entry : d["value"]["list"]) {
            entry["lotteryDrawNum"] = " " + entry["lotteryDrawNum"].get<std::string>() + "\t";
            entry["lotteryDrawResult"] = "\n" + entry["lotteryDrawResult"].get<std::string>() + " ";
        }
    });
    update(official(service.address(), 2026, 6));
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2026001, 2026174)));

    // A stored draw newer than any the clock allows: the clock is wrong.
    TempDir other;
    HistoryStore empty(other.path());
    UpdateOptions past = official(service.address(), 2020, 2);
    past.today = "2020-06-01";
    EXPECT_THAT(
        [&] {
            try {
                runOnlineUpdate(empty, past, makeUpdateFetcher(UpdateSource::Official));
            } catch (const InputError& e) {
                return std::string(e.what());
            }
            return std::string();
        }(),
        AllOf(HasSubstr("第 2026174 期"), HasSubstr("2020-06-01")));
    EXPECT_TRUE(empty.empty());
}

TEST_F(OfficialUpdate, AnswersThatAreNotJsonAndStallsAreRetriedThenReported) {
    storeHistory(2026001, 2026050);
    OfficialServer service(realDraws());
    service.override(2, [](httplib::Response& res) {
        res.set_content("<html><head><title>访问被拒绝</title></head></html>", "text/html");
    });
    EXPECT_THAT(
        expectRefused<FetchError>(official(service.address(), 2026, 6)),
        AllOf(HasSubstr("网页（HTML）"), HasSubstr("访问被拒绝"), HasSubstr("共尝试 4 次")));
    EXPECT_THAT(service.requestedPages(), ElementsAre(1, 2, 1, 2, 1, 2, 1, 2));

    service.override(2, [](httplib::Response& res) {
        res.set_content("{\"success\": true, \"value\": {\"list\": [\"\x01\"]}}",
                        "application/json");
    });
    EXPECT_THAT(expectRefused<FetchError>(official(service.address(), 2026, 6)),
                AllOf(HasSubstr("不是 JSON"), HasSubstr("\\x01")));

    SilentListener silent;
    FetchLimits limits;
    limits.pageTimeout = 200ms;
    const PageFetcher stalled = makeCurlFetcher(limits, officialRequestHeaders());
    UpdateOptions o =
        official(silent.baseUrl() + OfficialServer::kPath + "?gameNo=350133", 2026, 6);
    o.maxRestarts = 1;
    EXPECT_THAT(expectRefused<FetchError>(o, stalled),
                AllOf(HasSubstr("超时"), HasSubstr("共尝试 2 次")));
}

TEST_F(OfficialUpdate, GapStoresUpToItAndTheRestFollowsOnceTheDrawIsTyped) {
    storeHistory(2025001, 2026050);
    auto served = realDraws();
    std::erase_if(served, [](const HistoryEntry& e) { return e.issue == 2026100; });
    OfficialServer service(served);

    const UpdateReport first = update(official(service.address(), 2026, 6));
    EXPECT_EQ(first.gap, 2026100);
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2025001, 2026099)));
    EXPECT_THAT(first.warning(), HasSubstr("第 2026100 期不在页面上；已存入到第 2026099 期。"));

    storeHistory(2025001, 2026100);  // as if 2026100 had been typed in
    const UpdateReport second = update(official(service.address(), 2026, 6));
    EXPECT_FALSE(second.gap);
    EXPECT_EQ(lines(storedEntries()), lines(realBetween(2025001, 2026174)));
}

}  // namespace
}  // namespace arrange5::test
