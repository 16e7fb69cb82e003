#include "acquire/deletion.h"

#include <SQLiteCpp/Statement.h>

#include <vector>

#include "acquire/history_text.h"
#include "store/errors.h"

namespace arrange5 {

namespace {

// The deletion already committed when compaction runs: a compaction that fails is a
// warning, never a failure, so that nobody retries a deletion that was done. Returns the
// warning, or nothing when the file was compacted.
std::string compactAfter(HistoryStore& store) {
    try {
        store.compactDb();
        return {};
    } catch (const Error& e) {
        std::string why = e.what();
        for (char& c : why) {
            if (c == '\n' || c == '\r') c = ' ';
        }
        return "数据库文件没有压缩（" + why + "）；删除已经完成，不要重复删除";
    }
}

// Writes the rows of the reading cursor up to `limit` as lsbf.txt, rebuilds from it and
// compacts; the deletion commands share everything after their input box.
std::optional<ReplaceReport> keepRowsUpTo(HistoryStore& store, int64_t limit, int segmentBase,
                                          LastTwoDraws& sp) {
    std::vector<HistoryEntry> keep;
    for (const auto& row : store.rows()) {
        if (row.issue > limit) break;
        keep.push_back({row.issue, row.digits()});
    }
    writeHistoryFile(backupFilePath(store), keep);
    ReplaceReport report = rebuildFromBackup(store, segmentBase, sp);
    report.warning = compactAfter(store);
    return report;
}

}  // namespace

DeletedDraw deleteLastDraw(HistoryStore& store) {
    // Held on through the compaction, so that it compacts the file this deletion left.
    const HistoryStore::WriteLock lock = store.lockForWriting();
    const int32_t issue = store.write("最后一期未能删除", [&store] {
        SQLite::Statement last(store.db(), "SELECT MAX(SQQH) FROM Lishi");
        if (!last.executeStep() || last.getColumn(0).isNull()) {
            throw InputError("历史号码为空，没有可以删除的一期");
        }
        const int32_t found = last.getColumn(0).getInt();
        SQLite::Statement del(store.db(), "DELETE FROM Lishi WHERE SQQH = ?");
        del.bind(1, found);
        del.exec();
        return found;
    });
    return {issue, compactAfter(store)};
}

std::size_t clearHistory(HistoryStore& store) {
    return store.write("清空失败", [&store] {
        store.delrec();
        return static_cast<std::size_t>(store.db().getChanges());
    });
}

std::optional<ReplaceReport> cutToIssue(HistoryStore& store, int64_t issue, int segmentBase,
                                        LastTwoDraws& sp) {
    // One hold from reading the rows to keep until the compaction, so no other writer's row
    // can fall between lsbf.txt and the rebuild.
    const HistoryStore::WriteLock lock = store.lockForWriting();
    store.reopenReadingCursor();
    if (issue <= 0) {
        writeHistoryFile(backupFilePath(store), {});
        return std::nullopt;
    }
    return keepRowsUpTo(store, issue, segmentBase, sp);
}

std::optional<ReplaceReport> dropLastIssues(HistoryStore& store, int64_t n, int segmentBase,
                                            LastTwoDraws& sp) {
    const HistoryStore::WriteLock lock = store.lockForWriting();
    store.reopenReadingCursor();
    if (n <= 0) {
        writeHistoryFile(backupFilePath(store), {});
        return std::nullopt;
    }
    // The limit is an issue number, not a row count: across a year boundary fewer rows go.
    const int64_t last = store.empty() ? 0 : store.rows().back().issue;
    return keepRowsUpTo(store, last - n, segmentBase, sp);
}

}  // namespace arrange5
