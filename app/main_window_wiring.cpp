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

#include "app/commands_panel.h"
#include "app/field_rules.h"
#include "app/main_window.h"
#include "app/reference_tabs.h"
#include "app/search_panel.h"

namespace arrange5 {

void MainWindow::connectHandlers() {
    for (bool value : {false, true}) {
        connect(search_->positionMode[value], &QRadioButton::clicked, this,
                [this, value] { positionModeClicked(value); });
        connect(search_->referenceIssue[value], &QRadioButton::clicked, this,
                [this, value] { referenceIssueClicked(value); });
        connect(search_->selection[value], &QRadioButton::clicked, this,
                [this, value] { selectionClicked(value); });
        connect(search_->colour[value], &QRadioButton::clicked, this,
                [this, value] { combinationColourClicked(value); });
    }
    for (int kind = 0; kind < 4; ++kind) {
        connect(search_->searchKind[kind], &QRadioButton::clicked, this,
                [this, kind] { searchKindClicked(kind); });
        connect(search_->resultKind[kind], &QRadioButton::clicked, this,
                [this, kind] { resultKindClicked(kind); });
    }
    for (int i = 0; i < 5; ++i) {
        const int position = i + 1;
        connect(search_->resultPosition[i], &QRadioButton::clicked, this,
                [this, position] { resultPositionClicked(position); });
        connect(entryDigits_[i], &QLineEdit::textChanged, this,
                [this, position] { entryFieldChanged(position); });
        makeDigitField(entryDigits_[i], [this] { entryDone_ = false; });
        QLineEdit* manual = referenceTabs_->value(kManualTab, i);
        acceptSignedNumber(manual);
        whenLeft(manual, [this, position] { manualValueLeft(position); });
    }
    makeDigitField(search_->lagField);
    whenLeft(search_->lagField, [this] { lagFieldLeft(); });
    whenLeft(search_->combinedBox, [this] { combinedFieldLeft(); });
    connect(verifyIssueField_, &QLineEdit::editingFinished, this, [this] { verifyIssueLeft(); });
    connect(nextIssueField_, &QLineEdit::editingFinished, this, [this] { nextIssueLeft(); });

    connect(referenceTabBar_, &QTabBar::currentChanged, this, &MainWindow::tabChanged);
    connect(onlyBeforeBox_, &QCheckBox::clicked, this, &MainWindow::onlyBeforeClicked);
    connect(search_->searchButton, &QPushButton::clicked, this, asCommand(&MainWindow::runSearch));
    connect(commands_->backtestButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::openBacktest));
    connect(commands_->trendButton, &QPushButton::clicked, this, asCommand(&MainWindow::openTrend));
    connect(search_->combinationButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::runCombinationSearch));
    connect(commands_->importButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::importHistory));
    connect(commands_->updateButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::onlineUpdate));
    connect(commands_->exportTextButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::exportHistoryText));
    connect(commands_->deleteLastButton, &QPushButton::clicked, this,
            asCommand(&MainWindow::deleteLastDraw));
    connect(commands_->settingsButton, &QPushButton::clicked, this,
            asCommand([this] { settingsMenu_->popup(QCursor::pos()); }));

    for (QTableView* grid : {historyGrid_, hitsGrid_, tallyGrid_}) {
        grid->viewport()->installEventFilter(this);
    }
    historyGrid_->horizontalHeader()->viewport()->installEventFilter(this);
}

// A command started from the keyboard (an access key, a shortcut) finds the focus still in
// the field being typed into; its value counts only once the field is left.
void MainWindow::commitPendingEdit() {
    const QWidget* focus = QApplication::focusWidget();
    if (!focus) return;
    if (focus == search_->lagField) {
        lagFieldLeft();
    } else if (focus == search_->combinedBox || search_->combinedBox->isAncestorOf(focus)) {
        combinedFieldLeft();
    } else if (focus == verifyIssueField_) {
        verifyIssueLeft();
    } else {
        for (int i = 0; i < 5; ++i) {
            if (focus == referenceTabs_->value(kManualTab, i)) manualValueLeft(i + 1);
        }
    }
}

// Double click on a grid exports it; the right button released over the history or its
// header pops up 历史管理.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick) {
        for (QTableView* grid : {historyGrid_, hitsGrid_, tallyGrid_}) {
            if (watched == grid->viewport()) {
                asCommand([this, grid] { exportGrid(grid); })();
                return true;
            }
        }
    } else if (type == QEvent::MouseButtonRelease &&
               (watched == historyGrid_->viewport() ||
                watched == historyGrid_->horizontalHeader()->viewport())) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            historyMenu_->popup(mouse->globalPosition().toPoint());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace arrange5
