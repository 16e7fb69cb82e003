#include "app/trend_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QUrl>
#include <QVBoxLayout>

#include "acquire/spreadsheet_export.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/trend_model.h"
#include "store/errors.h"
#include "store/file_names.h"

namespace arrange5 {

namespace {

const QColor kPositionColours[kTrendPositionCount] = {QColor(200, 40, 40), QColor(30, 110, 200),
                                                      QColor(200, 120, 0), QColor(40, 150, 60),
                                                      QColor(140, 60, 170)};
const QColor kIndicatorColour(70, 70, 70);

QColor groupColour(int group) {
    return group < kTrendPositionCount ? kPositionColours[group] : kIndicatorColour;
}

// Paints a drawn value as a marked cell and the others as their omission (or blank).
class TrendDelegate : public QStyledItemDelegate {
  public:
    TrendDelegate(const QCheckBox* omission, QObject* parent)
        : QStyledItemDelegate(parent), omission_(omission) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const auto* model = static_cast<const TrendModel*>(index.model());
        const int group = index.data(TrendModel::GroupRole).toInt();
        painter->save();
        painter->fillRect(option.rect,
                          group % 2 == 0 ? QColor(250, 250, 244) : QColor(240, 244, 250));
        painter->setPen(QColor(225, 225, 225));
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        const QString text = index.data().toString();
        if (index.row() >= model->drawRows()) {
            painter->setPen(Qt::black);
            painter->drawText(option.rect, Qt::AlignCenter, text);
        } else if (index.data(TrendModel::DrawnRole).toBool()) {
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(groupColour(group));
            const QRect mark = option.rect.adjusted(2, 2, -2, -2);
            if (group < kTrendPositionCount) {
                const int side = std::min(mark.width(), mark.height());
                painter->drawEllipse(
                    QRect(0, 0, side, side).translated(mark.center() - QPoint(side / 2, side / 2)));
            } else {
                painter->drawRoundedRect(mark, 3, 3);
            }
            painter->setPen(Qt::white);
            painter->drawText(option.rect, Qt::AlignCenter, text);
        } else if (omission_->isChecked()) {
            painter->setPen(QColor(160, 160, 160));
            painter->drawText(option.rect, Qt::AlignCenter, text);
        }
        painter->restore();
    }

  private:
    const QCheckBox* omission_;
};

}  // namespace

void TrendView::setLinesShown(bool shown) {
    lines_ = shown;
    viewport()->update();
}

// The lines join the centres of each position's drawn cells from one draw to the next; only
// the rows in sight (and one either side) are visited, so scrolling stays cheap.
void TrendView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    const auto* trend = qobject_cast<const TrendModel*>(model());
    if (!lines_ || !trend || !trend->table()) return;
    const TrendTable& table = *trend->table();
    const int top = std::max(0, rowAt(0) - 1);
    const int bottomRow = rowAt(viewport()->height());
    const int bottom =
        std::min(table.window() - 1, bottomRow < 0 ? table.window() - 1 : bottomRow + 1);
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    for (int p = 0; p < kTrendPositionCount; ++p) {
        const auto group = static_cast<TrendGroup>(p);
        QPen pen(kPositionColours[p]);
        pen.setWidthF(1.2);
        painter.setPen(pen);
        for (int row = top; row < bottom; ++row) {
            const QRect from =
                visualRect(trend->index(row, trend->columnOf(group, table.value(row, group))));
            const QRect to = visualRect(
                trend->index(row + 1, trend->columnOf(group, table.value(row + 1, group))));
            painter.drawLine(from.center(), to.center());
        }
    }
}

TrendWindow::TrendWindow(std::filesystem::path dataFolder, Dialogs* dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), dataFolder_(std::move(dataFolder)), dialogs_(dialogs) {
    setObjectName("frmTrend");
    setWindowTitle(QStringLiteral("走势图"));
    resize(1500, 900);

    windowBox_ = new QComboBox;
    windowBox_->setObjectName("cboTrendWindow");
    windowBox_->addItems({"30", "50", "100", "200", QStringLiteral("全部")});
    windowBox_->setCurrentIndex(windowBox_->count() - 1);
    omissionBox_ = new QCheckBox(QStringLiteral("显示遗漏"));
    omissionBox_->setChecked(true);
    linesBox_ = new QCheckBox(QStringLiteral("连线"));
    linesBox_->setChecked(true);
    auto* save = new QPushButton(QStringLiteral("保存图片"));
    save->setObjectName("cmdTrendPicture");

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("期数")));
    bar->addWidget(windowBox_);
    bar->addWidget(omissionBox_);
    bar->addWidget(linesBox_);
    bar->addWidget(save);
    bar->addStretch();

    model_ = new TrendModel(this);
    view_ = new TrendView;
    view_->setObjectName("grdTrend");
    view_->setModel(model_);
    view_->setItemDelegate(new TrendDelegate(omissionBox_, view_));
    view_->setSelectionMode(QAbstractItemView::NoSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->horizontalHeader()->setDefaultSectionSize(30);
    view_->horizontalHeader()->setMinimumSectionSize(16);
    view_->verticalHeader()->setDefaultSectionSize(20);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int v = 0; v < trendValueCount(TrendGroup::Mod3); ++v) {
        view_->setColumnWidth(model_->columnOf(TrendGroup::Mod3, v), 40);
    }

    chance_ = new QLabel;
    chance_->setObjectName("lblTrendChance");
    chance_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);
    layout->addWidget(chance_);

    connect(windowBox_, &QComboBox::currentIndexChanged, this, [this] { rebuild(); });
    connect(omissionBox_, &QCheckBox::toggled, view_->viewport(), qOverload<>(&QWidget::update));
    connect(linesBox_, &QCheckBox::toggled, view_, &TrendView::setLinesShown);
    connect(view_, &QTableView::doubleClicked, this, &TrendWindow::exportTable);
    connect(save, &QPushButton::clicked, this, &TrendWindow::savePicture);
}

std::optional<int> TrendWindow::chosenWindow() const {
    bool number = false;
    const int window = windowBox_->currentText().toInt(&number);
    return number ? std::optional<int>(window) : std::nullopt;
}

void TrendWindow::setHistory(const HistorySnapshot& rows) {
    rows_ = rows;
    rebuild();
}

void TrendWindow::rebuild() {
    model_->setHistory(rows_, chosenWindow());
    chance_->setText(chanceText());
    view_->scrollToBottom();
}

QString TrendWindow::chanceText() const {
    const TrendTable* table = model_->table();
    if (!table) return QStringLiteral("没有历史号码。");
    const int largest = table->largestCurrent();
    const double chance = chanceOfLargestOmission(largest);
    return QStringLiteral(
               "50 个格子里最大的当前遗漏是 %1 期（遗漏按全部历史计）；在公平随机的开奖中，"
               "至少有一个格子的当前遗漏达到 %1 期的机会是 %2 %。"
               "遗漏只描述过去：每一期每个数字在每个位置上出现的机会都是 1/10，"
               "遗漏再长也不会让一个数字“该出”。本图不作预测。"
               "质合比：2、3、5、7 为质数，0 和 1 按合数计。")
        .arg(largest)
        .arg(QString::number(chance * 100, 'g', 3));
}

void TrendWindow::exportTable() {
    TextTable cells;
    std::vector<std::string> header{"期号"};
    for (int k = 0; k < model_->columnCount(); ++k) {
        header.push_back(model_->headerData(k, Qt::Horizontal, Qt::DisplayRole)
                             .toString()
                             .replace('\n', ' ')
                             .toStdString());
    }
    cells.push_back(std::move(header));
    for (int r = 0; r < model_->rowCount(); ++r) {
        std::vector<std::string> row{
            model_->headerData(r, Qt::Vertical, Qt::DisplayRole).toString().toStdString()};
        for (int k = 0; k < model_->columnCount(); ++k) {
            row.push_back(model_->index(r, k).data().toString().toStdString());
        }
        cells.push_back(std::move(row));
    }
    const std::filesystem::path file = dataFolder_ / file_names::kTrendWorkbook;
    const QString path = QString::fromStdString(file.string());
    try {
        writeSpreadsheet(file, cells);
    } catch (const Error& e) {
        dialogs_->inform(this, QStringLiteral("走势图"), QString::fromStdString(e.what()));
        return;
    }
    if (!dialogs_->openUrl(QUrl::fromLocalFile(path))) {
        dialogs_->inform(this, QStringLiteral("走势图"),
                         QStringLiteral("表格已保存为 %1，但没有找到可以打开它的程序。").arg(path));
    }
}

void TrendWindow::savePicture() {
    const QString path = QString::fromStdString((dataFolder_ / file_names::kTrendChart).string());
    if (!view_->grab().save(path, "PNG")) {
        dialogs_->inform(this, QStringLiteral("走势图"),
                         QStringLiteral("图片没有保存：无法写入 %1").arg(path));
        return;
    }
    dialogs_->openUrl(QUrl::fromLocalFile(path));
}

void followTrendWindows(QWidget* mainWindow, const HistorySnapshot& rows) {
    for (TrendWindow* window : mainWindow->findChildren<TrendWindow*>(Qt::FindDirectChildrenOnly)) {
        window->setHistory(rows);
    }
}

// 走势图(&Z): one trend window at a time; opening it again brings it to the front.
void MainWindow::openTrend() {
    if (!requireStore()) return;
    auto* window = findChild<TrendWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new TrendWindow(context_.dataFolder, context_.dialogs, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setHistory(document_->rows());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace arrange5
