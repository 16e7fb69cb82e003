#pragma once

// What a source of draws (the results pages, the official draw data) listed for each year,
// and the rules that turn those listings into the draws the online update stores.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/history_text.h"
#include "acquire/results_page.h"
#include "store/draw.h"

namespace arrange5 {

// The first year of the lottery: a year from then on that lies before a year with draws had
// draws of its own.
inline constexpr int kFirstYearOfDraws = 2004;

// The highest sequence a draw can have in a year (the digit table's last row).
inline constexpr int kLastSequenceInTable = 365;

// The refusal of an online update: why, and that the history stays as it was.
std::string updateRefusal(const std::string& why);

// A text a source gave, as a message quotes it: cut at a character boundary after `maxBytes`,
// control characters shown as blanks or, where what came back matters byte for byte, as \xNN.
enum class ControlCharacters { AsBlanks, AsHex };
std::string quotedForMessage(std::string_view text, std::size_t maxBytes,
                             ControlCharacters controls);

struct ListedDraw {
    int32_t issue = 0;             // year * 1000 + sequence
    std::optional<Digits> digits;  // nothing when the listed digits were not five digits
    std::string digitsText;        // as listed, for messages
};

struct YearListing {
    int year = 0;
    std::vector<ListedDraw> draws;  // the year's draws in the order listed, repeats included
    std::size_t otherRows = 0;      // rows that are no draws of this year (notes, other years)
    // Rows that look like draws but whose issue is not a number, with the issue as listed.
    std::vector<std::string> unreadableIssues;
};

// Reads the rows of one year's draw table (row 0 is the header and is skipped, unless it is a
// draw: a page without a header row keeps its first draw). Every row is
// read, whatever the order; rows without an issue number are counted, rows whose issue cell
// holds something that is not a number ("26174x", "第16001期") are kept by name.
YearListing readYearTable(const std::vector<TableRow>& rows, int year);

// Where the update stands before anything is read.
struct UpdatePlan {
    bool purge = false;
    int startYear = 0;
    int currentYear = 0;
    int32_t lastIssue = 0;        // the last issue the new draws follow; 0 for none
    int32_t storedLastIssue = 0;  // the last stored issue, also when it is purged; 0 for none
    std::set<int> storedYears;    // the years of the stored draws
};

// A year's listing that cannot be what the site holds (a broken or half-loaded page): the
// pass over the source is read again, and in the end the update fails.
struct UnreadableListing {
    std::string what;  // "h.example 上 2016 年的开奖结果页面"
    std::string reason;
};

struct NewDraws {
    std::vector<HistoryEntry> draws;   // in issue order, each following the one before
    std::optional<int32_t> gap;        // the issue missing after the draws; nothing after it
    std::vector<int32_t> beyondTable;  // listed with a sequence above 365, never stored
    std::vector<std::string> unreadableIssues;
    std::size_t otherRows = 0;
};

// Checks the listings of every year from the start year to the current year, in that order,
// and returns the draws newer than the plan's last issue, in sequence order up to the first
// missing sequence. Throws UnreadableListing for a year that lists nothing although it had
// draws, or whose rows are all unreadable; FetchError (the update is refused, nothing to retry)
// for a new draw whose digits are not five digits or an issue listed twice with different
// digits. `describe(year)` names the listing in messages.
NewDraws collectNewDraws(const std::vector<YearListing>& years, const UpdatePlan& plan,
                         const std::function<std::string(int year)>& describe);

// How far the update is, for its progress display.
struct UpdateProgressInfo {
    int year = 0;           // the year being read
    std::size_t draws = 0;  // new draws found so far: draws not stored before
    int secondsToWait = 0;  // above 0 while waiting because the service asked for a pause
    // Stored draws read again so far, for a purge that reads the kept years again; they are
    // no new draws.
    std::size_t reread = 0;
};
// Asked before and after each request and several times a second while one is on its way
// or a pause runs; false cancels.
using UpdateStatusProgress = std::function<bool(const UpdateProgressInfo&)>;

// "第 2016050、2016051 期", or the first few and the count.
std::string listIssues(const std::vector<int32_t>& issues);
// "“26174x”、“-26174”", the first few and the count.
std::string listTexts(const std::vector<std::string>& texts);

}  // namespace arrange5
