#include "acquire/online_update.h"

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>
#include <set>

#include "acquire/history_text.h"
#include "acquire/results_page.h"
#include "store/draw_appender.h"
#include "store/limits.h"

namespace arrange5 {

namespace {

constexpr int kFirstYearForKeptHistory = 2013;
constexpr int kLastSequenceInTable = 365;
constexpr std::size_t kIssuesNamedInMessages = 10;
constexpr const char* kTableId = "draw_list";

// A page that has no draw table or no rows in it; the pass starts over.
struct UnreadablePage {
    int year;
    std::string reason;
};

std::string hostOf(const std::string& baseUrl) {
    const std::size_t scheme = baseUrl.find("://");
    const std::size_t begin = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t end = baseUrl.find_first_of("/?#", begin);
    return baseUrl.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

bool startsWithNoCase(const std::string& s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    }
    return true;
}

// "第 2016050、2016051 期", or the first few and the count: "第 2016001、…、2016010 期等共 15 期".
std::string listIssues(const std::vector<int32_t>& issues) {
    std::string out = "第 ";
    for (std::size_t i = 0; i < issues.size() && i < kIssuesNamedInMessages; ++i) {
        if (i) out += "、";
        out += std::to_string(issues[i]);
    }
    out += " 期";
    if (issues.size() > kIssuesNamedInMessages) {
        out += "等共 " + std::to_string(issues.size()) + " 期";
    }
    return out;
}

void checkOptions(const UpdateOptions& options) {
    const auto refuse = [](const std::string& why) {
        return InputError(why + "，在线更新没有进行，历史号码没有改变");
    };
    if (!startsWithNoCase(options.baseUrl, "http://") &&
        !startsWithNoCase(options.baseUrl, "https://")) {
        throw refuse("开奖结果网址“" + options.baseUrl + "”不是以 http:// 或 https:// 开头的地址");
    }
    if (options.yearsToKeep < 2 || options.yearsToKeep > 16) {
        throw refuse("保留年数必须是 2 到 16，而不是 " + std::to_string(options.yearsToKeep));
    }
    if (options.currentYear < 1000 || options.currentYear > 9999) {
        throw refuse("当前年份 " + std::to_string(options.currentYear) + " 不是四位数的年份");
    }
    if (!limits::validSegmentBase(options.segmentBase)) {
        throw refuse("段数参数必须是 0 或 1");
    }
    if (options.maxRestarts < 0) throw refuse("重试次数不能是负数");
}

// What one pass over the year pages found.
struct PassResult {
    std::vector<HistoryEntry> draws;
    std::vector<int32_t> beyondTable;
};

// Reads one year's table rows (header first, newest draw first) after the draw `lastIssue`
// (0 for none) and adds that year's new draws to `pass`. Only sequences a row gives with five
// digits become draws; a hole below the highest sequence is reported, never filled.
void readYear(const std::vector<TableRow>& rows, int year, int32_t lastIssue, PassResult& pass,
              const std::string& host) {
    std::map<int, Digits> listed;
    std::set<int> beyond;
    int highest = 0;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const TableRow& row = rows[r];
        if (row.size() < 3) continue;
        const std::optional<int32_t> n = readIssueCell(row[1]);
        if (!n) continue;  // not a draw row (a second header, a note)
        if (lastIssue != 0 && *n <= lastIssue % 100000) break;
        // A row of another year would otherwise be stored under this page's year.
        if (*n / 1000 != year % 100) continue;
        const int sequence = *n % 1000;
        highest = std::max(highest, sequence);
        if (sequence > kLastSequenceInTable) {
            beyond.insert(sequence);
            continue;
        }
        if (const std::optional<Digits> digits = readDigitsCell(row[2])) {
            listed.emplace(sequence, *digits);
        }
    }

    const bool sameYear = lastIssue != 0 && lastIssue / 1000 >= year;
    const int first = sameYear ? lastIssue % 1000 + 1 : 1;
    std::vector<int32_t> holes;
    const int lastInTable = std::min(highest, kLastSequenceInTable);
    for (int k = first; k <= lastInTable; ++k) {
        const int32_t issue = year * 1000 + k;
        const auto it = listed.find(k);
        if (it == listed.end()) {
            holes.push_back(issue);
        } else {
            pass.draws.push_back({issue, it->second});
        }
    }
    if (!holes.empty()) {
        throw MissingDrawsError(host + " 上 " + std::to_string(year) + " 年的开奖结果页面缺少" +
                                    listIssues(holes) +
                                    " 期的五位号码；没有存入任何一期，历史号码保持原样",
                                holes);
    }
    for (int sequence : beyond) {
        if (sequence >= first) pass.beyondTable.push_back(year * 1000 + sequence);
    }
}

PassResult readAllYears(const UpdateOptions& options, int startYear, int32_t lastIssue,
                        const PageFetcher& fetch, const UpdateProgress& progress,
                        const std::string& host) {
    PassResult pass;
    for (int year = startYear; year <= options.currentYear; ++year) {
        const KeepGoing keepGoing = [&] { return !progress || progress(year, pass.draws.size()); };
        if (!keepGoing()) {
            throw CancelledError("在线更新已取消，历史号码保持原样");
        }
        std::string page;
        try {
            page = fetch(resultsPageUrl(options.baseUrl, year), keepGoing);
        } catch (const CancelledError&) {
            throw;
        } catch (const FetchError& e) {
            throw UnreadablePage{year, e.what()};
        }
        const auto rows = readTableRows(page, kTableId);
        if (!rows) throw UnreadablePage{year, "页面中没有表格“draw_list”"};
        if (rows->empty()) throw UnreadablePage{year, "表格“draw_list”中没有任何行"};

        const std::size_t before = pass.draws.size();
        readYear(*rows, year, lastIssue, pass, host);
        if (pass.draws.size() > before) lastIssue = pass.draws.back().issue;
        if (!keepGoing()) {
            throw CancelledError("在线更新已取消，历史号码保持原样");
        }
    }
    return pass;
}

// The history must still be the one the pages were read against; another command may have
// changed it while the pages were on their way.
void checkHistoryUnchanged(SQLite::Database& db, const HistorySnapshot& rows) {
    SQLite::Statement q(db,
                        "SELECT COUNT(*), MIN(SQQH), MAX(SQQH), "
                        "(SELECT L1A || L2A || L3A || L4A || L5A FROM Lishi "
                        "ORDER BY SQQH DESC LIMIT 1) FROM Lishi");
    q.executeStep();
    const auto count = static_cast<std::size_t>(q.getColumn(0).getInt64());
    bool same = count == rows.size();
    if (same && !rows.empty()) {
        same = q.getColumn(1).getInt() == rows.front().issue &&
               q.getColumn(2).getInt() == rows.back().issue &&
               q.getColumn(3).getString() == digitString(rows.back().digits());
    }
    if (!same) {
        throw Error("读取页面期间历史号码被另一个命令改动了；没有存入任何一期，请重新进行在线更新");
    }
}

}  // namespace

std::string resultsPageUrl(const std::string& baseUrl, int year) {
    std::string base = baseUrl;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + "/lottery/draw/list/4?d=" + std::to_string(year) + "-01-01";
}

std::string UpdateReport::summary() const {
    std::string out;
    if (added == 0) {
        out = "没有新的开奖号码";
        out += lastIssue ? "；历史号码截至第 " + std::to_string(lastIssue) + " 期"
                         : std::string("；历史号码为空");
    } else {
        out = "新增 " + std::to_string(added) + " 期，截至第 " + std::to_string(lastIssue) + " 期";
    }
    if (purged) {
        out += "（原有历史号码早于保留年数，已从 " + std::to_string(startYear) + " 年起重新读取）";
    }
    if (!missing.empty()) {
        out += "；当年期数超过 365 的没有存入：" + listIssues(missing);
    }
    return out;
}

UpdateReport runOnlineUpdate(HistoryStore& store, const UpdateOptions& options, LastTwoDraws& sp,
                             const PageFetcher& fetch, const UpdateProgress& progress) {
    checkOptions(options);
    if (store.readOnly()) {
        throw StoreError(store.folder().string() +
                         " 中的历史数据库不能写入，在线更新没有进行，历史号码没有改变");
    }
    const std::string host = hostOf(options.baseUrl);
    store.reopenReadingCursor();
    const HistorySnapshot& rows = store.rows();

    const bool purge =
        !rows.empty() && options.currentYear - rows.front().issue / 1000 > options.yearsToKeep;
    int startYear = options.currentYear - options.yearsToKeep;
    int32_t lastIssue = 0;
    if (!rows.empty() && !purge) {
        lastIssue = rows.back().issue;
        startYear = std::max(lastIssue / 1000, kFirstYearForKeptHistory);
    }

    PassResult pass;
    for (int attempt = 0;; ++attempt) {
        try {
            pass = readAllYears(options, startYear, lastIssue, fetch, progress, host);
            break;
        } catch (const UnreadablePage& page) {
            if (attempt >= options.maxRestarts) {
                throw FetchError("在线更新无法读取 " + host + " 上 " + std::to_string(page.year) +
                                 " 年的开奖结果页面：" + page.reason + "；共尝试 " +
                                 std::to_string(attempt + 1) + " 次，历史号码保持原样");
            }
        }
    }
    if (purge && pass.draws.empty()) {
        throw FetchError(host + " 上 " + std::to_string(startYear) + " 年至 " +
                         std::to_string(options.currentYear) +
                         " 年的开奖结果页面没有列出任何一期；过时的历史号码保持原样");
    }

    if (purge || !pass.draws.empty()) {
        AppendState state{sp, {}};
        // Held only for the writing: the pages may take minutes, and other writers meanwhile
        // are caught by checkHistoryUnchanged.
        const HistoryStore::WriteLock lock = store.lockForWriting();
        try {
            SQLite::Transaction tx(store.db(), SQLite::TransactionBehavior::IMMEDIATE);
            checkHistoryUnchanged(store.db(), rows);
            if (purge) {
                store.delrec();
            } else {
                state.primeFrom(rows);
            }
            DrawAppender appender(store.db());
            for (const HistoryEntry& e : pass.draws) {
                appender.append(e.issue, e.digits, options.segmentBase, state);
            }
            tx.commit();
        } catch (const SQLite::Exception& e) {
            throw StoreError(std::string("新的开奖号码未能存入，历史号码保持原样（数据库报告：") +
                             e.what() + "）");
        } catch (const StoreError& e) {
            throw StoreError(std::string("新的开奖号码未能存入，历史号码保持原样：") + e.what());
        }
        sp = state.sp;
        store.reopenReadingCursor();
    }

    UpdateReport report;
    report.added = pass.draws.size();
    report.firstAdded = pass.draws.empty() ? 0 : pass.draws.front().issue;
    report.lastIssue = store.rows().empty() ? 0 : store.rows().back().issue;
    report.purged = purge;
    report.startYear = startYear;
    report.missing = std::move(pass.beyondTable);
    return report;
}

}  // namespace arrange5
