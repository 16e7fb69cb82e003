#include "app/update_settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "acquire/official_source.h"
#include "acquire/online_update.h"

namespace arrange5 {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

UpdateSettingsDialog::UpdateSettingsDialog(const UserSettings& current, QWidget* parent)
    : QDialog(parent), values_(current) {
    setObjectName("UpdateSettingsDialog");
    setWindowTitle(QStringLiteral("在线更新设置"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    auto* sources = new QHBoxLayout;
    official_ = new QRadioButton(text(updateSourceName(UpdateSource::Official)));
    official_->setObjectName("updateSourceOfficial");
    pages_ = new QRadioButton(text(updateSourceName(UpdateSource::Pages)));
    pages_->setObjectName("updateSourcePages");
    sources->addWidget(official_);
    sources->addWidget(pages_);
    sources->addStretch();
    const bool onPages = updateSourceFromKey(current.updateSource) == UpdateSource::Pages;
    (onPages ? pages_ : official_)->setChecked(true);
    form->addRow(QStringLiteral("开奖结果来源："), sources);

    // The default address is shown as it is, not as a hint: the user sees what is read.
    auto* officialRow = new QHBoxLayout;
    officialUrl_ = new QLineEdit(QString::fromStdString(
        current.officialUrl.empty() ? officialSourceUrl() : current.officialUrl));
    officialUrl_->setObjectName("txtOfficialUrl");
    // Wide enough for the whole default address.
    officialUrl_->setMinimumWidth(
        officialUrl_->fontMetrics().horizontalAdvance(QString::fromStdString(officialSourceUrl())) +
        24);
    officialUrl_->setCursorPosition(0);
    auto* restore = new QPushButton(QStringLiteral("恢复默认"));
    restore->setObjectName("restoreOfficialUrl");
    connect(restore, &QPushButton::clicked, this, [this] {
        officialUrl_->setText(QString::fromStdString(officialSourceUrl()));
        officialUrl_->setCursorPosition(0);
    });
    officialRow->addWidget(officialUrl_);
    officialRow->addWidget(restore);
    form->addRow(QStringLiteral("体彩官方数据地址："), officialRow);

    pagesUrl_ = new QLineEdit(QString::fromStdString(current.updateHost));
    pagesUrl_->setObjectName("txtUpdateHost");
    pagesUrl_->setPlaceholderText(
        QStringLiteral("例如 https://www.example.com（读取 …/lottery/draw/list/4?d=年-01-01）"));
    form->addRow(QStringLiteral("开奖结果网址："), pagesUrl_);

    keepAllYears_ = new QCheckBox(QStringLiteral("以后不再询问，保留全部"));
    keepAllYears_->setObjectName("bolKeepAllYears");
    keepAllYears_->setChecked(current.keepAllYears);
    keepAllYears_->setToolTip(
        QStringLiteral("历史号码早于保留年数时，在线更新不再询问是否删除，保留全部并更新"));
    form->addRow(QStringLiteral("早期历史："), keepAllYears_);
    onStart_ = new QCheckBox(QStringLiteral("启动时检查新开奖"));
    onStart_->setObjectName("bolUpdateOnStart");
    onStart_->setChecked(current.updateOnStart);
    onStart_->setToolTip(QStringLiteral("程序启动时在线更新一次；没有新开奖时不打扰"));
    form->addRow(QStringLiteral("启动时："), onStart_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

UserSettings UpdateSettingsDialog::chosen() const {
    UserSettings out = values_;
    out.updateSource = std::string(
        updateSourceKey(pages_->isChecked() ? UpdateSource::Pages : UpdateSource::Official));
    const std::string official = officialUrl_->text().trimmed().toStdString();
    out.officialUrl = official == officialSourceUrl() ? std::string() : official;
    out.updateHost = pagesUrl_->text().trimmed().toStdString();
    out.keepAllYears = keepAllYears_->isChecked();
    out.updateOnStart = onStart_->isChecked();
    return out;
}

}  // namespace arrange5
