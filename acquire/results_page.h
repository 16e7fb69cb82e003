#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/draw.h"

namespace arrange5 {

// The innerText of each td/th cell of one table row, in document order.
using TableRow = std::vector<std::string>;

// Reads the HTML as a browser builds its document and returns the rows of the element with
// the given id, as the table's `rows` collection orders them: rows of thead first, then rows
// directly in the table or in tbody, then rows of tfoot; rows of nested tables are not
// included. Nothing when no element has that id or the element is not a table, and nothing
// for markup nested more than 512 elements deep, which no results page is and which would
// keep the parser busy for minutes. Throws FetchError for a page of more than 100,000
// elements, whose document alone would take hundreds of megabytes.
std::optional<std::vector<TableRow>> readTableRows(std::string_view html, std::string_view id);

// The issue cell in its five-digit form (two-digit year, three-digit sequence). A seven-digit
// issue reads as the same five-digit form. Nothing when the text is not a whole number.
std::optional<int32_t> readIssueCell(std::string_view text);

// The digits cell: exactly five digits, with or without blanks between and around them.
// Nothing for anything else ("1 2 3 4", "1 2 3 4 5 6", "12a45"): a sixth digit or a note
// after the fifth means the cell is not what the page is supposed to hold.
std::optional<Digits> readDigitsCell(std::string_view text);

}  // namespace arrange5
