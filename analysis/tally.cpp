#include "analysis/tally.h"

#include <SQLiteCpp/Statement.h>

#include <vector>

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

void tallyHits(SQLite::Database& db, const SearchRequest& request, const std::string& hitCondition,
               SearchResult& result) {
    const TallySettings& tally = request.tally;
    const CodeKind kind = tally.resultKind;
    const std::string suffix(kindSuffix(kind));
    const int first = tally.group ? 1 : tally.resultPosition;
    const int last = tally.resultPosition;

    result.earlierMode = !request.settings.previousIssue;
    const std::string matched = request.settings.previousIssue ? "txtHisLst" : "txtHisPreLst";
    std::string select = "SELECT SQQH";
    for (int i = 1; i <= 5; ++i) select += ", " + codeColumn(i, kind);
    select += ", " + matched + " FROM Lishi WHERE SQQH >= ? AND SQQH <= ? AND " + hitCondition +
              " ORDER BY SQQH";

    const int valueCount = kValueCounts.at(static_cast<int>(kind));
    std::vector<int64_t> counters(static_cast<std::size_t>(valueCount), 0);
    result.hits.clear();
    SQLite::Statement hits(db, select);
    hits.bind(1, request.from);
    hits.bind(2, request.to);
    while (hits.executeStep()) {
        Hit hit;
        hit.issue = hits.getColumn(0).getInt();
        for (int i = 0; i < 5; ++i) {
            hit.values[i] = static_cast<int16_t>(hits.getColumn(1 + i).getInt());
        }
        hit.matched = hits.getColumn(6).getString();
        for (int i = first; i <= last; ++i) {
            const int v = hit.values[i - 1];
            // A stored value no derivation produces is listed but not counted.
            if (v >= 0 && v < valueCount) ++counters[static_cast<std::size_t>(v)];
        }
        result.hits.push_back(std::move(hit));
    }
    result.total =
        static_cast<int64_t>(last - first + 1) * static_cast<int64_t>(result.hits.size());

    // Segments are listed under the current base only; rows stored under the other base
    // still count towards the total.
    const int firstOutcome = kind == CodeKind::Segment ? tally.segmentBase : 0;
    const int outcomes = kind == CodeKind::Segment ? 5 : valueCount;
    db.exec("DELETE FROM Carcu");
    SQLite::Statement insert(db, "INSERT INTO Carcu (Nmb, Count) VALUES (?, ?)");
    for (int v = firstOutcome; v < firstOutcome + outcomes; ++v) {
        insert.bind(1, v);
        insert.bind(2, counters[static_cast<std::size_t>(v)]);
        insert.exec();
        insert.reset();
    }

    result.tally.clear();
    SQLite::Statement read(db, "SELECT Nmb, Count FROM Carcu ORDER BY Count DESC, Nmb ASC");
    int rank = 0;
    while (read.executeStep()) {
        TallyRow row;
        row.rank = ++rank;
        row.value = read.getColumn(0).getInt();
        row.outcome = outcomeName(kind, row.value);
        row.count = read.getColumn(1).getInt64();
        row.percent = formatPercent(row.count, result.total);
        result.tally.push_back(std::move(row));
    }
}

}  // namespace arrange5
