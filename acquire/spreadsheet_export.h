#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace arrange5 {

// The displayed texts of a grid, header row first: cells[r][k] is grid row r, column k.
using TextTable = std::vector<std::vector<std::string>>;

// A further sheet of a workbook, after Sheet1.
struct NamedSheet {
    std::string name;  // at most 31 characters, none of the characters [ ] : * ? / and backslash
    TextTable cells;
};

// Writes `cells` into sheet "Sheet1" of a new .xlsx workbook at `file`, grid cell (r, k) at
// sheet cell (r + 1, k + 1), and each of `moreSheets` after it in the same way, replacing an
// earlier file only once the new one is complete. Texts that read as plain numbers become
// numbers, "12.500%" a percentage; digit strings with a leading zero ("01234") stay text so
// no digit is lost. Throws Error on failure.
void writeSpreadsheet(const std::filesystem::path& file, const TextTable& cells,
                      const std::vector<NamedSheet>& moreSheets = {});

// How a cell text is stored in the sheet.
struct SheetValue {
    enum class Kind { Text, Number, Percent } kind = Kind::Text;
    double number = 0;  // a percentage as a fraction: "25.000%" → 0.25
};
SheetValue classifyCellText(const std::string& text);

}  // namespace arrange5
