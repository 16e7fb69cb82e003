#include <algorithm>

#include "acquire/online_update.h"

namespace arrange5 {

using namespace std::chrono_literals;

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

std::string updateSourceLabel(UpdateSource source, const std::string& address) {
    if (source == UpdateSource::Official && address == officialSourceUrl()) return "体彩官方数据";
    const std::string host = hostOfUrl(address);
    return host.empty() ? address : host;
}

std::optional<UpdateSource> updateSourceOfAddress(const std::string& address) {
    const auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    const std::string url = lower(address);
    if (!url.starts_with("http://") && !url.starts_with("https://")) return std::nullopt;
    const std::size_t query = url.find('?');
    const std::string path = url.substr(0, query);
    const bool namesTheGame =
        query != std::string::npos && (url.find("?gameno=", query) != std::string::npos ||
                                       url.find("&gameno=", query) != std::string::npos);
    if (path.ends_with(".qry") || namesTheGame) return UpdateSource::Official;
    return UpdateSource::Pages;
}

int firstKeptYear(int currentYear, int yearsToKeep) {
    return currentYear - yearsToKeep + 1;
}

std::vector<std::chrono::milliseconds> defaultBusyPauses() {
    return {3s, 6s, 12s, 24s, 48s};
}

std::string resultsPageUrl(const std::string& baseUrl, int year) {
    std::string base = withoutFragment(baseUrl);
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + "/lottery/draw/list/4?d=" + std::to_string(year) + "-01-01";
}

PageFetcher makeUpdateFetcher(UpdateSource source, const FetchLimits& limits) {
    return source == UpdateSource::Official ? makeCurlFetcher(limits, officialRequestHeaders())
                                            : makeCurlFetcher(limits);
}

std::string updateGapMessage(int32_t gap, int32_t storedUpTo) {
    const std::string missing = std::to_string(gap);
    const std::string stored = storedUpTo
                                   ? "已存入到第 " + std::to_string(storedUpTo) + " 期"
                                   : std::string("没有可以存入的新开奖号码，历史号码保持原样");
    return "第 " + missing + " 期不在页面上；" + stored + "。可以在下面手动输入第 " + missing +
           " 期，再在线更新其余各期。";
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

std::optional<PurgeProposal> proposePurge(const HistorySnapshot& rows,
                                          const UpdateOptions& options) {
    if (rows.empty()) return std::nullopt;
    const int oldest = rows.front().issue / 1000;
    const int keptFrom = firstKeptYear(options.currentYear, options.yearsToKeep);
    if (oldest >= keptFrom) return std::nullopt;
    PurgeProposal p;
    p.yearsToKeep = options.yearsToKeep;
    p.firstYear = oldest;
    p.keptFrom = keptFrom;
    // The years named are years of stored draws: a clock set far ahead must not name years
    // that never had one.
    p.lastYear = std::min(p.keptFrom - 1, rows.back().issue / 1000);
    p.draws =
        static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [&](const HistoryRow& r) {
            return r.issue / 1000 < p.keptFrom;
        }));
    return p;
}

std::string PurgeProposal::question() const {
    return "按保留 " + std::to_string(yearsToKeep) + " 年的设置，更新将删除 " +
           yearSpan(firstYear, lastYear) + " 年的 " + withThousands(draws) +
           " 期历史号码，只保留 " + std::to_string(keptFrom) + " 年以后的号码。";
}

std::string PurgeProposal::keptNotice() const {
    return yearSpan(firstYear, lastYear) + " 年的 " + withThousands(draws) +
           " 期早于保留年数的历史号码已保留，没有删除";
}

namespace {

// "；删除 5,399 期（2020 年以前），重新读入 2,242 期" for a purge.
std::string purgeCounts(const UpdateReport& r) {
    return "；删除 " + withThousands(r.deleted) + " 期（" + std::to_string(r.startYear) +
           " 年以前），重新读入 " + withThousands(r.reread) + " 期";
}

}  // namespace

std::string UpdateReport::label() const {
    return updateSourceLabel(source, address);
}

std::string UpdateReport::summary() const {
    std::string out;
    if (added == 0) {
        out = "没有新的开奖号码";
        out += lastIssue ? "；历史号码截至第 " + std::to_string(lastIssue) + " 期"
                         : std::string("；历史号码为空");
    } else {
        out = "新增 " + withThousands(added) + " 期，截至第 " + std::to_string(lastIssue) + " 期";
    }
    if (purged) out += purgeCounts(*this);
    if (purgeDeclined) out += "；" + purgeDeclined->keptNotice();
    return out + leftOut(*this);
}

std::string UpdateReport::line() const {
    std::string out = label() + "：";
    if (added == 0) {
        out += "没有新的开奖号码";
    } else {
        out += "新增 " + withThousands(added) + " 期，第 " + std::to_string(firstAdded) + " 至 " +
               std::to_string(lastIssue) + " 期";
    }
    out += purged ? purgeCounts(*this) : std::string("；没有删除历史号码");
    if (added == 0) {
        out += lastIssue ? "；历史号码截至第 " + std::to_string(lastIssue) + " 期"
                         : std::string("；历史号码为空");
    }
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
    if (gap) lines.push_back(updateGapMessage(*gap, lastIssue));
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
    }
    std::string out;
    for (const std::string& l : lines) out += (out.empty() ? "" : "\n") + l;
    return out;
}

}  // namespace arrange5
