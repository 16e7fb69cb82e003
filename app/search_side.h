#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "analysis/search_form.h"
#include "analysis/search_range.h"
#include "app/search_panel.h"

class QWidget;

namespace arrange5 {

class HistoryDocument;
class ReferenceTabs;

// The search side bound to the search form: each option control sets the form (which saves
// it), the reference tabs decide where the reference comes from and what the tabs show, and
// the range fields follow the history. It owns what the tabs mean: which reference is in
// force, whether it was typed, which tab's frame was shown last. It runs nothing; the
// window's search commands ask it for the checked request and run the form.
class SearchSide : public QObject {
  public:
    using ReportError = std::function<void(const QString&)>;
    // Told when 上期/前期 changes: an empty hits list names its last column after the mode.
    using EarlierModeChosen = std::function<void(bool earlier)>;

    SearchSide(const SearchControls& controls, const UserSettings& stored, SaveOption save,
               ReportError report, EarlierModeChosen earlierMode, QObject* parent);

    // The history the reference and the range come from; none when the store is unusable.
    void setDocument(HistoryDocument* document) { document_ = document; }
    void setSegmentBase(int base) { form_.setSegmentBase(base); }

    // Told with the reference in force whenever it may have changed (a tab, a typed value, a
    // mode, the history), so that a result searched with another one can be marked stale.
    void setReferenceFollower(std::function<void(const ReferenceValues&)> follower) {
        referenceFollower_ = std::move(follower);
    }

    // Start-up: every option shows its stored setting and runs its click behaviour.
    void replayStoredOptions(const UserSettings& stored);

    // The reference of the selected tab into the values the search uses (and, on 自动历史位
    // and 验证指定期, into the tab's fields).
    void showReference();
    // 验证指定期: the draw before the issue in Text4, and 止 where the verification ends it.
    // A bad issue is reported only when `reportBadIssue`.
    void showVerificationReference(bool reportBadIssue);
    // The next issue, as the issue to verify; an issue the user typed into Text4 stays, as
    // typed bounds of the range do.
    void setIssueToVerify(const QString& issue);

    // 起 the first issue with a draw at the required distance before it, 止 the last issue.
    void setRangeDefaults();
    // After a change of the history: bounds still at their defaults follow it, typed ones
    // stay; `toDefaults` (a change made elsewhere, or one that may have purged years) sets
    // both to the new history's defaults.
    void followHistory(bool toDefaults);

    // A pending edit of the field with the focus, taken in as leaving it would.
    void commitPendingEdit(const QWidget* focus);

    // The checked request of the single (or combination) search over the reference in
    // force and the range in 起 and 止; throws InputError naming the field.
    SearchRequest request(bool combination);
    const SearchForm& form() const { return form_; }
    // The form as the verification takes it: the options and the ticked positions; each
    // target's reference and range are the verification's own.
    SearchForm verificationForm() const;

    const ReferenceValues& referenceValues() const { return reference_; }
    bool manualReference() const { return manualReference_; }
    // The issue in Text4 when 验证指定期 is selected and the issue reads.
    std::optional<int32_t> verifiedIssue() const;
    // The settings in one line, as the verification dialog shows what it runs on.
    QString settingsText() const;

  private:
    void connectControls();
    void positionModeClicked(bool free);
    void referenceIssueClicked(bool previous);
    void selectionClicked(bool group);
    void tabChanged(int tab);
    void onlyBeforeClicked();
    void lagFieldLeft();
    void combinedFieldLeft();
    void manualValueLeft(int position);
    void updateRangeStart();
    void setRangeEnd(int32_t issue);
    void showRange(const RangeUpdate& update);
    void referenceShown() const;

    const SearchControls& c_;
    ReferenceTabs* tabs_;
    SearchForm form_;
    SaveOption save_;
    ReportError report_;
    EarlierModeChosen earlierMode_;
    HistoryDocument* document_ = nullptr;
    std::function<void(const ReferenceValues&)> referenceFollower_;

    ReferenceValues reference_{};
    bool manualReference_ = false;
    int shownTab_ = 0;                    // the tab whose frame shows, until tabChanged() moves on
    std::array<QString, 5> manualTexts_;  // last valid text of Text22(1..5)
    QString lagText_;                     // last valid text of MaskEdBox2
    QString combinedText_;                // last valid text of Combo1
    QString proposedVerifyIssue_;         // what setIssueToVerify last put into Text4
};

}  // namespace arrange5
