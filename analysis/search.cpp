#include "analysis/search.h"

#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>

#include <initializer_list>
#include <map>
#include <set>
#include <string_view>

#include "analysis/match_columns.h"
#include "analysis/reference.h"
#include "analysis/search_rules.h"
#include "analysis/tally.h"
#include "analysis/working_update.h"
#include "store/errors.h"
#include "store/limits.h"
#include "store/row_check.h"

namespace arrange5 {

namespace {

// Appends the pieces in one buffer (GCC 12 misreads chains of operator+ starting at a literal).
std::string concat(std::initializer_list<std::string_view> pieces) {
    std::string out;
    for (std::string_view p : pieces) out += p;
    return out;
}

std::string joined(const std::vector<std::string>& terms, const std::string& separator) {
    std::string out;
    for (const auto& t : terms) {
        if (!out.empty()) out += separator;
        out += t;
    }
    return out;
}

// The working columns one search writes, each computed from the draws' own columns in the
// same statement: the lag columns the matching reads and the marks. The matching reads the
// sources the lag columns are copied from rather than the lag columns themselves, so that
// every row is written once.
class SearchUpdate {
  public:
    SearchUpdate(SQLite::Database& db, const SearchSettings& s)
        : s_(s), lagLetter_(s.previousIssue ? "S" : "P") {
        valueDistance_ = lagDistance(s);
        stringDistance_ = lagDistance(s) - 1;
        guard_ = drawGuard(db);
    }

    // The lag columns the matching reads. In 前期 mode txtHisPreLst is always rewritten,
    // since the hits list shows it as the matched draw whatever was ticked.
    void copyLagColumns(const std::vector<int>& fixedPositions) {
        if (!s_.previousIssue) {
            update_.assign("txtHisPreLst", earlierString("txtHisLst"));
            if (s_.freePositions) {
                update_.assign(earlierDrawColumn(s_.kind),
                               earlierString(previousDrawColumn(s_.kind)));
            }
        }
        if (s_.freePositions) return;
        for (int p : fixedPositions) update_.assign(lagColumn(p), lagValue(p));
    }

    // 自由位 tests the matched draw's occurrence string for an item such as 2X5; the items
    // never occur inside one another, so a plain substring test is the same as the pattern
    // and each distinct item is tested once per row.
    std::string freeCondition(int count, int value) {
        const int item = update_.rowValue(
            concat({"(instr(", previousDrawColumn(s_.kind), ", '", std::to_string(count), "X",
                    std::to_string(value), "') > 0)"}));
        return update_.at(item, matchedStringDistance(), "0");
    }

    std::string fixedCondition(int position, int value) {
        return concat({"(", lagValue(position), " = ", std::to_string(value), ")"});
    }

    // The string 自由位 matching reads: the previous draw's in 上期, the earlier one in 前期.
    std::string matchedString() {
        return update_.at(update_.rowValue(previousDrawColumn(s_.kind)), matchedStringDistance(),
                          "''");
    }

    // The same test as a condition on Lishi's own columns, for the hit list: a row without a
    // draw at the matched distance is never a hit, also when no position was ticked.
    const std::string& rowHasDraw() const { return rowGuard_; }

    // Only rows with a draw at the matched distance before them count.
    std::string guarded(const std::string& expr) const {
        return concat({"CASE WHEN ", guard_, " THEN ", expr, " ELSE 0 END"});
    }

    void assign(const std::string& column, const std::string& expression) {
        update_.assign(column, expression);
    }

    // Runs the update; returns what the working columns hold once the caller's transaction
    // commits, for the search memo.
    std::map<std::string, std::string> run(SQLite::Database& db,
                                           const std::map<std::string, std::string>& known) {
        return update_.run(db, known);
    }

  private:
    // Rows 1..N−1 of 前期 mode hold lag value 0 without any draw behind it, so a reference
    // value 0 must not select them; the issue of the first row that qualifies decides.
    std::string drawGuard(SQLite::Database& db) {
        SQLite::Statement q(db, "SELECT SQQH FROM Lishi ORDER BY SQQH LIMIT 1 OFFSET ?");
        q.bind(1, static_cast<int64_t>(firstEligibleRow(s_)));
        if (!q.executeStep()) {
            rowGuard_ = "0";
            return "0";
        }
        const std::string first = std::to_string(q.getColumn(0).getInt64());
        std::string guard = concat({WorkingUpdate::issue(), " >= ", first});
        rowGuard_ = concat({"SQQH >= ", first});
        if (!s_.freePositions) {
            static constexpr const char* kHasDraw = "(LENGTH(TRIM(txtHisLst)) > 0)";
            const int hasDraw = update_.rowValue(kHasDraw);
            guard += " AND " + update_.at(hasDraw, 0, "0");
            rowGuard_ += concat({" AND ", kHasDraw});
        }
        return guard;
    }

    std::string lagColumn(int position) const { return codeColumn(position, s_.kind, lagLetter_); }

    // L<i><x>S / L<i><x>P: the code of the draw `distance` rows before, 0 where there is none.
    std::string lagValue(int position) {
        return update_.at(update_.rowValue(codeColumn(position, s_.kind)), valueDistance_, "0");
    }

    // txtHisLst… → txtHisPre…: the strings of row r − (N − 1) describe the draw N before r.
    std::string earlierString(const std::string& source) {
        return update_.at(update_.rowValue(source), stringDistance_, "''");
    }

    int matchedStringDistance() const { return s_.previousIssue ? 0 : stringDistance_; }

    const SearchSettings& s_;
    std::string lagLetter_;
    std::string rowGuard_;
    int valueDistance_ = 1;
    int stringDistance_ = 0;
    std::string guard_;
    WorkingUpdate update_;
};

// The increments one statement per position would add, as terms of a sum. 自由位 counts a
// repeated reference value up (1X7, 2X7, …); a value outside the kind matches nothing.
std::vector<std::string> singleSearchTerms(SearchUpdate& u, const SearchRequest& request,
                                           const std::vector<int>& positions) {
    const SearchSettings& s = request.settings;
    std::vector<std::string> terms;
    if (s.freePositions) {
        std::vector<int> counters(static_cast<std::size_t>(kValueCounts[static_cast<int>(s.kind)]));
        for (int p : positions) {
            const int v = request.reference[p - 1];
            if (!valueInKindRange(s.kind, v)) continue;
            terms.push_back(u.freeCondition(++counters[static_cast<std::size_t>(v)], v));
        }
    } else {
        for (int p : positions) terms.push_back(u.fixedCondition(p, request.reference[p - 1]));
    }
    return terms;
}

// The increments of one combination's statements to intTh. 自由位: every statement tests the
// final count of its value (two 5s in the combination: both test 2X5); a position whose
// value lies outside the kind has no statement.
std::vector<std::string> combinationIncrements(SearchUpdate& u, const SearchRequest& request,
                                               const std::vector<int>& combo) {
    const SearchSettings& s = request.settings;
    std::vector<std::string> out;
    if (!s.freePositions) {
        for (int p : combo) out.push_back(u.fixedCondition(p, request.reference[p - 1]));
        return out;
    }
    std::vector<int> counters(static_cast<std::size_t>(kValueCounts[static_cast<int>(s.kind)]));
    for (int p : combo) {
        const int v = request.reference[p - 1];
        if (valueInKindRange(s.kind, v)) ++counters[static_cast<std::size_t>(v)];
    }
    for (int p : combo) {
        const int v = request.reference[p - 1];
        if (valueInKindRange(s.kind, v)) {
            out.push_back(u.freeCondition(counters[static_cast<std::size_t>(v)], v));
        }
    }
    return out;
}

// What one demand of the search rules asks of the matched draw, as a condition.
std::string demandCondition(SearchUpdate& u, const SearchSettings& s, const Demand& d) {
    std::vector<std::string> terms;
    for (int i = 0; i < 10 && s.freePositions; ++i) {
        const int count = d.counts[static_cast<std::size_t>(i)];
        if (count > 0) terms.push_back(u.freeCondition(count, i));
    }
    for (int p = 1; p <= 5 && !s.freePositions; ++p) {
        const auto at = static_cast<std::size_t>(p - 1);
        if (d.positions[at]) terms.push_back(u.fixedCondition(p, d.fixed[at]));
    }
    return terms.empty() ? "1" : concat({"(", joined(terms, " AND "), ")"});
}

// One write that holds the lock from its start, so that what the history's search memo knows
// about the working columns cannot go stale between reading it and writing. A search writes
// working columns only: the draws, and so the reading cursor, stay as they were.
template <typename Body>
SearchResult inTransaction(HistoryStore& store, Body body) {
    // The outcomes are counted by the stored codes: an unsound row is refused by name.
    requireSoundRows(store.rows(), "用于检索");
    return store.write(
        "检索无法进行",
        [&](HistoryWriter& writer) {
            const ChangeStamp before = store.changeStamp();
            WorkingMemo& memo = writer.memo();
            std::map<std::string, std::string> written;
            SearchResult found = body(writer.connection(), memo.known(before), written);
            const ChangeStamp after = store.changeStamp();
            // Only a committed rewrite is known to hold.
            writer.afterCommit([&memo, written = std::move(written), before, after] {
                memo.record(written, before, after);
            });
            return found;
        },
        ChangeKind::WorkingColumns);
}

}  // namespace

void validateSearchRequest(const SearchRequest& request) {
    const SearchSettings& s = request.settings;
    if (!isValidKind(static_cast<int>(s.kind))) {
        throw InputError("未知的搜索类型 " + std::to_string(static_cast<int>(s.kind)));
    }
    requireValidLag(s);
    const TallySettings& t = request.tally;
    if (!isValidKind(static_cast<int>(t.resultKind))) {
        throw InputError("未知的结果类型 " + std::to_string(static_cast<int>(t.resultKind)));
    }
    if (t.resultPosition < 1 || t.resultPosition > limits::kPositions) {
        throw InputError("结果统计位必须是 1 到 5，而不是 " + std::to_string(t.resultPosition));
    }
    if (!limits::validSegmentBase(t.segmentBase)) {
        throw InputError("段数参数必须是 0 或 1，而不是 " + std::to_string(t.segmentBase));
    }
}

SearchResult runSingleSearch(HistoryStore& store, const SearchRequest& request) {
    validateSearchRequest(request);
    std::vector<int> positions;
    for (int p = 1; p <= 5; ++p) {
        if (request.positions[p - 1]) positions.push_back(p);
    }
    return inTransaction(store, [&](SQLite::Database& db, const auto& known, auto& written) {
        SearchUpdate u(db, request.settings);
        u.copyLagColumns(positions);
        const std::vector<std::string> terms = singleSearchTerms(u, request, positions);
        u.assign("intTh", terms.empty() ? "0" : u.guarded(joined(terms, " + ")));
        written = u.run(db, known);
        // intTh counts the ticked positions whose statement matched; the rules decide
        // whether the ticked reference can be met at all.
        const bool possible = !searchDemands(request.settings, request.reference,
                                             SearchShape::single(request.positions))
                                   .empty();
        const std::string hit =
            possible ? concat({"intTh = ", std::to_string(positions.size())}) : "0";
        SearchResult result;
        tallyHits(db, request, concat({hit, " AND ", u.rowHasDraw()}), u.rowHasDraw(), result);
        return result;
    });
}

SearchResult runCombinationSearch(HistoryStore& store, const SearchRequest& request, int k) {
    validateSearchRequest(request);
    const SearchSettings& s = request.settings;
    const auto combos = positionCombinations(k);
    return inTransaction(store, [&](SQLite::Database& db, const auto& known, auto& written) {
        SearchUpdate u(db, s);
        u.copyLagColumns({1, 2, 3, 4, 5});
        // A row is a hit when its matched draw meets any combination's demand.
        std::set<std::string> hits;
        for (const Demand& d : searchDemands(s, request.reference, SearchShape::combined(k))) {
            hits.insert(demandCondition(u, s, d));
        }
        if (s.freePositions) u.assign("txtHisP6", u.matchedString());
        u.assign("bolOk",
                 hits.empty() ? "0" : u.guarded(joined({hits.begin(), hits.end()}, " OR ")));
        // intTh keeps the counts of the last combination; with none it is left alone.
        if (!combos.empty()) {
            const auto increments = combinationIncrements(u, request, combos.back());
            u.assign("intTh", increments.empty() ? "0" : u.guarded(joined(increments, " + ")));
        }
        written = u.run(db, known);
        SearchResult result;
        tallyHits(db, request, "bolOk <> 0", u.rowHasDraw(), result);
        return result;
    });
}

}  // namespace arrange5
