#include "analysis/tally.h"

#include <SQLiteCpp/Statement.h>

#include <array>
#include <vector>

#include "analysis/search_rules.h"

namespace arrange5 {

std::string formatPercent(int64_t count, int64_t total) {
    if (total <= 0) return {};
    if (count < 0) count = 0;
    // Thousandths of a percent, in integers so that halves are recognised exactly.
    const __int128 scaled = static_cast<__int128>(count) * 100000;
    __int128 q = scaled / total;
    if ((scaled % total) * 2 >= total) ++q;
    const auto whole = static_cast<int64_t>(q / 1000);
    const auto frac = static_cast<int>(q % 1000);
    std::string out;
    out += std::to_string(whole);
    out += '.';
    if (frac < 100) out += '0';
    if (frac < 10) out += '0';
    out += std::to_string(frac);
    out += '%';
    return out;
}

namespace {

// The codes of the result kind at positions 1..5 and the matched draw, for the rows of the
// range that satisfy `condition`, in issue order.
std::string rangeQuery(const SearchRequest& request, const std::string& condition) {
    const std::string matched = request.settings.previousIssue ? "txtHisLst" : "txtHisPreLst";
    std::string select = "SELECT SQQH";
    for (int i = 1; i <= 5; ++i) select += ", " + codeColumn(i, request.tally.resultKind);
    select += ", " + matched + " FROM Lishi WHERE SQQH >= ? AND SQQH <= ? AND " + condition +
              " ORDER BY SQQH";
    return select;
}

}  // namespace

void tallyHits(SQLite::Database& db, const SearchRequest& request, const std::string& hitCondition,
               const std::string& eligibleCondition, SearchResult& result) {
    const TallySettings& tally = request.tally;
    result.earlierMode = !request.settings.previousIssue;

    OutcomeCounters counters{};
    result.hits.clear();
    SQLite::Statement hits(db, rangeQuery(request, hitCondition));
    hits.bind(1, request.from);
    hits.bind(2, request.to);
    while (hits.executeStep()) {
        Hit hit;
        hit.issue = hits.getColumn(0).getInt();
        for (int i = 0; i < 5; ++i) {
            hit.values[i] = static_cast<int16_t>(hits.getColumn(1 + i).getInt());
        }
        hit.matched = hits.getColumn(6).getString();
        countOutcomes(tally, hit.values, counters);
        result.hits.push_back(std::move(hit));
    }

    OutcomeCounters rest{};
    result.restRows = 0;
    SQLite::Statement others(
        db, rangeQuery(request,
                       "(" + eligibleCondition + ") AND NOT COALESCE((" + hitCondition + "), 0)"));
    others.bind(1, request.from);
    others.bind(2, request.to);
    std::array<int, 5> values{};
    while (others.executeStep()) {
        for (int i = 0; i < 5; ++i) values[i] = others.getColumn(1 + i).getInt();
        countOutcomes(tally, values, rest);
        ++result.restRows;
    }

    const int64_t perRow = countedPositions(tally).count();
    result.total = perRow * static_cast<int64_t>(result.hits.size());
    result.restTotal = perRow * result.restRows;

    // Carcu holds the listed outcomes (segments under the current base); rows stored under
    // the other base still count towards the total.
    db.exec("DELETE FROM Carcu");
    SQLite::Statement insert(db, "INSERT INTO Carcu (Nmb, Count) VALUES (?, ?)");
    for (int v : listedValues(tally)) {
        insert.bind(1, v);
        insert.bind(2, counters[static_cast<std::size_t>(v)]);
        insert.exec();
        insert.reset();
    }
    result.tally = tallyRows(counters, rest, result.total, tally);
}

}  // namespace arrange5
