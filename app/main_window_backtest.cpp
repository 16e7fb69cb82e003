#include <QAbstractButton>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

#include "app/backtest_dialog.h"
#include "app/main_window.h"

namespace arrange5 {

namespace {

// The caption of the checked button of a group, without its accelerator mark.
template <std::size_t N>
QString checkedCaption(const std::array<QRadioButton*, N>& buttons) {
    for (const QRadioButton* b : buttons) {
        if (b && b->isChecked()) return b->text().remove('&');
    }
    return {};
}

}  // namespace

// The settings in one line, as the verification dialog shows what it runs on.
QString MainWindow::settingsText() const {
    const SearchSettings s = searchSettings();
    QStringList ticked;
    const auto positions = tickedPositions();
    for (int i = 0; i < 5; ++i) {
        if (positions[i]) ticked << QString::number(i + 1);
    }
    const QString issue =
        s.previousIssue ? QStringLiteral("上期") : QStringLiteral("前%1期").arg(s.lagN);
    return QStringLiteral("%1 %2 %3 第%4位；结果 %5 %6 %7")
        .arg(checkedCaption(searchKindButtons_), checkedCaption(positionModeButtons_), issue,
             ticked.join(QStringLiteral("、")), checkedCaption(resultKindButtons_),
             checkedCaption(resultPositionButtons_), checkedCaption(selectionButtons_));
}

void MainWindow::openBacktest() {
    if (!requireStore()) return;
    BacktestDialogInput input;
    input.rows = store_->rows();
    input.settings = searchSettings();
    input.tally = tallySettings();
    input.positions = tickedPositions();
    input.k = settings_->combined;
    input.settingsText = settingsText();
    input.dataFolder = context_.dataFolder;
    input.dialogs = context_.dialogs;
    // Modeless: the verification runs in its own thread while the window stays usable.
    auto* dialog = new BacktestDialog(std::move(input), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

}  // namespace arrange5
