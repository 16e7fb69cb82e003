#include "store/segment_codes.h"

#include <SQLiteCpp/Statement.h>

#include <string>

#include "store/draw.h"
#include "store/sql_connection.h"

namespace arrange5 {

std::vector<std::pair<int32_t, int>> storedSegmentBaseOfRows(HistoryStore& store) {
    std::vector<std::pair<int32_t, int>> rows;
    SQLite::Statement q(sqlConnection(store),
                        "SELECT SQQH, L1F - L1A / 2 FROM Lishi ORDER BY SQQH");
    while (q.executeStep()) rows.emplace_back(q.getColumn(0).getInt(), q.getColumn(1).getInt());
    return rows;
}

int64_t rewriteSegmentCodes(HistoryWriter& writer, int base) {
    SQLite::Database& db = writer.connection();
    std::string set;
    for (int p = 1; p <= 5; ++p) set += codeColumn(p, CodeKind::Segment) + " = ?, ";
    set += "txtHisLstDuan = ?";
    SQLite::Statement update(db, "UPDATE Lishi SET " + set + " WHERE SQQH = ?");
    std::string select = "SELECT SQQH";
    for (int p = 1; p <= 5; ++p) select += ", " + codeColumn(p, CodeKind::Number);
    SQLite::Statement rows(db, select + " FROM Lishi ORDER BY SQQH");
    const auto segment = static_cast<std::size_t>(CodeKind::Segment);
    std::string previous;  // the occurrence string of the row before: none for the first
    int64_t rewritten = 0;
    while (rows.executeStep()) {
        Digits digits{};
        for (int p = 0; p < 5; ++p) {
            digits[static_cast<std::size_t>(p)] =
                static_cast<int16_t>(rows.getColumn(1 + p).getInt());
        }
        const CodeVector codes = deriveCodes(digits, base)[segment];
        for (int p = 0; p < 5; ++p) update.bind(1 + p, codes[static_cast<std::size_t>(p)]);
        update.bind(6, previous);
        update.bind(7, rows.getColumn(0).getInt());
        update.exec();
        update.reset();
        previous = occurrenceString(codes);
        ++rewritten;
    }
    return rewritten;
}

}  // namespace arrange5
