#include "store/history_ends.h"

#include <SQLiteCpp/Statement.h>

namespace arrange5 {

HistoryEnds readHistoryEnds(SQLite::Database& db) {
    SQLite::Statement q(db,
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

}  // namespace arrange5
