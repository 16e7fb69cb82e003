#include "store/pick_journal.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <memory>

#include "store/errors.h"
#include "store/history_store.h"
#include "store/sha256.h"
#include "store/sql_connection.h"

namespace arrange5 {

namespace {

constexpr const char* kCreateJournal =
    "CREATE TABLE IF NOT EXISTS Yuxuan (id INTEGER PRIMARY KEY AUTOINCREMENT, "
    "issue INTEGER NOT NULL, play TEXT NOT NULL, numbers TEXT NOT NULL, multiple INTEGER NOT NULL, "
    "made_at TEXT NOT NULL, withdraws INTEGER, seal TEXT NOT NULL)";

std::string joined(const std::vector<std::string>& numbers) {
    std::string out;
    for (const auto& n : numbers) out += (out.empty() ? "" : " ") + n;
    return out;
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> out;
    std::string current;
    for (char c : text) {
        if (c == ' ') {
            if (!current.empty()) out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

bool journalExists(SQLite::Database& db) {
    return db.tableExists("Yuxuan");
}

// The largest id the journal ever gave out: an entry removed from the end leaves it behind.
int64_t highestIdGiven(SQLite::Database& db) {
    SQLite::Statement q(db, "SELECT seq FROM sqlite_sequence WHERE name = 'Yuxuan'");
    return q.executeStep() ? q.getColumn(0).getInt64() : 0;
}

}  // namespace

std::string pickSeal(const std::string& previousSeal, const PickEntry& e) {
    // Fields separated by a character none of them can hold, so that no two entries read alike.
    std::string text = previousSeal + "\n" + std::to_string(e.issue) + "\n" + e.play + "\n" +
                       joined(e.numbers) + "\n" + std::to_string(e.multiple) + "\n" + e.madeAt;
    if (e.withdraws) text += "\nwithdraws " + std::to_string(*e.withdraws);
    return sha256Hex(text, "预选记录的 SHA-256 封记");
}

std::vector<PickEntry> readPickJournal(HistoryStore& store) {
    std::vector<PickEntry> out;
    try {
        SQLite::Database& db = sqlConnection(store);
        if (!journalExists(db)) return out;
        SQLite::Statement q(db,
                            "SELECT id, issue, play, numbers, multiple, made_at, withdraws, seal "
                            "FROM Yuxuan ORDER BY id");
        while (q.executeStep()) {
            PickEntry e;
            e.id = q.getColumn(0).getInt64();
            e.issue = q.getColumn(1).getInt();
            e.play = q.getColumn(2).getString();
            e.numbers = split(q.getColumn(3).getString());
            e.multiple = q.getColumn(4).getInt();
            e.madeAt = q.getColumn(5).getString();
            if (!q.getColumn(6).isNull()) e.withdraws = q.getColumn(6).getInt64();
            e.seal = q.getColumn(7).getString();
            out.push_back(std::move(e));
        }
    } catch (const SQLite::Exception& e) {
        throw StoreError(std::string("无法读取预选记录（数据库报告：") + e.what() + "）");
    }
    return out;
}

PickChain checkPickChain(HistoryStore& store, const std::vector<PickEntry>& entries) {
    PickChain chain;
    const auto broken = [&chain](int64_t id, const std::string& why) {
        chain.intact = false;
        chain.brokenAt = id;
        chain.problem = "预选记录第 " + std::to_string(id) + " 条" + why;
        return chain;
    };
    std::string previous = kFirstPreviousSeal;
    int64_t expectedId = 1;
    std::string previousTime;
    for (const PickEntry& e : entries) {
        if (e.id != expectedId) return broken(expectedId, "不见了（被删除），封记链断开");
        if (pickSeal(previous, e) != e.seal) {
            return broken(e.id, "与它的封记不符（在本程序之外被改动过），封记链断开");
        }
        if (e.madeAt < previousTime) return broken(e.id, "的时间早于前一条（被倒填），封记链断开");
        previous = e.seal;
        previousTime = e.madeAt;
        ++expectedId;
    }
    int64_t given = 0;
    try {
        SQLite::Database& db = sqlConnection(store);
        if (journalExists(db)) given = highestIdGiven(db);
    } catch (const SQLite::Exception& e) {
        throw StoreError(std::string("无法读取预选记录（数据库报告：") + e.what() + "）");
    }
    if (given >= expectedId) return broken(expectedId, "不见了（最后的记录被删除），封记链断开");
    return chain;
}

PickEntry appendPickEntry(HistoryStore& store, PickEntry entry) {
    return store.write(
        "预选记录没有存入",
        [&entry](HistoryWriter& writer) {
            // The connection of this write; the statements below run inside its transaction.
            SQLite::Database& db = writer.connection();
            db.exec(kCreateJournal);
            SQLite::Statement newest(db, "SELECT MAX(SQQH) FROM Lishi");
            const int64_t drawn = newest.executeStep() && !newest.getColumn(0).isNull()
                                      ? newest.getColumn(0).getInt64()
                                      : 0;
            if (entry.issue <= drawn) {
                throw InputError("第 " + std::to_string(entry.issue) +
                                 " 期已经开奖（历史号码已存到第 " + std::to_string(drawn) +
                                 " 期）：预选只能记在尚未开奖的期");
            }
            if (entry.withdraws) {
                SQLite::Statement pick(db, "SELECT issue, withdraws FROM Yuxuan WHERE id = ?");
                pick.bind(1, *entry.withdraws);
                if (!pick.executeStep() || !pick.getColumn(1).isNull()) {
                    throw InputError("没有编号为 " + std::to_string(*entry.withdraws) + " 的预选");
                }
                SQLite::Statement again(db, "SELECT id FROM Yuxuan WHERE withdraws = ?");
                again.bind(1, *entry.withdraws);
                if (again.executeStep()) {
                    throw InputError("预选 " + std::to_string(*entry.withdraws) + " 已经在第 " +
                                     std::to_string(again.getColumn(0).getInt64()) + " 条撤回");
                }
            }
            SQLite::Statement last(db, "SELECT seal FROM Yuxuan ORDER BY id DESC LIMIT 1");
            const std::string previous =
                last.executeStep() ? last.getColumn(0).getString() : kFirstPreviousSeal;
            entry.seal = pickSeal(previous, entry);
            SQLite::Statement insert(db,
                                     "INSERT INTO Yuxuan (issue, play, numbers, multiple, made_at, "
                                     "withdraws, seal) VALUES (?, ?, ?, ?, ?, ?, ?)");
            insert.bind(1, entry.issue);
            insert.bind(2, entry.play);
            insert.bind(3, joined(entry.numbers));
            insert.bind(4, entry.multiple);
            insert.bind(5, entry.madeAt);
            if (entry.withdraws) {
                insert.bind(6, *entry.withdraws);
            } else {
                insert.bind(6);
            }
            insert.bind(7, entry.seal);
            insert.exec();
            entry.id = db.getLastInsertRowid();
            return entry;
        },
        ChangeKind::WorkingColumns);
}

}  // namespace arrange5
