#include "app/reference_tabs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedLayout>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/widget_parts.h"

namespace arrange5 {

ReferenceTabs::ReferenceTabs(QWidget* parent) : QGroupBox(parent) {
    setObjectName("FrameReference");
    auto* layout = new QVBoxLayout(this);
    tabBar_ = new QTabBar;
    tabBar_->setObjectName("TabStrip1");
    tabBar_->addTab(QStringLiteral("自动历史位"));
    tabBar_->addTab(QStringLiteral("手动输入号"));
    tabBar_->addTab(QStringLiteral("验证指定期"));
    tabBar_->setExpanding(true);
    layout->addWidget(tabBar_);

    frames_ = new QStackedLayout;
    // Check1 and Text2 are shared by tabs 1 and 3, the verification tab's counted from 11.
    const std::array<const char*, 3> checkNames = {"Check1", "Check11", "Check1"};
    const std::array<const char*, 3> valueNames = {"Text2", "Text22", "Text2"};
    for (int tab = 0; tab < 3; ++tab) {
        Tab& controls = tabs_[tab];
        controls.frame = frame(QString(), "");
        controls.frame->setObjectName(indexed("Frame2", tab));
        auto* rows = new QGridLayout(controls.frame);
        const int firstIndex = tab == kVerifyTab ? 11 : 1;
        for (int i = 0; i < 5; ++i) {
            QCheckBox* check = controls.ticks[i] =
                new QCheckBox(QStringLiteral("第%1位").arg(i + 1));
            check->setObjectName(indexed(checkNames[tab], firstIndex + i));
            QLineEdit* value = controls.values[i] =
                valueField(indexed(valueNames[tab], firstIndex + i), tab != kManualTab);
            if (tab == kManualTab) value->setText(QStringLiteral("0"));
            rows->addWidget(check, 0, i, Qt::AlignHCenter);
            rows->addWidget(value, 1, i, Qt::AlignHCenter);
        }
        if (tab == kVerifyTab) {
            auto* verify = new QHBoxLayout;
            verify->addWidget(new QLabel(QStringLiteral("验证期")));
            verifyIssue_ = new QLineEdit(QStringLiteral("2013001"));
            verifyIssue_->setObjectName("Text4");
            verifyIssue_->setFixedWidth(80);
            verify->addWidget(verifyIssue_);
            onlyBefore_ = new QCheckBox(QStringLiteral("仅检索该期前"));
            onlyBefore_->setObjectName("Check4");
            verify->addWidget(onlyBefore_);
            verify->addStretch();
            rows->addLayout(verify, 2, 0, 1, 5);
        }
        frames_->addWidget(controls.frame);
    }
    layout->addLayout(frames_);
    // Connected before anyone else, so a tab's frame shows before the window reacts to it.
    connect(tabBar_, &QTabBar::currentChanged, frames_, &QStackedLayout::setCurrentIndex);
}

int ReferenceTabs::current() const {
    return tabBar_->currentIndex();
}

std::array<bool, 5> ReferenceTabs::ticked() const {
    std::array<bool, 5> ticked{};
    const Tab& tab = tabs_[current()];
    for (int i = 0; i < 5; ++i) ticked[i] = tab.ticks[i]->checkState() != Qt::Unchecked;
    return ticked;
}

}  // namespace arrange5
