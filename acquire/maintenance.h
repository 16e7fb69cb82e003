#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "acquire/replace_history.h"
#include "store/append_state.h"
#include "store/history_store.h"

namespace arrange5 {

// Whether `issue` reads as a seven-digit issue: a four-digit year and a sequence from 001.
bool isValidIssue(int64_t issue);

// Manual entry: appends one draw, the previous-draw strings primed from the last row. The
// issue is `chosenIssue` when given (the field the user may correct): after the last row only
// the two values acceptChosenIssue allows, on an empty history any valid issue (D8, without
// one InputError is thrown). Without a chosen issue it is nextIssue(last, todayYear).
// Returns the issue stored.
int32_t appendManualDraw(HistoryStore& store, const Digits& digits, int segmentBase,
                         LastTwoDraws& sp, std::optional<int32_t> chosenIssue = {},
                         std::optional<int> todayYear = {});

struct DeletedDraw {
    int32_t issue = 0;
    std::string warning;  // why the file was not compacted after the deletion committed
};

// Deletes the row with the highest issue, then compacts. An empty history throws InputError.
// Returns the issue deleted; a compaction that fails after the deletion committed is a
// warning in the result, not an error.
DeletedDraw deleteLastDraw(HistoryStore& store);

// Deletes every row (no compaction). Returns how many rows were deleted.
std::size_t clearHistory(HistoryStore& store);

// A number typed as text: rounded to the nearest whole number, halves to even; nothing when
// the text is empty or not a decimal number.
std::optional<int64_t> parseWholeNumber(const std::string& text);

// The number typed in the deletion input boxes: rounded to the nearest whole number, halves
// to even; empty or not a number counts as 0.
int64_t inputBoxNumber(const std::string& text);

// lsbf.txt in the store's data folder.
std::filesystem::path backupFilePath(const HistoryStore& store);

// 删除到选定期: writes lsbf.txt with the rows up to `issue`, rebuilds from it and compacts
// (a compaction that fails after the rebuild committed sets the report's warning).
// A number not greater than 0 writes an empty lsbf.txt and deletes nothing (no result).
std::optional<ReplaceReport> cutToIssue(HistoryStore& store, int64_t issue, int segmentBase,
                                        LastTwoDraws& sp);

// 删除最后指定数量期历史: the same with the limit last issue − n.
std::optional<ReplaceReport> dropLastIssues(HistoryStore& store, int64_t n, int segmentBase,
                                            LastTwoDraws& sp);

// Dqzd: rebuilds the history from lsbf.txt, filling txtHisPre… from the draw two before.
// A missing or unreadable backup file, or one with lines but no draw line, changes nothing
// and throws. An empty backup file means "keep nothing": the history becomes empty.
ReplaceReport rebuildFromBackup(HistoryStore& store, int segmentBase, LastTwoDraws& sp);

}  // namespace arrange5
