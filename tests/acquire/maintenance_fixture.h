#pragma once

#include <SQLiteCpp/Statement.h>

#include <string>
#include <vector>

#include "acquire/replace_history.h"
#include "support/test_support.h"

namespace arrange5::test {

// One column of the row of `issue`, as text.
inline std::string cell(SQLite::Database& db, int issue, const std::string& column) {
    SQLite::Statement q(db, "SELECT " + column + " FROM Lishi WHERE SQQH = ?");
    q.bind(1, issue);
    if (!q.executeStep()) return "<no row " + std::to_string(issue) + ">";
    return q.getColumn(0).getString();
}

// The five positions of one code column family, e.g. "AS" gives L1AS..L5AS joined: "12345".
inline std::string positions(SQLite::Database& db, int issue, const std::string& suffix) {
    std::string out;
    for (char position = '1'; position <= '5'; ++position) {
        out += cell(db, issue, std::string{'L', position} + suffix);
    }
    return out;
}

inline std::vector<int> issues(const HistoryStore& store) {
    std::vector<int> out;
    for (const auto& row : store.rows()) out.push_back(row.issue);
    return out;
}

// Makes every INSERT of `issue` fail, as a full disk or a broken file would.
inline void failInsertOf(SQLite::Database& db, int issue) {
    db.exec("CREATE TRIGGER refuse BEFORE INSERT ON Lishi WHEN NEW.SQQH = " +
            std::to_string(issue) + " BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
}

}  // namespace arrange5::test
