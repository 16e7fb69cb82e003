#include "acquire/online_update.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <set>

#include "acquire/history_digest.h"
#include "acquire/online_update_plan.h"
#include "acquire/results_page.h"
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
    plan.startYear = firstKeptYear(options.currentYear, options.yearsToKeep);
    if (!rows.empty() && !plan.purge) {
        plan.lastIssue = rows.back().issue;
        plan.startYear = options.source == UpdateSource::Official
                             ? plan.lastIssue / 1000
                             : std::max(plan.lastIssue / 1000, kFirstYearForKeptHistory);
    }
    return plan;
}

// The listed draws after `after` up to and including `upTo`.
std::size_t drawsBetween(const YearListing& listing, int32_t after, int32_t upTo) {
    return static_cast<std::size_t>(
        std::count_if(listing.draws.begin(), listing.draws.end(),
                      [&](const ListedDraw& d) { return d.issue > after && d.issue <= upTo; }));
}

// One pass over the year pages, from the start year to the current year.
std::vector<YearListing> readPages(const UpdateOptions& options, const UpdatePlan& plan,
                                   const PageFetcher& fetch, const UpdateStatusProgress& progress,
                                   const std::string& host) {
    std::vector<YearListing> years;
    std::size_t found = 0;
    // Only years that can exist are asked for: none after the year following the newest draw
    // listed or stored (or the start year). A clock set to 9999 would otherwise ask for
    // thousands of pages.
    int newestYear = std::max(plan.storedLastIssue / 1000, plan.startYear);
    std::size_t reread = 0;  // a purge's stored draws, read again
    for (int year = plan.startYear; year <= options.currentYear; ++year) {
        if (year > newestYear + 1) break;
        const std::string what = host + " 上 " + std::to_string(year) + " 年的开奖结果页面";
        const KeepGoing keepGoing = [&] { return !progress || progress({year, found, 0, reread}); };
        if (!keepGoing()) throw updateCancelled();
        std::string page;
        try {
            page = fetch(resultsPageUrl(options.baseUrl, year), keepGoing);
        } catch (const CancelledError&) {
            throw;
        } catch (const FetchError& e) {
            throw UnreadableListing{what, e.what()};
        }
        std::optional<std::vector<TableRow>> rows;
        try {
            rows = readTableRows(page, kTableId);
        } catch (const FetchError& e) {
            throw FetchError(updateRefusal(what + "：" + e.what()));
        }
        if (!rows) throw UnreadableListing{what, "页面中没有表格“draw_list”"};
        if (rows->empty()) throw UnreadableListing{what, "表格“draw_list”中没有任何行"};
        years.push_back(readYearTable(*rows, year));
        if (!years.back().draws.empty()) newestYear = std::max(newestYear, year);
        found += drawsBetween(years.back(), plan.storedLastIssue, INT32_MAX);
        reread += drawsBetween(years.back(), plan.lastIssue, plan.storedLastIssue);
        if (!keepGoing()) throw updateCancelled();
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
SourceReading readSource(const UpdateOptions& options, const UpdatePlan& plan, int anchorYear,
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
    reading.storedLastIssue = plan.storedLastIssue;
    reading.today = todayText(options);
    reading.anchorYear = anchorYear;
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

// The history as the update read it: the store's change stamp then and the digest of every
// draw (issue and digits).
struct HistoryAsRead {
    int64_t othersVersion = 0;
    std::string digest;
};

HistoryAsRead historyAsRead(HistoryStore& store) {
    return {store.changeStamp().othersVersion, historyDigest(store.rows())};
}

// The history must still be the one the pages were read against: another program may have
// imported, entered or deleted draws while the pages were on their way, and a purge would
// otherwise put the source's draws over them. Checked inside the write, so nobody can commit
// between the check and the update's own rows.
void checkHistoryUnchanged(HistoryStore& store, const HistoryAsRead& read) {
    // No other connection committed: nothing can have changed.
    if (store.changeStamp().othersVersion == read.othersVersion) return;
    // Something was committed (perhaps only a search's working columns): the draws decide.
    store.reopenReadingCursor();
    if (historyDigest(store.rows()) != read.digest) {
        throw Error(
            "读取页面期间另一个程序改动了历史号码；在线更新没有存入任何一期，"
            "另一个程序的改动保持原样。请重新进行在线更新");
    }
}

// The update's only write to the store, in one transaction: the purge (when due) and the new
// draws commit together or not at all. The last two draws advance only after the commit.
void commitUpdate(HistoryStore& store, const HistoryAsRead& read, bool purge,
                  const std::vector<HistoryEntry>& draws) {
    // The lock is taken only for the writing: the pages may take minutes, and other writers
    // meanwhile are caught by checkHistoryUnchanged.
    store.write(
        "新的开奖号码未能存入",
        [&](HistoryWriter& writer) {
            checkHistoryUnchanged(store, read);
            if (purge) {
                writer.deleteAll();
            } else {
                writer.primePreviousFrom(store.rows());
            }
            for (const HistoryEntry& e : draws) writer.appendDraw(e.issue, e.digits);
        },
        purge ? ChangeKind::YearsPurged : ChangeKind::Updated);
}

}  // namespace

UpdateReport runOnlineUpdate(HistoryStore& store, const UpdateOptions& options,
                             const PageFetcher& fetch, const UpdateStatusProgress& progress) {
    checkOptions(options);
    if (store.readOnly()) {
        throw StoreError(store.folder().string() +
                         " 中的历史数据库不能写入，在线更新没有进行，历史号码没有改变");
    }
    store.reopenReadingCursor();
    const HistoryAsRead asRead = historyAsRead(store);
    const HistorySnapshot& rows = store.rows();
    const std::optional<PurgeProposal> proposal = proposePurge(rows, options);
    UpdatePlan plan = planUpdate(rows, options, proposal && options.purgeAllowed);
    const int anchorYear = rows.empty() ? options.currentYear : rows.back().issue / 1000;
    const std::string address =
        options.source == UpdateSource::Official ? options.officialUrl : options.baseUrl;
    const std::string sourceName = options.source == UpdateSource::Official
                                       ? updateSourceLabel(options.source, address)
                                       : hostOfUrl(options.baseUrl) + " 上的开奖结果页面";

    SourceReading read = readSource(options, plan, anchorYear, fetch, progress);
    UpdateReport report;
    // A clock years ahead of the newest listed draw would count the years to keep from the
    // wrong year: the purge is refused and the draws read are appended as without it.
    if (plan.purge && read.newest != 0 && options.currentYear > read.newest / 1000 + 1) {
        report.purgeRefusedForClock = true;
        plan = planUpdate(rows, options, false);
        read = readSource(options, plan, anchorYear, fetch, progress);
    }
    NewDraws& found = read.found;
    if (plan.purge) {
        checkPurge(plan, found, sourceName);
        // Every stored draw of the kept years comes back from the source, with its digits.
        const auto lost = disagreements(rows, read.years, plan.startYear, true);
        if (!lost.empty()) {
            throw FetchError(updateRefusal("已存的" + describeDisagreement(lost.front()) + "在" +
                                           sourceName +
                                           "中对不上；删除早期历史后重新读入会丢失或改动这一期"));
        }
    } else {
        for (const Disagreement& d : disagreements(rows, read.years, 0, false)) {
            report.disagreements.push_back(d.issue);
            if (report.firstDisagreement.empty()) {
                report.firstDisagreement = describeDisagreement(d);
            }
        }
    }
    if (rows.empty() && found.draws.empty() && !found.gap) {
        throw FetchError(updateRefusal(sourceName + "中 " + std::to_string(plan.startYear) +
                                       " 年至 " + std::to_string(plan.currentYear) +
                                       " 年没有列出任何一期开奖号码，历史号码仍是空的"));
    }
    if (found.gap && found.draws.empty()) {
        throw MissingDrawsError(updateGapMessage(*found.gap, 0), {*found.gap});
    }
    // The results pages begin in 2013: a history that ends before cannot be continued
    // without a hole, which the report names.
    if (!plan.purge && plan.lastIssue != 0 && !found.draws.empty() &&
        plan.startYear > plan.lastIssue / 1000) {
        report.holeFrom = plan.lastIssue + 1;
        report.holeBefore = found.draws.front().issue;
    }

    // A purge stores every draw of the kept years; the ones stored before are read again, not
    // new, and what is not read again is gone.
    std::set<int32_t> storedIssues;
    if (plan.purge) {
        for (const HistoryRow& row : rows) storedIssues.insert(row.issue);
    }
    for (const HistoryEntry& e : found.draws) {
        if (storedIssues.count(e.issue)) {
            ++report.reread;
        } else {
            if (report.added++ == 0) report.firstAdded = e.issue;
        }
    }
    if (plan.purge) report.deleted = rows.size() - report.reread;

    if (!found.draws.empty()) {
        commitUpdate(store, asRead, plan.purge, found.draws);
    }

    report.source = options.source;
    report.address = address;
    report.lastIssue = store.rows().empty() ? 0 : store.rows().back().issue;
    report.purged = plan.purge;
    if (!plan.purge && !report.purgeRefusedForClock) report.purgeDeclined = proposal;
    report.startYear = plan.startYear;
    report.missing = std::move(found.beyondTable);
    report.gap = found.gap;
    report.unreadableIssues = std::move(found.unreadableIssues);
    report.skippedRows = found.otherRows;
    return report;
}

UpdateReport runOnlineUpdate(HistoryStore& store, const UpdateOptions& options,
                             const PageFetcher& fetch, const UpdateProgress& progress) {
    UpdateStatusProgress status;
    if (progress) {
        status = [&progress](const UpdateProgressInfo& at) { return progress(at.year, at.draws); };
    }
    return runOnlineUpdate(store, options, fetch, status);
}

}  // namespace arrange5
