#include "app/dialogs.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>
#include <vector>

namespace arrange5 {

namespace {

// Qt's file model writes its dates in the system's locale, which on many machines is C
// ("8 Dec 2026") beside an otherwise Chinese dialog; this writes them in the window's.
class DateInWindowLocale : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        constexpr int kDateColumn = 3;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files && role == Qt::DisplayRole && index.column() == kDateColumn) {
            return QLocale().toString(files->lastModified(mapToSource(index)),
                                      QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }
};

}  // namespace

bool DesktopDialogs::confirm(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

bool Dialogs::runDialog(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

namespace {

// A question box whose Escape key and close box both answer `escapeButton`.
int askWithButtons(QMessageBox& box, const QStringList& buttons, int defaultButton,
                   int escapeButton) {
    std::vector<QPushButton*> added;
    for (const QString& caption : buttons) {
        added.push_back(box.addButton(caption, QMessageBox::ActionRole));
    }
    box.setDefaultButton(added.at(static_cast<std::size_t>(defaultButton)));
    box.setEscapeButton(added.at(static_cast<std::size_t>(escapeButton)));
    box.exec();
    const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
    return chosen == added.end() ? escapeButton : static_cast<int>(chosen - added.begin());
}

}  // namespace

int DesktopDialogs::choose(QWidget* parent, const QString& title, const QString& text,
                           const QStringList& buttons, int defaultButton, int escapeButton) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    return askWithButtons(box, buttons, defaultButton, escapeButton);
}

int DesktopDialogs::chooseWithCheckBox(QWidget* parent, const QString& title, const QString& text,
                                       const QStringList& buttons, int defaultButton,
                                       int escapeButton, const QString& checkBox, bool& checked) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    auto* check = new QCheckBox(checkBox, &box);
    check->setChecked(checked);
    box.setCheckBox(check);
    const int answer = askWithButtons(box, buttons, defaultButton, escapeButton);
    checked = check->isChecked();
    return answer;
}

void DesktopDialogs::inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void DesktopDialogs::notice(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void DesktopDialogs::showDetails(QWidget* parent, const QString& title, const QString& text,
                                 const QString& details) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

std::optional<QString> DesktopDialogs::input(QWidget* parent, const QString& title,
                                             const QString& prompt, const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

QString DesktopDialogs::openFile(QWidget* parent, const QString& folder, const QString& filter) {
    // Qt's own dialog, in the translation loaded at start-up, wide enough that the size, type
    // and date columns show beside the name.
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new DateInWindowLocale(&dialog));
    dialog.resize(900, 560);
    // The detail view's columns as wide as what they show ("111 KiB", "2026/12/8 16:02").
    if (auto* details = dialog.findChild<QTreeView*>()) {
        details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

bool DesktopDialogs::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace arrange5
