#include "store/history_ends.h"

#include <SQLiteCpp/Statement.h>

#include "store/draw.h"
#include "store/sql_connection.h"

namespace arrange5 {

HistoryEnds readHistoryEnds(HistoryStore& store) {
    SQLite::Statement q(sqlConnection(store),
                        "SELECT COUNT(*), MIN(SQQH), MAX(SQQH), "
                        "(SELECT L1A || L2A || L3A || L4A || L5A FROM Lishi "
                        "ORDER BY SQQH DESC LIMIT 1) FROM Lishi");
    q.executeStep();
    HistoryEnds ends;
    ends.count = static_cast<std::size_t>(q.getColumn(0).getInt64());
    if (ends.count) {
        ends.firstIssue = q.getColumn(1).getInt();
        ends.lastIssue = q.getColumn(2).getInt();
        ends.lastDigits = q.getColumn(3).getString();
    }
    return ends;
}

HistoryEnds endsOf(const HistorySnapshot& rows) {
    HistoryEnds ends;
    ends.count = rows.size();
    if (!rows.empty()) {
        ends.firstIssue = rows.front().issue;
        ends.lastIssue = rows.back().issue;
        ends.lastDigits = digitString(rows.back().digits());
    }
    return ends;
}

}  // namespace arrange5
