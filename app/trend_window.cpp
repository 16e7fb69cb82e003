#include "app/trend_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/busy_cursor.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/trend_export.h"
#include "app/trend_view.h"
#include "store/errors.h"
#include "store/file_names.h"
#include "store/history_document.h"

namespace arrange5 {

namespace {

const QString kAll = QStringLiteral("全部");
// Rows per picture: a long W is saved as several pictures, each a size viewers open.
constexpr int kPictureRows = 200;
// Light compression: a chart of flat colours packs well at once, and the finest compression
// would take seconds a picture.
constexpr int kPictureQuality = 90;
constexpr int kPicturesWithoutAsking = 3;

}  // namespace

TrendWindow::TrendWindow(std::filesystem::path dataFolder, Dialogs* dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), dataFolder_(std::move(dataFolder)), dialogs_(dialogs) {
    setObjectName("frmTrend");
    setWindowTitle(QStringLiteral("走势图"));
    if (settings_->trendWindow > 0) window_ = settings_->trendWindow;

    windowBox_ = new QComboBox;
    windowBox_->setObjectName("cboTrendWindow");
    windowBox_->setEditable(true);
    windowBox_->setInsertPolicy(QComboBox::NoInsert);
    windowBox_->addItems({"30", "50", "100", "200", kAll});
    windowBox_->setMinimumContentsLength(5);
    windowBox_->setToolTip(
        QStringLiteral("显示最近多少期：1 到历史的期数之间的任何整数，或者“全部”"));
    omissionBox_ = new QCheckBox(QStringLiteral("显示遗漏"));
    omissionBox_->setChecked(true);
    linesBox_ = new QCheckBox(QStringLiteral("连线"));
    linesBox_->setChecked(true);
    auto* zones = new QToolButton;
    zones->setObjectName("cmdTrendZones");
    zones->setText(QStringLiteral("显示的区"));
    zones->setPopupMode(QToolButton::InstantPopup);
    auto* zoneMenu = new QMenu(zones);
    for (int z = 0; z < kTrendZoneCount; ++z) {
        const auto zone = static_cast<TrendZone>(z);
        zoneActions_[z] = zoneMenu->addAction(trendZoneName(zone));
        zoneActions_[z]->setCheckable(true);
        zoneActions_[z]->setChecked(!QString::fromStdString(settings_->trendHidden)
                                         .split(' ', Qt::SkipEmptyParts)
                                         .contains(trendZoneKey(zone)));
        connect(zoneActions_[z], &QAction::toggled, this,
                [this, zone](bool shown) { setZoneShown(zone, shown); });
    }
    zones->setMenu(zoneMenu);
    // Room for the menu's arrow beside the caption, which the style otherwise draws over it.
    zones->setMinimumWidth(zones->sizeHint().width() + zones->fontMetrics().height());
    auto* save = new QPushButton(QStringLiteral("保存图片"));
    save->setObjectName("cmdTrendPicture");
    auto* sheet = new QPushButton(QStringLiteral("导出表格"));
    sheet->setObjectName("cmdTrendSheet");
    saved_ = new QLabel;
    saved_->setObjectName("lblTrendSaved");
    saved_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("期数")));
    bar->addWidget(windowBox_);
    bar->addWidget(zones);
    bar->addWidget(omissionBox_);
    bar->addWidget(linesBox_);
    bar->addWidget(save);
    bar->addWidget(sheet);
    bar->addWidget(saved_, 1);

    model_ = new TrendModel(this);
    view_ = new TrendView;
    view_->setObjectName("grdTrend");
    view_->setTrendModel(model_);

    chance_ = new QLabel;
    chance_->setObjectName("lblTrendChance");
    chance_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);
    layout->addWidget(chance_);

    windowBox_->setCurrentText(windowText());
    connect(windowBox_, &QComboBox::textActivated, this, &TrendWindow::chooseWindow);
    connect(windowBox_->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { chooseWindow(windowBox_->currentText()); });
    connect(omissionBox_, &QCheckBox::toggled, view_, &TrendView::setOmissionShown);
    connect(linesBox_, &QCheckBox::toggled, view_, &TrendView::setLinesShown);
    connect(view_, &QTableView::doubleClicked, this, &TrendWindow::exportTable);
    connect(sheet, &QPushButton::clicked, this, &TrendWindow::exportTable);
    connect(save, &QPushButton::clicked, this, &TrendWindow::savePicture);

    // Within the screen's available area, whatever its size.
    const QRect screen =
        (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const QSize size(std::min(1500, screen.width() * 96 / 100),
                     std::min(900, screen.height() * 92 / 100));
    resize(size);
    move(screen.center() - QPoint(size.width() / 2, size.height() / 2));
}

QString TrendWindow::windowText() const {
    return window_ ? QString::number(*window_) : kAll;
}

bool TrendWindow::chooseWindow(const QString& text) {
    const QString typed = text.trimmed();
    bool number = false;
    const int w = typed.toInt(&number);
    const int length = static_cast<int>(rows_.size());
    const bool digitsOnly =
        !typed.isEmpty() && std::all_of(typed.begin(), typed.end(), [](QChar c) {
            return c.unicode() >= '0' && c.unicode() <= '9';
        });
    if (typed != kAll && !(number && digitsOnly && w >= 1 && w <= std::max(length, 1))) {
        windowBox_->setCurrentText(windowText());
        dialogs_->inform(this, QStringLiteral("走势图"),
                         QStringLiteral("期数须是 1 到 %1 之间的整数，或者“全部”，不是“%2”。")
                             .arg(std::max(length, 1))
                             .arg(text));
        return false;
    }
    window_ = typed == kAll ? std::nullopt : std::optional<int>(w);
    settings_.set(&WindowSettings::trendWindow, window_.value_or(0));
    windowBox_->setCurrentText(windowText());
    rebuild();
    return true;
}

// Esc closes the chart, as it closes the program's other windows; the controls inside leave
// the key to it.
void TrendWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TrendWindow::zoneShown(TrendZone zone) const {
    return zoneActions_[static_cast<int>(zone)]->isChecked();
}

void TrendWindow::setZoneShown(TrendZone zone, bool shown) {
    QAction* action = zoneActions_[static_cast<int>(zone)];
    if (action->isChecked() != shown) action->setChecked(shown);  // comes back here
    QStringList hidden;
    for (int z = 0; z < kTrendZoneCount; ++z) {
        if (!zoneActions_[z]->isChecked()) hidden << trendZoneKey(static_cast<TrendZone>(z));
    }
    settings_.set(&WindowSettings::trendHidden, hidden.join(' ').toStdString());
    applyZones();
}

void TrendWindow::applyZones() {
    for (int c = 2; c < model_->columnCount(); ++c) {
        view_->setColumnHidden(c, !zoneShown(model_->column(c).zone));
    }
    view_->viewport()->update();
}

void TrendWindow::setHistory(const HistorySnapshot& rows) {
    rows_ = rows;
    rebuild();
}

void TrendWindow::rebuild() {
    try {
        model_->setHistory(rows_, window_);
        chance_->setText(chanceText());
    } catch (const Error& e) {
        // A history the chart cannot use (a stored digit out of range) is named, not drawn.
        chance_->setText(QString::fromStdString(e.what()));
    }
    applyZones();
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
               "各区每个值的机会见表头和页脚的提示。")
        .arg(largest)
        .arg(QString::number(chance * 100, 'g', 3));
}

QString TrendWindow::titleText() const {
    const TrendTable* table = model_->table();
    return QStringLiteral("排列五 走势图  第 %1 期至第 %2 期  期数 W = %3")
        .arg(table->issue(0))
        .arg(table->issue(table->window() - 1))
        .arg(window_ ? QString::number(table->window())
                     : QStringLiteral("%1（全部）").arg(table->window()));
}

void TrendWindow::exportTable() {
    if (!model_->table()) return;
    const std::filesystem::path file = dataFolder_ / file_names::kTrendWorkbook;
    const QString path = QString::fromStdString(file.string());
    try {
        BusyCursor busy;
        std::vector<int> columns;
        for (int c = 0; c < model_->columnCount(); ++c) {
            if (!view_->isColumnHidden(c)) columns.push_back(c);
        }
        writeTrendSheet(file, *model_, columns, titleText());
    } catch (const Error& e) {
        dialogs_->inform(this, QStringLiteral("走势图"), QString::fromStdString(e.what()));
        return;
    }
    saved_->setText(QStringLiteral("表格已保存：%1").arg(path));
    if (!dialogs_->openUrl(QUrl::fromLocalFile(path))) {
        dialogs_->inform(this, QStringLiteral("走势图"),
                         QStringLiteral("表格已保存为 %1，但没有找到可以打开它的程序。").arg(path));
    }
}

void TrendWindow::savePicture() {
    const TrendTable* table = model_->table();
    if (!table) return;
    const int draws = table->window();
    const int pages = (draws + kPictureRows - 1) / kPictureRows;
    // Each picture takes a second or two to write: a long W is saved only when the user agrees.
    if (pages > kPicturesWithoutAsking &&
        !dialogs_->confirm(this, QStringLiteral("走势图"),
                           QStringLiteral("%1 期的走势图要存成 %2 张图片（每张 %3 期），"
                                          "大约需要 %4 秒。继续吗？")
                               .arg(draws)
                               .arg(pages)
                               .arg(kPictureRows)
                               .arg(pages * 2))) {
        return;
    }
    BusyCursor busy;
    // A view of its own, as tall as a page and as wide as every shown column, rendered off
    // screen: what is on screen may be scrolled or cut.
    TrendView shot;
    shot.setTrendModel(model_);
    shot.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    shot.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    shot.setOmissionShown(omissionBox_->isChecked());
    shot.setLinesShown(linesBox_->isChecked());
    shot.fitColumns();
    // Shown, though never on screen, so that each resize lays its rows out at once.
    shot.setAttribute(Qt::WA_DontShowOnScreen);
    shot.show();
    int width = 2 * shot.frameWidth();
    for (int c = 0; c < model_->columnCount(); ++c) {
        shot.setColumnHidden(c, view_->isColumnHidden(c));
        if (!view_->isColumnHidden(c)) width += shot.columnWidth(c);
    }
    const int rowHeight = shot.verticalHeader()->defaultSectionSize();
    const int header = shot.horizontalHeader()->height();
    const int titleHeight = fontMetrics().height() * 2 + 8;
    QStringList written;
    for (int page = 0; page < pages; ++page) {
        const int first = page * kPictureRows;
        const int rows = std::min(kPictureRows, draws - first) +
                         (page == pages - 1 ? TrendModel::kFooterRows : 0);
        shot.resize(width, header + rows * rowHeight + 2 * shot.frameWidth());
        shot.verticalScrollBar()->setValue(first);
        QImage image(width, titleHeight + shot.height(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QFont big = font();
        big.setPointSizeF(big.pointSizeF() * 1.3);
        big.setBold(true);
        painter.setFont(big);
        QString title = titleText();
        if (pages > 1) title += QStringLiteral("  第 %1/%2 张").arg(page + 1).arg(pages);
        painter.drawText(QRect(8, 0, width - 16, titleHeight), Qt::AlignVCenter | Qt::AlignLeft,
                         title);
        shot.render(&painter, QPoint(0, titleHeight));
        painter.end();
        // Zoushi.png, or Zoushi-01.png … for a chart on several pictures.
        const std::filesystem::path chart(file_names::kTrendChart);
        const QString name = pages == 1
                                 ? QString::fromUtf8(file_names::kTrendChart)
                                 : QStringLiteral("%1-%2%3")
                                       .arg(QString::fromStdString(chart.stem().string()))
                                       .arg(page + 1, 2, 10, QLatin1Char('0'))
                                       .arg(QString::fromStdString(chart.extension().string()));
        const QString path = QString::fromStdString((dataFolder_ / name.toStdString()).string());
        if (!image.save(path, "PNG", kPictureQuality)) {
            dialogs_->inform(this, QStringLiteral("走势图"),
                             QStringLiteral("图片没有保存：无法写入 %1").arg(path));
            return;
        }
        written << path;
    }
    const QString where = written.size() == 1 ? written.front()
                                              : QStringLiteral("%1 至 %2（共 %3 张）")
                                                    .arg(written.front(), written.back())
                                                    .arg(written.size());
    saved_->setText(QStringLiteral("图片已保存：%1").arg(where));
    if (!dialogs_->openUrl(QUrl::fromLocalFile(written.front()))) {
        dialogs_->inform(
            this, QStringLiteral("走势图"),
            QStringLiteral("图片已保存为 %1，但没有找到可以打开它的程序。").arg(where));
    }
}

TrendWindow::~TrendWindow() {
    if (document_) document_->unsubscribe(subscription_);
}

void TrendWindow::follow(HistoryDocument& document) {
    if (document_) document_->unsubscribe(subscription_);
    document_ = &document;
    subscription_ = document.subscribe([this](const HistoryChange& change) {
        if (change.drawsChanged()) setHistory(document_->rows());
    });
    setHistory(document.rows());
}

// 走势图(&Z): one trend window at a time; opening it again brings it to the front.
void MainWindow::openTrend() {
    if (!requireStore()) return;
    auto* window = findChild<TrendWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new TrendWindow(context_.dataFolder, context_.dialogs, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->follow(*document_);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace arrange5
