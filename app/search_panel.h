#pragma once

#include <QWidget>
#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace arrange5 {

class ReferenceTabs;

// The search side's controls; each objectName is the control's traditional name.
struct SearchControls {
    QLineEdit* rangeFrom = nullptr;  // Text3(0), 起
    QLineEdit* rangeTo = nullptr;    // Text3(1), 止
    // [false] 固定位 Option1(0), [true] 自由位 Option1(1)
    std::array<QRadioButton*, 2> positionMode{};
    // [false] 前期 Option1(2), [true] 上期 Option1(3)
    std::array<QRadioButton*, 2> referenceIssue{};
    QLineEdit* lagField = nullptr;                  // MaskEdBox2, N of 前期
    std::array<QRadioButton*, 4> searchKind{};      // Option3(0..3)
    ReferenceTabs* referenceTabs = nullptr;         // FrameReference
    std::array<QRadioButton*, 4> resultKind{};      // Option4(0..3)
    std::array<QRadioButton*, 5> resultPosition{};  // Option5(1..5)
    std::array<QRadioButton*, 2> selection{};  // [false] 直选 Option2(4), [true] 组选 Option2(5)
    QPushButton* searchButton = nullptr;       // Command1
    QComboBox* combinedBox = nullptr;          // Combo1, 组合位数
    std::array<QRadioButton*, 2> colour{};  // [false] 红蓝 Option6(0), [true] 红球 Option6(1)
    QPushButton* combinationButton = nullptr;  // Command2
};

// The search side (SearchSide): the range, the options, the reference tabs and the two search
// buttons, laid out to fit a 768-pixel screen. What the options mean is the window's.
class SearchPanel : public QWidget {
  public:
    explicit SearchPanel(QWidget* parent = nullptr);
    const SearchControls& controls() const { return c_; }

  private:
    SearchControls c_;
};

}  // namespace arrange5
