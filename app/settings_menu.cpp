#include "app/settings_menu.h"

#include <QAction>
#include <QMenu>
#include <QUrl>

#include "analysis/study_log.h"
#include "app/dialogs.h"
#include "app/study_dialog.h"
#include "app/update_settings_dialog.h"
#include "store/errors.h"
#include "store/limits.h"
#include "store/program_info.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

// The traditional prompt promised to delete the earliest year; nothing is deleted without the
// early-history question, and N years are N calendar years.
const QString kYearsPrompt = QStringLiteral(
    "请输入在线更新保留的历史号码的年数（2~16中的任意自然数，含今年：6 表示保留今年和之前 5 "
    "年）。历史号码早于这些年份时，在线更新会先询问是否删除，不会自动删除");
const QString kYearsWarning = QStringLiteral(
    "为了保证时效性和提高计算效率，软件只能统计16年以内的数据，请输入2到16中的自然数。");

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

}  // namespace

SettingsMenu::SettingsMenu(QMenu* menu, Settings& settings, WindowServices services,
                           fs::path dataFolder, std::vector<fs::path> docFolders,
                           const AsCommand& asCommand, Hooks hooks)
    : QObject(menu),
      menu_(menu),
      settings_(settings),
      services_(std::move(services)),
      dataFolder_(std::move(dataFolder)),
      docFolders_(std::move(docFolders)),
      hooks_(std::move(hooks)) {
    menu_->setObjectName("mnuSetup");
    auto item = [&](QMenu* into, const char* name, const QString& caption,
                    std::function<void()> handler) {
        QAction* action = into->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, asCommand(std::move(handler)));
        return action;
    };
    QMenu* segments = menu_->addMenu(QStringLiteral("段数参数设置(&A)"));
    segments->setObjectName("mnuDssetup");
    segments->menuAction()->setObjectName("mnuDssetup");
    // Check marks, not radio dots: chooseSegmentBase() keeps exactly one item checked.
    const QStringList captions = {"段数参数0~4(&0)", "段数参数1~5(&1)"};
    for (int base = 0; base < 2; ++base) {
        segmentBaseItems_[base] =
            item(segments, "", captions[base], [this, base] { chooseSegmentBase(base); });
        segmentBaseItems_[base]->setObjectName(indexed("mnuDscs", base));
        segmentBaseItems_[base]->setCheckable(true);
    }
    item(segments, "mnuRecode", QStringLiteral("按当前分段方式重算(&R)"),
         [this] { hooks_.recodeNow(); });
    menu_->addSeparator()->setObjectName("mk10");
    item(menu_, "mnuSetDay", QStringLiteral("历史号码更新检索年(&Y)"),
         [this] { askYearsToKeep(); });
    QMenu* sources = menu_->addMenu(QStringLiteral("开奖结果来源(&S)"));
    sources->menuAction()->setObjectName("mnuSource");
    const QStringList sourceCaptions = {"体彩官方数据(&G)", "开奖结果网页(&W)"};
    for (int i = 0; i < 2; ++i) {
        const UpdateSource source = i == 0 ? UpdateSource::Official : UpdateSource::Pages;
        updateSourceItems_[i] =
            item(sources, "", sourceCaptions[i], [this, source] { chooseUpdateSource(source); });
        updateSourceItems_[i]->setObjectName(indexed("mnuSource", i));
        updateSourceItems_[i]->setCheckable(true);
    }
    item(menu_, "mnuUpdateSettings", QStringLiteral("在线更新设置(&U)"),
         [this] { editUpdateSettings(); });
    item(menu_, "mnuStudy", QStringLiteral("研究记录(&L)"), [this] { showStudy(); });
    item(menu_, "mnuNewStudy", QStringLiteral("开始新的研究(&N)"), [this] { startNewStudy(); });
    item(menu_, "mnuFrontPage", QStringLiteral("软件介绍服务主页(&P)"),
         [this] { openDocument("index.html"); });
    item(menu_, "mnuDescrb", QStringLiteral("软件介绍说明页面(&R)"),
         [this] { openDocument("manual.html"); });
    item(menu_, "numYanshiDown", QStringLiteral("软件演示说明录像下载(&D)"),
         [this] { openDocument("demo.gif"); });
    // The documents describe this version of the program.
    QAction* version = menu_->addAction(QStringLiteral("版本 %1").arg(kProgramVersion));
    version->setObjectName("mnuVersion");
    version->setEnabled(false);
}

void SettingsMenu::showStored() {
    for (int base : {0, 1}) segmentBaseItems_[base]->setChecked(base == settings_->segmentBase);
    chooseUpdateSource(
        updateSourceFromKey(settings_->updateSource).value_or(UpdateSource::Official));
}

void SettingsMenu::chooseSegmentBase(int base) {
    settings_.set(&WindowSettings::segmentBase, base);
    for (int b : {0, 1}) segmentBaseItems_[b]->setChecked(b == base);
    hooks_.segmentBaseChosen(base);
}

void SettingsMenu::chooseUpdateSource(UpdateSource source) {
    settings_.set(&WindowSettings::updateSource, std::string(updateSourceKey(source)));
    updateSourceItems_[0]->setChecked(source == UpdateSource::Official);
    updateSourceItems_[1]->setChecked(source == UpdateSource::Pages);
}

void SettingsMenu::askYearsToKeep() {
    for (;;) {
        const auto answer =
            services_.dialogs->input(services_.window, QStringLiteral("设置年数"), kYearsPrompt,
                                     QString::number(settings_->yearsToKeep));
        if (!answer || answer->isEmpty()) return;
        bool ok = false;
        const int years = answer->trimmed().toInt(&ok);
        if (!ok || years < limits::kMinYearsToKeep || years > limits::kMaxYearsToKeep) {
            services_.dialogs->notice(services_.window, QStringLiteral("输入有误"), kYearsWarning);
            continue;
        }
        settings_.set(&WindowSettings::yearsToKeep, years);
        return;
    }
}

void SettingsMenu::editUpdateSettings() {
    UpdateSettingsDialog dialog(*settings_, services_.window);
    if (!services_.dialogs->runDialog(dialog)) return;
    const UserSettings chosen = dialog.chosen();
    settings_.set(&WindowSettings::updateHost, chosen.updateHost);
    settings_.set(&WindowSettings::officialUrl, chosen.officialUrl);
    settings_.set(&WindowSettings::keepAllYears, chosen.keepAllYears);
    settings_.set(&WindowSettings::updateOnStart, chosen.updateOnStart);
    chooseUpdateSource(updateSourceFromKey(chosen.updateSource).value_or(UpdateSource::Official));
}

void SettingsMenu::showStudy() {
    std::vector<StudyEntry> entries;
    if (!services_.guarded([&] { entries = StudyLog(dataFolder_).entries(); })) return;
    StudyDialog dialog(entries, services_.window);
    dialog.exec();
}

void SettingsMenu::startNewStudy() {
    std::optional<std::size_t> count;
    try {
        count = StudyLog(dataFolder_).count();
    } catch (const Error&) {
    }
    const QString counted = count
                                ? QStringLiteral("本次研究已检索或验证 %1 种设置。").arg(*count)
                                : QStringLiteral("研究记录无法读取；开始新的研究会把它另存一旁。");
    const QString text =
        counted + QStringLiteral(
                      "开始新的研究会把这个数目归零：此后的设置从第 1 种重新排起，各按其"
                      "名次校正。\n\n只有当你换了一个新的问题、不再沿用之前检索得到的想法时，"
                      "才应开始新的研究。历史号码不受影响。");
    if (!services_.dialogs->confirm(services_.window, QStringLiteral("开始新的研究"), text)) {
        return;
    }
    services_.guarded([&] { StudyLog(dataFolder_).reset(); });
    hooks_.studyReset();
}

void SettingsMenu::openDocument(const char* name) {
    for (const fs::path& folder : docFolders_) {
        const fs::path file = folder / name;
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) continue;
        const QString path = QString::fromStdString(file.string());
        if (!services_.dialogs->openUrl(QUrl::fromLocalFile(path))) {
            services_.reportError(QStringLiteral("没有找到可以打开 %1 的程序。").arg(path));
        }
        return;
    }
    services_.reportError(QStringLiteral("找不到文档 %1（应在程序目录的 docs 文件夹中）。")
                              .arg(QString::fromUtf8(name)));
}

}  // namespace arrange5
