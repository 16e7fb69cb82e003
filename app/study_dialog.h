#pragma once

#include <QDialog>
#include <vector>

#include "analysis/study_log.h"

namespace arrange5 {

class TextTableModel;

// 研究记录: the study's settings in rank order, as `arrange5-cli study` lists them: each
// setting's rank, the setting as a command line, when it was first run, its latest p, the
// level its rank demands, the adjusted p and the verdict. The dialog only shows the log.
class StudyDialog : public QDialog {
    Q_OBJECT
  public:
    explicit StudyDialog(const std::vector<StudyEntry>& entries, QWidget* parent = nullptr);

    const TextTableModel& settings() const { return *settings_; }

  private:
    TextTableModel* settings_;
};

}  // namespace arrange5
