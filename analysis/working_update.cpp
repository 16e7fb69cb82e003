#include "analysis/working_update.h"

#include <algorithm>
#include <initializer_list>
#include <regex>
#include <string_view>

namespace arrange5 {

namespace {

constexpr std::string_view kRowsTable = "temp.search_rows";

// Appends the pieces in one buffer (GCC 12 misreads chains of operator+ starting at a literal).
std::string concat(std::initializer_list<std::string_view> pieces) {
    std::string out;
    for (std::string_view p : pieces) out += p;
    return out;
}

std::string alias(int distance) {
    return distance == 0 ? std::string("c") : concat({"p", std::to_string(distance)});
}

}  // namespace

int WorkingUpdate::rowValue(const std::string& sql) {
    const auto it = std::find(values_.begin(), values_.end(), sql);
    if (it != values_.end()) return static_cast<int>(it - values_.begin());
    values_.push_back(sql);
    return static_cast<int>(values_.size()) - 1;
}

std::string WorkingUpdate::at(int value, int distance, const std::string& none) {
    const std::string column = concat({".v", std::to_string(value)});
    if (distance == 0) return concat({"c", column});
    distances_.insert(distance);
    const std::string row = alias(distance);
    // A missing row is told by its number, not by a NULL value, which a column could hold.
    return concat({"(CASE WHEN ", row, ".n IS NULL THEN ", none, " ELSE ", row, column, " END)"});
}

void WorkingUpdate::assign(const std::string& column, const std::string& expression) {
    assignments_.emplace_back(column, expression);
}

std::string WorkingUpdate::derivation(const std::string& expression) const {
    static const std::regex handle(R"(\b(c|p(\d+))\.(v(\d+)|n|q)\b)");
    std::string out;
    auto last = expression.cbegin();
    for (std::sregex_iterator it(expression.begin(), expression.end(), handle), end; it != end;
         ++it) {
        const std::smatch& m = *it;
        out.append(last, m[0].first);
        out += m[2].matched ? concat({"[row-", m[2].str(), "]"}) : std::string("[row]");
        if (m[3] == "q") {
            out += "SQQH";
        } else if (m[3] == "n") {
            out += "number";
        } else {
            out += concat({"{", values_.at(std::stoul(m[4].str())), "}"});
        }
        last = m[0].second;
    }
    out.append(last, expression.cend());
    return out;
}

std::map<std::string, std::string> WorkingUpdate::run(
    SQLite::Database& db, const std::map<std::string, std::string>& known) const {
    std::map<std::string, std::string> written;
    std::vector<std::pair<std::string, std::string>> pending;
    for (const auto& [column, expression] : assignments_) {
        std::string d = derivation(expression);
        const auto it = known.find(column);
        if (it == known.end() || it->second != d) pending.emplace_back(column, expression);
        written[column] = std::move(d);
    }
    if (pending.empty()) return written;

    // The old contents travel in the table too, so that unchanged rows are recognised there
    // and Lishi is only visited for the rows that are written.
    std::vector<std::string> values = values_;
    std::vector<std::size_t> old;
    for (const auto& [column, expression] : pending) {
        const auto it = std::find(values.begin(), values.end(), column);
        old.push_back(static_cast<std::size_t>(it - values.begin()));
        if (it == values.end()) values.push_back(column);
    }

    std::string columns = "n INTEGER PRIMARY KEY, q INTEGER";
    std::string names = "q";
    std::string select = "SQQH";
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string name = concat({"v", std::to_string(i)});
        columns += concat({", ", name});
        names += concat({", ", name});
        select += concat({", ", values[i]});
    }
    db.exec(concat({"DROP TABLE IF EXISTS ", kRowsTable}));
    db.exec(concat({"CREATE TABLE ", kRowsTable, " (", columns, ")"}));
    // Rows inserted into an empty table in this order are numbered 1, 2, 3, … by issue.
    db.exec(concat({"INSERT INTO ", kRowsTable, " (", names, ") SELECT ", select,
                    " FROM Lishi ORDER BY SQQH"}));

    std::string set;
    std::string changed;
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (i) {
            set += ", ";
            changed += " OR ";
        }
        set += concat({pending[i].first, " = ", pending[i].second});
        changed += concat({"c.v", std::to_string(old[i]), " IS NOT ", pending[i].second});
    }
    std::string from = concat({kRowsTable, " AS c"});
    for (int d : distances_) {
        from += concat({" LEFT JOIN ", kRowsTable, " AS ", alias(d), " ON ", alias(d),
                        ".n = c.n - ", std::to_string(d)});
    }
    db.exec(concat(
        {"UPDATE Lishi SET ", set, " FROM ", from, " WHERE Lishi.SQQH = c.q AND (", changed, ")"}));
    db.exec(concat({"DROP TABLE ", kRowsTable}));
    return written;
}

}  // namespace arrange5
