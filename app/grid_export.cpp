#include "app/grid_export.h"

#include <QAbstractItemModel>
#include <QTableView>
#include <QUrl>

#include "analysis/chance_table.h"
#include "app/busy_cursor.h"
#include "app/dialogs.h"
#include "store/errors.h"
#include "store/file_names.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

// The header row, then every row, as the grid shows them.
TextTable gridTexts(const QAbstractItemModel& model) {
    TextTable cells;
    cells.reserve(static_cast<std::size_t>(model.rowCount()) + 1);
    std::vector<std::string> header;
    for (int k = 0; k < model.columnCount(); ++k) {
        header.push_back(model.headerData(k, Qt::Horizontal).toString().toStdString());
    }
    cells.push_back(std::move(header));
    for (int r = 0; r < model.rowCount(); ++r) {
        std::vector<std::string> row;
        row.reserve(static_cast<std::size_t>(model.columnCount()));
        for (int k = 0; k < model.columnCount(); ++k) {
            row.push_back(model.index(r, k).data().toString().toStdString());
        }
        cells.push_back(std::move(row));
    }
    return cells;
}

}  // namespace

GridExport::GridExport(WindowServices services, fs::path dataFolder, Grids grids,
                       std::function<const std::optional<TextTable>&()> lastComparison)
    : services_(std::move(services)),
      dataFolder_(std::move(dataFolder)),
      grids_(grids),
      lastComparison_(std::move(lastComparison)) {}

fs::path GridExport::fileFor(const QTableView* grid) const {
    const char* name = grid == grids_.history ? file_names::kHistoryWorkbook
                       : grid == grids_.hits  ? file_names::kHitsWorkbook
                                              : file_names::kTallyWorkbook;
    return dataFolder_ / name;
}

void GridExport::exportGrid(QTableView* grid) {
    std::vector<NamedSheet> more;
    if (grid == grids_.tally && lastComparison_()) {
        more.push_back({"与随机比较", *lastComparison_()});
    }
    saveAndOpen(fileFor(grid), gridTexts(*grid->model()), more);
}

// 导出历史号码: the history grid is hidden while its cells are read, as it always was.
void GridExport::exportHistory() {
    TextTable cells;
    {
        BusyCursor busy;
        grids_.history->hide();
        cells = gridTexts(*grids_.history->model());
        grids_.history->show();
    }
    saveAndOpen(fileFor(grids_.history), cells);
}

void GridExport::saveAndOpen(const fs::path& file, const TextTable& cells,
                             const std::vector<NamedSheet>& moreSheets) {
    const QString path = QString::fromStdString(file.string());
    if (!services_.guarded([&] {
            BusyCursor busy;
            writeSpreadsheet(file, cells, moreSheets);
        })) {
        return;
    }
    services_.showStatus(QStringLiteral("已导出到 %1").arg(path));
    if (!services_.dialogs->openUrl(QUrl::fromLocalFile(path))) {
        services_.reportError(
            QStringLiteral("表格已保存为 %1，但没有找到可以打开它的程序。").arg(path));
    }
}

}  // namespace arrange5
