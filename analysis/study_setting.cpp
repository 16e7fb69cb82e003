#include "analysis/study_setting.h"

#include <algorithm>
#include <sstream>

#include "analysis/reference.h"

namespace arrange5 {

namespace {

const char* kindName(CodeKind kind) {
    static constexpr const char* names[] = {"number", "bigsmall", "oddeven", "segment"};
    return names[static_cast<int>(kind)];
}

// The positions whose reference values the search compares: the ticked ones, or all five
// for the combination search, which tries every set of k.
std::array<bool, 5> takingPart(const SearchShape& shape) {
    if (shape.combination) return {true, true, true, true, true};
    return shape.positions;
}

std::string positionList(const std::array<bool, 5>& positions) {
    std::string list;
    for (int p = 0; p < 5; ++p) {
        if (!positions[static_cast<std::size_t>(p)]) continue;
        list += (list.empty() ? "" : ",") + std::to_string(p + 1);
    }
    return list;
}

bool segmentsTakePart(const SearchSettings& s, const TallySettings& t) {
    return s.kind == CodeKind::Segment || t.resultKind == CodeKind::Segment;
}

// The first and last stored issue within [from, to]; none when the range holds none.
std::string storedSpan(const HistorySnapshot& rows, int32_t from, int32_t to) {
    const auto below = [](const HistoryRow& r, int32_t issue) { return r.issue < issue; };
    const auto first = std::lower_bound(rows.begin(), rows.end(), from, below);
    const auto end = std::lower_bound(rows.begin(), rows.end(), to + 1, below);
    if (from > to || first >= end) return "none";
    return std::to_string(first->issue) + "-" + std::to_string(std::prev(end)->issue);
}

struct Texts {
    std::ostringstream key;
    std::ostringstream line;
};

void addCommon(Texts& t, const SearchSettings& s, const TallySettings& tally,
               const SearchShape& shape) {
    t.line << "arrange5-cli";
    if (segmentsTakePart(s, tally)) t.line << " --segment-base " << tally.segmentBase;
    t.key << " kind=" << kindName(s.kind) << " match=" << (s.freePositions ? "free" : "fixed")
          << " lag=" << lagDistance(s);
    if (!shape.combination) t.key << " positions=" << positionList(shape.positions);
}

void addTally(Texts& t, const SearchSettings& s, const TallySettings& tally) {
    t.key << " result=" << kindName(tally.resultKind) << " pos=" << tally.resultPosition
          << (tally.group ? " group" : " straight");
    if (segmentsTakePart(s, tally)) t.key << " base=" << tally.segmentBase;
}

void addOptions(std::ostringstream& line, const SearchSettings& s, const TallySettings& tally,
                const SearchShape& shape) {
    if (shape.combination) line << " --k " << shape.k;
    line << " --kind " << kindName(s.kind) << " --match " << (s.freePositions ? "free" : "fixed");
    if (lagDistance(s) > 1) line << " --earlier " << lagDistance(s);
    if (!shape.combination && positionList(shape.positions) != "") {
        line << " --positions " << positionList(shape.positions);
    }
    line << " --result-kind " << kindName(tally.resultKind) << " --result-pos "
         << tally.resultPosition << (tally.group ? " --group" : "");
}

}  // namespace

StudySetting searchStudySetting(const HistorySnapshot& rows, const SearchRequest& request,
                                const SearchShape& shape) {
    Texts t;
    t.key << (shape.combination ? "combo k=" + std::to_string(shape.k) : std::string("search"));
    addCommon(t, request.settings, request.tally, shape);
    const auto part = takingPart(shape);
    std::string reference;
    for (std::size_t i = 0; i < request.reference.size(); ++i) {
        reference += (i ? "," : "") + (part[i] ? std::to_string(request.reference[i]) : "-");
    }
    const std::string span = storedSpan(rows, request.from, request.to);
    t.key << " ref=" << reference << " range=" << span;
    addTally(t, request.settings, request.tally);

    t.line << (shape.combination ? " combo" : " search");
    addOptions(t.line, request.settings, request.tally, shape);
    t.line << " --ref ";
    for (std::size_t i = 0; i < request.reference.size(); ++i) {
        t.line << (i ? "," : "") << request.reference[i];
    }
    // The stored issues the range resolves to: the same rows whatever bounds were typed.
    const auto dash = span.find('-');
    if (dash != std::string::npos) {
        t.line << " --from " << span.substr(0, dash) << " --to " << span.substr(dash + 1);
    }
    return {t.key.str(), t.line.str()};
}

StudySetting backtestStudySetting(const HistorySnapshot& rows, const BacktestRequest& request) {
    const auto [first, last] = targetIssues(rows, request);
    Texts t;
    t.key << "backtest "
          << (request.shape.combination ? "combo k=" + std::to_string(request.shape.k)
                                        : std::string("search"));
    addCommon(t, request.settings, request.tally, request.shape);
    t.key << " targets=" << first << "-" << last << " top=" << request.top;
    addTally(t, request.settings, request.tally);

    t.line << " backtest " << (request.shape.combination ? "combo" : "search");
    addOptions(t.line, request.settings, request.tally, request.shape);
    t.line << " --targets " << first << ":" << last << " --top " << request.top;
    return {t.key.str(), t.line.str()};
}

}  // namespace arrange5
