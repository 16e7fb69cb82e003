#pragma once

#include <SQLiteCpp/Database.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace arrange5 {

// One set-based rewrite of working columns of Lishi. The rows are lined up once, in issue
// order and numbered densely, in a temporary table together with the values the new
// contents are computed from; "the row N draws earlier" is then a join on the row number,
// and one UPDATE writes the rows whose contents change and no other.
class WorkingUpdate {
  public:
    // A value computed once per row of Lishi from that row's own columns; the handle is for
    // at(). The same SQL gives the same handle.
    int rowValue(const std::string& sql);
    // The value `distance` rows earlier in issue order (0: the row itself), or `none` where
    // the history has no such row.
    std::string at(int value, int distance, const std::string& none);
    // The row's issue.
    static std::string issue() { return "c.q"; }

    // Sets `column` to `expression`, built from at() and issue(), in every row.
    void assign(const std::string& column, const std::string& expression);

    // Runs the rewrite inside the caller's transaction, leaving out the columns `known` says
    // already hold the same derivation (nothing runs when that is all of them). Returns the
    // derivation of every assigned column, as WorkingMemo::record takes it.
    std::map<std::string, std::string> run(SQLite::Database& db,
                                           const std::map<std::string, std::string>& known) const;

  private:
    // The expression spelled out in Lishi's own columns, independent of the handles.
    std::string derivation(const std::string& expression) const;

    std::vector<std::string> values_;
    std::set<int> distances_;
    std::vector<std::pair<std::string, std::string>> assignments_;
};

}  // namespace arrange5
