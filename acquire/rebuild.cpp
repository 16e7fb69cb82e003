#include "acquire/rebuild.h"

#include "acquire/history_text.h"
#include "store/data_folder.h"
#include "store/errors.h"
#include "store/row_check.h"

namespace arrange5 {

std::filesystem::path backupFilePath(const HistoryStore& store) {
    return store.folder() / kBackupFileName;
}

ReplaceReport rebuildFromBackup(HistoryStore& store, ChangeKind kind) {
    const HistoryStore::WriteLock lock = store.lockForWriting();
    // The rebuild replaces every row: one that is unsound must be looked at, not lost.
    store.reopenReadingCursor();
    requireSoundRows(store.rows(), "由 lsbf.txt 重建");
    const std::filesystem::path file = backupFilePath(store);
    const HistoryText text = readHistoryFile(file, LineTrim::Trimmed);
    if (!text.entries.empty() || text.skippedCount > 0) {
        // A file with lines but no draw line is refused there and changes nothing.
        return replaceHistory(store, text, EarlierColumns::FromDrawTwoBefore,
                              file.filename().string(), {}, kind);
    }
    // The deletion commands write an empty backup file when no row is to be kept.
    store.write(
        "清空失败", [](HistoryWriter& writer) { writer.deleteAll(); }, kind);
    return ReplaceReport{};
}

}  // namespace arrange5
