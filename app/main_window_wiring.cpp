#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>

#include "app/change_watch.h"
#include "app/commands_panel.h"
#include "app/grid_export.h"
#include "app/history_panel.h"
#include "app/main_window.h"
#include "app/result_side.h"
#include "app/search_panel.h"
#include "app/search_side.h"

namespace arrange5 {

// The option controls are the search side's, the typed draw the history panel's; the
// window connects its commands.
void MainWindow::connectHandlers() {
    historyPanel_->onDrawTyped([this] { appendTypedDraw(); });
    // While idle, and as soon as the user enters a box of the typed draw or the next issue,
    // another program's change is shown first: the issue a typed draw goes under is current
    // before its first digit. A look that fails stays quiet; the next command reports it.
    changeWatch_ = new ChangeWatch(this, [this] {
        if (!document_) return;
        try {
            document_->followOutsideChanges();
        } catch (const Error&) {
        }
    });
    for (QLineEdit* box : historyPanel_->entryDigits()) changeWatch_->watchFocus(box);
    changeWatch_->watchFocus(historyPanel_->nextIssueField());
    connect(historyPanel_->nextIssueField(), &QLineEdit::editingFinished, this,
            [this] { nextIssueLeft(); });

    CommandsPanel* commands = resultSide_->commands();
    connect(search_->searchButton, &QPushButton::clicked, this,
            asCommand([this] { runSearchCommand(false); }));
    connect(commands->backtestButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::openBacktest));
    connect(commands->trendButton, &QPushButton::clicked, this, asCommand(&MainWindow::openTrend));
    connect(search_->combinationButton, &QPushButton::clicked, this,
            asCommand([this] { runSearchCommand(true); }));
    connect(commands->importButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::importHistory));
    connect(commands->updateButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::onlineUpdate));
    connect(commands->exportTextButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::exportHistoryText));
    connect(commands->deleteLastButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::deleteLastDraw));
    connect(commands->settingsButton, &QPushButton::clicked, this,
            asCommand([this] { settingsMenu_->popup(QCursor::pos()); }));

    for (QTableView* grid :
         {historyPanel_->grid(), resultSide_->hitsGrid(), resultSide_->tallyGrid()})
        grid->viewport()->installEventFilter(this);
    historyPanel_->grid()->horizontalHeader()->viewport()->installEventFilter(this);
}

// A command started from the keyboard (an access key, a shortcut) finds the focus still in
// the field being typed into; its value counts only once the field is left.
void MainWindow::commitPendingEdit() {
    if (const QWidget* focus = QApplication::focusWidget()) searchSide_->commitPendingEdit(focus);
}

// Double click on a grid exports it; the right button released over the history or its
// header pops up 历史管理.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick) {
        for (QTableView* grid :
             {historyPanel_->grid(), resultSide_->hitsGrid(), resultSide_->tallyGrid()}) {
            if (watched == grid->viewport()) {
                asCommand([this, grid] { gridExport_->exportGrid(grid); })();
                return true;
            }
        }
    } else if (type == QEvent::MouseButtonRelease &&
               (watched == historyPanel_->grid()->viewport() ||
                watched == historyPanel_->grid()->horizontalHeader()->viewport())) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            historyMenu_->popup(mouse->globalPosition().toPoint());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace arrange5
