#include "acquire/update_listing.h"

#include <algorithm>
#include <map>

#include "store/errors.h"

namespace arrange5 {

namespace {

constexpr std::size_t kNamedInMessages = 10;
constexpr std::size_t kQuotedBytes = 40;

bool hasAsciiDigit(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string quoted(const std::string& text) {
    return quotedForMessage(text, kQuotedBytes, ControlCharacters::AsBlanks);
}

// Whether `year` must have had draws: the history holds some of it, or a later year has
// draws (the lottery has drawn every year since it began).
bool hadDraws(int year, const std::set<int>& storedYears, const std::set<int>& drawnYears) {
    if (storedYears.count(year)) return true;
    return year >= kFirstYearOfDraws && drawnYears.upper_bound(year) != drawnYears.end();
}

void checkReadable(const std::vector<YearListing>& years, const UpdatePlan& plan,
                   const std::function<std::string(int)>& describe) {
    std::set<int> drawnYears = plan.storedYears;
    for (const YearListing& y : years) {
        if (!y.draws.empty()) drawnYears.insert(y.year);
    }
    for (const YearListing& y : years) {
        if (!y.draws.empty()) continue;
        if (!y.unreadableIssues.empty()) {
            throw UnreadableListing{
                describe(y.year),
                "没有一行能读出期号（例如 " + quoted(y.unreadableIssues.front()) + "）"};
        }
        if (hadDraws(y.year, plan.storedYears, drawnYears)) {
            throw UnreadableListing{describe(y.year),
                                    "没有列出这一年的任何一期，而这一年是有开奖的"};
        }
    }
}

// The year's draws newer than `after`, one per issue, keyed by sequence.
std::map<int, Digits> newDrawsOfYear(const YearListing& y, int32_t after,
                                     const std::function<std::string(int)>& describe) {
    std::map<int, const ListedDraw*> bySequence;
    for (const ListedDraw& d : y.draws) {
        if (d.issue <= after) continue;
        if (!d.digits) {
            throw FetchError(updateRefusal(describe(y.year) + "中第 " + std::to_string(d.issue) +
                                           " 期的开奖号码 " + quoted(d.digitsText) +
                                           " 不是五位数字"));
        }
        const auto [it, added] = bySequence.emplace(d.issue % 1000, &d);
        if (!added && *it->second->digits != *d.digits) {
            throw FetchError(updateRefusal(describe(y.year) + "中第 " + std::to_string(d.issue) +
                                           " 期出现两次，开奖号码不同（" +
                                           quoted(it->second->digitsText) + "和" +
                                           quoted(d.digitsText) + "）"));
        }
    }
    std::map<int, Digits> out;
    for (const auto& [sequence, d] : bySequence) out.emplace(sequence, *d->digits);
    return out;
}

}  // namespace

std::string updateRefusal(const std::string& why) {
    return why + "；在线更新没有进行，历史号码保持原样";
}

std::string quotedForMessage(std::string_view text, std::size_t maxBytes,
                             ControlCharacters controls) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (out.size() >= maxBytes && (c & 0xC0) != 0x80) {
            out += "…";
            break;
        }
        if (c >= 0x20 && c != 0x7F) {
            out += static_cast<char>(c);
        } else if (controls == ControlCharacters::AsBlanks) {
            out += ' ';
        } else {
            static const char* hex = "0123456789ABCDEF";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return "“" + out + "”";
}

YearListing readYearTable(const std::vector<TableRow>& rows, int year) {
    YearListing listing;
    listing.year = year;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const TableRow& row = rows[r];
        const bool first = r == 0;
        if (row.size() < 3) {
            if (!first) ++listing.otherRows;
            continue;
        }
        const std::optional<int32_t> n = readIssueCell(row[1]);
        const std::optional<Digits> digits = readDigitsCell(row[2]);
        // The first row is the header, unless the page left it out and starts with a draw.
        if (first && !(n && digits)) continue;
        if (!n || *n % 1000 == 0) {
            // A header or a note has no number where the issue goes; a row that has digits
            // there, or a draw's five digits beside it, is a draw whose issue cannot be read.
            if (hasAsciiDigit(row[1]) || digits) {
                listing.unreadableIssues.push_back(row[1]);
            } else {
                ++listing.otherRows;
            }
            continue;
        }
        // A row of another year would otherwise be stored under this page's year.
        if (*n / 1000 != year % 100) {
            ++listing.otherRows;
            continue;
        }
        listing.draws.push_back({year * 1000 + *n % 1000, digits, row[2]});
    }
    return listing;
}

NewDraws collectNewDraws(const std::vector<YearListing>& years, const UpdatePlan& plan,
                         const std::function<std::string(int year)>& describe) {
    checkReadable(years, plan, describe);

    NewDraws out;
    for (const YearListing& y : years) {
        out.otherRows += y.otherRows;
        out.unreadableIssues.insert(out.unreadableIssues.end(), y.unreadableIssues.begin(),
                                    y.unreadableIssues.end());
    }
    for (const YearListing& y : years) {
        const std::map<int, Digits> listed = newDrawsOfYear(y, plan.lastIssue, describe);
        if (listed.empty()) continue;
        int first = 1;
        if (plan.lastIssue / 1000 == y.year) {
            first = plan.lastIssue % 1000 + 1;
        } else if (plan.lastIssue == 0 && out.draws.empty() &&
                   (y.year > plan.startYear || y.year <= kFirstYearOfDraws)) {
            // The years before listed nothing, or there were none: the history begins with
            // this year's first listed draw (2004 began at its ninth).
            first = listed.begin()->first;
        }
        for (int k = first;; ++k) {
            const auto it = listed.find(k);
            if (it != listed.end() && k <= kLastSequenceInTable) {
                out.draws.push_back({y.year * 1000 + k, it->second});
                continue;
            }
            const auto later = listed.upper_bound(k);
            if (k <= kLastSequenceInTable && later != listed.end() &&
                later->first <= kLastSequenceInTable) {
                out.gap = y.year * 1000 + k;
                return out;
            }
            for (auto b = listed.lower_bound(std::max(k, kLastSequenceInTable + 1));
                 b != listed.end(); ++b) {
                out.beyondTable.push_back(y.year * 1000 + b->first);
            }
            break;
        }
    }
    return out;
}

std::string listIssues(const std::vector<int32_t>& issues) {
    std::string out = "第 ";
    for (std::size_t i = 0; i < issues.size() && i < kNamedInMessages; ++i) {
        if (i) out += "、";
        out += std::to_string(issues[i]);
    }
    out += " 期";
    if (issues.size() > kNamedInMessages) {
        out += "等共 " + std::to_string(issues.size()) + " 期";
    }
    return out;
}

std::string listTexts(const std::vector<std::string>& texts) {
    std::string out;
    for (std::size_t i = 0; i < texts.size() && i < kNamedInMessages; ++i) {
        if (i) out += "、";
        out += quoted(texts[i]);
    }
    if (texts.size() > kNamedInMessages) out += "等共 " + std::to_string(texts.size()) + " 行";
    return out;
}

}  // namespace arrange5
