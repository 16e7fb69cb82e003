#pragma once

#include <QGroupBox>
#include <array>

class QCheckBox;
class QLineEdit;
class QStackedLayout;
class QTabBar;

namespace arrange5 {

// The reference frame (FrameReference): TabStrip1 over three frames of five position boxes
// and five values, and on 验证指定期 the issue to verify (Text4) with 仅检索该期前 (Check4).
// It shows the frame of the selected tab and holds the controls; what a tab means is the
// window's.
class ReferenceTabs : public QGroupBox {
  public:
    // The tabs, in their order.
    static constexpr int kHistoryTab = 0;  // 自动历史位
    static constexpr int kManualTab = 1;   // 手动输入号
    static constexpr int kVerifyTab = 2;   // 验证指定期

    explicit ReferenceTabs(QWidget* parent = nullptr);

    QTabBar* tabBar() const { return tabBar_; }
    int current() const;
    // Position 1..5 at 0..4: 自动历史位 Check1/Text2(1..5), 手动输入号 Check11/Text22(1..5),
    // 验证指定期 Check1/Text2(11..15).
    QLineEdit* value(int tab, int index) const { return tabs_[tab].values[index]; }
    QCheckBox* tick(int tab, int index) const { return tabs_[tab].ticks[index]; }
    // The positions ticked on the selected tab (a partly ticked box counts).
    std::array<bool, 5> ticked() const;
    QLineEdit* verifyIssueField() const { return verifyIssue_; }
    QCheckBox* onlyBeforeBox() const { return onlyBefore_; }

  private:
    struct Tab {
        QGroupBox* frame = nullptr;
        std::array<QCheckBox*, 5> ticks{};
        std::array<QLineEdit*, 5> values{};
    };

    QTabBar* tabBar_ = nullptr;
    QStackedLayout* frames_ = nullptr;
    std::array<Tab, 3> tabs_{};
    QLineEdit* verifyIssue_ = nullptr;
    QCheckBox* onlyBefore_ = nullptr;
};

}  // namespace arrange5
