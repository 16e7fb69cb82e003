#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "acquire/spreadsheet_export.h"
#include "analysis/chance.h"
#include "app/window_services.h"

class QTableView;

namespace arrange5 {

// The three grids written to workbooks in the data folder and opened: the history
// (lishi.xlsx), the hits (Jiansuo.xlsx) and the tally with its comparison with chance
// (Jieguo.xlsx).
class GridExport {
  public:
    struct Grids {
        QTableView* history = nullptr;
        QTableView* hits = nullptr;
        QTableView* tally = nullptr;
    };
    // `lastComparison` gives the sheet of the comparison shown beside the tally, if any.
    GridExport(WindowServices services, std::filesystem::path dataFolder, Grids grids,
               std::function<const std::optional<TextTable>&()> lastComparison);

    std::filesystem::path fileFor(const QTableView* grid) const;
    // A double click on a grid.
    void exportGrid(QTableView* grid);
    // 导出历史号码.
    void exportHistory();

  private:
    void saveAndOpen(const std::filesystem::path& file, const TextTable& cells,
                     const std::vector<NamedSheet>& moreSheets = {});

    WindowServices services_;
    std::filesystem::path dataFolder_;
    Grids grids_;
    std::function<const std::optional<TextTable>&()> lastComparison_;
};

}  // namespace arrange5
