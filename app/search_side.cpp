#include "app/search_side.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>
#include <QTabBar>

#include "analysis/reference.h"
#include "app/field_rules.h"
#include "app/reference_tabs.h"
#include "store/errors.h"
#include "store/history_document.h"

namespace arrange5 {

namespace {

constexpr int kHistoryTab = ReferenceTabs::kHistoryTab;  // 自动历史位
constexpr int kManualTab = ReferenceTabs::kManualTab;    // 手动输入号
constexpr int kVerifyTab = ReferenceTabs::kVerifyTab;    // 验证指定期

std::optional<int16_t> shortValue(const QString& text) {
    bool ok = false;
    const short value = text.trimmed().toShort(&ok);
    return ok ? std::optional<int16_t>(value) : std::nullopt;
}

// The caption of the checked button of a group, without its accelerator mark.
template <std::size_t N>
QString checkedCaption(const std::array<QRadioButton*, N>& buttons) {
    for (const QRadioButton* b : buttons) {
        if (b && b->isChecked()) return b->text().remove('&');
    }
    return {};
}

}  // namespace

SearchSide::SearchSide(const SearchControls& controls, const UserSettings& stored, SaveOption save,
                       ReportError report, EarlierModeChosen earlierMode, QObject* parent)
    : QObject(parent),
      c_(controls),
      tabs_(controls.referenceTabs),
      form_(stored, save),
      save_(std::move(save)),
      report_(std::move(report)),
      earlierMode_(std::move(earlierMode)) {
    for (int i = 0; i < 5; ++i) manualTexts_[i] = tabs_->value(kManualTab, i)->text();
    connectControls();
}

void SearchSide::connectControls() {
    for (bool value : {false, true}) {
        connect(c_.positionMode[value], &QRadioButton::clicked, this,
                [this, value] { positionModeClicked(value); });
        connect(c_.referenceIssue[value], &QRadioButton::clicked, this,
                [this, value] { referenceIssueClicked(value); });
        connect(c_.selection[value], &QRadioButton::clicked, this,
                [this, value] { selectionClicked(value); });
        connect(c_.colour[value], &QRadioButton::clicked, this,
                [this, value] { save_(&UserSettings::redOnly, value); });
    }
    for (int kind = 0; kind < 4; ++kind) {
        connect(c_.searchKind[kind], &QRadioButton::clicked, this, [this, kind] {
            form_.setSearchKind(static_cast<CodeKind>(kind));
            showReference();
        });
        connect(c_.resultKind[kind], &QRadioButton::clicked, this,
                [this, kind] { form_.setResultKind(static_cast<CodeKind>(kind)); });
    }
    for (int i = 0; i < 5; ++i) {
        const int position = i + 1;
        connect(c_.resultPosition[i], &QRadioButton::clicked, this,
                [this, position] { form_.setResultPosition(position); });
        QLineEdit* manual = tabs_->value(kManualTab, i);
        acceptSignedNumber(manual);
        whenLeft(manual, [this, position] { manualValueLeft(position); });
    }
    makeDigitField(c_.lagField);
    whenLeft(c_.lagField, [this] { lagFieldLeft(); });
    whenLeft(c_.combinedBox, [this] { combinedFieldLeft(); });
    // A new issue to verify takes effect at once, so the next search uses its reference.
    connect(tabs_->verifyIssueField(), &QLineEdit::editingFinished, this, [this] {
        if (tabs_->current() == kVerifyTab) showVerificationReference(false);
    });
    connect(tabs_->tabBar(), &QTabBar::currentChanged, this, &SearchSide::tabChanged);
    connect(tabs_->onlyBeforeBox(), &QCheckBox::clicked, this, &SearchSide::onlyBeforeClicked);
}

// The window's traditional order: the option groups, the colour, the two fields, then the
// search kind, whose click shows the reference of the mode in force.
void SearchSide::replayStoredOptions(const UserSettings& s) {
    c_.positionMode[s.freePositions]->setChecked(true);
    c_.referenceIssue[s.previousIssue]->setChecked(true);
    positionModeClicked(s.freePositions);
    referenceIssueClicked(s.previousIssue);

    c_.selection[s.groupSelection]->setChecked(true);
    selectionClicked(s.groupSelection);

    c_.resultPosition[s.resultPosition - 1]->setChecked(true);
    form_.setResultPosition(s.resultPosition);

    c_.resultKind[s.resultKind]->setChecked(true);
    form_.setResultKind(static_cast<CodeKind>(s.resultKind));

    c_.colour[s.redOnly]->setChecked(true);
    save_(&UserSettings::redOnly, s.redOnly);

    lagText_ = QString::number(s.lagN);
    c_.lagField->setText(lagText_);
    combinedText_ = QString::number(s.combined);
    c_.combinedBox->setEditText(combinedText_);

    c_.searchKind[s.searchKind]->setChecked(true);
    form_.setSearchKind(static_cast<CodeKind>(s.searchKind));
    showReference();
}

// ---- the reference ----

void SearchSide::showReference() {
    const int tab = tabs_->current();
    if (tab == kVerifyTab) {
        showVerificationReference(false);
        return;
    }
    if (tab == kManualTab) {
        manualReference_ = true;
        for (int i = 0; i < 5; ++i) {
            if (const auto v = shortValue(tabs_->value(kManualTab, i)->text())) reference_[i] = *v;
        }
        referenceShown();
        return;
    }
    manualReference_ = false;
    if (!document_) return;
    const auto values = historyReference(document_->rows(), form_.settings());
    if (!values) return;
    reference_ = *values;
    for (int i = 0; i < 5; ++i) {
        tabs_->value(kHistoryTab, i)->setText(QString::number(reference_[i]));
    }
    referenceShown();
}

void SearchSide::referenceShown() const {
    if (referenceFollower_) referenceFollower_(reference_);
}

void SearchSide::showVerificationReference(bool reportBadIssue) {
    if (!document_) return;
    int32_t issue = 0;
    try {
        issue = parseIssueField(tabs_->verifyIssueField()->text().toStdString(),
                                form_.fieldNames().verify);
    } catch (const Error& e) {
        if (reportBadIssue) report_(QString::fromStdString(e.what()));
        return;
    }
    const bool onlyBefore = tabs_->onlyBeforeBox()->isChecked();
    const auto found = verifyReference(document_->rows(), issue, onlyBefore, form_.settings());
    if (!found) {
        // A target before the first draw has no reference, so the values stay; 止 still
        // ends the range as for any target: at the target itself or at the last issue.
        if (!document_->empty() && verifyTarget(issue) < document_->rows().front().issue) {
            setRangeEnd(onlyBefore ? verifyTarget(issue) : document_->rows().back().issue);
        }
        return;
    }
    manualReference_ = false;
    reference_ = found->values;
    for (int i = 0; i < 5; ++i) {
        tabs_->value(kVerifyTab, i)->setText(QString::number(reference_[i]));
    }
    setRangeEnd(found->rangeEnd);
    referenceShown();
}

void SearchSide::setIssueToVerify(const QString& issue) {
    QLineEdit* field = tabs_->verifyIssueField();
    const bool typed = !proposedVerifyIssue_.isNull() && field->text() != proposedVerifyIssue_;
    proposedVerifyIssue_ = issue;
    if (!typed) field->setText(issue);
}

std::optional<int32_t> SearchSide::verifiedIssue() const {
    if (tabs_->current() != kVerifyTab) return std::nullopt;
    try {
        return parseIssueField(tabs_->verifyIssueField()->text().toStdString(),
                               form_.fieldNames().verify);
    } catch (const Error&) {
        return std::nullopt;
    }
}

void SearchSide::tabChanged(int tab) {
    // The verification's range end belongs to the verification: leaving it with 仅检索该期前
    // ticked gives the other tabs the whole history again, as clearing the box does.
    const bool leftVerification = shownTab_ == kVerifyTab && tab != kVerifyTab;
    shownTab_ = tab;
    if (leftVerification && tabs_->onlyBeforeBox()->isChecked() && document_ &&
        !document_->empty()) {
        setRangeEnd(document_->rows().back().issue);
    }
    if (tab == kVerifyTab) {
        showVerificationReference(true);
        return;
    }
    // The mode may have changed while another tab was shown: 自动历史位 shows and searches the
    // reference of the mode in force, never what its fields held before.
    if (tab == kHistoryTab) {
        showReference();
        return;
    }
    manualReference_ = tab == kManualTab;
    for (int i = 0; i < 5; ++i) {
        if (const auto v = shortValue(tabs_->value(tab, i)->text())) reference_[i] = *v;
    }
    referenceShown();
}

void SearchSide::onlyBeforeClicked() {
    if (!document_ || document_->empty()) return;
    QCheckBox* box = tabs_->onlyBeforeBox();
    if (!box->isChecked()) {
        setRangeEnd(document_->rows().back().issue);
        return;
    }
    try {
        const int32_t issue = parseIssueField(tabs_->verifyIssueField()->text().toStdString(),
                                              form_.fieldNames().verify);
        setRangeEnd(verifyTarget(issue));
    } catch (const Error& e) {
        // Without an issue there is nothing to search before: the box stays clear.
        box->setChecked(false);
        report_(QString::fromStdString(e.what()));
    }
}

// ---- options ----

void SearchSide::positionModeClicked(bool free) {
    form_.setFreePositions(free);
    showReference();
    updateRangeStart();
}

void SearchSide::referenceIssueClicked(bool previous) {
    form_.setPreviousIssue(previous);
    earlierMode_(!previous);
    showReference();
    updateRangeStart();
}

void SearchSide::selectionClicked(bool group) {
    form_.setGroup(group);
    showReference();
}

// The N of 前期 is one digit 1..9; anything else puts the previous N back.
void SearchSide::lagFieldLeft() {
    bool ok = false;
    const int n = c_.lagField->text().trimmed().toInt(&ok);
    if (!ok || !form_.setLagN(n)) {
        c_.lagField->setText(lagText_);
        return;
    }
    lagText_ = QString::number(n);
    showReference();
    updateRangeStart();
}

void SearchSide::combinedFieldLeft() {
    bool ok = false;
    const int k = c_.combinedBox->currentText().trimmed().toShort(&ok);
    if (!ok || !form_.setCombinationSize(k)) {
        c_.combinedBox->setEditText(combinedText_);
        return;
    }
    combinedText_ = QString::number(k);
}

void SearchSide::manualValueLeft(int position) {
    QLineEdit* field = tabs_->value(kManualTab, position - 1);
    const auto v = shortValue(field->text());
    if (!v) {
        field->setText(manualTexts_[position - 1]);
        return;
    }
    manualTexts_[position - 1] = field->text();
    reference_[position - 1] = *v;
    referenceShown();
}

void SearchSide::commitPendingEdit(const QWidget* focus) {
    if (focus == c_.lagField) {
        lagFieldLeft();
    } else if (focus == c_.combinedBox || c_.combinedBox->isAncestorOf(focus)) {
        combinedFieldLeft();
    } else if (focus == tabs_->verifyIssueField()) {
        if (tabs_->current() == kVerifyTab) showVerificationReference(false);
    } else {
        for (int i = 0; i < 5; ++i) {
            if (focus == tabs_->value(kManualTab, i)) manualValueLeft(i + 1);
        }
    }
}

// ---- the range ----

void SearchSide::updateRangeStart() {
    if (!document_) return;
    if (const auto start = defaultRangeStart(document_->rows(), form_.settings())) {
        c_.rangeFrom->setText(QString::number(*start));
    }
}

void SearchSide::setRangeEnd(int32_t issue) {
    c_.rangeTo->setText(QString::number(issue));
}

void SearchSide::showRange(const RangeUpdate& update) {
    if (update.from) c_.rangeFrom->setText(QString::number(*update.from));
    if (update.to) setRangeEnd(*update.to);
}

void SearchSide::setRangeDefaults() {
    showRange(form_.rangeDefaults(document_ ? document_->rows() : HistorySnapshot{}));
}

void SearchSide::followHistory(bool toDefaults) {
    showRange(form_.followHistory(c_.rangeFrom->text().toStdString(),
                                  c_.rangeTo->text().toStdString(),
                                  document_ ? document_->rows() : HistorySnapshot{}, toDefaults));
}

// ---- the request ----

// The window searches the reference it shows, whichever tab it came from, and the range in
// 起 and 止; the form checks them and completes the request as for the command line.
SearchRequest SearchSide::request(bool combination) {
    if (!document_) throw StoreError("历史数据库无法使用");
    const RequestFieldNames& names = form_.fieldNames();
    form_.combination = combination;
    form_.positions() = tabs_->ticked();
    form_.useTypedReference(reference_);
    if (tabs_->current() == kVerifyTab) {
        parseIssueField(tabs_->verifyIssueField()->text().toStdString(), names.verify);
    }
    const int32_t from = parseIssueBound(c_.rangeFrom->text().toStdString(), names.from);
    const int32_t to = parseIssueBound(c_.rangeTo->text().toStdString(), names.to);
    form_.setRange(from, to);
    return form_.request(document_->rows());
}

SearchForm SearchSide::verificationForm() const {
    SearchForm form = form_;
    form.combination = false;
    form.positions() = tabs_->ticked();
    form.useHistoryReference();
    form.setRange(std::nullopt, std::nullopt);
    return form;
}

QString SearchSide::settingsText() const {
    const SearchSettings& s = form_.settings();
    QStringList ticked;
    const auto positions = tabs_->ticked();
    for (int i = 0; i < 5; ++i) {
        if (positions[i]) ticked << QString::number(i + 1);
    }
    const QString issue =
        s.previousIssue ? QStringLiteral("上期") : QStringLiteral("前%1期").arg(s.lagN);
    return QStringLiteral("%1 %2 %3 第%4位；结果 %5 %6 %7")
        .arg(checkedCaption(c_.searchKind), checkedCaption(c_.positionMode), issue,
             ticked.join(QStringLiteral("、")), checkedCaption(c_.resultKind),
             checkedCaption(c_.resultPosition), checkedCaption(c_.selection));
}

}  // namespace arrange5
