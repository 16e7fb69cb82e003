#pragma once

#include <QDialog>

#include "store/settings_table.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace arrange5 {

// 在线更新设置: where the online update reads (the source, the official data's address, the
// results site) and the two choices that spare questions (keep every year without asking,
// check for new draws at start-up), side by side so the user sees what the update will do.
class UpdateSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit UpdateSettingsDialog(const UserSettings& current, QWidget* parent = nullptr);

    // The settings as the dialog shows them; the official address is stored empty when it is
    // the default, so a later default reaches this user too.
    UserSettings chosen() const;

  private:
    UserSettings values_;
    QRadioButton* official_ = nullptr;   // updateSourceOfficial
    QRadioButton* pages_ = nullptr;      // updateSourcePages
    QLineEdit* officialUrl_ = nullptr;   // txtOfficialUrl
    QLineEdit* pagesUrl_ = nullptr;      // txtUpdateHost
    QCheckBox* keepAllYears_ = nullptr;  // bolKeepAllYears
    QCheckBox* onStart_ = nullptr;       // bolUpdateOnStart
};

}  // namespace arrange5
