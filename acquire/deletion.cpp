#include <SQLiteCpp/Statement.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "acquire/history_text.h"
#include "acquire/maintenance.h"
#include "store/data_folder.h"
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

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Sign, digits, an optional fraction and an optional exponent; no "inf", "nan" or hex,
// which the number parser would otherwise accept.
bool looksDecimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
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

std::filesystem::path backupFilePath(const HistoryStore& store) {
    return store.folder() / kBackupFileName;
}

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

std::optional<int64_t> parseWholeNumber(const std::string& text) {
    std::string_view s = text;
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    if (!looksDecimal(s)) return std::nullopt;
    if (s.front() == '+') s.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (end != s.data() + s.size()) return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // A tiny magnitude rounds to 0; a huge one saturates below.
        const std::size_t e = s.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && s[e + 1] == '-';
        value = tiny ? 0.0 : (s.front() == '-' ? -HUGE_VAL : HUGE_VAL);
    } else if (ec != std::errc()) {
        return std::nullopt;
    }
    constexpr double kLimit = 9.0e18;  // inside int64_t, and far beyond any issue or count
    if (value >= kLimit) return static_cast<int64_t>(kLimit);
    if (value <= -kLimit) return -static_cast<int64_t>(kLimit);
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded = floor + 1;
    return static_cast<int64_t>(rounded);
}

int64_t inputBoxNumber(const std::string& text) {
    return parseWholeNumber(text).value_or(0);
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
