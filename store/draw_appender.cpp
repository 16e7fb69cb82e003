#include "store/draw_appender.h"

#include "store/errors.h"
#include "store/schema.h"

namespace arrange5 {

namespace {

// The columns written at append time, in bind order; intTh, bolOk and txtHisP6 keep
// their defaults.
constexpr int kAppendedColumns = 2 + 60 + 10;

std::string insertSql() {
    const auto& cols = lishiColumns();
    std::string names, marks;
    for (int i = 0; i < kAppendedColumns; ++i) {
        if (i) {
            names += ", ";
            marks += ", ";
        }
        names += cols[i];
        marks += "?";
    }
    return "INSERT INTO Lishi (" + names + ") VALUES (" + marks + ")";
}

}  // namespace

DrawAppender::DrawAppender(SQLite::Database& db) : insert_(db, insertSql()) {}

void DrawAppender::append(int32_t issue, const Digits& draw, int segmentBase, AppendState& state,
                          const DrawStrings* earlier) {
    const CodeVectors codes = deriveCodes(draw, segmentBase);
    int col = 1;
    insert_.bind(col++, issue);
    insert_.bind(col++, static_cast<int64_t>(issue) + 1);
    for (const CodeVectors* set : {&codes, const_cast<const CodeVectors*>(&state.sp.s),
                                   const_cast<const CodeVectors*>(&state.sp.p)}) {
        for (int k = 0; k < kCodeKindCount; ++k) {
            for (int i = 0; i < 5; ++i) insert_.bind(col++, (*set)[k][i]);
        }
    }
    insert_.bind(col++, state.previous.digits);
    for (const auto& s : state.previous.occurrences) insert_.bind(col++, s);
    static const DrawStrings kNone;
    const DrawStrings& pre = earlier ? *earlier : kNone;
    insert_.bind(col++, pre.digits);
    for (const auto& s : pre.occurrences) insert_.bind(col++, s);
    try {
        insert_.exec();
    } catch (const SQLite::Exception& e) {
        insert_.reset();
        throw StoreError("第 " + std::to_string(issue) + " 期无法存入数据库（数据库报告：" +
                         e.what() + "）");
    }
    insert_.reset();

    state.sp.p = state.sp.s;
    state.sp.s = codes;
    state.previous = DrawStrings::of(codes);
}

}  // namespace arrange5
