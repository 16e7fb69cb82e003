#include <QAbstractItemModel>
#include <QTableView>
#include <QUrl>

#include "analysis/chance_table.h"
#include "app/busy_cursor.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "store/errors.h"

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

fs::path MainWindow::exportFileFor(const QTableView* grid) const {
    const char* name = grid == historyGrid_ ? "lishi.xlsx"
                       : grid == hitsGrid_  ? "Jiansuo.xlsx"
                                            : "Jieguo.xlsx";
    return context_.dataFolder / name;
}

void MainWindow::exportGrid(QTableView* grid) {
    std::vector<NamedSheet> more;
    if (grid == tallyGrid_ && lastChance_)
        more.push_back({"与随机比较", chanceTable(*lastChance_)});
    saveAndOpenSpreadsheet(exportFileFor(grid), gridTexts(*grid->model()), more);
}

// 导出历史号码: the history grid is hidden while its cells are read, as it always was.
void MainWindow::exportHistoryToSpreadsheet() {
    TextTable cells;
    {
        BusyCursor busy;
        historyGrid_->hide();
        cells = gridTexts(*historyGrid_->model());
        historyGrid_->show();
    }
    saveAndOpenSpreadsheet(exportFileFor(historyGrid_), cells);
}

void MainWindow::saveAndOpenSpreadsheet(const fs::path& file, const TextTable& cells,
                                        const std::vector<NamedSheet>& moreSheets) {
    const QString path = QString::fromStdString(file.string());
    if (!guarded([&] {
            BusyCursor busy;
            writeSpreadsheet(file, cells, moreSheets);
        })) {
        return;
    }
    showStatus(QStringLiteral("已导出到 %1").arg(path));
    if (!context_.dialogs->openUrl(QUrl::fromLocalFile(path))) {
        reportError(QStringLiteral("表格已保存为 %1，但没有找到可以打开它的程序。").arg(path));
    }
}

}  // namespace arrange5
