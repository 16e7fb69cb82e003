#include "acquire/online_update.h"

#include <algorithm>
#include <cctype>

#include "acquire/online_update_plan.h"
#include "acquire/results_page.h"
#include "store/draw_appender.h"
#include "store/history_ends.h"
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
// from the wrong year and throw the newest draws away. The official source is read from the
// last stored year, whatever it is; the results pages exist only from 2013 on.
UpdatePlan planUpdate(const HistorySnapshot& rows, const UpdateOptions& options, bool purge) {
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
    plan.purge = purge;
    plan.startYear = options.currentYear - options.yearsToKeep;
    if (!rows.empty() && !plan.purge) {
        plan.lastIssue = rows.back().issue;
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

struct SourceReading {
    std::vector<YearListing> years;
    NewDraws found;
    int32_t newest = 0;  // the newest issue the source listed, 0 for none
};

std::string describeListing(const UpdateOptions& options, int year) {
    if (options.source == UpdateSource::Official) {
        return "体彩官方数据（" + hostOfUrl(options.officialUrl) + "）中 " + std::to_string(year) +
               " 年的开奖号码";
    }
    return hostOfUrl(options.baseUrl) + " 上 " + std::to_string(year) + " 年的开奖结果页面";
}

// Reads the source and checks what it listed, reading it again (from the start year or the
// first page) while a page is unreadable, at most maxRestarts times.
SourceReading readSource(const UpdateOptions& options, const UpdatePlan& plan, int nearYear,
                         const PageFetcher& fetch, const UpdateStatusProgress& progress) {
    const bool official = options.source == UpdateSource::Official;
    const std::string host = hostOfUrl(official ? options.officialUrl : options.baseUrl);
    const auto describe = [&](int year) { return describeListing(options, year); };
    OfficialReadOptions reading;
    reading.address = options.officialUrl;
    reading.pageSize = options.officialPageSize;
    reading.busyPauses = options.busyPauses;
    reading.startYear = plan.startYear;
    reading.currentYear = plan.currentYear;
    reading.lastIssue = plan.lastIssue;
    reading.today = todayText(options);
    reading.nearYear = nearYear;
    for (int attempt = 0;; ++attempt) {
        try {
            SourceReading out;
            out.years = official ? readOfficialListings(fetch, reading, progress, &out.newest)
                                 : readPages(options, plan, fetch, progress, host);
            out.newest = std::max(out.newest, newestListed(out.years));
            out.found = collectNewDraws(out.years, plan, describe);
            return out;
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
}

// The history must still be the one the pages were read against; another command may have
// changed it while the pages were on their way.
void checkHistoryUnchanged(SQLite::Database& db, const HistorySnapshot& rows) {
    const HistoryEnds ends = readHistoryEnds(db);
    bool same = ends.count == rows.size();
    if (same && !rows.empty()) {
        same = ends.firstIssue == rows.front().issue && ends.lastIssue == rows.back().issue &&
               ends.lastDigits == digitString(rows.back().digits());
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

namespace {

// What was left out of the history, for the end of the summary.
std::string leftOut(const UpdateReport& r) {
    std::string out;
    if (!r.missing.empty()) {
        out += "；当年期数超过 365 的没有存入：" + listIssues(r.missing);
    }
    if (!r.unreadableIssues.empty()) {
        out += "；期号不是数字的 " + std::to_string(r.unreadableIssues.size()) + " 行没有读入：" +
               listTexts(r.unreadableIssues);
    }
    if (r.skippedRows) {
        out += "；另有 " + std::to_string(r.skippedRows) + " 行不是当年的开奖号码，已跳过";
    }
    return out;
}

}  // namespace

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
    return out + leftOut(*this);
}

std::string UpdateReport::line() const {
    std::string out = std::string(updateSourceName(source)) + "：";
    if (added == 0) {
        out += lastIssue ? "没有新的开奖号码，历史号码截至第 " + std::to_string(lastIssue) + " 期"
                         : std::string("没有新的开奖号码，历史号码为空");
    } else {
        out += "新增 " + std::to_string(added) + " 期，第 " + std::to_string(firstAdded) + " 至 " +
               std::to_string(lastIssue) + " 期";
    }
    out += purged ? "；已删除 " + std::to_string(startYear) + " 年以前的历史号码并重新读取"
                  : "；没有删除历史号码";
    if (holeFrom) {
        out += "；缺第 " + std::to_string(holeFrom) + " 期至第 " + std::to_string(holeBefore) +
               " 期之前的号码";
    }
    if (!disagreements.empty()) {
        out += "；" + std::to_string(disagreements.size()) + " 期与来源不同，保留原号码";
    }
    return out + leftOut(*this);
}

std::string UpdateReport::warning() const {
    std::vector<std::string> lines;
    if (gap) lines.push_back(gapMessage(*gap, lastIssue));
    if (holeFrom) {
        lines.push_back("开奖结果网页只能从 " + std::to_string(holeBefore / 1000) + " 年读起：第 " +
                        std::to_string(holeFrom) + " 期至 " +
                        std::to_string(holeBefore / 1000 - 1) +
                        " 年最后一期不在历史号码中，新号码从第 " + std::to_string(holeBefore) +
                        " 期接上。可以改用体彩官方数据补齐。");
    }
    if (!disagreements.empty()) {
        lines.push_back("来源给出的号码与已存的不同：" + firstDisagreement +
                        (disagreements.size() > 1
                             ? "等共 " + std::to_string(disagreements.size()) + " 期"
                             : std::string()) +
                        "；已存的号码没有改动，请核对。");
    }
    if (purgeRefusedForClock) {
        lines.push_back("电脑的日期看来不对（比来源最新一期晚一年以上），没有删除早期历史。");
    } else if (purgeDeclined) {
        lines.push_back("早于保留年数的历史号码已保留，没有删除。");
    }
    std::string out;
    for (const std::string& l : lines) out += (out.empty() ? "" : "\n") + l;
    return out;
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
    const bool purgeDue = purgeProposal(rows, options.currentYear, options.yearsToKeep).has_value();
    UpdatePlan plan = planUpdate(rows, options, purgeDue && options.purgeConsent);
    const int nearYear = rows.empty() ? options.currentYear : rows.back().issue / 1000;
    const std::string sourceName = options.source == UpdateSource::Official
                                       ? "体彩官方数据"
                                       : hostOfUrl(options.baseUrl) + " 上的开奖结果页面";

    SourceReading read = readSource(options, plan, nearYear, fetch, progress);
    UpdateReport report;
    // A clock years ahead of the newest listed draw would count the years to keep from the
    // wrong year: the purge is refused and the draws read are appended as without it.
    if (plan.purge && read.newest != 0 && options.currentYear > read.newest / 1000 + 1) {
        report.purgeRefusedForClock = true;
        UpdatePlan appendOnly = planUpdate(rows, options, false);
        appendOnly.startYear = plan.startYear;
        plan = appendOnly;
        try {
            read.found = collectNewDraws(read.years, plan,
                                         [&](int year) { return describeListing(options, year); });
        } catch (const UnreadableListing& page) {
            throw FetchError(updateRefusal(page.what + "：" + page.reason));
        }
    }
    NewDraws& found = read.found;
    if (plan.purge) {
        checkPurge(plan, found, sourceName);
        // Every stored draw of the kept years comes back from the source, with its digits.
        const auto lost = disagreements(rows, read.years, plan.startYear, true);
        if (!lost.empty()) {
            throw FetchError(updateRefusal(
                "删除早期历史后要从 " + std::to_string(plan.startYear) + " 年起重新读取，但" +
                describeDisagreement(lost.front()) + "与已存的号码不同"));
        }
    } else {
        for (const Disagreement& d : disagreements(rows, read.years, 0, false)) {
            report.disagreements.push_back(d.issue);
            if (report.firstDisagreement.empty()) {
                report.firstDisagreement = describeDisagreement(d);
            }
        }
    }
    if (found.gap && found.draws.empty()) {
        throw MissingDrawsError(gapMessage(*found.gap, 0), {*found.gap});
    }
    // The results pages begin in 2013: a history that ends before cannot be continued
    // without a hole, which the report names.
    if (!plan.purge && plan.lastIssue != 0 && !found.draws.empty() &&
        plan.startYear > plan.lastIssue / 1000) {
        report.holeFrom = plan.lastIssue + 1;
        report.holeBefore = found.draws.front().issue;
    }

    if (!found.draws.empty()) {
        commitUpdate(store, rows, plan.purge, found.draws, options.segmentBase, sp);
    }

    report.source = options.source;
    report.added = found.draws.size();
    report.firstAdded = found.draws.empty() ? 0 : found.draws.front().issue;
    report.lastIssue = store.rows().empty() ? 0 : store.rows().back().issue;
    report.purged = plan.purge;
    report.purgeDeclined = purgeDue && !options.purgeConsent;
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
