#include "app/search_panel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <functional>

#include "app/reference_tabs.h"
#include "app/widget_parts.h"

namespace arrange5 {

namespace {

// "前    期" leaves its gap for N: the field sits in it, so the caption reads 前 [N] 期. The
// caption stays the button's text (its name for the keyboard and for tests) but is drawn as
// its two words around the field; a click on them still chooses the button.
void fitIntoCaptionGap(QRadioButton* button, QLineEdit* field) {
    const QString caption = button->text();
    const auto gapStart = caption.indexOf(QLatin1Char(' '));
    const auto gapEnd = caption.lastIndexOf(QLatin1Char(' ')) + 1;
    if (gapStart < 0) return;
    button->setStyleSheet(QStringLiteral("QRadioButton { color: transparent; }"));
    auto* row = new QHBoxLayout(button);
    const int indent = button->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                       button->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    row->setContentsMargins(indent, 0, 0, 0);
    row->setSpacing(3);
    auto* before = new QLabel(caption.left(gapStart));
    auto* after = new QLabel(caption.mid(gapEnd));
    for (QLabel* word : {before, after}) word->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(before);
    row->addWidget(field);
    row->addWidget(after);
}

}  // namespace

SearchPanel::SearchPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("SearchSide");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* range = frame(QStringLiteral("检索起止期数"), "FrameRange");
    auto* rangeRow = new QHBoxLayout(range);
    rangeRow->addWidget(new QLabel(QStringLiteral("起")));
    for (QLineEdit*& bound : {std::ref(c_.rangeFrom), std::ref(c_.rangeTo)}) {
        bound = new QLineEdit(QStringLiteral("2013001"));
        bound->setFixedWidth(80);
        bound->setAlignment(Qt::AlignCenter);
    }
    c_.rangeFrom->setObjectName("Text3(0)");
    c_.rangeTo->setObjectName("Text3(1)");
    rangeRow->addWidget(c_.rangeFrom);
    rangeRow->addWidget(new QLabel(QStringLiteral("～")));
    rangeRow->addWidget(new QLabel(QStringLiteral("止")));
    rangeRow->addWidget(c_.rangeTo);
    rangeRow->addStretch();
    layout->addWidget(range);

    auto* modes = new QHBoxLayout;
    auto* position = frame(QStringLiteral("检索位选择"), "FramePositionMode");
    auto* positionRow = new QHBoxLayout(position);
    c_.positionMode[true] = radio("Option1", 1, QStringLiteral("自由位"));
    c_.positionMode[false] = radio("Option1", 0, QStringLiteral("固定位"));
    positionRow->addWidget(c_.positionMode[true]);
    positionRow->addWidget(c_.positionMode[false]);
    modes->addWidget(position);

    auto* issue = frame(QStringLiteral("检索期选择"), "FrameReferenceIssue");
    auto* issueRow = new QHBoxLayout(issue);
    c_.referenceIssue[true] = radio("Option1", 3, QStringLiteral("上期"));
    c_.referenceIssue[false] = radio("Option1", 2, QStringLiteral("前    期"));
    c_.lagField = digitField(QStringLiteral("MaskEdBox2"));
    issueRow->addWidget(c_.referenceIssue[true]);
    issueRow->addWidget(c_.referenceIssue[false]);
    fitIntoCaptionGap(c_.referenceIssue[false], c_.lagField);
    issueRow->addStretch();
    modes->addWidget(issue);
    layout->addLayout(modes);

    auto* kind = frame(QStringLiteral("搜索类型选择"), "FrameSearchKind");
    auto* kindRow = new QHBoxLayout(kind);
    const QStringList kinds = {"号码", "大小", "单双", "段数"};
    for (int i = 0; i < 4; ++i) {
        c_.searchKind[i] = radio("Option3", i, kinds[i]);
        kindRow->addWidget(c_.searchKind[i]);
    }
    layout->addWidget(kind);

    c_.referenceTabs = new ReferenceTabs;
    layout->addWidget(c_.referenceTabs);

    auto* result = frame(QStringLiteral("结果类型选择"), "FrameResultKind");
    auto* resultRow = new QHBoxLayout(result);
    for (int i = 0; i < 4; ++i) {
        c_.resultKind[i] = radio("Option4", i, kinds[i]);
        resultRow->addWidget(c_.resultKind[i]);
    }
    layout->addWidget(result);

    auto* tallied = frame(QStringLiteral("结果统计选择"), "FrameResultPosition");
    auto* talliedRow = new QHBoxLayout(tallied);
    for (int i = 0; i < 5; ++i) {
        c_.resultPosition[i] = radio("Option5", i + 1, QStringLiteral("第%1位").arg(i + 1));
        talliedRow->addWidget(c_.resultPosition[i]);
    }
    layout->addWidget(tallied);

    auto* lower = new QHBoxLayout;
    auto* selection = frame(QStringLiteral("号码组选择"), "FrameSelection");
    auto* selectionRow = new QHBoxLayout(selection);
    c_.selection[false] = radio("Option2", 4, QStringLiteral("直选"));
    c_.selection[true] = radio("Option2", 5, QStringLiteral("组选"));
    selectionRow->addWidget(c_.selection[false]);
    selectionRow->addWidget(c_.selection[true]);
    lower->addWidget(selection);

    c_.searchButton = new QPushButton(QStringLiteral("检索(&S)"));
    c_.searchButton->setObjectName("Command1");
    c_.searchButton->setMinimumHeight(44);
    QFont strong = c_.searchButton->font();
    strong.setBold(true);
    c_.searchButton->setFont(strong);
    lower->addWidget(c_.searchButton, 1);
    layout->addLayout(lower);

    auto* combination = frame(QStringLiteral("组合组位检索"), "Frame5");
    auto* combinationRow = new QHBoxLayout(combination);
    combinationRow->addWidget(new QLabel(QStringLiteral("组合位数")));
    c_.combinedBox = new QComboBox;
    c_.combinedBox->setObjectName("Combo1");
    c_.combinedBox->setEditable(true);
    c_.combinedBox->addItems({"1", "2", "3", "4", "5", "6"});
    c_.combinedBox->setFixedWidth(56);
    combinationRow->addWidget(c_.combinedBox);
    c_.colour[false] = radio("Option6", 0, QStringLiteral("红蓝"));
    c_.colour[true] = radio("Option6", 1, QStringLiteral("红球"));
    combinationRow->addWidget(c_.colour[false]);
    combinationRow->addWidget(c_.colour[true]);
    c_.combinationButton = new QPushButton(QStringLiteral("组合检索(&G)"));
    c_.combinationButton->setObjectName("Command2");
    combinationRow->addWidget(c_.combinationButton);
    layout->addWidget(combination);
    layout->addStretch();
    // The one-row frames keep little room above and below their row, so that the column fits
    // a 768-pixel screen with its task bar.
    for (QGroupBox* box : findChildren<QGroupBox*>()) {
        if (auto* row = qobject_cast<QHBoxLayout*>(box->layout()))
            row->setContentsMargins(9, 3, 9, 3);
    }

    setFixedWidth(400);
}

}  // namespace arrange5
