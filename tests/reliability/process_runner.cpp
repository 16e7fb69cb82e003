#include "reliability/process_runner.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <pwd.h>

#include <random>

#include "acquire/replace_history.h"

namespace arrange5::test {

namespace fs = std::filesystem;

void storeHistory(const fs::path& folder, const std::vector<HistoryEntry>& entries) {
    HistoryStore store(folder);
    WriterContext context;
    store.setWriterContext(&context);
    LastTwoDraws& sp = context.lastTwo;
    seedHistory(store, entries, sp, 1, "setup");
}

std::vector<std::string> storedDraws(const fs::path& database) {
    SQLite::Database db(database.string(), SQLite::OPEN_READWRITE);
    SQLite::Statement q(db,
                        "SELECT printf('%07d %d%d%d%d%d', SQQH, L1A, L2A, L3A, L4A, L5A) "
                        "FROM Lishi ORDER BY SQQH");
    std::vector<std::string> out;
    while (q.executeStep()) out.push_back(q.getColumn(0).getString());
    return out;
}

std::string integrityCheck(const fs::path& database) {
    SQLite::Database db(database.string(), SQLite::OPEN_READWRITE);
    SQLite::Statement q(db, "PRAGMA integrity_check");
    return q.executeStep() ? q.getColumn(0).getString() : "no answer";
}

std::vector<HistoryEntry> manyDraws(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<HistoryEntry> out;
    out.reserve(count);
    int32_t issue = 1740001;
    for (std::size_t i = 0; i < count; ++i) {
        HistoryEntry e;
        e.issue = issue;
        for (auto& d : e.digits) d = static_cast<int16_t>(rng() % 10);
        out.push_back(e);
        issue = issue % 1000 == 358 ? (issue / 1000 + 1) * 1000 + 1 : issue + 1;
    }
    return out;
}

std::optional<uid_t> unprivilegedUser() {
    if (const passwd* pw = ::getpwnam("nobody")) return pw->pw_uid;
    return std::nullopt;
}

}  // namespace arrange5::test
