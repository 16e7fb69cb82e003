#include "acquire/replace_history.h"

#include <algorithm>
#include <cctype>

#include "store/errors.h"

namespace arrange5 {

std::string ReplaceReport::summary() const {
    return summary(HistoryText::kReportedSkips);
}

std::string ReplaceReport::summary(std::size_t named) const {
    std::string out = "已存入 " + std::to_string(stored) + " 期";
    if (stored > 0) {
        out += "（" + std::to_string(firstIssue) + " 期至 " + std::to_string(lastIssue) + " 期）";
    }
    const std::string skips = describeSkipped(skipped, skippedLines, named);
    if (!skips.empty()) out += "；" + skips;
    return out;
}

ReplaceReport replaceHistory(HistoryStore& store, const HistoryText& text, EarlierColumns earlier,
                             const std::string& sourceName, const Progress& progress,
                             ChangeKind kind) {
    if (text.entries.empty()) {
        std::string why = sourceName + " 中没有开奖号码行，历史号码保持原样";
        if (text.skippedCount > 0) why += "。" + describeSkipped(text);
        throw HistoryFileError(why);
    }
    DrawStrings earlierStrings;
    const std::size_t total = text.entries.size();
    store.write(
        "读入的号码未能存入",
        [&](HistoryWriter& writer) {
            writer.deleteAll();
            for (std::size_t i = 0; i < total; ++i) {
                const HistoryEntry& e = text.entries[i];
                if (earlier == EarlierColumns::FromDrawTwoBefore) {
                    DrawStrings before = writer.previousDraw();
                    writer.appendDraw(e.issue, e.digits, &earlierStrings);
                    earlierStrings = std::move(before);
                } else {
                    writer.appendDraw(e.issue, e.digits);
                }
                if (progress && (i % 4096 == 0 || i + 1 == total) && !progress(i + 1, total)) {
                    throw CancelledError("已取消，历史号码保持原样");
                }
            }
        },
        kind);

    ReplaceReport report;
    report.stored = total;
    report.skipped = text.skippedCount;
    report.firstIssue = text.entries.front().issue;
    report.lastIssue = text.entries.back().issue;
    report.skippedText = describeSkipped(text);
    report.skippedLines = text.everySkipped;
    return report;
}

bool hasTxtExtension(const std::filesystem::path& file) {
    std::string name = file.filename().string();
    if (name.size() < 3) return false;
    std::string tail = name.substr(name.size() - 3);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == "txt";
}

ReplaceReport importHistoryFile(HistoryStore& store, const std::filesystem::path& file,
                                const Progress& progress) {
    if (!hasTxtExtension(file)) {
        throw HistoryFileError(file.string() +
                               " 不是文本文件（*.txt），没有读入，历史号码没有改变");
    }
    const HistoryText text = readHistoryFile(file);
    return replaceHistory(store, text, EarlierColumns::LeaveEmpty, file.filename().string(),
                          progress);
}

}  // namespace arrange5
