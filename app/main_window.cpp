#include "app/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTimer>

#include "acquire/export_text.h"
#include "acquire/first_start.h"
#include "acquire/maintenance.h"
#include "acquire/online_update.h"
#include "acquire/replace_history.h"
#include "analysis/reference.h"
#include "app/busy_cursor.h"
#include "app/dialogs.h"
#include "app/history_table_model.h"
#include "app/text_table_model.h"
#include "app/wheel_filter.h"
#include "store/data_folder.h"
#include "store/errors.h"
#include "store/schema.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

fs::path toPath(const QString& text) {
    return fs::path(text.toStdString());
}
QString fromPath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

std::optional<int16_t> shortValue(const QString& text) {
    bool ok = false;
    const short value = text.trimmed().toShort(&ok);
    return ok ? std::optional<int16_t>(value) : std::nullopt;
}

// More grid rows than this (header included) and the grid shows its end.
constexpr int kRowsBeforeScrolling = 39;

const QString kImportQuestion = QStringLiteral(
    "确实要读入最新历史号码吗？点击'确认'读入,点击'取消'放弃该操作。确要读入请保证安装目录下存在"
    "历史号码的文本文件文件。读取时可能要花费一段时间,请耐心等候！");
const QString kUpdateQuestion = QStringLiteral(
    "确实要在线更新最新历史号码吗？更新可能要花费一段时间，网络不通或者我方服务器更新不及时可能"
    "都造成更新失败！");
const QString kYearsPrompt = QStringLiteral(
    "请输入更新需要保留的历史号码的年数（2~16中的任意自然数），如果超过年数将删除最早的一年的历史"
    "号码");
const QString kYearsWarning = QStringLiteral(
    "为了保证时效性和提高计算效率，软件只能统计16年以内的数据，请输入2到16中的自然数。");

}  // namespace

MainWindow::MainWindow(AppContext context, QWidget* parent)
    : QMainWindow(parent), context_(std::move(context)) {
    buildControls();
    connectHandlers();
    startUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::startUp() {
    yearsToKeep_ = settings_.readInt(keys::kYearsToKeep, 6, 2, 16);
    freePositions_ = settings_.readBool(keys::kFreePositions, true);
    previousIssue_ = settings_.readBool(keys::kPreviousIssue, true);
    searchKind_ = settings_.readInt(keys::kSearchKind, 0, 0, 3);
    updateHost_ = settings_.readText(keys::kUpdateHost, QString());
    // The wheel rule is in place from buildControls() on.
    openStore();

    option1_[1]->setChecked(freePositions_);
    option1_[0]->setChecked(!freePositions_);
    option1_[3]->setChecked(previousIssue_);
    option1_[2]->setChecked(!previousIssue_);
    option1Clicked(freePositions_ ? 1 : 0);
    option1Clicked(previousIssue_ ? 3 : 2);

    groupSelection_ = settings_.readBool(keys::kGroupSelection, false);
    option2_[4]->setChecked(!groupSelection_);
    option2_[5]->setChecked(groupSelection_);
    option2Clicked(groupSelection_ ? 5 : 4);

    resultPosition_ = settings_.readInt(keys::kResultPosition, 1, 1, 5);
    option5_[resultPosition_]->setChecked(true);
    option5Clicked(resultPosition_);

    resultKind_ = settings_.readInt(keys::kResultKind, 0, 0, 3);
    option4_[resultKind_]->setChecked(true);
    option4Clicked(resultKind_);

    segmentBase_ = settings_.readInt(keys::kSegmentBase, 1, 0, 1);
    mnuDscs_[0]->setChecked(segmentBase_ == 0);
    mnuDscs_[1]->setChecked(segmentBase_ == 1);

    redOnly_ = settings_.readBool(keys::kRedOnly, false);
    option6_[redOnly_ ? 1 : 0]->setChecked(true);
    option6Clicked(redOnly_ ? 1 : 0);

    lagN_ = settings_.readInt(keys::kLagN, 2, 1, 9);
    lagText_ = QString::number(lagN_);
    lagField_->setText(lagText_);
    combined_ = settings_.readInt(keys::kCombined, 2, -32768, 32767);
    combinedText_ = QString::number(combined_);
    combo1_->setEditText(combinedText_);

    const std::array<int, 4> tallyWidths = {480, 680, 800, 880};
    for (int k = 0; k < 4; ++k) grid3_->setColumnWidth(k, twipsToPixels(tallyWidths[k]));
    grid2_->setColumnWidth(0, twipsToPixels(1200));
    for (int k = 1; k <= 5; ++k) grid2_->setColumnWidth(k, twipsToPixels(680));
    grid2_->setColumnWidth(6, twipsToPixels(1800));

    qihaoXianshi();

    option3_[searchKind_]->setChecked(true);
    option3Clicked(searchKind_);

    if (store_ && !store_->empty()) {
        updateRangeStart();
        text3_[1]->setText(QString::number(store_->rows().back().issue));
    }
    refreshReferenceValues();
    addHaoma();
}

void MainWindow::openStore() {
    const fs::path folder = context_.dataFolder;
    std::error_code ec;
    const bool fresh = !fs::exists(folder / kDatabaseFileName, ec);
    try {
        store_ = std::make_unique<HistoryStore>(folder);
    } catch (const Error& e) {
        store_.reset();
        storeProblem_ = QString::fromStdString(e.what());
        reportError(QStringLiteral("历史数据库无法打开，窗口以空的历史号码启动：\n") +
                    storeProblem_);
        return;
    }
    fs::create_directories(folder / fs::path(kImportFolderName), ec);
    if (fresh) fillFirstStart();
}

// A new database starts with the history that ships with the program; a copy goes into the
// import folder so the import dialog opens on a real file.
void MainWindow::fillFirstStart() {
    if (!context_.bundledHistory) return;
    try {
        BusyCursor busy;
        const int base = settings_.readInt(keys::kSegmentBase, 1, 0, 1);
        const ReplaceReport report =
            fillFromBundledHistory(*store_, *context_.bundledHistory, base, sp_);
        statusBar()->showMessage(QString::fromStdString(report.summary()));
    } catch (const Error& e) {
        reportError(QStringLiteral("随程序附带的历史号码未能读入：\n") +
                    QString::fromStdString(e.what()));
    }
}

// ---- shared refresh procedures ----

void MainWindow::addHaoma() {
    if (store_) {
        try {
            store_->reopenReadingCursor();
        } catch (const Error& e) {
            reportError(QString::fromStdString(e.what()));
        }
        historyModel_->setRows(store_->rows());
    } else {
        historyModel_->setRows({});
    }
    grid1_->setColumnWidth(0, twipsToPixels(1200));
    for (int k = 1; k <= 5; ++k) grid1_->setColumnWidth(k, twipsToPixels(620));
    applyHistoryScrollRule();
    followRangeToHistory();
}

void MainWindow::followRangeToHistory() {
    const std::optional<HistoryBounds> now = store_ ? historyBounds(store_->rows()) : std::nullopt;
    if (rangeTracking_) {
        const RangeUpdate update =
            followHistoryChange(text3_[0]->text().toStdString(), text3_[1]->text().toStdString(),
                                rangeBounds_, now, searchSettings());
        if (update.from) text3_[0]->setText(QString::number(*update.from));
        if (update.to) text3_[1]->setText(QString::number(*update.to));
    }
    rangeTracking_ = true;
    if (now) rangeBounds_ = now;
}

void MainWindow::applyHistoryScrollRule() {
    if (historyModel_->rowCount() + 1 <= kRowsBeforeScrolling) return;
    if (!grid1_->isVisible()) {
        // The scroll range is known only once the grid is laid out.
        scrollPending_ = true;
        return;
    }
    scrollPending_ = false;
    grid1_->scrollToBottom();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (scrollPending_) QTimer::singleShot(0, this, [this] { applyHistoryScrollRule(); });
}

void MainWindow::qihaoXianshi() {
    if (!store_ || store_->empty()) return;
    text1_->setText(QString::number(nextIssueForDisplay(store_->rows().back().issue)));
    text4_->setText(text1_->text());
}

SearchSettings MainWindow::searchSettings() const {
    SearchSettings s;
    s.kind = static_cast<CodeKind>(searchKind_);
    s.freePositions = freePositions_;
    s.previousIssue = previousIssue_;
    s.lagN = lagN_;
    return s;
}

TallySettings MainWindow::tallySettings() const {
    TallySettings t;
    t.resultKind = static_cast<CodeKind>(resultKind_);
    t.resultPosition = resultPosition_;
    t.group = groupSelection_;
    t.segmentBase = segmentBase_;
    return t;
}

int MainWindow::selectedTab() const {
    return tabs_->currentIndex();
}

void MainWindow::refreshReferenceValues() {
    const int tab = selectedTab();
    if (tab == 2) {
        ysjs(false);
        return;
    }
    if (tab == 1) {
        manualReference_ = true;
        for (int i = 1; i <= 5; ++i) {
            if (const auto v = shortValue(text22_[i]->text())) reference_[i - 1] = *v;
        }
        return;
    }
    manualReference_ = false;
    if (!store_) return;
    const auto row = referenceRowIndex(store_->rows(), searchSettings());
    if (!row) return;
    reference_ = valuesOfRow(store_->rows()[*row], static_cast<CodeKind>(searchKind_));
    for (int i = 1; i <= 5; ++i) text2_[i]->setText(QString::number(reference_[i - 1]));
}

void MainWindow::ysjs(bool reportBadIssue) {
    if (!store_) return;
    int32_t issue = 0;
    try {
        issue = parseIssueField(text4_->text().toStdString(), "验证期");
    } catch (const Error& e) {
        if (reportBadIssue) reportError(QString::fromStdString(e.what()));
        return;
    }
    const auto found =
        verifyReference(store_->rows(), issue, check4_->isChecked(), searchSettings());
    if (!found) return;
    manualReference_ = false;
    reference_ = found->values;
    for (int i = 1; i <= 5; ++i) text2_[i + 10]->setText(QString::number(reference_[i - 1]));
    text3_[1]->setText(QString::number(found->rangeEnd));
}

void MainWindow::updateRangeStart() {
    if (!store_) return;
    if (const auto start = defaultRangeStart(store_->rows(), searchSettings())) {
        text3_[0]->setText(QString::number(*start));
    }
}

// ---- options ----

void MainWindow::option1Clicked(int index) {
    if (index == 1) freePositions_ = true;
    if (index == 0) freePositions_ = false;
    if (index == 3) previousIssue_ = true;
    if (index == 2) previousIssue_ = false;
    settings_.writeBool(keys::kFreePositions, freePositions_);
    settings_.writeBool(keys::kPreviousIssue, previousIssue_);
    refreshReferenceValues();
    updateRangeStart();
}

void MainWindow::option2Clicked(int) {
    groupSelection_ = option2_[5]->isChecked();
    settings_.writeBool(keys::kGroupSelection, groupSelection_);
    settings_.writeBool(keys::kPreviousIssue, previousIssue_);
    refreshReferenceValues();
}

void MainWindow::option3Clicked(int index) {
    searchKind_ = index;
    refreshReferenceValues();
    settings_.writeInt(keys::kSearchKind, searchKind_);
}

void MainWindow::option4Clicked(int index) {
    resultKind_ = index;
    settings_.writeInt(keys::kResultKind, resultKind_);
}

void MainWindow::option5Clicked(int index) {
    resultPosition_ = index;
    settings_.writeInt(keys::kResultPosition, resultPosition_);
}

void MainWindow::option6Clicked(int index) {
    redOnly_ = index == 1;
    settings_.writeBool(keys::kRedOnly, redOnly_);
}

void MainWindow::tabChanged(int tab) {
    frames_->setCurrentIndex(tab);
    if (tab == 0) {
        manualReference_ = false;
        for (int i = 1; i <= 5; ++i) {
            if (const auto v = shortValue(text2_[i]->text())) reference_[i - 1] = *v;
        }
    } else if (tab == 1) {
        manualReference_ = true;
        for (int i = 1; i <= 5; ++i) {
            if (const auto v = shortValue(text22_[i]->text())) reference_[i - 1] = *v;
        }
    } else {
        ysjs(true);
    }
}

void MainWindow::check4Clicked() {
    if (!store_ || store_->empty()) return;
    if (!check4_->isChecked()) {
        text3_[1]->setText(QString::number(store_->rows().back().issue));
        return;
    }
    try {
        const int32_t issue = parseIssueField(text4_->text().toStdString(), "验证期");
        text3_[1]->setText(QString::number(verifyTarget(issue)));
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
    }
}

// The N of 前期 is one digit 1..9; anything else puts the previous N back.
void MainWindow::lagFieldLeft() {
    bool ok = false;
    const int n = lagField_->text().trimmed().toInt(&ok);
    if (!ok || n < 1 || n > 9) {
        lagField_->setText(lagText_);
        return;
    }
    lagN_ = n;
    lagText_ = QString::number(n);
    settings_.writeInt(keys::kLagN, lagN_);
    refreshReferenceValues();
    updateRangeStart();
}

void MainWindow::combinedFieldLeft() {
    bool ok = false;
    const int k = combo1_->currentText().trimmed().toShort(&ok);
    if (!ok) {
        combo1_->setEditText(combinedText_);
        return;
    }
    combined_ = k;
    combinedText_ = QString::number(k);
    settings_.writeInt(keys::kCombined, combined_);
}

void MainWindow::manualValueLeft(int position) {
    QLineEdit* field = text22_[position];
    const auto v = shortValue(field->text());
    if (!v) {
        field->setText(manualTexts_[position]);
        return;
    }
    manualTexts_[position] = field->text();
    reference_[position - 1] = *v;
}

// ---- manual entry ----

void MainWindow::entryFieldChanged(int index) {
    const bool filled = !entry_[index]->text().isEmpty();
    if (index == 5 && filled && !entryDone_) {
        appendTypedDraw();
        return;
    }
    if (!entryDone_ && index < 5 && filled) entry_[index + 1]->setFocus();
}

void MainWindow::appendTypedDraw() {
    Digits digits{};
    for (int i = 1; i <= 5; ++i) {
        const QString text = entry_[i]->text();
        digits[i - 1] = text.isEmpty() ? 0 : static_cast<int16_t>(text.toShort());
    }
    auto finish = [this] {
        entryDone_ = true;
        for (int i = 1; i <= 5; ++i) entry_[i]->clear();
        entry_[1]->setFocus();
    };
    if (!requireStore()) {
        finish();
        return;
    }
    std::optional<int32_t> issueForEmpty;
    if (store_->empty()) {
        const QString suggested = QString::number(QDate::currentDate().year() * 1000 + 1);
        const auto answer = context_.dialogs->input(
            this, QStringLiteral("输入期号"),
            QStringLiteral("历史号码为空，请输入这一期号码的期号（例如 %1）：").arg(suggested),
            suggested);
        if (!answer) {
            finish();
            return;
        }
        const auto number = parseWholeNumber(answer->trimmed().toStdString());
        if (!number || !isValidIssue(*number)) {
            reportError(QStringLiteral("“%1”不是期号（七位数字：年份和当年的期数，例如 %2），"
                                       "号码没有保存。")
                            .arg(*answer, suggested));
            finish();
            return;
        }
        issueForEmpty = static_cast<int32_t>(*number);
    }
    try {
        appendManualDraw(*store_, digits, segmentBase_, sp_, issueForEmpty);
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
        finish();
        return;
    }
    refreshReferenceValues();
    finish();
    addHaoma();
    qihaoXianshi();
}

// ---- maintenance ----

void MainWindow::afterHistoryChanged() {
    addHaoma();
    qihaoXianshi();
    refreshReferenceValues();
}

template <typename Change>
void MainWindow::rewriteHistory(Change change) {
    try {
        BusyCursor busy;
        const auto report = change();
        if (!report) return;
        afterHistoryChanged();
        statusBar()->showMessage(QString::fromStdString(report->summary()));
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
        afterHistoryChanged();
    }
}

void MainWindow::importHistory() {
    if (!context_.dialogs->confirm(this, QStringLiteral("读入历史"), kImportQuestion)) return;
    const fs::path folder = context_.dataFolder / fs::path(kImportFolderName);
    const QString chosen =
        context_.dialogs->openFile(this, fromPath(folder), QStringLiteral("Text(*.txt)"));
    if (chosen.isEmpty() || !hasTxtExtension(toPath(chosen))) {
        qihaoXianshi();
        return;
    }
    if (!requireStore()) return;
    try {
        BusyCursor busy;
        QProgressDialog progress(QStringLiteral("正在读入历史号码……"), QStringLiteral("取消"), 0,
                                 100, this);
        progress.setWindowTitle(QStringLiteral("读入历史"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(800);
        const ReplaceReport report =
            importHistoryFile(*store_, toPath(chosen), segmentBase_, sp_,
                              [&progress](std::size_t done, std::size_t total) {
                                  progress.setMaximum(static_cast<int>(total));
                                  progress.setValue(static_cast<int>(done));
                                  return !progress.wasCanceled();
                              });
        afterHistoryChanged();
        statusBar()->showMessage(QString::fromStdString(report.summary()));
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
    }
    qihaoXianshi();
}

void MainWindow::deleteLastDraw() {
    if (!requireStore()) return;
    try {
        const DeletedDraw deleted = arrange5::deleteLastDraw(*store_);
        statusBar()->showMessage(QStringLiteral("已删除第 %1 期").arg(deleted.issue));
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
    }
    afterHistoryChanged();
    entry_[1]->setFocus();
}

void MainWindow::clearHistory() {
    if (!context_.dialogs->confirm(this, QStringLiteral("确认清空"),
                                   QStringLiteral("确定要清空所有的历史号码吗？"))) {
        return;
    }
    if (!requireStore()) return;
    try {
        const std::size_t removed = arrange5::clearHistory(*store_);
        statusBar()->showMessage(QStringLiteral("已清空 %1 期历史号码").arg(removed));
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
    }
    addHaoma();
}

void MainWindow::cutToIssue() {
    if (!requireStore()) return;
    const QString lastIssue =
        store_->empty() ? QString() : QString::number(store_->rows().back().issue);
    const auto answer =
        context_.dialogs->input(this, QStringLiteral("删除期数"),
                                QStringLiteral("请输入需要删除到的期数，例如‘2014016’"), lastIssue);
    const int64_t issue = inputBoxNumber(answer.value_or(QString()).toStdString());
    rewriteHistory([&] { return arrange5::cutToIssue(*store_, issue, segmentBase_, sp_); });
}

void MainWindow::dropLastIssues() {
    if (!requireStore()) return;
    const auto answer = context_.dialogs->input(
        this, QStringLiteral("删除期数"),
        QStringLiteral(
            "请输入需要删除最后多少期历史号码（例如输入3，那么就将删除最后的3期历史号码）"),
        QStringLiteral("1"));
    const int64_t n = inputBoxNumber(answer.value_or(QString()).toStdString());
    rewriteHistory([&] { return arrange5::dropLastIssues(*store_, n, segmentBase_, sp_); });
}

void MainWindow::exportHistoryText() {
    if (!requireStore()) return;
    fs::path written;
    try {
        written = arrange5::exportHistoryText(*store_);
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
        return;
    }
    statusBar()->showMessage(QStringLiteral("已导出到 %1").arg(fromPath(written)));
    if (!context_.dialogs->openUrl(QUrl::fromLocalFile(fromPath(written)))) {
        reportError(QStringLiteral("历史号码已导出到 %1，但没有找到可以打开它的程序。")
                        .arg(fromPath(written)));
    }
}

// ---- searches ----

std::array<bool, 5> MainWindow::tickedPositions() const {
    std::array<bool, 5> ticked{};
    const int tab = selectedTab();
    for (int i = 1; i <= 5; ++i) {
        const QCheckBox* box = tab == 1 ? check11_[i] : tab == 2 ? check1_[i + 10] : check1_[i];
        ticked[i - 1] = box->checkState() != Qt::Unchecked;
    }
    return ticked;
}

std::optional<SearchRequest> MainWindow::searchRequest() {
    if (!requireStore()) return std::nullopt;
    freePositions_ = !option1_[0]->isChecked();
    SearchRequest request;
    try {
        if (selectedTab() == 2) parseIssueField(text4_->text().toStdString(), "验证期");
        request.from = parseIssueField(text3_[0]->text().toStdString(), "起");
        request.to = parseIssueField(text3_[1]->text().toStdString(), "止");
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
        return std::nullopt;
    }
    request.settings = searchSettings();
    request.reference = reference_;
    request.tally = tallySettings();
    return request;
}

void MainWindow::runSearch() {
    auto request = searchRequest();
    if (!request) return;
    request->positions = tickedPositions();
    try {
        BusyCursor busy;
        showSearchResult(runSingleSearch(*store_, *request));
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
    }
}

void MainWindow::runCombinationSearch() {
    const auto request = searchRequest();
    if (!request) return;
    try {
        BusyCursor busy;
        showSearchResult(arrange5::runCombinationSearch(*store_, *request, combined_));
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
    }
}

void MainWindow::showSearchResult(const SearchResult& result) {
    hitsModel_->setHeader({"期号", "第1位", "第2位", "第3位", "第4位", "第5位",
                           result.earlierMode ? "前期开奖" : "上期开奖"});
    std::vector<QStringList> hits;
    hits.reserve(result.hits.size());
    for (const Hit& hit : result.hits) {
        QStringList row{QString::number(hit.issue)};
        for (const int16_t v : hit.values) row << QString::number(v);
        row << QString::fromStdString(hit.matched);
        hits.push_back(std::move(row));
    }
    hitsModel_->setRows(std::move(hits));
    grid2_->setColumnWidth(0, twipsToPixels(1200));
    for (int k = 1; k <= 5; ++k) grid2_->setColumnWidth(k, twipsToPixels(680));
    grid2_->setColumnWidth(6, twipsToPixels(1800));

    std::vector<QStringList> tally;
    for (const TallyRow& row : result.tally) {
        tally.push_back({QString::number(row.rank), QString::fromStdString(row.outcome),
                         QString::number(row.count), QString::fromStdString(row.percent)});
    }
    tallyModel_->setRows(std::move(tally));
    statusBar()->showMessage(QStringLiteral("检索到 %1 期").arg(result.hits.size()));
}

// ---- grid export ----

fs::path MainWindow::exportFileFor(const QTableView* grid) const {
    const char* name = grid == grid1_   ? "lishi.xlsx"
                       : grid == grid2_ ? "Jiansuo.xlsx"
                                        : "Jieguo.xlsx";
    return context_.dataFolder / name;
}

TextTable MainWindow::gridTexts(const QTableView* grid) const {
    const QAbstractItemModel* model = grid->model();
    TextTable cells;
    cells.reserve(static_cast<std::size_t>(model->rowCount()) + 1);
    std::vector<std::string> header;
    for (int k = 0; k < model->columnCount(); ++k) {
        header.push_back(model->headerData(k, Qt::Horizontal).toString().toStdString());
    }
    cells.push_back(std::move(header));
    for (int r = 0; r < model->rowCount(); ++r) {
        std::vector<std::string> row;
        row.reserve(static_cast<std::size_t>(model->columnCount()));
        for (int k = 0; k < model->columnCount(); ++k) {
            row.push_back(model->index(r, k).data().toString().toStdString());
        }
        cells.push_back(std::move(row));
    }
    return cells;
}

void MainWindow::exportGrid(QTableView* grid) {
    const fs::path file = exportFileFor(grid);
    try {
        BusyCursor busy;
        writeSpreadsheet(file, gridTexts(grid));
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
        return;
    }
    statusBar()->showMessage(QStringLiteral("已导出到 %1").arg(fromPath(file)));
    if (!context_.dialogs->openUrl(QUrl::fromLocalFile(fromPath(file)))) {
        reportError(
            QStringLiteral("表格已保存为 %1，但没有找到可以打开它的程序。").arg(fromPath(file)));
    }
}

void MainWindow::exportHistoryToSpreadsheet() {
    TextTable cells;
    {
        BusyCursor busy;
        grid1_->hide();
        cells = gridTexts(grid1_);
        grid1_->show();
    }
    const fs::path file = exportFileFor(grid1_);
    try {
        BusyCursor busy;
        writeSpreadsheet(file, cells);
    } catch (const Error& e) {
        reportError(QString::fromStdString(e.what()));
        return;
    }
    statusBar()->showMessage(QStringLiteral("已导出到 %1").arg(fromPath(file)));
    if (!context_.dialogs->openUrl(QUrl::fromLocalFile(fromPath(file)))) {
        reportError(
            QStringLiteral("表格已保存为 %1，但没有找到可以打开它的程序。").arg(fromPath(file)));
    }
}

// ---- settings menu ----

void MainWindow::chooseSegmentBase(int base) {
    segmentBase_ = base;
    settings_.writeInt(keys::kSegmentBase, base);
    mnuDscs_[0]->setChecked(base == 0);
    mnuDscs_[1]->setChecked(base == 1);
}

void MainWindow::setYearsToKeep() {
    for (;;) {
        const auto answer = context_.dialogs->input(this, QStringLiteral("设置年数"), kYearsPrompt,
                                                    QString::number(yearsToKeep_));
        if (!answer || answer->isEmpty()) return;
        bool ok = false;
        const int years = answer->trimmed().toInt(&ok);
        if (!ok || years < 2 || years > 16) {
            context_.dialogs->inform(this, QStringLiteral("输入有误"), kYearsWarning);
            continue;
        }
        yearsToKeep_ = years;
        settings_.writeInt(keys::kYearsToKeep, years);
        return;
    }
}

void MainWindow::setUpdateHost() {
    const auto answer = context_.dialogs->input(
        this, QStringLiteral("开奖结果网址"),
        QStringLiteral("请输入开奖结果网站的地址（例如 https://www.example.com），在线更新从该网站"
                       "读取每一年的开奖结果页面："),
        updateHost_);
    if (!answer) return;
    updateHost_ = answer->trimmed();
    settings_.writeText(keys::kUpdateHost, updateHost_);
}

void MainWindow::openDocument(const char* name) {
    for (const fs::path& folder : context_.docFolders) {
        const fs::path file = folder / name;
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) continue;
        if (!context_.dialogs->openUrl(QUrl::fromLocalFile(fromPath(file)))) {
            reportError(QStringLiteral("没有找到可以打开 %1 的程序。").arg(fromPath(file)));
        }
        return;
    }
    reportError(QStringLiteral("找不到文档 %1（应在程序目录的 docs 文件夹中）。")
                    .arg(QString::fromUtf8(name)));
}

void MainWindow::onlineUpdate() {
    if (!context_.dialogs->confirm(this, QStringLiteral("读入历史"), kUpdateQuestion)) return;
    if (!requireStore()) return;
    if (updateHost_.isEmpty()) setUpdateHost();
    if (updateHost_.isEmpty()) return;

    UpdateOptions options;
    options.baseUrl = updateHost_.toStdString();
    options.yearsToKeep = yearsToKeep_;
    options.currentYear = QDate::currentDate().year();
    options.segmentBase = segmentBase_;
    const PageFetcher fetch = context_.fetcher ? context_.fetcher : makeCurlFetcher();

    // The pages arrive while the window keeps painting; the modal progress dialog keeps
    // other commands away from the store until the update has finished.
    QProgressDialog progress(QStringLiteral("正在连接开奖结果网站……"), QStringLiteral("取消"), 0, 0,
                             this);
    progress.setWindowTitle(QStringLiteral("历史号在线更新"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.show();
    try {
        const UpdateReport report =
            runOnlineUpdate(*store_, options, sp_, fetch, [&progress](int year, std::size_t draws) {
                progress.setLabelText(QStringLiteral("正在读取 %1 年的开奖结果，已找到 %2 期新号码")
                                          .arg(year)
                                          .arg(draws));
                QCoreApplication::processEvents();
                return !progress.wasCanceled();
            });
        progress.close();
        addHaoma();
        if (!store_->empty()) {
            updateRangeStart();
            text3_[1]->setText(QString::number(store_->rows().back().issue));
        }
        refreshReferenceValues();
        qihaoXianshi();
        statusBar()->showMessage(QString::fromStdString(report.summary()));
    } catch (const Error& e) {
        progress.close();
        reportError(QString::fromStdString(e.what()));
    }
}

// ---- helpers ----

bool MainWindow::requireStore() {
    if (store_) return true;
    reportError(QStringLiteral("历史数据库无法使用，这个操作没有执行：\n") + storeProblem_);
    return false;
}

void MainWindow::reportError(const QString& what) {
    context_.dialogs->inform(this, QString::fromUtf8(kWindowTitle), what);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn || type == QEvent::MouseButtonRelease) {
        // A one-digit field takes its digit only with the cursor before the placeholder;
        // a click to the right of it would otherwise swallow what is typed.
        for (int i = 1; i <= 5; ++i) {
            if (watched == entry_[i]) {
                QLineEdit* field = entry_[i];
                QTimer::singleShot(0, field, [field] { field->setCursorPosition(0); });
            }
        }
    }
    if (type == QEvent::KeyPress) {
        for (int i = 1; i <= 5; ++i) {
            if (watched == entry_[i]) entryDone_ = false;
            if (watched == text22_[i]) {
                // Only a sign and digits may be typed into a reference value.
                const QString text = static_cast<QKeyEvent*>(event)->text();
                if (!text.isEmpty() && text.at(0).isPrint() &&
                    !QStringLiteral("-0123456789").contains(text)) {
                    return true;
                }
            }
        }
    } else if (type == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason) {
            for (int i = 1; i <= 5; ++i) {
                if (watched == text22_[i]) manualValueLeft(i);
            }
            if (watched == lagField_) lagFieldLeft();
            if (watched == combo1_) combinedFieldLeft();
        }
    } else if (type == QEvent::MouseButtonDblClick) {
        for (QTableView* grid : {grid1_, grid2_, grid3_}) {
            if (watched == grid->viewport()) {
                exportGrid(grid);
                return true;
            }
        }
    } else if (type == QEvent::MouseButtonRelease && watched == grid1_->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) mnuLsgl_->popup(mouse->globalPosition().toPoint());
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace arrange5
