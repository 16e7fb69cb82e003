#pragma once

#include <functional>
#include <optional>
#include <string>

#include "analysis/backtest.h"
#include "analysis/chance.h"
#include "analysis/rest_comparison.h"
#include "analysis/search_range.h"
#include "analysis/search_request.h"
#include "analysis/search_rules.h"
#include "analysis/study_log.h"
#include "analysis/study_rule.h"
#include "analysis/study_setting.h"
#include "store/settings_table.h"

namespace arrange5 {

// Saves one stored option the moment it changes: the window writes the key to its settings
// file; the command line, which reads the file but never writes it, saves nothing.
using SaveOption = std::function<void(const SettingsField& field, int value)>;

// Where a setting stands in the study (its rank and the study's count of settings), and why
// it was not counted when the study log could not be read or written: the place then has
// rank 0, so that no verdict judges a test the study did not pay for.
struct StudyCount {
    StudyPlace place;
    std::optional<std::string> warning;
};

// A search run and assessed once, for the window and the command line alike: its hits and
// tally, the tally against chance (each outcome with its intervals), the hits against the
// rest of the range, and where the setting stands in the study. The verdict words are in
// `chance.verdict` and `pattern.verdict`.
struct AssessedSearch {
    SearchRequest request;
    SearchShape shape;
    StudySetting setting;  // what the study counts
    SearchResult result;
    ChanceTest chance;
    PatternTest pattern;
    StudyCount study;  // rank 0 also when the search compared nothing (no hits, no rest)
};

// A verification checked and counted in the study, ready for runBacktest.
struct PlannedBacktest {
    BacktestRequest request;
    StudySetting setting;
    StudyCount study;
};

// The search form: every option of a search (kind, 自由位/固定位, 上期/前期 with N, ticked
// positions, where the reference comes from and the values typed, the range, the tally's
// result kind and position, 直选/组选, k of the combination search), the one rule that
// checks them, their saving, and the assessed run. The window binds its controls to one
// form; the command line fills one from its options. Neither decides anything itself.
class SearchForm {
  public:
    SearchForm() = default;
    // The options as the stored settings left them: the window's start-up replays them, the
    // command line starts from them before its options override.
    explicit SearchForm(const UserSettings& stored, SaveOption save = {});

    // ---- options; a stored one is saved through `save` as it changes ----
    const SearchSettings& settings() const { return input_.settings; }
    const TallySettings& tally() const { return input_.tally; }
    int combinationSize() const { return k_; }

    void setSearchKind(CodeKind kind);
    // 检索位选择 and 检索期选择 save both of their flags whichever changed, as the settings
    // file has always been written.
    void setFreePositions(bool free);
    void setPreviousIssue(bool previous);
    // 1..9; anything else is refused (false) and the previous N stays.
    bool setLagN(int n);
    // 直选/组选 saves bolSq again, unchanged, as it always has.
    void setGroup(bool group);
    void setResultKind(CodeKind kind);
    void setResultPosition(int position);
    // 1..5 in the window (a field that keeps its previous value otherwise); the command line
    // refuses others before it gets here.
    bool setCombinationSize(int k);
    // The segment base is a setting of the whole program (the 设置 menu saves it); the form
    // only lists the outcomes under it.
    void setSegmentBase(int base) { input_.tally.segmentBase = base; }

    // The options that are not stored: set directly.
    bool combination = false;  // the combination search (k positions) rather than the single
    std::array<bool, 5>& positions() { return input_.positions; }
    const std::array<bool, 5>& positions() const { return input_.positions; }
    void useHistoryReference() { input_.source = ReferenceSource::History; }
    void useTypedReference(const ReferenceValues& values);
    void useVerification(int32_t issue, bool onlyBefore);
    ReferenceSource referenceSource() const { return input_.source; }
    void setRange(std::optional<int32_t> from, std::optional<int32_t> to);
    // ---- the range fields and the history ----
    // The defaults of 起 and 止 for these rows (none when the history is empty, or 起 when no
    // row lies far enough back); the form remembers the history they were set from.
    RangeUpdate rangeDefaults(const HistorySnapshot& rows);
    // After a change of the history: a bound still at its default follows the new history, a
    // typed one stays; `toDefaults` (a change made elsewhere, or one that may have purged
    // years) gives both the new history's defaults.
    RangeUpdate followHistory(const std::string& fromText, const std::string& toText,
                              const HistorySnapshot& rows, bool toDefaults);

    // How the messages name the fields: the window's captions, or the command line's options.
    void setFieldNames(RequestFieldNames names) { input_.names = std::move(names); }
    const RequestFieldNames& fieldNames() const { return input_.names; }

    // ---- the rule ----
    // The positions whose reference values the search reads: the ticked ones of the single
    // search, every one of the combination search.
    std::array<bool, 5> positionsTakingPart() const;
    // Throws InputError when a typed reference value no draw can have sits at a position
    // that takes part, naming the position, the value and the kind's values. A value at a
    // position that takes no part changes nothing and is let through.
    void checkReference(const ReferenceValues& reference) const;
    // The rows request() reads (see rowsNeeded).
    RowsNeeded rowsNeeded() const;
    // The complete, checked request over these rows (the whole history, or readEnds of
    // rowsNeeded()); throws InputError naming the field (NoReferenceError when the history
    // holds no reference).
    SearchRequest request(const HistorySnapshot& rows) const;
    SearchShape shape() const;

    // ---- the run ----
    // Searches (rewriting the working columns as the window's search does), tallies, tests,
    // and counts the setting in the study. Segment codes of another base are refused
    // (SegmentBaseError) before anything is written or counted.
    AssessedSearch run(HistoryStore& store, const SearchRequest& request, StudyLog& study) const;
    // The same with the request read from the store's rows.
    AssessedSearch run(HistoryStore& store, StudyLog& study) const;

    // The verification of these options over targets first..last with top m: checked (the
    // same refusals as runBacktest, and the segment base), then counted in the study.
    PlannedBacktest planBacktest(const HistorySnapshot& rows, std::optional<int32_t> firstTarget,
                                 std::optional<int32_t> lastTarget, int top, StudyLog& study) const;
    // The verification builds every target's reference and range itself: a typed or
    // verified reference or a range given with it would be silently overridden, so they
    // are refused.
    void requireWalkForwardOptions() const;

  private:
    void save(const SettingsField& field, int value) const;

    RequestInput input_;
    int k_ = 2;
    // The history the range fields were last set from; none for an empty history.
    std::optional<HistoryBounds> rangeBounds_;
    SaveOption save_;
};

// The options as text, as the command line takes them; each throws InputError naming
// `option` and what it expected.
CodeKind parseSearchKind(const std::string& text, const std::string& option);
// "1,3": distinct positions 1..5; empty ticks none.
std::array<bool, 5> parsePositionList(const std::string& text, const std::string& option);
// "A,B,C,D,E": five signed 16-bit integers.
ReferenceValues parseReferenceList(const std::string& text, const std::string& option);

// Counts `setting` in the study. A log that cannot be read or written does not stop the
// answer: the setting is then not counted and the warning says why.
StudyCount countInStudy(StudyLog& study, const StudySetting& setting);

// Keeps a counted setting's latest outcome in the study; the warning when it could not.
std::optional<std::string> keepOutcome(StudyLog& study, const StudyCount& counted,
                                       const std::string& key, std::optional<double> p,
                                       std::optional<double> pAdjusted, const std::string& verdict);

// Keeps a finished verification's outcome for its setting; a cancelled run's part is none.
// The warning when it could not be kept.
std::optional<std::string> keepBacktestOutcome(StudyLog& study, const PlannedBacktest& plan,
                                               const BacktestResult& result);

// The warning when the study log could not be read or written, the same in both front ends.
std::string studyNotCountedWarning(const std::string& reason);

}  // namespace arrange5
