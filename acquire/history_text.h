#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/draw.h"

namespace arrange5 {

// One draw line of the history text format: issue in columns 1-7, column 8 never read,
// the five digits in columns 9-16 trimmed of blanks.
struct HistoryEntry {
    int32_t issue = 0;
    Digits digits{};
};

enum class LineProblem {
    None,
    NotADrawLine,   // too short, or columns 1-7 are not a seven-digit issue
    BadDigitField,  // columns 9-16 are not exactly five digits
    IssueZero,      // issue 0000000
    NotAscending,   // not greater than the issue stored before it (repeated or out of order)
    BlankLine,      // nothing but blanks between two line ends
};

std::string_view describe(LineProblem problem);

struct ParsedLine {
    LineProblem problem = LineProblem::None;
    HistoryEntry entry;
};

// Applies the draw-line test and the digit-field test to one line (without its line end).
ParsedLine parseHistoryLine(std::string_view line);

// "2013001 12345": the 13-character line the writers produce.
std::string formatHistoryLine(int32_t issue, const Digits& digits);

struct SkippedLine {
    std::size_t lineNumber = 0;  // counted from 1
    LineProblem problem = LineProblem::None;
};

// A whole history text read into memory. Lines end in CR LF, LF or CR; a UTF-8 byte-order
// mark is passed over. Bad lines never become entries.
struct HistoryText {
    std::vector<HistoryEntry> entries;
    std::size_t skippedCount = 0;
    std::vector<SkippedLine> firstSkipped;  // the first few, for the report
    std::vector<SkippedLine> everySkipped;  // all of them, for a full list

    static constexpr std::size_t kReportedSkips = 10;
};

// Whether each line is trimmed of blanks before it is tested: the rebuild reads lsbf.txt that
// way, so that a hand-edited "  2013001 12345" is still a draw; an import reads columns as
// they stand.
enum class LineTrim { AsWritten, Trimmed };

HistoryText parseHistoryText(std::string_view text, LineTrim trim = LineTrim::AsWritten);

// Reads a file into a HistoryText; throws HistoryFileError when it cannot be read.
HistoryText readHistoryFile(const std::filesystem::path& file, LineTrim trim = LineTrim::AsWritten);

// "跳过 2 行（第 3 行：…；第 9 行：…）" or empty when nothing was skipped.
std::string describeSkipped(const HistoryText& text);
// The same naming only the first `named` of `lines` (the skipped lines, `count` in all).
std::string describeSkipped(std::size_t count, const std::vector<SkippedLine>& lines,
                            std::size_t named);
// "第 3 行：空行"
std::string describeSkippedLine(const SkippedLine& line);

// The entries as the writers put them in a file: one line each, every line ending in CR LF.
std::string historyTextOf(const std::vector<HistoryEntry>& entries);

// Writes historyTextOf(entries), replacing the file through a temporary name so a
// failure never leaves a half-written file in its place.
void writeHistoryFile(const std::filesystem::path& file, const std::vector<HistoryEntry>& entries);

}  // namespace arrange5
