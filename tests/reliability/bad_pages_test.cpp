// The online update, run from the command line against a results site on 127.0.0.1 that
// misbehaves: every case ends, leaves the history as it was unless real draws were read, and
// says why. (Stalls, 404 and the size cap with small limits are covered with the update's
// own tests.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <thread>

#include "acquire/maintenance.h"
#include "acquire/online_update_test_server.h"
#include "acquire/results_page.h"
#include "reliability/process_runner.h"
#include "support/cli_process.h"
#include "support/test_support.h"

namespace arrange5 {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using ::testing::HasSubstr;

std::vector<HistoryEntry> yearsOfDraws(int from, int to, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<HistoryEntry> out;
    for (int year = from; year <= to; ++year) {
        for (int seq = 1; seq <= 358; ++seq) {
            HistoryEntry e;
            e.issue = year * 1000 + seq;
            for (auto& d : e.digits) d = static_cast<int16_t>(rng() % 10);
            out.push_back(e);
        }
    }
    return out;
}

// Accepts connections and resets each at once.
class ResettingListener {
  public:
    ResettingListener() {
        fd_ = test::listenOnLoopback(port_, "resetting listener");
        thread_ = std::thread([this] {
            while (!stop_) {
                const int c = ::accept(fd_, nullptr, nullptr);
                if (c < 0) continue;
                char buffer[512];
                (void)::recv(c, buffer, sizeof buffer, 0);
                const linger hard{1, 0};  // close with RST
                ::setsockopt(c, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
                ::close(c);
            }
        });
    }
    ~ResettingListener() {
        stop_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        thread_.join();
    }
    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

  private:
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class BadPage : public ::testing::Test {
  protected:
    void SetUp() override {
        site_ = yearsOfDraws(2015, 2016, 11);
        before_ = std::vector<HistoryEntry>(site_.begin(), site_.begin() + 100);
        test::storeHistory(dir_.path(), before_);
    }

    test::CliResult update(const std::string& baseUrl) {
        return test::runCliProcess(
            {"--dir", dir_.path().string(), "update", "--source", "pages", "--url", baseUrl,
             "--years-to-keep", "2", "--today", "2016-12-31"},
            dir_.path());
    }

    void expectUnchanged(const test::CliResult& run, const std::string& says) {
        EXPECT_EQ(run.status, 2) << run.out;
        EXPECT_THAT(run.err, HasSubstr(says));
        EXPECT_THAT(run.err, HasSubstr("历史号码保持原样"));
        EXPECT_EQ(test::storedDraws(dir_ / "Zembric.mdb"), test::drawLines(before_));
    }

    TempDir dir_;
    std::vector<HistoryEntry> site_;
    std::vector<HistoryEntry> before_;
};

TEST_F(BadPage, ConnectionResetIsReported) {
    ResettingListener reset;
    expectUnchanged(update(reset.baseUrl()), "2015");
}

TEST_F(BadPage, ServerErrorIsReported) {
    test::ResultsServer server(site_);
    server.override(2016, [](httplib::Response& res) { res.status = 500; });
    expectUnchanged(update(server.baseUrl()), "HTTP 500");
}

TEST_F(BadPage, FiftyMegabytePageIsRefusedWithoutReadingItAll) {
    test::ResultsServer server(site_);
    server.override(2016, [](httplib::Response& res) {
        res.set_content(std::string(50u << 20, '<'), "text/html");
    });
    expectUnchanged(update(server.baseUrl()), "大于");
}

TEST_F(BadPage, DeeplyNestedAndBrokenMarkupIsNoTable) {
    test::ResultsServer server(site_);
    std::string nested;
    for (int i = 0; i < 200000; ++i) nested += "<div><span>";  // 2.2 MB, under the size cap
    nested += "<table id=draw_list><tr><td>16001<td>12345";
    server.override(2016,
                    [nested](httplib::Response& res) { res.set_content(nested, "text/html"); });
    expectUnchanged(update(server.baseUrl()), "没有表格“draw_list”");

    server.override(2016, [](httplib::Response& res) {
        res.set_content(
            "<table id=\"draw_list\"<tr><td>16001</td><td>1 2 3 4 5</td>"
            "</tr></table><!-- unclosed <td> <<<>>> &#xFFFFFFFF; \xff\xfe",
            "text/html");
    });
    const auto broken = update(server.baseUrl());
    // The one row the broken table yields is its header: 2016 lists nothing yet, and the
    // update stores the rest of 2015 and nothing of 2016.
    EXPECT_EQ(broken.status, 0) << broken.err;
    std::vector<HistoryEntry> through2015;
    std::copy_if(site_.begin(), site_.end(), std::back_inserter(through2015),
                 [](const HistoryEntry& e) { return e.issue / 1000 == 2015; });
    EXPECT_EQ(test::storedDraws(dir_ / "Zembric.mdb"), test::drawLines(through2015));
    EXPECT_EQ(test::integrityCheck(dir_ / "Zembric.mdb"), "ok");
}

TEST_F(BadPage, TenThousandRowsWithIssuesOfOtherYearsStoreOnlyTheYearsDraws) {
    test::ResultsServer server(site_);
    // Rows of later years above the year's draws, of earlier years below them.
    std::string rows;
    std::mt19937 rng(12);
    const auto junk = [&](int fromYear, int years) {
        for (int i = 0; i < (10000 - 358) / 2; ++i) {
            const int year = fromYear + static_cast<int>(rng() % years);
            rows += test::drawRow(
                test::fiveDigitIssue(year * 1000 + 1 + static_cast<int>(rng() % 358)), "98765");
        }
    };
    junk(2017, 20);
    for (auto it = site_.rbegin(); it != site_.rend() && it->issue / 1000 == 2016; ++it) {
        rows += test::drawRow(test::fiveDigitIssue(it->issue),
                              test::digitsCell(it->digits, test::PageStyle::Plain));
    }
    junk(1990, 25);
    const std::string page =
        "<html><body><table id=\"draw_list\">" + rows + "</table></body></html>";
    server.override(2016, [page](httplib::Response& res) { res.set_content(page, "text/html"); });
    const auto run = update(server.baseUrl());
    EXPECT_EQ(run.status, 0) << run.err;
    const auto stored = test::storedDraws(dir_ / "Zembric.mdb");
    const auto expected = test::drawLines(site_);
    ASSERT_EQ(stored.size(), expected.size());
    for (std::size_t i = 0; i < stored.size(); ++i)
        ASSERT_EQ(stored[i], expected[i]) << "row " << i;
}

// The README's example, `update --url <official JSON address>`, reads the official data also
// after the window chose the results pages; --source always wins; with --fallback a failing
// official source gives way to the results site set in the window. stderr names the source
// and the address read, stdout the host that answered.
TEST_F(BadPage, TheUrlsFormChoosesTheSourceAndFallbackTriesTheResultsSite) {
    test::OfficialServer service(site_);
    test::ResultsServer pagesSite(site_);
    const std::string unreachable =
        test::unreachableBaseUrl() + test::OfficialServer::kPath + "?gameNo=350133";
    TempDir config;
    test::writeFile(config / "Korvath.ini", "[IniSetting]\ntxtUpdateSource=pages\ntxtUpdateHost=" +
                                                pagesSite.baseUrl() + "\n");
    const std::string reading = "arrange5-cli: 在线更新读取 ";
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> err;  // in this order
    } cases[] = {
        {{"--url", service.address()}, 0, {reading + "体彩官方数据：" + service.address() + "\n"}},
        {{"--source", "pages", "--url", service.address()},
         2,
         {reading + "开奖结果网页：" + service.address()}},
        {{"--url", unreachable}, 2, {reading + "体彩官方数据：" + unreachable}},
        {{"--url", unreachable, "--fallback"},
         0,
         {reading + "体彩官方数据：" + unreachable, " 没有读到（",
          "改从 " + pagesSite.baseUrl().substr(7) + " 的开奖结果网页读取",
          reading + "开奖结果网页：" + pagesSite.baseUrl()}},
    };
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        TempDir data;
        test::storeHistory(data.path(), before_);
        std::vector<std::string> args{"--dir", data.path().string(), "update"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"--years-to-keep", "2", "--today", "2016-12-31"});
        const auto run = test::runCliProcess(args, data.path());
        EXPECT_EQ(run.status, c.status) << run.err;
        std::size_t at = 0;
        for (const std::string& part : c.err) {
            at = run.err.find(part, at);
            EXPECT_NE(at, std::string::npos) << part << "\n" << run.err;
        }
        if (c.status != 0) continue;
        EXPECT_THAT(run.out, HasSubstr("：新增 616 期，第 2015101 至 2016358 期"));
        EXPECT_EQ(run.out.rfind(c.args.back() == "--fallback" ? pagesSite.baseUrl().substr(7)
                                                              : service.address().substr(7, 10),
                                0),
                  0u)
            << "the host that answered: " << run.out;
        EXPECT_EQ(test::storedDraws(data / "Zembric.mdb"), test::drawLines(site_));
    }
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(service.requestedPages().empty());
}

// The command line deletes early history only when --years-to-keep is on it.
TEST(UpdateConsent, PurgeOnlyWithYearsToKeepOnTheCommandLine) {
    const auto site = yearsOfDraws(2008, 2016, 5);
    const auto from = [&](int32_t first) {
        std::vector<HistoryEntry> out;
        std::copy_if(site.begin(), site.end(), std::back_inserter(out),
                     [first](const HistoryEntry& e) { return e.issue >= first; });
        return test::drawLines(out);
    };
    test::OfficialServer service(site);
    for (const bool consent : {false, true}) {
        SCOPED_TRACE(consent);
        TempDir dir;
        test::storeHistory(dir.path(), {site.begin(), site.begin() + 100});
        std::vector<std::string> args{"--dir",           dir.path().string(), "update",    "--url",
                                      service.address(), "--today",           "2016-12-31"};
        if (consent) args.insert(args.end(), {"--years-to-keep", "2"});
        const auto run = test::runCliProcess(args, dir.path());
        EXPECT_EQ(run.status, 0) << run.err;
        if (consent) {
            // Two years are two calendar years; the summary counts what the purge did.
            EXPECT_EQ(test::storedDraws(dir / "Zembric.mdb"), from(2015001));
            EXPECT_THAT(run.out, HasSubstr("删除 100 期（2015 年以前），重新读入 0 期"));
            EXPECT_EQ(run.err,
                      "arrange5-cli: 在线更新读取 体彩官方数据：" + service.address() + "\n");
        } else {
            EXPECT_EQ(test::storedDraws(dir / "Zembric.mdb"), from(2008001));
            EXPECT_THAT(run.out, HasSubstr("没有删除历史号码"));
            EXPECT_THAT(run.err, HasSubstr("早于保留年数的历史号码已保留，没有删除（要删除它们，请"
                                           "给出 --years-to-keep）"));
        }
    }
}

std::size_t characters(const std::string& utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Answers no service would give: each is refused in one short line, with the history as it
// was and the memory of the command bounded.
TEST_F(BadPage, HostileOfficialAnswersAreRefusedShortlyWithBoundedMemory) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string longIssue = "{\"success\":true,\"value\":{\"list\":[{\"lotteryDrawNum\":\"" +
                                  std::string(500000, '7') +
                                  "\",\"lotteryDrawResult\":\"1 2 3 4 5\"}]}}";
    const std::string longNumber =
        "{\"success\":true,\"value\":{\"pages\":" + std::string(500000, '9') + ",\"list\":[]}}";
    const std::string deepInList = "{\"success\":true,\"value\":{\"list\":[" + deep + "]}}";
    const struct {
        const char* what;
        std::function<void(httplib::Response&)> answer;
    } cases[] = {
        {"nested 100,000 deep",
         [&](httplib::Response& res) { res.set_content(deep, "application/json"); }},
        {"nested deep in the list",
         [&](httplib::Response& res) { res.set_content(deepInList, "application/json"); }},
        {"an issue of half a million digits",
         [&](httplib::Response& res) { res.set_content(longIssue, "application/json"); }},
        {"a number of half a million digits",
         [&](httplib::Response& res) { res.set_content(longNumber, "application/json"); }},
        {"four hundred megabytes",
         [](httplib::Response& res) {
             res.set_chunked_content_provider(
                 "application/json", [](std::size_t offset, httplib::DataSink& sink) {
                     if (offset >= (400u << 20)) {
                         sink.done();
                         return true;
                     }
                     const std::string chunk(1u << 20, offset == 0 ? '[' : ' ');
                     return sink.write(chunk.data(), chunk.size());
                 });
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::OfficialServer service(site_);
        service.override(1, c.answer);
        const auto run = test::runCliProcess({"--dir", dir_.path().string(), "update", "--url",
                                              service.address(), "--today", "2016-12-31"},
                                             dir_.path());
        EXPECT_EQ(run.status, 2) << run.out;
        // The line naming the source read and the progress lines of a slow answer aside, one
        // line says why.
        const std::string why = run.err.substr(run.err.rfind('\n', run.err.size() - 2) + 1);
        EXPECT_THAT(run.err.substr(0, run.err.size() - why.size()),
                    ::testing::MatchesRegex("(arrange5-cli: 在线更新(读取 |：正在读取)[^\n]*\n)*"));
        EXPECT_LE(characters(why), 201u) << run.err;
        EXPECT_THAT(run.err, HasSubstr("历史号码保持原样"));
        EXPECT_LT(run.peakMemoryKb, test::kMemoryBoundKb);
        EXPECT_EQ(test::storedDraws(dir_ / "Zembric.mdb"), test::drawLines(before_));
    }
}

// Pages that could only fill the memory, and a clock far ahead: each ends in bounded memory
// and asks only for years that can exist.
TEST_F(BadPage, ElementFloodsAreRefusedAndOnlyYearsThatCanExistAreAsked) {
    test::ResultsServer server(site_);
    for (const char* flood : {"<p>a", "<br>"}) {
        SCOPED_TRACE(flood);
        std::string page;
        while (page.size() < 4800000) page += flood;
        server.override(2016,
                        [page](httplib::Response& res) { res.set_content(page, "text/html"); });
        const auto run = update(server.baseUrl());
        expectUnchanged(run, "元素");
        EXPECT_LT(run.peakMemoryKb, test::kMemoryBoundKb);
    }

    // A source that keeps the command waiting is not waited on in silence.
    server.override(2016, [](httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        res.status = 404;
    });
    const auto slow = update(server.baseUrl());
    EXPECT_EQ(slow.status, 2);
    EXPECT_THAT(slow.err, HasSubstr("arrange5-cli: 在线更新：正在读取 2016 年的开奖号码"));

    // A page that leaves out its header row keeps its first draw.
    std::string rows;
    for (const auto& e : site_) {
        if (e.issue / 1000 == 2016) {
            rows += test::drawRow(test::fiveDigitIssue(e.issue),
                                  test::digitsCell(e.digits, test::PageStyle::Plain));
        }
    }
    const std::string headless = "<table id=\"draw_list\">" + rows + "</table>";
    test::ResultsServer later(site_);
    later.override(2016,
                   [headless](httplib::Response& res) { res.set_content(headless, "text/html"); });
    const auto run =
        test::runCliProcess({"--dir", dir_.path().string(), "update", "--source", "pages", "--url",
                             later.baseUrl() + "#list", "--today", "9999-12-31"},
                            dir_.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::storedDraws(dir_ / "Zembric.mdb"), test::drawLines(site_));
    EXPECT_THAT(later.requestedYears(), ::testing::ElementsAre(2015, 2016, 2017));
}

// An official source that ignores the page number, one that repeats its draws on every page
// of 5 MiB, and rows shuffled across pages.
TEST_F(BadPage, OfficialPagesThatRepeatAreRefusedAndShuffledOnesAreReadWhole) {
    test::OfficialServer service(site_);
    const std::string first = test::OfficialServer::page(site_, 100, 1).dump();
    nlohmann::json huge = test::OfficialServer::page(site_, 100, 1);
    huge["value"].erase("pages");
    auto& list = huge["value"]["list"];
    const nlohmann::json hundred = list;
    while (list.dump().size() < (5u << 20) - 65536) {
        for (const auto& entry : hundred) list.push_back(entry);
    }
    const std::string flood = "{\"success\":true,\"value\":{\"list\":[" + [] {
        std::string s;
        while (s.size() < (5u << 20) - 4096) s += "{},";
        return s;
    }() + "{}]}}";
    for (const std::string& body : {first, huge.dump(), flood}) {
        for (int pageNo = 1; pageNo <= 3; ++pageNo) {
            service.override(pageNo, [body](httplib::Response& res) {
                res.set_content(body, "application/json");
            });
        }
        const auto run = test::runCliProcess({"--dir", dir_.path().string(), "update", "--url",
                                              service.address(), "--today", "2016-12-31"},
                                             dir_.path());
        expectUnchanged(run, body == first ? "没有按页码翻页" : "对象和数组");
        EXPECT_LT(run.peakMemoryKb, test::kMemoryBoundKb);
    }

    // The newest page lists one stored draw in place of a new one, which comes on page 2.
    test::OfficialServer shuffled(site_);
    nlohmann::json moved;
    shuffled.edit(1, [&](nlohmann::json& d) {
        auto& entries = d["value"]["list"];
        moved = entries[50];
        entries[50]["lotteryDrawNum"] = test::fiveDigitIssue(before_[49].issue);
        std::string digits;
        for (int digit : before_[49].digits)
            digits += (digits.empty() ? "" : " ") + std::to_string(digit);
        entries[50]["lotteryDrawResult"] = digits;
    });
    shuffled.edit(2, [&](nlohmann::json& d) { d["value"]["list"].push_back(moved); });
    const auto run = test::runCliProcess({"--dir", dir_.path().string(), "update", "--url",
                                          shuffled.address() + "#draws", "--today", "2016-12-31"},
                                         dir_.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::storedDraws(dir_ / "Zembric.mdb"), test::drawLines(site_));
}

TEST_F(BadPage, GapStoresUpToItWarnsAndExitsZeroThenTheRestFollowsTheTypedDraw) {
    auto gapped = site_;
    std::erase_if(gapped, [](const HistoryEntry& e) { return e.issue == 2016150; });
    test::ResultsServer server(gapped);
    const auto first = update(server.baseUrl());
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_THAT(first.err, HasSubstr("第 2016150 期不在页面上；已存入到第 2016149 期。"));
    const auto upTo = [&](int32_t last) {
        std::vector<HistoryEntry> out;
        for (const auto& e : site_) {
            if (e.issue <= last) out.push_back(e);
        }
        return test::drawLines(out);
    };
    EXPECT_EQ(test::storedDraws(dir_ / "Zembric.mdb"), upTo(2016149));

    // The gap is still there: nothing to store, exit 2, nothing changed.
    const auto again = update(server.baseUrl());
    EXPECT_EQ(again.status, 2);
    EXPECT_THAT(again.err, HasSubstr("第 2016150 期不在页面上"));
    EXPECT_EQ(test::storedDraws(dir_ / "Zembric.mdb"), upTo(2016149));

    {
        HistoryStore store(dir_.path());
        const auto typed = std::find_if(site_.begin(), site_.end(),
                                        [](const HistoryEntry& e) { return e.issue == 2016150; });
        ASSERT_EQ(appendManualDraw(store, typed->digits), 2016150);
    }
    const auto rest = update(server.baseUrl());
    EXPECT_EQ(rest.status, 0) << rest.err;
    EXPECT_EQ(rest.err, "arrange5-cli: 在线更新读取 开奖结果网页：" + server.baseUrl() + "\n");
    EXPECT_EQ(test::storedDraws(dir_ / "Zembric.mdb"), test::drawLines(site_));
}

}  // namespace
}  // namespace arrange5

namespace arrange5 {
namespace {

TEST(ResultsPageNesting, OnlyAbsurdNestingIsRefusedBeforeParsing) {
    std::string rows;
    for (int i = 0; i < 1000; ++i)
        rows += "<tr><td>16" + std::to_string(100 + i % 258) + "<td>12345";
    std::string icons = "<svg>";
    for (int i = 0; i < 1000; ++i) icons += "<path d=\"M0 0\"/>";
    icons += "</svg>";
    const auto page = [&](int depth) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) open += "<div>";
        for (int i = 0; i < depth; ++i) close += "</div>";
        return "<html><body><p>note<br><img src=x><script>if (a<b) { s = '<div><div>'; }</script>" +
               icons + open + "<table id=draw_list>" + rows + "</table>" + close;
    };
    const auto ordinary = readTableRows(page(400), "draw_list");
    ASSERT_TRUE(ordinary.has_value());
    EXPECT_EQ(ordinary->size(), 1000u);
    EXPECT_FALSE(readTableRows(page(600), "draw_list").has_value());
}

}  // namespace
}  // namespace arrange5
