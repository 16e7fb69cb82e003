#include "app/history_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/field_rules.h"
#include "app/grid_columns.h"
#include "app/history_table_model.h"
#include "app/widget_parts.h"

namespace arrange5 {

namespace {

// More grid rows than this (header included) and the grid shows its end.
constexpr int kRowsBeforeScrolling = 39;

}  // namespace

HistoryPanel::HistoryPanel(QWidget* parent) : QGroupBox(QStringLiteral("历史号码"), parent) {
    setObjectName("FrameHistory");
    model_ = new HistoryTableModel(this);

    auto* layout = new QVBoxLayout(this);

    grid_ = arrange5::grid("MSFlexGrid1", model_);
    grid_->setToolTip(exportTip());
    layout->addWidget(grid_, 1);

    // The next issue sits over the number in the prompt, as it always has.
    prompt_ = new QLabel(QStringLiteral("在下面输入 2007001    期历史号码:"));
    prompt_->setObjectName("Label12");
    next_ = new QLineEdit(QStringLiteral("2007001"), prompt_);
    next_->setObjectName("Text1");
    next_->setFrame(false);
    next_->setAlignment(Qt::AlignCenter);
    next_->setAutoFillBackground(true);
    next_->setStyleSheet(QStringLiteral(
        "QLineEdit { background: palette(window); color: #b71c1c; font-weight: bold; }"));
    const QFontMetrics metrics(prompt_->font());
    QFont bold = prompt_->font();
    bold.setBold(true);
    const int numberWidth = QFontMetrics(bold).horizontalAdvance(QStringLiteral("2007001")) + 8;
    const int numberLeft = metrics.horizontalAdvance(QStringLiteral("在下面输入")) + 1;
    prompt_->setMinimumHeight(metrics.height() + 6);
    next_->setGeometry(numberLeft, 0, numberWidth, metrics.height() + 6);
    layout->addWidget(prompt_);

    auto* digits = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        QLineEdit* field = digits_[i] = digitField(indexed("MaskEdBox1", i + 1));
        field->setToolTip(QStringLiteral("在此补充输入最新历史号码"));
        QFont big = field->font();
        big.setPointSize(big.pointSize() + 4);
        field->setFont(big);
        digits->addWidget(field);
        connect(field, &QLineEdit::textChanged, this, [this, i] { entryFieldChanged(i + 1); });
        makeDigitField(field, [this] { entryDone_ = false; });
        connect(field, &QLineEdit::returnPressed, this, [this] {
            const bool complete = std::all_of(digits_.begin(), digits_.end(),
                                              [](QLineEdit* f) { return !f->text().isEmpty(); });
            if (complete && drawTyped_) drawTyped_();
        });
    }
    digits->addStretch();
    layout->addLayout(digits);

    const int width = columnsWidth(kHistoryColumns);
    grid_->setMinimumWidth(width + 22);
    setFixedWidth(width + 46);
}

void HistoryPanel::entryFieldChanged(int position) {
    const bool filled = !digits_[position - 1]->text().isEmpty();
    if (position == 5 && filled && !entryDone_) {
        if (drawTyped_) drawTyped_();
        return;
    }
    if (!entryDone_ && position < 5 && filled) digits_[position]->setFocus();
}

Digits HistoryPanel::typedDigits() const {
    Digits digits{};
    for (int i = 0; i < 5; ++i) {
        const QString text = digits_[i]->text();
        digits[i] = text.isEmpty() ? 0 : static_cast<int16_t>(text.toShort());
    }
    return digits;
}

void HistoryPanel::clearEntry() {
    entryDone_ = true;
    for (QLineEdit* field : digits_) field->clear();
    digits_[0]->setFocus();
}

void HistoryPanel::keepEntry() {
    entryDone_ = false;
    digits_[4]->setFocus();
    digits_[4]->selectAll();
}

void HistoryPanel::showRows(const HistorySnapshot& rows) {
    model_->setRows(rows);
    setColumnWidths(grid_, kHistoryColumns);
    applyScrollRule();
}

void HistoryPanel::applyScrollRule() {
    if (model_->rowCount() + 1 <= kRowsBeforeScrolling) return;
    if (!grid_->isVisible()) {
        // The scroll range is known only once the grid is laid out.
        scrollPending_ = true;
        return;
    }
    scrollPending_ = false;
    grid_->scrollToBottom();
}

void HistoryPanel::showEvent(QShowEvent* event) {
    QGroupBox::showEvent(event);
    if (scrollPending_) QTimer::singleShot(0, this, [this] { applyScrollRule(); });
}

}  // namespace arrange5
