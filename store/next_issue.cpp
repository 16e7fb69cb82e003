#include "store/next_issue.h"

#include <chrono>
#include <ctime>
#include <string>

#include "store/errors.h"

namespace arrange5 {

namespace {

int32_t followingYearsFirst(int32_t lastIssue) {
    return (lastIssue / 1000 + 1) * 1000 + 1;
}

}  // namespace

int32_t nextIssue(int32_t lastIssue, std::optional<int> todayYear) {
    if (todayYear) {
        return *todayYear > lastIssue / 1000 ? followingYearsFirst(lastIssue) : lastIssue + 1;
    }
    if (lastIssue % 1000 == kIssuesPerYear) return followingYearsFirst(lastIssue);
    return lastIssue + 1;
}

void acceptChosenIssue(int32_t lastIssue, int64_t chosen) {
    const int32_t sameYear = lastIssue + 1;
    const int32_t nextYear = followingYearsFirst(lastIssue);
    if (chosen == sameYear || chosen == nextYear) return;
    throw InputError("第 " + std::to_string(chosen) + " 期不能接在最后一期第 " +
                     std::to_string(lastIssue) + " 期之后：下一期只能是第 " +
                     std::to_string(sameYear) + " 期（同一年的下一期）或第 " +
                     std::to_string(nextYear) + " 期（下一年的第一期），号码没有存入");
}

int32_t parseChosenIssue(std::string_view text, std::optional<int32_t> lastIssue) {
    const auto begin = text.find_first_not_of(" \t");
    const auto end = text.find_last_not_of(" \t");
    const std::string_view typed =
        begin == std::string_view::npos ? std::string_view{} : text.substr(begin, end - begin + 1);
    bool digits = typed.size() == 7 && typed[0] != '0';
    for (const char c : typed) digits = digits && c >= '0' && c <= '9';
    const int32_t issue = digits ? std::stoi(std::string(typed)) : 0;
    if (!digits || issue % 1000 == 0) {
        throw InputError(std::string(typed) +
                         " 不是期号（七位数字：年份和当年从 001 起的期数，例如 2013001），"
                         "号码没有存入");
    }
    if (lastIssue) acceptChosenIssue(*lastIssue, issue);
    return issue;
}

std::optional<int> systemYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &local) == nullptr) {
        return std::nullopt;
    }
    return local.tm_year + 1900;
}

std::optional<int> yearOfIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    }
    const auto number = [&](std::size_t at, std::size_t n) {
        return std::stoi(std::string(text.substr(at, n)));
    };
    const int y = number(0, 4);
    const std::chrono::year_month_day date{std::chrono::year{y},
                                           std::chrono::month{static_cast<unsigned>(number(5, 2))},
                                           std::chrono::day{static_cast<unsigned>(number(8, 2))}};
    if (!date.ok()) return std::nullopt;
    return y;
}

}  // namespace arrange5
