#pragma once

#include <QString>
#include <filesystem>
#include <vector>

namespace arrange5 {

class TrendModel;

// Writes the chart's `columns` as a workbook at `file`: the title over a merged row, the group
// captions merged over their columns, the values, every row of the window with each drawn cell
// marked (bold on its zone's fill) apart from the omission counts, the footer rows, and panes
// frozen below the header and right of 开奖号码. An earlier file is replaced only once the new
// one is complete. Throws Error on failure.
void writeTrendSheet(const std::filesystem::path& file, const TrendModel& model,
                     const std::vector<int>& columns, const QString& title);

}  // namespace arrange5
