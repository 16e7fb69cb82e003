#pragma once

#include <QGroupBox>

class QPushButton;

namespace arrange5 {

// 操作 (FrameCommands): the buttons of the commands on the whole history. Each objectName is
// the button's traditional name; the window connects each to its command.
class CommandsPanel : public QGroupBox {
  public:
    explicit CommandsPanel(QWidget* parent = nullptr);

    QPushButton* importButton = nullptr;      // cmdRdLst
    QPushButton* updateButton = nullptr;      // Command21
    QPushButton* exportTextButton = nullptr;  // Command4
    QPushButton* deleteLastButton = nullptr;  // Command3
    QPushButton* settingsButton = nullptr;    // Command9
    QPushButton* backtestButton = nullptr;    // CommandBacktest, 滚动验证
    QPushButton* trendButton = nullptr;       // CommandTrend, 走势图
};

}  // namespace arrange5
