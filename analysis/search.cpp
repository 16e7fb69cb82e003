#include "analysis/search.h"

#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <initializer_list>
#include <set>
#include <string_view>

#include "analysis/lag_pass.h"
#include "analysis/match_columns.h"
#include "analysis/tally.h"
#include "store/errors.h"

namespace arrange5 {

namespace {

void validate(const SearchRequest& request) {
    const SearchSettings& s = request.settings;
    if (!isValidKind(static_cast<int>(s.kind))) {
        throw InputError("unknown search kind " + std::to_string(static_cast<int>(s.kind)));
    }
    if (!s.previousIssue && (s.lagN < 1 || s.lagN > 9)) {
        throw InputError("N of 前期 must be a number from 1 to 9, not " + std::to_string(s.lagN));
    }
    const TallySettings& t = request.tally;
    if (!isValidKind(static_cast<int>(t.resultKind))) {
        throw InputError("unknown result kind " + std::to_string(static_cast<int>(t.resultKind)));
    }
    if (t.resultPosition < 1 || t.resultPosition > 5) {
        throw InputError("the result position must be 1 to 5, not " +
                         std::to_string(t.resultPosition));
    }
    if (t.segmentBase != 0 && t.segmentBase != 1) {
        throw InputError("the segment base must be 0 or 1, not " + std::to_string(t.segmentBase));
    }
}

int lagDistance(const SearchSettings& s) {
    return s.previousIssue ? 1 : s.lagN;
}

std::string lagLetter(const SearchSettings& s) {
    return s.previousIssue ? "S" : "P";
}

// The condition every increment carries: the row has a draw at the matched distance before
// it. Rows 1..N−1 of 前期 mode hold lag value 0 without any draw behind it, so a reference
// value 0 must not select them; the issue of the first row that qualifies decides.
std::string drawGuard(SQLite::Database& db, const SearchSettings& s) {
    SQLite::Statement q(db, "SELECT SQQH FROM Lishi ORDER BY SQQH LIMIT 1 OFFSET ?");
    q.bind(1, lagDistance(s));
    if (!q.executeStep()) return "0";
    std::string guard = "SQQH >= " + std::to_string(q.getColumn(0).getInt64());
    if (!s.freePositions) guard += " AND LENGTH(TRIM(txtHisLst)) > 0";
    return guard;
}

// Appends the pieces in one buffer (GCC 12 misreads chains of operator+ starting at a literal).
std::string concat(std::initializer_list<std::string_view> pieces) {
    std::string out;
    for (std::string_view p : pieces) out += p;
    return out;
}

std::string freeCondition(const std::string& column, int count, int value) {
    return concat(
        {"(", column, " GLOB '*", std::to_string(count), "X", std::to_string(value), "*')"});
}

std::string fixedCondition(const SearchSettings& s, int position, int value) {
    return concat(
        {"(", codeColumn(position, s.kind, lagLetter(s)), " = ", std::to_string(value), ")"});
}

std::string guarded(const std::string& guard, const std::string& expr) {
    return concat({"CASE WHEN ", guard, " THEN ", expr, " ELSE 0 END"});
}

std::string joined(const std::vector<std::string>& terms, const std::string& separator) {
    std::string out;
    for (const auto& t : terms) {
        if (!out.empty()) out += separator;
        out += t;
    }
    return out;
}

// The lag columns the matching reads. In 前期 mode txtHisPreLst is always rewritten, since
// the hits list shows it as the matched draw whatever was ticked.
LagPass lagPassFor(const SearchSettings& s, const std::vector<int>& fixedPositions) {
    LagPass pass;
    pass.valueDistance = lagDistance(s);
    pass.stringDistance = lagDistance(s) - 1;
    if (s.freePositions) {
        if (!s.previousIssue) {
            pass.strings.push_back({"txtHisLst", "txtHisPreLst"});
            pass.strings.push_back({previousDrawColumn(s.kind), earlierDrawColumn(s.kind)});
        }
        return pass;
    }
    for (int p : fixedPositions) {
        pass.values.push_back({codeColumn(p, s.kind), codeColumn(p, s.kind, lagLetter(s))});
    }
    if (!s.previousIssue) pass.strings.push_back({"txtHisLst", "txtHisPreLst"});
    return pass;
}

// The increments one statement per position would add, as terms of a sum. 自由位 counts a
// repeated reference value up (1X7, 2X7, …); a value outside the kind matches nothing.
std::vector<std::string> singleSearchTerms(const SearchRequest& request,
                                           const std::vector<int>& positions) {
    const SearchSettings& s = request.settings;
    std::vector<std::string> terms;
    if (s.freePositions) {
        const std::string column = freeMatchColumn(s.kind, s.previousIssue);
        std::vector<int> counters(static_cast<std::size_t>(kValueCounts[static_cast<int>(s.kind)]));
        for (int p : positions) {
            const int v = request.reference[p - 1];
            if (!valueInKindRange(s.kind, v)) continue;
            terms.push_back(freeCondition(column, ++counters[static_cast<std::size_t>(v)], v));
        }
    } else {
        for (int p : positions) terms.push_back(fixedCondition(s, p, request.reference[p - 1]));
    }
    return terms;
}

struct CombinationTerms {
    std::vector<std::string> increments;  // what the combination adds to intTh
    std::string hit;                      // its whole condition; empty when it cannot hit
};

// 自由位: every statement of a combination tests the final count of its value (two 5s in
// the combination: both test 2X5); a position whose value lies outside the kind removes
// the combination.
CombinationTerms combinationTerms(const SearchRequest& request, const std::vector<int>& combo) {
    const SearchSettings& s = request.settings;
    CombinationTerms out;
    std::set<std::string> distinct;
    bool possible = true;
    if (s.freePositions) {
        const std::string column = freeMatchColumn(s.kind, s.previousIssue);
        std::vector<int> counters(static_cast<std::size_t>(kValueCounts[static_cast<int>(s.kind)]));
        for (int p : combo) {
            const int v = request.reference[p - 1];
            if (valueInKindRange(s.kind, v)) ++counters[static_cast<std::size_t>(v)];
        }
        for (int p : combo) {
            const int v = request.reference[p - 1];
            if (!valueInKindRange(s.kind, v)) {
                possible = false;
                continue;
            }
            const std::string term =
                freeCondition(column, counters[static_cast<std::size_t>(v)], v);
            out.increments.push_back(term);
            distinct.insert(term);
        }
    } else {
        for (int p : combo) {
            const std::string term = fixedCondition(s, p, request.reference[p - 1]);
            out.increments.push_back(term);
            distinct.insert(term);
        }
    }
    if (possible) out.hit = concat({"(", joined({distinct.begin(), distinct.end()}, " AND "), ")"});
    return out;
}

template <typename Body>
SearchResult inTransaction(HistoryStore& store, Body body) {
    try {
        SQLite::Transaction tx(store.db());
        SearchResult result = body(store.db());
        tx.commit();
        return result;
    } catch (const SQLite::Exception& e) {
        throw StoreError(std::string("the search could not be run: ") + e.what());
    }
}

}  // namespace

SearchResult runSingleSearch(HistoryStore& store, const SearchRequest& request) {
    validate(request);
    std::vector<int> positions;
    for (int p = 1; p <= 5; ++p) {
        if (request.positions[p - 1]) positions.push_back(p);
    }
    return inTransaction(store, [&](SQLite::Database& db) {
        runLagPass(db, lagPassFor(request.settings, positions));
        const std::vector<std::string> terms = singleSearchTerms(request, positions);
        const std::string counter =
            terms.empty() ? "0" : guarded(drawGuard(db, request.settings), joined(terms, " + "));
        db.exec("UPDATE Lishi SET intTh = " + counter + " WHERE intTh IS NOT " + counter);
        SearchResult result;
        tallyHits(db, request, "intTh = " + std::to_string(positions.size()), result);
        return result;
    });
}

SearchResult runCombinationSearch(HistoryStore& store, const SearchRequest& request, int k) {
    validate(request);
    const SearchSettings& s = request.settings;
    const auto combos = positionCombinations(k);
    return inTransaction(store, [&](SQLite::Database& db) {
        runLagPass(db, lagPassFor(s, {1, 2, 3, 4, 5}));
        const std::string guard = drawGuard(db, s);

        std::set<std::string> hits;
        for (const auto& combo : combos) {
            const CombinationTerms terms = combinationTerms(request, combo);
            if (!terms.hit.empty()) hits.insert(terms.hit);
        }
        std::vector<std::pair<std::string, std::string>> sets;  // column, new value
        if (s.freePositions)
            sets.emplace_back("txtHisP6", freeMatchColumn(s.kind, s.previousIssue));
        sets.emplace_back(
            "bolOk",
            hits.empty() ? "0" : guarded(guard, joined({hits.begin(), hits.end()}, " OR ")));
        // intTh keeps the counts of the last combination; with none it is left alone.
        if (!combos.empty()) {
            const auto increments = combinationTerms(request, combos.back()).increments;
            sets.emplace_back("intTh",
                              increments.empty() ? "0" : guarded(guard, joined(increments, " + ")));
        }
        std::string assign;
        std::string changed;
        for (const auto& [column, value] : sets) {
            if (!assign.empty()) {
                assign += ", ";
                changed += " OR ";
            }
            assign += column + " = " + value;
            changed += column + " IS NOT " + value;
        }
        db.exec("UPDATE Lishi SET " + assign + " WHERE " + changed);

        SearchResult result;
        tallyHits(db, request, "bolOk <> 0", result);
        return result;
    });
}

}  // namespace arrange5
