#include "bench/search_cases.h"

namespace arrange5::bench {

namespace {

constexpr std::array<const char*, 4> kKindNames = {"number", "bigsmall", "oddeven", "segment"};

SearchCase makeCase(CodeKind kind, bool free, bool previous, int ticked, int k,
                    bool everySize = false) {
    SearchCase c;
    c.everySize = everySize;
    c.settings.kind = kind;
    c.settings.freePositions = free;
    c.settings.previousIssue = previous;
    c.settings.lagN = 3;
    c.k = k;
    for (int p = 0; p < 5; ++p) c.positions[p] = k == 0 && p < ticked;
    // Built by appending: GCC 12 warns falsely on chains of string concatenation here.
    std::string name;
    if (k) {
        name.append("combo").append(std::to_string(k)).append("/");
    }
    name.append(kKindNames[static_cast<int>(kind)]);
    name.append(free ? "/free" : "/fixed");
    name.append(previous ? "/prev" : "/earlier3");
    if (k == 0) name.append("/").append(std::to_string(ticked)).append("pos");
    c.name = std::move(name);
    return c;
}

}  // namespace

std::vector<SearchCase> searchCases() {
    std::vector<SearchCase> cases;
    for (bool free : {true, false}) {
        for (int kind = 0; kind < kCodeKindCount; ++kind) {
            // Fixed positions with a binary kind is the slowest single search at 上期.
            const bool heavy = kind == (free ? 0 : 1);
            cases.push_back(makeCase(CodeKind(kind), free, true, 5, 0, heavy));
        }
        cases.push_back(makeCase(CodeKind::Number, free, true, 1, 0));
        cases.push_back(makeCase(CodeKind::Number, free, false, 5, 0, free));
        cases.push_back(makeCase(CodeKind::BigSmall, free, false, 1, 0, free));
    }
    for (int k : {2, 3}) {
        for (bool free : {true, false}) {
            cases.push_back(makeCase(CodeKind::Number, free, true, 0, k, k == 2 && free));
            cases.push_back(makeCase(CodeKind::Segment, free, false, 0, k, k == 3 && !free));
        }
    }
    return cases;
}

SearchRequest requestFor(const SearchCase& c, const HistorySnapshot& rows) {
    SearchRequest r;
    r.settings = c.settings;
    r.positions = c.positions;
    const std::size_t lag =
        c.settings.previousIssue ? 1 : static_cast<std::size_t>(c.settings.lagN);
    if (rows.size() >= lag) {
        r.reference = rows[rows.size() - lag].codes[static_cast<int>(c.settings.kind)];
    }
    if (!rows.empty()) {
        r.from = rows.front().issue + static_cast<int32_t>(lag);
        r.to = rows.back().issue;
    }
    r.tally.resultKind = CodeKind::Number;
    r.tally.resultPosition = 5;
    r.tally.group = true;
    r.tally.segmentBase = 1;
    return r;
}

}  // namespace arrange5::bench
