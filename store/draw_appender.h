#pragma once

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/append_state.h"

namespace arrange5 {

// Append draw: writes one complete Lishi row through a prepared INSERT and advances the
// state. The caller owns the transaction.
class DrawAppender {
  public:
    explicit DrawAppender(SQLite::Database& db);

    // `earlier` fills the txtHisPre… columns (the rebuild); other writers leave them empty.
    void append(int32_t issue, const Digits& draw, int segmentBase, AppendState& state,
                const DrawStrings* earlier = nullptr);

  private:
    SQLite::Statement insert_;
};

}  // namespace arrange5
