#include "search_model.h"

#include <SQLiteCpp/Statement.h>

#include <algorithm>
#include <stdexcept>

#include "acquire/replace_history.h"
#include "store/sql_connection.h"

namespace arrange5::test {

SearchHistory::SearchHistory(std::vector<HistoryEntry> draws, int base, bool asRebuild)
    : store(std::make_unique<HistoryStore>(dir.path())) {
    // Only the temporary file's durability is lost; hundreds of imports stay fast.
    sqlConnection(*store).exec("PRAGMA synchronous=OFF");
    replace(std::move(draws), base, asRebuild);
}

void SearchHistory::replace(std::vector<HistoryEntry> draws, int base, bool asRebuild) {
    entries = std::move(draws);
    segmentBase = base;
    if (entries.empty()) {
        store->write(
            "test", [](HistoryWriter& writer) { writer.deleteAll(); }, ChangeKind::Deleted);
        return;
    }
    LastTwoDraws sp;
    test::seedHistory(*store, entries, sp, base, "test history",
                      asRebuild ? EarlierColumns::FromDrawTwoBefore : EarlierColumns::LeaveEmpty);
}

std::vector<int32_t> SearchHistory::hitIssues(const SearchResult& result) const {
    std::vector<int32_t> issues;
    for (const auto& h : result.hits) issues.push_back(h.issue);
    return issues;
}

LishiTable LishiTable::read(HistoryStore& store) {
    LishiTable t;
    SQLite::Statement q(sqlConnection(store), "SELECT * FROM Lishi ORDER BY SQQH");
    for (int c = 0; c < q.getColumnCount(); ++c) t.columns.emplace_back(q.getColumnName(c));
    while (q.executeStep()) {
        std::vector<std::string> row;
        for (int c = 0; c < q.getColumnCount(); ++c) row.push_back(q.getColumn(c).getString());
        t.rows.push_back(std::move(row));
    }
    return t;
}

std::size_t LishiTable::column(const std::string& name) const {
    const auto it = std::find(columns.begin(), columns.end(), name);
    if (it == columns.end()) throw std::runtime_error("no column " + name);
    return static_cast<std::size_t>(it - columns.begin());
}

std::vector<std::string> LishiTable::columnValues(const std::string& name) const {
    const std::size_t c = column(name);
    std::vector<std::string> out;
    for (const auto& row : rows) out.push_back(row[c]);
    return out;
}

void LishiTable::set(const std::string& name, const std::vector<std::string>& values) {
    const std::size_t c = column(name);
    for (std::size_t r = 0; r < rows.size(); ++r) rows[r][c] = values.at(r);
}

namespace {

// The model spells everything out from the draws, independently of the library's helpers.
const char* const kSuffix[] = {"A", "B", "E", "F"};
const char* const kStringSuffix[] = {"Hm", "Dx", "Ds", "Duan"};
const int kRange[] = {10, 2, 2, 6};

int code(const HistoryEntry& e, int kind, int position, int base) {
    const int d = e.digits[position - 1];
    switch (kind) {
        case 0:
            return d;
        case 1:
            return d >= 5 ? 1 : 0;
        case 2:
            return d % 2;
        default:
            return d / 2 + base;
    }
}

std::vector<int> codesOf(const HistoryEntry& e, int kind, int base) {
    std::vector<int> v;
    for (int p = 1; p <= 5; ++p) v.push_back(code(e, kind, p, base));
    return v;
}

std::string occurrences(const std::vector<int>& values) {
    std::string s;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto seen = std::count(values.begin(), values.begin() + i + 1, values[i]);
        s += std::to_string(seen) + "X" + std::to_string(values[i]) + " ";
    }
    return s;
}

std::string digits(const HistoryEntry& e) {
    std::string s;
    for (auto d : e.digits) s += char('0' + d);
    return s;
}

struct Model {
    const std::vector<HistoryEntry>& entries;
    int base;
    const SearchRequest& request;
    int kind = static_cast<int>(request.settings.kind);
    int distance = request.settings.previousIssue ? 1 : request.settings.lagN;
    std::size_t rows = entries.size();

    bool hasDraw(std::size_t r) const { return r >= static_cast<std::size_t>(distance); }
    const HistoryEntry& matched(std::size_t r) const { return entries[r - distance]; }
    bool inKind(int v) const { return v >= 0 && v < kRange[kind]; }
    int occurrencesIn(std::size_t r, int v) const {
        const auto values = codesOf(matched(r), kind, base);
        return static_cast<int>(std::count(values.begin(), values.end(), v));
    }

    std::vector<std::string> earlierDigits() const {
        std::vector<std::string> out;
        for (std::size_t r = 0; r < rows; ++r) out.push_back(hasDraw(r) ? digits(matched(r)) : "");
        return out;
    }
    std::vector<std::string> matchStrings() const {
        std::vector<std::string> out;
        for (std::size_t r = 0; r < rows; ++r) {
            out.push_back(hasDraw(r) ? occurrences(codesOf(matched(r), kind, base)) : "");
        }
        return out;
    }

    void lagColumns(ModelOutcome& out, const std::vector<int>& positions) const {
        const bool earlier = !request.settings.previousIssue;
        if (request.settings.freePositions) {
            if (earlier) {
                out.writes["txtHisPreLst"] = earlierDigits();
                out.writes[std::string("txtHisPreLst") + kStringSuffix[kind]] = matchStrings();
            }
            return;
        }
        for (int p : positions) {
            std::vector<std::string> lag;
            for (std::size_t r = 0; r < rows; ++r) {
                lag.push_back(std::to_string(hasDraw(r) ? code(matched(r), kind, p, base) : 0));
            }
            std::string column = "L";
            column += std::to_string(p) + kSuffix[kind] + (earlier ? "P" : "S");
            out.writes[column] = lag;
        }
        if (earlier) out.writes["txtHisPreLst"] = earlierDigits();
    }

    // What one statement per position adds to a row's counter. `finalCounts`: every
    // statement tests its value's count in the whole set (combination search) instead of
    // the running count (single search).
    int increments(std::size_t r, const std::vector<int>& positions, bool finalCounts) const {
        if (!hasDraw(r)) return 0;
        int sum = 0;
        std::vector<int> running(kRange[kind], 0);
        for (int p : positions) {
            const int v = request.reference[p - 1];
            if (request.settings.freePositions) {
                if (!inKind(v)) continue;
                int needed = ++running[v];
                if (finalCounts) {
                    needed = 0;
                    for (int q : positions) needed += request.reference[q - 1] == v ? 1 : 0;
                }
                sum += occurrencesIn(r, v) >= needed ? 1 : 0;
            } else {
                sum += code(matched(r), kind, p, base) == v ? 1 : 0;
            }
        }
        return sum;
    }

    void tally(ModelOutcome& out, const std::vector<bool>& hit) const {
        const TallySettings& t = request.tally;
        const int rk = static_cast<int>(t.resultKind);
        const int first = t.group ? 1 : t.resultPosition;
        std::vector<int64_t> counts(kRange[rk], 0);
        std::vector<int64_t> rest(kRange[rk], 0);
        for (std::size_t r = 0; r < rows; ++r) {
            const int32_t issue = entries[r].issue;
            if (issue < request.from || issue > request.to) continue;
            if (!hit[r]) {
                // The rest: rows that had the matched draw and still were no hit.
                if (!hasDraw(r)) continue;
                ++out.restRows;
                for (int p = first; p <= t.resultPosition; ++p)
                    ++rest[code(entries[r], rk, p, base)];
                continue;
            }
            Hit h;
            h.issue = issue;
            for (int p = 1; p <= 5; ++p) h.values[p - 1] = int16_t(code(entries[r], rk, p, base));
            h.matched = request.settings.previousIssue ? (r > 0 ? digits(entries[r - 1]) : "")
                                                       : earlierDigits()[r];
            for (int p = first; p <= t.resultPosition; ++p) ++counts[h.values[p - 1]];
            out.hits.push_back(h);
        }
        out.total = int64_t(t.resultPosition - first + 1) * int64_t(out.hits.size());
        const int low = rk == 3 ? t.segmentBase : 0;
        const int high = rk == 3 ? t.segmentBase + 4 : kRange[rk] - 1;
        for (int v = low; v <= high; ++v) out.carcu.emplace_back(v, counts[v]);
        auto sorted = out.carcu;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        int rank = 0;
        for (const auto& [v, c] : sorted) {
            TallyRow row;
            row.rank = ++rank;
            row.value = v;
            row.count = c;
            row.restCount = rest[v];
            row.outcome = std::to_string(v);
            if (rk == 1) row.outcome = v ? "大" : "小";
            if (rk == 2) row.outcome = v ? "单" : "双";
            if (out.total > 0) {
                // Thousandths of a percent, rounded half up on the exact fraction.
                const int64_t scaled = c * 100000;
                int64_t q = scaled / out.total;
                if ((scaled % out.total) * 2 >= out.total) ++q;
                const std::string frac = std::to_string(1000 + q % 1000).substr(1);
                row.percent = std::to_string(q / 1000) + "." + frac + "%";
            }
            out.tally.push_back(row);
        }
    }
};

std::vector<std::string> asText(const std::vector<int>& values) {
    std::vector<std::string> out;
    for (int v : values) out.push_back(std::to_string(v));
    return out;
}

}  // namespace

ModelOutcome modelSingleSearch(const std::vector<HistoryEntry>& entries, int storedBase,
                               const SearchRequest& request) {
    const Model m{entries, storedBase, request};
    ModelOutcome out;
    std::vector<int> positions;
    for (int p = 1; p <= 5; ++p) {
        if (request.positions[p - 1]) positions.push_back(p);
    }
    m.lagColumns(out, positions);
    std::vector<int> counter;
    std::vector<bool> hit;
    for (std::size_t r = 0; r < entries.size(); ++r) {
        counter.push_back(m.increments(r, positions, false));
        hit.push_back(m.hasDraw(r) && counter.back() == static_cast<int>(positions.size()));
    }
    out.writes["intTh"] = asText(counter);
    m.tally(out, hit);
    return out;
}

ModelOutcome modelCombinationSearch(const std::vector<HistoryEntry>& entries, int storedBase,
                                    const SearchRequest& request, int k) {
    const Model m{entries, storedBase, request};
    ModelOutcome out;
    m.lagColumns(out, {1, 2, 3, 4, 5});
    if (request.settings.freePositions) out.writes["txtHisP6"] = m.matchStrings();
    std::vector<std::vector<int>> combos;
    if (k >= 1 && k <= 5) {
        for (int mask = 0; mask < 32; ++mask) {
            std::vector<int> c;
            for (int p = 1; p <= 5; ++p) {
                if (mask & (1 << (p - 1))) c.push_back(p);
            }
            if (static_cast<int>(c.size()) == k) combos.push_back(c);
        }
        std::sort(combos.begin(), combos.end());
    }
    std::vector<int> bolOk(entries.size(), 0);
    std::vector<int> counter(entries.size(), 0);
    for (const auto& c : combos) {
        for (std::size_t r = 0; r < entries.size(); ++r) {
            counter[r] = m.increments(r, c, true);
            if (counter[r] == k) bolOk[r] = 1;
        }
    }
    out.writes["bolOk"] = asText(bolOk);
    if (!combos.empty()) out.writes["intTh"] = asText(counter);
    std::vector<bool> hit(bolOk.begin(), bolOk.end());
    m.tally(out, hit);
    return out;
}

SearchRequest defaultRequest(const SearchHistory& history) {
    SearchRequest request;
    if (!history.entries.empty()) {
        request.from = history.firstIssue() + 1;
        request.to = history.lastIssue();
        request.reference = history.entries.back().digits;
    }
    request.tally.segmentBase = history.segmentBase;
    return request;
}

}  // namespace arrange5::test
