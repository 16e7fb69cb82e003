#include "store/schema.h"

#include "store/draw.h"

namespace arrange5 {

namespace {

std::vector<std::string> buildColumns() {
    std::vector<std::string> cols = {"SQQH", "QQH"};
    for (const char* lag : {"", "S", "P"}) {
        for (int k = 0; k < kCodeKindCount; ++k) {
            for (int i = 1; i <= 5; ++i) cols.push_back(codeColumn(i, CodeKind(k), lag));
        }
    }
    for (const char* t : {"txtHisLst", "txtHisLstHm", "txtHisLstDx", "txtHisLstDs", "txtHisLstDuan",
                          "txtHisPreLst", "txtHisPreLstHm", "txtHisPreLstDx", "txtHisPreLstDs",
                          "txtHisPreLstDuan", "intTh", "bolOk", "txtHisP6"}) {
        cols.emplace_back(t);
    }
    return cols;
}

}  // namespace

const std::vector<std::string>& lishiColumns() {
    static const std::vector<std::string> cols = buildColumns();
    return cols;
}

std::string schemaSql() {
    std::string sql = "CREATE TABLE Lishi (";
    bool first = true;
    for (const auto& c : lishiColumns()) {
        if (!first) sql += ", ";
        first = false;
        sql += c;
        if (c == "SQQH") {
            sql += " INTEGER PRIMARY KEY";
        } else if (c.rfind("txt", 0) == 0) {
            sql += " TEXT NOT NULL DEFAULT ''";
        } else {
            sql += " INTEGER NOT NULL DEFAULT 0";
        }
    }
    sql += ");\n" + carcuSql();
    return sql;
}

std::string carcuSql() {
    return "CREATE TABLE Carcu (Nmb INTEGER, Count INTEGER);\n";
}

}  // namespace arrange5
