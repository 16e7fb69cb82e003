#include "acquire/official_source.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "store/errors.h"

namespace arrange5 {

namespace {

using nlohmann::json;
using std::chrono::milliseconds;

// No real history needs more pages than this; a service that keeps answering is cut off.
constexpr int kMaxPages = 2000;
constexpr milliseconds kPauseSlice{100};
constexpr std::size_t kQuotedBytes = 60;

std::string pageName(int pageNo) {
    return "体彩官方数据第 " + std::to_string(pageNo) + " 页";
}

// A text as a message shows it: control characters as \xNN, so that what came back can be
// told byte for byte.
std::string quote(std::string_view text) {
    return quotedForMessage(text, kQuotedBytes, ControlCharacters::AsHex);
}

// The start of an answer, without the blanks before it.
std::string excerpt(std::string_view body) {
    const std::size_t start = body.find_first_not_of(" \t\r\n");
    return quote(start == std::string_view::npos ? std::string_view{} : body.substr(start));
}

// A value as a message shows it; a long one is cut, so that the message stays one short line.
std::string valueText(const json& v) {
    if (v.is_string()) return quote(v.get<std::string>());
    std::string text = v.dump(-1, ' ', false, json::error_handler_t::replace);
    if (text.size() <= kQuotedBytes) return text;
    std::size_t cut = kQuotedBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut) + "…";
}

// The service's answers nest four levels; a much deeper one is no answer of it, and reading
// or quoting it would take as much stack as it has levels.
constexpr int kDeepestAnswer = 64;

// An entry of the real service holds a handful of objects and arrays (its prize levels); the
// document of a flood of "{}," costs about a hundred bytes each, so an answer holding far
// more than its page's entries can need is refused before it is parsed.
constexpr std::size_t kContainersPerEntry = 64;

// Calls `visit` with each bracket or brace of a JSON text that stands outside its strings, until
// `visit` returns false; whether it ran to the end.
template <class Visit>
bool forEachBracket(std::string_view body, Visit visit) {
    bool inString = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{' || c == ']' || c == '}') {
            if (!visit(c)) return false;
        }
    }
    return true;
}

std::size_t containersIn(std::string_view body) {
    std::size_t count = 0;
    forEachBracket(body, [&](char c) {
        if (c == '[' || c == '{') ++count;
        return true;
    });
    return count;
}

bool nestedDeeperThan(std::string_view body, int levels) {
    int depth = 0;
    return !forEachBracket(body, [&](char c) {
        depth += (c == '[' || c == '{') ? 1 : -1;
        return depth <= levels;
    });
}

// A field as the service gave it, without the blanks around it.
std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

bool isFiveDigits(const std::string& s) {
    return s.size() == 5 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "1 5 7 6 6": five single digits with blanks between them.
std::optional<Digits> readResult(const std::string& s) {
    Digits digits{};
    std::size_t found = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == ' ') continue;
        if (s[i] < '0' || s[i] > '9' || found == digits.size()) return std::nullopt;
        if (i + 1 < s.size() && s[i + 1] != ' ') return std::nullopt;
        digits[found++] = static_cast<int16_t>(s[i] - '0');
    }
    if (found != digits.size()) return std::nullopt;
    return digits;
}

OfficialDraw readEntry(const json& entry, int pageNo) {
    const auto refuse = [&](const std::string& field, const std::string& value,
                            const std::string& why) {
        return FetchError(updateRefusal(pageName(pageNo) + "中 " + field + " 的值 " + value + why));
    };
    if (!entry.is_object()) {
        throw refuse("list", valueText(entry), " 不是一期开奖号码");
    }
    const auto num = entry.find("lotteryDrawNum");
    if (num == entry.end()) throw refuse("lotteryDrawNum", "（没有）", " 缺少期号");
    const std::string issue = num->is_string() ? trimmed(num->get<std::string>()) : "";
    if (!isFiveDigits(issue))
        throw refuse("lotteryDrawNum", valueText(*num), " 不是五位数字的期号");
    const auto result = entry.find("lotteryDrawResult");
    if (result == entry.end()) throw refuse("lotteryDrawResult", "（没有）", " 缺少开奖号码");
    const std::string resultText = result->is_string() ? trimmed(result->get<std::string>()) : "";
    const std::optional<Digits> digits =
        result->is_string() ? readResult(resultText) : std::nullopt;
    if (!digits) {
        throw refuse("lotteryDrawResult", valueText(*result),
                     " 不是用空格隔开的五位数字（第 " + issue + " 期）");
    }
    return {std::stoi(issue), *digits, resultText};
}

void pause(milliseconds length, const std::function<bool(int secondsLeft)>& keepGoing) {
    const auto end = std::chrono::steady_clock::now() + length;
    for (;;) {
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= left.zero()) return;
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(left).count();
        if (!keepGoing(static_cast<int>(seconds))) {
            throw updateCancelled();
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(left, kPauseSlice));
    }
}

// One page, waiting and asking again while the service answers that it is busy.
std::string fetchPage(const PageFetcher& fetch, const std::string& url, int pageNo,
                      const std::vector<milliseconds>& pauses,
                      const std::function<bool(int secondsToWait)>& report) {
    const KeepGoing keepGoing = [&] { return report(0); };
    for (std::size_t attempt = 0;; ++attempt) {
        try {
            return fetch(url, keepGoing);
        } catch (const HttpStatusError& e) {
            if (e.status() != kOfficialBusyStatus)
                throw UnreadableListing{pageName(pageNo), e.what()};
            if (attempt >= pauses.size()) {
                throw FetchError(updateRefusal(
                    "体彩官方数据的服务器一再答复 HTTP 567（请求太频繁），等候 " +
                    std::to_string(pauses.size()) + " 次后仍然如此；请过几分钟再在线更新"));
            }
            pause(pauses[attempt], report);
        } catch (const CancelledError&) {
            throw;
        } catch (const FetchError& e) {
            throw UnreadableListing{pageName(pageNo), e.what()};
        }
    }
}

// Whether the issues run on from `lastIssue` without a missing one (a year may end at any
// sequence; the next one starts at 001).
bool followsWithoutHole(const std::set<int32_t>& issues, int32_t lastIssue) {
    int32_t expected = lastIssue + 1;
    for (const int32_t issue : issues) {
        if (issue != expected && !(issue / 1000 > expected / 1000 && issue % 1000 == 1)) {
            return false;
        }
        expected = issue + 1;
    }
    return true;
}

}  // namespace

RequestHeaders officialRequestHeaders() {
    RequestHeaders headers;
    headers.userAgent =
        "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
        "Chrome/124.0.0.0 Safari/537.36";
    headers.accept = "application/json";
    headers.referer = "https://www.lottery.gov.cn/";
    return headers;
}

std::string officialPageUrl(const std::string& given, int pageSize, int pageNo) {
    const std::string address = withoutFragment(given);
    const char joint = address.find('?') == std::string::npos ? '?' : '&';
    return address + joint + "pageSize=" + std::to_string(pageSize) +
           "&pageNo=" + std::to_string(pageNo);
}

OfficialAnswer readOfficialAnswer(std::string_view body, int pageNo, int pageSize) {
    if (nestedDeeperThan(body, kDeepestAnswer)) {
        throw FetchError(updateRefusal(pageName(pageNo) + "的答复嵌套超过 " +
                                       std::to_string(kDeepestAnswer) + " 层，不是开奖号码的列表"));
    }
    const std::size_t most =
        (static_cast<std::size_t>(std::max(pageSize, 1)) + 1) * kContainersPerEntry;
    if (const std::size_t containers = containersIn(body); containers > most) {
        throw FetchError(updateRefusal(pageName(pageNo) + "的答复有 " + std::to_string(containers) +
                                       " 个对象和数组，每页 " + std::to_string(pageSize) +
                                       " 期的列表最多需要 " + std::to_string(most) +
                                       " 个；不是开奖号码的列表"));
    }
    const json doc = json::parse(body.begin(), body.end(), nullptr, false);
    if (doc.is_discarded()) {
        const std::size_t start = body.find_first_not_of(" \t\r\n");
        const bool html = start != std::string_view::npos && body[start] == '<';
        throw UnreadableListing{
            pageName(pageNo),
            body.empty() ? std::string("答复是空的，不是 JSON 数据")
            : html ? "答复是一个网页（HTML），不是 JSON 数据，开头是 " + excerpt(body)
                   : "答复不是 JSON 数据，开头是 " + excerpt(body)};
    }
    const auto refuse = [&](const std::string& field, const std::string& value) {
        return FetchError(updateRefusal(pageName(pageNo) + "中 " + field + " 的值是 " + value +
                                        "，不是开奖号码的列表"));
    };
    if (!doc.is_object()) throw refuse("答复", valueText(doc));
    const auto success = doc.find("success");
    if (success == doc.end() || !success->is_boolean() || !success->get<bool>()) {
        std::string why = success == doc.end() ? "（没有）" : valueText(*success);
        for (const char* field : {"errorCode", "errorMessage"}) {
            const auto f = doc.find(field);
            if (f != doc.end()) why += "，" + std::string(field) + " 是 " + valueText(*f);
        }
        throw FetchError(updateRefusal(pageName(pageNo) + "中 success 的值是 " + why +
                                       "，服务没有给出开奖号码"));
    }
    const auto value = doc.find("value");
    if (value == doc.end() || !value->is_object()) {
        throw refuse("value", value == doc.end() ? "（没有）" : valueText(*value));
    }
    const auto list = value->find("list");
    if (list == value->end() || !list->is_array()) {
        throw refuse("value.list", list == value->end() ? "（没有）" : valueText(*list));
    }
    OfficialAnswer answer;
    std::map<int32_t, const OfficialDraw*> seen;
    answer.draws.reserve(list->size());
    for (const json& entry : *list) answer.draws.push_back(readEntry(entry, pageNo));
    for (const OfficialDraw& d : answer.draws) {
        const auto [it, added] = seen.emplace(d.fiveDigitIssue, &d);
        if (!added && it->second->digits != d.digits) {
            throw FetchError(
                updateRefusal(pageName(pageNo) + "中第 " + std::to_string(d.fiveDigitIssue) +
                              " 期出现两次，lotteryDrawResult 不同（" +
                              quote(it->second->resultText) + "和" + quote(d.resultText) + "）"));
        }
    }
    const auto pages = value->find("pages");
    if (pages != value->end() && pages->is_number_integer()) answer.pages = pages->get<int>();
    return answer;
}

int yearNear(int twoDigitYear, int anchorYear) {
    const int century = anchorYear - anchorYear % 100;
    int best = century + twoDigitYear;
    for (const int candidate : {best - 100, best + 100}) {
        if (std::abs(candidate - anchorYear) < std::abs(best - anchorYear)) best = candidate;
    }
    return best;
}

std::vector<YearListing> readOfficialListings(const PageFetcher& fetch,
                                              const OfficialReadOptions& options,
                                              const UpdateStatusProgress& progress,
                                              int32_t* newestSeen) {
    std::map<int, YearListing> byYear;
    for (int year = options.startYear; year <= options.currentYear; ++year) {
        byYear[year].year = year;
    }
    const int anchor = options.anchorYear ? options.anchorYear : options.currentYear;
    std::map<int32_t, Digits> seen;
    std::set<int32_t> conflicted;
    std::set<int32_t> newIssues;
    UpdateProgressInfo at{options.currentYear, 0, 0};
    const auto report = [&](int secondsToWait) {
        at.secondsToWait = secondsToWait;
        return !progress || progress(at);
    };
    for (int pageNo = 1;; ++pageNo) {
        if (pageNo > kMaxPages) {
            throw FetchError(updateRefusal("体彩官方数据翻过 " + std::to_string(kMaxPages) +
                                           " 页仍没有读到已有的历史号码"));
        }
        if (!report(0)) throw updateCancelled();
        const std::string body =
            fetchPage(fetch, officialPageUrl(options.address, options.pageSize, pageNo), pageNo,
                      options.busyPauses, report);
        const OfficialAnswer answer = readOfficialAnswer(body, pageNo, options.pageSize);
        // Reading stops at a page that reaches the stored history (or a year before the start
        // year) once the new draws read follow it without a hole: rows may come in any order,
        // and a later page may still list a draw missing so far. A page without any new draw
        // ends the reading in any case.
        bool reached = false;
        bool newOnPage = false;
        bool unseenOnPage = false;
        for (const OfficialDraw& d : answer.draws) {
            const int year = yearNear(d.fiveDigitIssue / 1000, anchor);
            const int32_t issue = year * 1000 + d.fiveDigitIssue % 1000;
            if (newestSeen && issue > *newestSeen) *newestSeen = issue;
            // Each issue is kept once (and once more with other digits, which the update
            // refuses by name): a service that repeats its pages cannot fill the memory.
            const auto [known, unseen] = seen.emplace(issue, d.digits);
            if (!unseen && (known->second == d.digits || !conflicted.insert(issue).second)) {
                continue;
            }
            unseenOnPage = unseenOnPage || unseen;
            if (year > options.currentYear) {
                throw InputError("体彩官方数据中有第 " + std::to_string(issue) + " 期，晚于" +
                                 options.today + "；电脑的日期大概不对，请改正后再在线更新。" +
                                 "在线更新没有进行，历史号码没有改变");
            }
            if (year < options.startYear) {
                reached = true;
                continue;
            }
            YearListing& listing = byYear[year];
            if (d.fiveDigitIssue % 1000 == 0) {
                listing.unreadableIssues.push_back(std::to_string(d.fiveDigitIssue));
                continue;
            }
            if (options.lastIssue == 0 || issue > options.lastIssue) {
                newOnPage = true;
                newIssues.insert(issue);
                // A purge reads the stored draws of the kept years again: they are no new draws.
                if (issue <= options.storedLastIssue) {
                    ++at.reread;
                } else {
                    ++at.draws;
                }
            } else {
                reached = true;
            }
            at.year = year;
            listing.draws.push_back({issue, d.digits, d.resultText});
        }
        if (!report(0)) throw updateCancelled();
        if (!answer.draws.empty() && !unseenOnPage) {
            throw FetchError(
                updateRefusal(pageName(pageNo) + "列出的各期都已在前面的页上：服务没有按页码翻页"));
        }
        if (!newOnPage || (answer.pages && pageNo >= *answer.pages)) break;
        if (reached &&
            (options.lastIssue == 0 || followsWithoutHole(newIssues, options.lastIssue))) {
            break;
        }
    }
    std::vector<YearListing> out;
    for (auto& [year, listing] : byYear) out.push_back(std::move(listing));
    return out;
}

}  // namespace arrange5
