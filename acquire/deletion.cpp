#include "acquire/deletion.h"

#include <vector>

#include "acquire/history_text.h"
#include "store/errors.h"
#include "store/row_check.h"

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

// What the deletion commands share after their input box: one hold from reading the rows to
// keep until the compaction, so that no other writer's row can fall between lsbf.txt and the
// rebuild; the rows up to `limitFor(rows)` go to lsbf.txt, the history is rebuilt from it and
// compacted. A typed number not greater than 0 writes an empty lsbf.txt and deletes nothing.
template <class Limit>
std::optional<ReplaceReport> keepRowsUpTo(HistoryStore& store, int64_t typed, Limit limitFor) {
    const HistoryStore::WriteLock lock = store.lockForWriting();
    store.reopenReadingCursor();
    // A row the history text cannot hold would be skipped by the rebuild, and so deleted
    // although nobody asked for it.
    requireSoundRows(store.rows(), "经由 lsbf.txt 删除");
    std::vector<HistoryEntry> keep;
    if (typed <= 0) {
        writeHistoryFile(backupFilePath(store), keep);
        return std::nullopt;
    }
    const int64_t limit = limitFor(store.rows());
    for (const auto& row : store.rows()) {
        if (row.issue > limit) break;
        keep.push_back({row.issue, row.digits()});
    }
    writeHistoryFile(backupFilePath(store), keep);
    ReplaceReport report = rebuildFromBackup(store, ChangeKind::Deleted);
    report.warning = compactAfter(store);
    return report;
}

}  // namespace

DeletedDraw deleteLastDraw(HistoryStore& store) {
    // Held on through the compaction, so that it compacts the file this deletion left.
    const HistoryStore::WriteLock lock = store.lockForWriting();
    const int32_t issue = store.write(
        "最后一期未能删除",
        [](HistoryWriter& writer) {
            const auto found = writer.deleteNewestRow();
            if (!found) throw InputError("历史号码为空，没有可以删除的一期");
            return *found;
        },
        ChangeKind::Deleted);
    return {issue, compactAfter(store)};
}

std::size_t clearHistory(HistoryStore& store) {
    return store.write(
        "清空失败", [](HistoryWriter& writer) { return writer.deleteAll(); }, ChangeKind::Deleted);
}

std::optional<ReplaceReport> cutToIssue(HistoryStore& store, int64_t issue) {
    return keepRowsUpTo(store, issue, [issue](const HistorySnapshot&) { return issue; });
}

std::optional<ReplaceReport> dropLastIssues(HistoryStore& store, int64_t n) {
    // The limit is an issue number, not a row count: across a year boundary fewer rows go.
    const auto limit = [n](const HistorySnapshot& rows) {
        return (rows.empty() ? int64_t{0} : int64_t{rows.back().issue}) - n;
    };
    return keepRowsUpTo(store, n, limit);
}

}  // namespace arrange5
