#include "acquire/online_update_plan.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>

#include "store/errors.h"

namespace arrange5 {

namespace {

int yearOfDate(const std::string& text) {
    const auto bad = [&] {
        return InputError("--today 需要 YYYY-MM-DD 形式的日期，而不是“" + text + "”");
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') throw bad();
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') throw bad();
    }
    const int y = std::stoi(text.substr(0, 4));
    const unsigned m = static_cast<unsigned>(std::stoi(text.substr(5, 2)));
    const unsigned d = static_cast<unsigned>(std::stoi(text.substr(8, 2)));
    if (!std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                     std::chrono::day{d}}
             .ok()) {
        throw bad();
    }
    return y;
}

// The system date, YYYY-MM-DD.
std::string systemDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

}  // namespace

UpdateOptions updateOptionsFor(const UpdateChoices& choices) {
    UpdateOptions options;
    options.source = choices.source;
    if (choices.source == UpdateSource::Pages) {
        options.baseUrl = choices.address;
    } else if (!choices.address.empty()) {
        options.officialUrl = choices.address;
    }
    options.yearsToKeep = choices.yearsToKeep;
    options.purgeAllowed = choices.purgeAllowed;
    options.today = choices.today.empty() ? systemDate() : choices.today;
    options.currentYear = yearOfDate(options.today);
    options.segmentBase = choices.segmentBase;
    return options;
}

std::vector<Disagreement> disagreements(const HistorySnapshot& rows,
                                        const std::vector<YearListing>& years, int fromYear,
                                        bool requireListed) {
    std::map<int32_t, const ListedDraw*> listed;
    std::map<int, bool> yearRead;
    for (const YearListing& y : years) {
        yearRead[y.year] = true;
        for (const ListedDraw& d : y.draws) listed.emplace(d.issue, &d);
    }
    std::vector<Disagreement> out;
    for (const HistoryRow& row : rows) {
        const int year = row.issue / 1000;
        if (year < fromYear || !yearRead.count(year)) continue;
        const auto it = listed.find(row.issue);
        if (it == listed.end()) {
            if (requireListed) out.push_back({row.issue, row.digits(), std::nullopt});
            continue;
        }
        if (!it->second->digits || *it->second->digits != row.digits()) {
            out.push_back({row.issue, row.digits(), it->second->digitsText});
        }
    }
    return out;
}

std::string describeDisagreement(const Disagreement& d) {
    const std::string source =
        d.listed ? "来源给出 " + quotedForMessage(*d.listed, 40, ControlCharacters::AsBlanks)
                 : std::string("来源没有列出这一期");
    return "第 " + std::to_string(d.issue) + " 期（存有 " + digitString(d.stored) + "，" + source +
           "）";
}

int32_t newestListed(const std::vector<YearListing>& years) {
    int32_t newest = 0;
    for (const YearListing& y : years) {
        for (const ListedDraw& d : y.draws) newest = std::max(newest, d.issue);
    }
    return newest;
}

}  // namespace arrange5
