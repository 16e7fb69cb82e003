#include "acquire/export_text.h"

#include "acquire/history_text.h"
#include "store/errors.h"
#include "store/row_check.h"
#include "store/store_files.h"

namespace arrange5 {

namespace {

std::vector<HistoryEntry> exportEntries(const HistorySnapshot& rows) {
    std::vector<HistoryEntry> entries;
    entries.reserve(rows.size());
    for (const auto& row : rows) entries.push_back({row.issue, row.digits()});
    return entries;
}

}  // namespace

std::string exportTextOf(const HistorySnapshot& rows) {
    return historyTextOf(exportEntries(rows));
}

std::filesystem::path defaultExportPath(const HistoryStore& store) {
    if (store.empty()) throw InputError("历史号码为空，没有可以导出的内容");
    const std::string name =
        "更新至" + std::to_string(store.rows().back().issue) + "期历史号码.txt";
    return store.folder() / std::filesystem::path(name);
}

std::filesystem::path exportHistoryText(const HistoryStore& store,
                                        const std::optional<std::filesystem::path>& file) {
    if (store.empty()) throw InputError("历史号码为空，没有可以导出的内容");
    const std::filesystem::path target = file ? *file : defaultExportPath(store);
    if (isStoreOwnFile(store.folder(), target)) {
        throw InputError("没有导出：" + target.string() +
                         " 是数据文件夹自己的文件（历史数据库或它的日志、锁、备份），"
                         "写到那里会毁掉历史号码；请换一个文件名");
    }
    // The history text holds one digit per position: an unsound row cannot be written.
    requireSoundRows(store.rows(), "导出");
    writeHistoryFile(target, exportEntries(store.rows()));
    return target;
}

}  // namespace arrange5
