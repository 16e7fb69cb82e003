#include "acquire/history_check.h"

#include <algorithm>

#include "acquire/history_digest.h"
#include "acquire/manual_entry.h"
#include "store/draw.h"
#include "store/row_check.h"

namespace arrange5 {

namespace {

// Rows named one by one in a problem before the rest is only counted.
constexpr std::size_t kNamedRows = 10;

// "第 2016150、2016151 期" or "第 2016150、… 期等 25 期" for a long list.
std::string issueList(const std::vector<int32_t>& issues) {
    std::string text = "第 ";
    for (std::size_t i = 0; i < issues.size() && i < kNamedRows; ++i) {
        if (i > 0) text += "、";
        text += std::to_string(issues[i]);
    }
    text += " 期";
    if (issues.size() > kNamedRows) text += "等 " + std::to_string(issues.size()) + " 期";
    return text;
}

void checkYear(const CheckedYear& y, bool firstYear, std::vector<std::string>& problems) {
    const std::string name = std::to_string(y.year) + " 年";
    if (!firstYear && y.first % 1000 != 1) {
        problems.push_back(name + "从第 " + std::to_string(y.first) +
                           " 期开始，不是从第 001 期开始：缺少这一年开头的各期");
    }
    if (!y.missing.empty()) {
        problems.push_back(name + "第 " + std::to_string(y.first) + " 期至第 " +
                           std::to_string(y.last) + " 期之间缺少 " +
                           std::to_string(y.missing.size()) + " 期：" + issueList(y.missing));
    }
    if (y.draws > kMostDrawsInAYear) {
        problems.push_back(name + "有 " + std::to_string(y.draws) + " 期，一年最多 " +
                           std::to_string(kMostDrawsInAYear) + " 期：期号不对");
    }
}

}  // namespace

std::string HistoryCheck::verdict() const {
    const std::string counts =
        std::to_string(draws) + " 期，" + std::to_string(years.size()) + " 年";
    if (sound()) return "历史号码没有发现问题（" + counts + "）";
    return "历史号码有 " + std::to_string(problems.size()) + " 个问题（" + counts + "）";
}

HistoryCheck checkHistory(const HistorySnapshot& rows) {
    HistoryCheck check;
    check.draws = rows.size();
    check.sha256 = historyDigest(rows);
    if (rows.empty()) return check;
    check.first = rows.front().issue;
    check.last = rows.back().issue;

    std::vector<int32_t> notIssues;
    std::vector<int32_t> badCodes;
    std::vector<std::string> badDigits;
    for (const HistoryRow& row : rows) {
        if (!isValidIssue(row.issue)) notIssues.push_back(row.issue);
        if (auto problem = storedRowProblem(row)) {
            // A digit out of range is its own fault, named with its value; only a row with
            // sound digits can have codes that disagree with them.
            const bool digitsSound =
                std::ranges::all_of(row.digits(), [](int16_t d) { return d >= 0 && d <= 9; });
            if (digitsSound) {
                badCodes.push_back(row.issue);
            } else {
                badDigits.push_back(std::move(*problem));
            }
        }
        const int year = row.issue / 1000;
        if (check.years.empty() || check.years.back().year != year) {
            check.years.push_back({year, 0, row.issue, row.issue, {}});
        }
        CheckedYear& y = check.years.back();
        // Rows come in issue order, so every issue skipped since the year's previous row
        // is missing.
        for (int32_t issue = y.last + 1; y.draws > 0 && issue < row.issue; ++issue) {
            y.missing.push_back(issue);
        }
        y.last = row.issue;
        ++y.draws;
    }

    for (std::size_t i = 0; i < check.years.size(); ++i) {
        // The lottery draws every year: a year without any draw inside the history's span is
        // a hole as much as a gap inside a year is.
        if (i > 0 && check.years[i].year - check.years[i - 1].year > 1) {
            const int from = check.years[i - 1].year + 1;
            const int to = check.years[i].year - 1;
            check.problems.push_back(
                (from == to ? std::to_string(from) + " 年"
                            : std::to_string(from) + " 年至 " + std::to_string(to) + " 年") +
                "没有任何一期：第 " + std::to_string(check.years[i - 1].last) + " 期之后直到第 " +
                std::to_string(check.years[i].first) + " 期的号码整年缺失");
        }
        checkYear(check.years[i], i == 0, check.problems);
    }
    if (!notIssues.empty()) {
        check.problems.push_back(issueList(notIssues) +
                                 "不是期号（七位数字：年份和当年从 001 起的期数）");
    }
    for (std::size_t i = 0; i < badDigits.size() && i < kNamedRows; ++i) {
        check.problems.push_back(badDigits[i]);
    }
    if (badDigits.size() > kNamedRows) {
        check.problems.push_back("另有 " + std::to_string(badDigits.size() - kNamedRows) +
                                 " 期存入的号码超出了 0 到 9 的范围");
    }
    if (!badDigits.empty()) {
        check.problems.back() +=
            "；这样的历史号码不能用于检索、走势图和维护命令，导入一份正确的历史号码文件即可替换";
    }
    if (!badCodes.empty()) {
        check.problems.push_back(
            issueList(badCodes) +
            "存入的大小、单双或段数与这一期的号码不符；把历史号码导出再导入，就会按号码重新计算");
    }
    return check;
}

}  // namespace arrange5
