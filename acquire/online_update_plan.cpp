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
        // A year's page address typed whole stands for its site.
        const std::size_t page = choices.address.find("/lottery/draw/list/");
        options.baseUrl = choices.address.substr(0, page);
    } else if (!choices.address.empty()) {
        options.officialUrl = choices.address;
    }
    options.yearsToKeep = choices.yearsToKeep;
    options.purgeAllowed = choices.purgeAllowed;
    options.today = choices.today.empty() ? systemDate() : choices.today;
    options.currentYear = yearOfDate(options.today);
    return options;
}

SourceChoice chooseUpdateSource(std::optional<UpdateSource> typedSource,
                                const std::string& typedAddress, const UserSettings& saved) {
    SourceChoice choice;
    if (typedSource) {
        choice.source = *typedSource;
    } else if (const auto byForm = updateSourceOfAddress(typedAddress)) {
        choice.source = *byForm;
    } else {
        choice.source = updateSourceFromKey(saved.updateSource).value_or(UpdateSource::Official);
    }
    const bool pages = choice.source == UpdateSource::Pages;
    choice.address = !typedAddress.empty() ? typedAddress
                     : pages               ? saved.updateHost
                                           : saved.officialUrl;
    return choice;
}

std::string addressRead(const UpdateChoices& choices) {
    if (choices.source == UpdateSource::Pages || !choices.address.empty()) return choices.address;
    return officialSourceUrl();
}

std::optional<UpdateChoices> fallbackChoices(const UpdateChoices& failed,
                                             const std::string& pagesAddress) {
    if (failed.source != UpdateSource::Official || pagesAddress.empty()) return std::nullopt;
    UpdateChoices other = failed;
    other.source = UpdateSource::Pages;
    other.address = pagesAddress;
    return other;
}

std::string fallbackNotice(const std::string& failure, const UpdateChoices& failed,
                           const UpdateChoices& fallback) {
    return updateSourceLabel(failed.source, addressRead(failed)) + " 没有读到（" + failure +
           "）；改从 " + updateSourceLabel(fallback.source, fallback.address) +
           " 的开奖结果网页读取";
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
