#pragma once

#include <SQLiteCpp/Database.h>

#include <string>
#include <vector>

namespace arrange5 {

// Which working columns one lag pass rewrites. Every row's target receives the source value
// of the row `distance` rows before it in issue order, or 0 / "" where there is none.
struct LagPass {
    struct Column {
        std::string source;
        std::string target;
    };
    int valueDistance = 1;
    std::vector<Column> values;  // L<i><x> → L<i><x>S or L<i><x>P
    // txtHisLst… → txtHisPre…: the strings of row r − (N − 1) describe the draw N before r.
    int stringDistance = 0;
    std::vector<Column> strings;

    bool empty() const { return values.empty() && strings.empty(); }
};

// One set-based statement for the whole pass; rows whose columns already hold the right
// values are not written.
void runLagPass(SQLite::Database& db, const LagPass& pass);

}  // namespace arrange5
