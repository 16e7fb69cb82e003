#include "acquire/online_update.h"

#include <SQLiteCpp/Statement.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "acquire/results_page.h"
#include "store/draw_appender.h"
#include "store/limits.h"

namespace arrange5 {

namespace {

using namespace std::chrono_literals;

constexpr int kFirstYearForKeptHistory = 2013;
constexpr const char* kTableId = "draw_list";

bool startsWithNoCase(const std::string& s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    }
    return true;
}

bool isWebAddress(const std::string& url) {
    return startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://");
}

void checkOptions(const UpdateOptions& options) {
    const auto refuse = [](const std::string& why) {
        return InputError(why + "，在线更新没有进行，历史号码没有改变");
    };
    if (options.source == UpdateSource::Pages && !isWebAddress(options.baseUrl)) {
        throw refuse("开奖结果网址“" + options.baseUrl + "”不是以 http:// 或 https:// 开头的地址");
    }
    if (options.source == UpdateSource::Official && !isWebAddress(options.officialUrl)) {
        throw refuse("体彩官方数据的地址“" + options.officialUrl +
                     "”不是以 http:// 或 https:// 开头的地址");
    }
    if (options.yearsToKeep < limits::kMinYearsToKeep ||
        options.yearsToKeep > limits::kMaxYearsToKeep) {
        throw refuse("保留年数必须是 " + std::to_string(limits::kMinYearsToKeep) + " 到 " +
                     std::to_string(limits::kMaxYearsToKeep) + "，而不是 " +
                     std::to_string(options.yearsToKeep));
    }
    if (options.currentYear < 1000 || options.currentYear > 9999) {
        throw refuse("当前年份 " + std::to_string(options.currentYear) + " 不是四位数的年份");
    }
    if (!limits::validSegmentBase(options.segmentBase)) throw refuse("段数参数必须是 0 或 1");
    if (options.maxRestarts < 0) throw refuse("重试次数不能是负数");
    if (options.officialPageSize < 1) throw refuse("每页期数必须大于 0");
}

std::string todayText(const UpdateOptions& options) {
    return options.today.empty() ? "当前年份 " + std::to_string(options.currentYear)
                                 : "今天的日期 " + options.today;
}

// The purge check, the start year and the last issue the new draws follow. Stored draws of a
// year after the current one mean the clock is wrong: a purge would count the years to keep
// from the wrong year and throw the newest draws away.
UpdatePlan planUpdate(const HistorySnapshot& rows, const UpdateOptions& options) {
    UpdatePlan plan;
    plan.currentYear = options.currentYear;
    for (const HistoryRow& row : rows) plan.storedYears.insert(row.issue / 1000);
    if (!rows.empty()) {
        plan.storedLastIssue = rows.back().issue;
        if (plan.storedLastIssue / 1000 > options.currentYear) {
            throw InputError("历史号码中已有第 " + std::to_string(plan.storedLastIssue) + " 期（" +
                             std::to_string(plan.storedLastIssue / 1000) + " 年），晚于" +
                             todayText(options) +
                             "；电脑的日期大概不对，请改正后再在线更新。"
                             "在线更新没有进行，历史号码没有改变");
        }
    }
    plan.purge = options.purgeAllowed && proposePurge(rows, options).has_value();
    plan.startYear = options.currentYear - options.yearsToKeep;
    if (!rows.empty() && !plan.purge) {
        plan.lastIssue = rows.back().issue;
        // The operator's data goes back to any year; the results pages begin with 2013.
        plan.startYear = options.source == UpdateSource::Official
                             ? plan.lastIssue / 1000
                             : std::max(plan.lastIssue / 1000, kFirstYearForKeptHistory);
    }
    return plan;
}

std::size_t newDrawsIn(const YearListing& listing, int32_t lastIssue) {
    return static_cast<std::size_t>(
        std::count_if(listing.draws.begin(), listing.draws.end(),
                      [&](const ListedDraw& d) { return d.issue > lastIssue; }));
}

// One pass over the year pages, from the start year to the current year.
std::vector<YearListing> readPages(const UpdateOptions& options, const UpdatePlan& plan,
                                   const PageFetcher& fetch, const UpdateStatusProgress& progress,
                                   const std::string& host) {
    std::vector<YearListing> years;
    std::size_t found = 0;
    for (int year = plan.startYear; year <= options.currentYear; ++year) {
        const std::string what = host + " 上 " + std::to_string(year) + " 年的开奖结果页面";
        const KeepGoing keepGoing = [&] { return !progress || progress({year, found, 0}); };
        if (!keepGoing()) throw CancelledError("在线更新已取消，历史号码保持原样");
        std::string page;
        try {
            page = fetch(resultsPageUrl(options.baseUrl, year), keepGoing);
        } catch (const CancelledError&) {
            throw;
        } catch (const FetchError& e) {
            throw UnreadableListing{what, e.what()};
        }
        const auto rows = readTableRows(page, kTableId);
        if (!rows) throw UnreadableListing{what, "页面中没有表格“draw_list”"};
        if (rows->empty()) throw UnreadableListing{what, "表格“draw_list”中没有任何行"};
        years.push_back(readYearTable(*rows, year));
        found += newDrawsIn(years.back(), plan.lastIssue);
        if (!keepGoing()) throw CancelledError("在线更新已取消，历史号码保持原样");
    }
    return years;
}

// Reads the source and checks what it listed, reading it again (from the start year or the
// first page) while a page is unreadable, at most maxRestarts times.
NewDraws readNewDraws(const UpdateOptions& options, const UpdatePlan& plan,
                      const PageFetcher& fetch, const UpdateStatusProgress& progress) {
    const bool official = options.source == UpdateSource::Official;
    const std::string host = hostOfUrl(official ? options.officialUrl : options.baseUrl);
    const auto describe = [&](int year) {
        return official ? "体彩官方数据（" + host + "）中 " + std::to_string(year) + " 年的开奖号码"
                        : host + " 上 " + std::to_string(year) + " 年的开奖结果页面";
    };
    OfficialReadOptions reading;
    reading.address = options.officialUrl;
    reading.pageSize = options.officialPageSize;
    reading.busyPauses = options.busyPauses;
    reading.startYear = plan.startYear;
    reading.currentYear = plan.currentYear;
    reading.lastIssue = plan.lastIssue;
    reading.anchorYear = plan.storedLastIssue ? plan.storedLastIssue / 1000 : plan.currentYear;
    reading.today = todayText(options);
    for (int attempt = 0;; ++attempt) {
        try {
            const std::vector<YearListing> years =
                official ? readOfficialListings(fetch, reading, progress)
                         : readPages(options, plan, fetch, progress, host);
            return collectNewDraws(years, plan, describe);
        } catch (const UnreadableListing& page) {
            if (attempt >= options.maxRestarts) {
                throw FetchError("在线更新无法读取 " + page.what + "：" + page.reason +
                                 "；共尝试 " + std::to_string(attempt + 1) +
                                 " 次，历史号码保持原样");
            }
        }
    }
}

// A purge deletes the whole history before the draws are stored again: it may go ahead only
// when the source gave back every year and at least every stored draw of them.
void checkPurge(const UpdatePlan& plan, const NewDraws& found, const std::string& sourceName) {
    if (found.draws.empty()) {
        throw FetchError(sourceName + "中 " + std::to_string(plan.startYear) + " 年至 " +
                         std::to_string(plan.currentYear) +
                         " 年没有列出任何一期；过时的历史号码保持原样");
    }
    if (found.gap) {
        throw MissingDrawsError(
            "第 " + std::to_string(*found.gap) + " 期不在页面上；在线更新要先删去早于保留年数的" +
                "历史号码再从 " + std::to_string(plan.startYear) +
                " 年起重新读取，缺了这一期就会丢失已有的号码，所以没有进行，历史号码保持原样",
            {*found.gap});
    }
    if (found.draws.back().issue < plan.storedLastIssue) {
        throw FetchError(sourceName + "只列到第 " + std::to_string(found.draws.back().issue) +
                         " 期，而历史号码已到第 " + std::to_string(plan.storedLastIssue) +
                         " 期；删去过时的历史号码会丢失号码，所以没有进行，历史号码保持原样");
    }
    const int newestListedYear = found.draws.back().issue / 1000;
    if (plan.currentYear > newestListedYear + 1) {
        throw InputError(
            "当前年份 " + std::to_string(plan.currentYear) + " 比" + sourceName +
            "列出的最新一期（第 " + std::to_string(found.draws.back().issue) +
            " 期）晚了不止一年，电脑的日期看来不对；按保留年数删除早期历史号码会算错年份，"
            "所以没有进行，历史号码保持原样");
    }
}

// Every stored draw of the kept years must come back with the same digits, or the purge would
// lose or change a draw the user keeps.
void checkKeptDraws(const HistorySnapshot& stored, const UpdatePlan& plan, const NewDraws& found,
                    const std::string& sourceName) {
    std::map<int32_t, Digits> listed;
    for (const HistoryEntry& e : found.draws) listed.emplace(e.issue, e.digits);
    for (const HistoryRow& row : stored) {
        if (row.issue / 1000 < plan.startYear) continue;
        const auto it = listed.find(row.issue);
        if (it != listed.end() && it->second == row.digits()) continue;
        const std::string gave =
            it == listed.end() ? "没有列出这一期" : "列出的号码是 " + digitString(it->second);
        throw FetchError(
            "已存的第 " + std::to_string(row.issue) + " 期（" + digitString(row.digits()) + "）在" +
            sourceName + "中对不上：" + gave +
            "；删除早期历史后重新读入会丢失或改动这一期，所以没有进行，历史号码保持原样");
    }
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

// The update's only write to the store, in one transaction: the purge (when due) and the new
// draws commit together or not at all. `sp` advances only after the commit.
void commitUpdate(HistoryStore& store, const HistorySnapshot& before, bool purge,
                  const std::vector<HistoryEntry>& draws, int segmentBase, LastTwoDraws& sp) {
    AppendState state{sp, {}};
    // The lock is taken only for the writing: the pages may take minutes, and other writers
    // meanwhile are caught by checkHistoryUnchanged.
    store.write("新的开奖号码未能存入", [&] {
        checkHistoryUnchanged(store.db(), before);
        if (purge) {
            store.delrec();
        } else {
            state.primeFrom(before);
        }
        DrawAppender appender(store.db());
        for (const HistoryEntry& e : draws) appender.append(e.issue, e.digits, segmentBase, state);
    });
    sp = state.sp;
}

std::string gapMessage(int32_t gap, int32_t storedUpTo) {
    const std::string missing = std::to_string(gap);
    const std::string stored = storedUpTo
                                   ? "已存入到第 " + std::to_string(storedUpTo) + " 期"
                                   : std::string("没有可以存入的新开奖号码，历史号码保持原样");
    return "第 " + missing + " 期不在页面上；" + stored + "。可以在下面手动输入第 " + missing +
           " 期，再在线更新其余各期。";
}

}  // namespace

std::optional<PurgeProposal> proposePurge(const HistorySnapshot& rows,
                                          const UpdateOptions& options) {
    if (rows.empty()) return std::nullopt;
    const int oldest = rows.front().issue / 1000;
    if (options.currentYear - oldest <= options.yearsToKeep) return std::nullopt;
    PurgeProposal p;
    p.yearsToKeep = options.yearsToKeep;
    p.firstYear = oldest;
    p.keptFrom = options.currentYear - options.yearsToKeep;
    p.lastYear = p.keptFrom - 1;
    p.draws =
        static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [&](const HistoryRow& r) {
            return r.issue / 1000 < p.keptFrom;
        }));
    return p;
}

namespace {
// 5399 → "5,399", as the count reads in the question.
std::string withThousands(std::size_t n) {
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<std::size_t>(i), ",");
    }
    return digits;
}

std::string yearSpan(int first, int last) {
    return first == last ? std::to_string(first)
                         : std::to_string(first) + "–" + std::to_string(last);
}
}  // namespace

std::string PurgeProposal::question() const {
    return "按保留 " + std::to_string(yearsToKeep) + " 年的设置，更新将删除 " +
           yearSpan(firstYear, lastYear) + " 年的 " + withThousands(draws) +
           " 期历史号码，只保留 " + std::to_string(keptFrom) + " 年以后的号码。";
}

std::string PurgeProposal::keptNotice() const {
    return yearSpan(firstYear, lastYear) + " 年的 " + withThousands(draws) +
           " 期早于保留年数的历史号码已保留，没有删除";
}

std::string_view updateSourceKey(UpdateSource source) {
    return source == UpdateSource::Official ? "official" : "pages";
}

std::optional<UpdateSource> updateSourceFromKey(std::string_view key) {
    if (key == "official") return UpdateSource::Official;
    if (key == "pages") return UpdateSource::Pages;
    return std::nullopt;
}

std::string_view updateSourceName(UpdateSource source) {
    return source == UpdateSource::Official ? "体彩官方数据" : "开奖结果网页";
}

std::vector<std::chrono::milliseconds> defaultBusyPauses() {
    return {3s, 6s, 12s, 24s, 48s};
}

std::string resultsPageUrl(const std::string& baseUrl, int year) {
    std::string base = baseUrl;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + "/lottery/draw/list/4?d=" + std::to_string(year) + "-01-01";
}

PageFetcher makeUpdateFetcher(UpdateSource source, const FetchLimits& limits) {
    return source == UpdateSource::Official ? makeCurlFetcher(limits, officialRequestHeaders())
                                            : makeCurlFetcher(limits);
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
    if (purgeDeclined) out += "；" + purgeDeclined->keptNotice();
    if (!missing.empty()) {
        out += "；当年期数超过 365 的没有存入：" + listIssues(missing);
    }
    if (!unreadableIssues.empty()) {
        out += "；期号不是数字的 " + std::to_string(unreadableIssues.size()) + " 行没有读入：" +
               listTexts(unreadableIssues);
    }
    if (skippedRows)
        out += "；另有 " + std::to_string(skippedRows) + " 行不是当年的开奖号码，已跳过";
    return out;
}

std::string UpdateReport::warning() const {
    return gap ? gapMessage(*gap, lastIssue) : "";
}

UpdateReport runOnlineUpdate(HistoryStore& store, const UpdateOptions& options, LastTwoDraws& sp,
                             const PageFetcher& fetch, const UpdateStatusProgress& progress) {
    checkOptions(options);
    if (store.readOnly()) {
        throw StoreError(store.folder().string() +
                         " 中的历史数据库不能写入，在线更新没有进行，历史号码没有改变");
    }
    store.reopenReadingCursor();
    const HistorySnapshot& rows = store.rows();
    const UpdatePlan plan = planUpdate(rows, options);
    const std::string sourceName = options.source == UpdateSource::Official
                                       ? "体彩官方数据"
                                       : hostOfUrl(options.baseUrl) + " 上的开奖结果页面";

    NewDraws found = readNewDraws(options, plan, fetch, progress);
    if (plan.purge) {
        checkPurge(plan, found, sourceName);
        checkKeptDraws(rows, plan, found, sourceName);
    }
    if (found.gap && found.draws.empty()) {
        throw MissingDrawsError(gapMessage(*found.gap, 0), {*found.gap});
    }

    if (!found.draws.empty()) {
        commitUpdate(store, rows, plan.purge, found.draws, options.segmentBase, sp);
    }

    UpdateReport report;
    report.source = options.source;
    report.added = found.draws.size();
    report.firstAdded = found.draws.empty() ? 0 : found.draws.front().issue;
    report.lastIssue = store.rows().empty() ? 0 : store.rows().back().issue;
    report.purged = plan.purge;
    if (!plan.purge) report.purgeDeclined = proposePurge(rows, options);
    report.startYear = plan.startYear;
    report.missing = std::move(found.beyondTable);
    report.gap = found.gap;
    report.unreadableIssues = std::move(found.unreadableIssues);
    report.skippedRows = found.otherRows;
    return report;
}

UpdateReport runOnlineUpdate(HistoryStore& store, const UpdateOptions& options, LastTwoDraws& sp,
                             const PageFetcher& fetch, const UpdateProgress& progress) {
    UpdateStatusProgress status;
    if (progress) {
        status = [&progress](const UpdateProgressInfo& at) { return progress(at.year, at.draws); };
    }
    return runOnlineUpdate(store, options, sp, fetch, status);
}

}  // namespace arrange5
