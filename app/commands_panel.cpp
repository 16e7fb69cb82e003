#include "app/commands_panel.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace arrange5 {

CommandsPanel::CommandsPanel(QWidget* parent) : QGroupBox(QStringLiteral("操作"), parent) {
    setObjectName("FrameCommands");
    auto* buttons = new QVBoxLayout(this);
    auto button = [&](QPushButton*& target, const char* name, const QString& caption) {
        target = new QPushButton(caption);
        target->setObjectName(name);
        target->setMinimumHeight(32);
        buttons->addWidget(target);
    };
    button(importButton, "cmdRdLst", QStringLiteral("读取历史号文本(&W)"));
    importButton->setToolTip(
        QStringLiteral("从历史号码文本文件中读取历史号中最后一期之后的新的历史号码"));
    button(updateButton, "Command21", QStringLiteral("历史号在线更新(&O)"));
    updateButton->setToolTip(QStringLiteral("从官方服务器更新历史号码"));
    button(exportTextButton, "Command4", QStringLiteral("历史号码导出文本文件(&E)"));
    button(deleteLastButton, "Command3", QStringLiteral("删除最后历史(&D)"));
    button(settingsButton, "Command9", QStringLiteral("软件设置(&T)"));
    button(backtestButton, "CommandBacktest", QStringLiteral("滚动验证(&V)"));
    button(trendButton, "CommandTrend", QStringLiteral("走势图(&Z)"));
    buttons->addStretch();
    // On a wide screen the grids take the room; the buttons keep their size.
    setMaximumWidth(300);
}

}  // namespace arrange5
