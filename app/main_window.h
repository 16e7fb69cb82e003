#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "acquire/online_update.h"
#include "acquire/page_fetcher.h"
#include "acquire/spreadsheet_export.h"
#include "analysis/chance.h"
#include "analysis/search.h"
#include "analysis/search_range.h"
#include "analysis/search_rules.h"
#include "analysis/search_settings.h"
#include "analysis/study_setting.h"
#include "app/reference_tabs.h"
#include "app/search_panel.h"
#include "app/settings.h"
#include "store/append_state.h"
#include "store/history_document.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedLayout;
class QRadioButton;
class QTabBar;
class QTableView;
class QToolButton;

namespace arrange5 {

class ChancePanel;
class CommandsPanel;

class Dialogs;
struct ReplaceReport;
class HistoryPanel;
class StatusLine;
class TextTableModel;
class WheelFilter;

// Where the window finds its files; main() fills it from the executable's surroundings,
// tests from temporary folders.
struct AppContext {
    std::filesystem::path dataFolder;
    std::optional<std::filesystem::path> bundledHistory;  // fills a first start
    std::vector<std::filesystem::path> docFolders;        // searched for the web items' pages
    Dialogs* dialogs = nullptr;
    PageFetcher fetcher;  // the online update's; empty means HTTP through libcurl
};

inline constexpr const char* kWindowTitle = "排列五 跟随形态分析";

// The one window: it owns the store, the S/P state, the settings in memory, the reference
// values and every control. Handlers only wire controls to library calls.
//
// The window's procedures keep the names they have always had:
//   addHaoma             fill the history grid from a freshly reopened reading cursor
//   qihaoXianshi         show the next issue in Text1 and copy it into Text4 (issue to verify)
//   refreshReferenceValues  the five reference values from the selected tab (ysjs on tab 3)
//   ysjs                 the verification reference: the draw before the issue in Text4
//   delrec               (store) delete every row of the history before it is replaced
// historyChanged() runs the first three, and the range rule, on every change the history
// document announces; no command runs them by hand.
//
// Files: main_window.cpp start-up and the refresh after a change; main_window_layout.cpp the
// controls; main_window_wiring.cpp signals and mouse rules; main_window_search.cpp options,
// reference values and the searches; main_window_history.cpp entry, import, update,
// deletions; main_window_settings.cpp the 设置 menu; grid_export.cpp the spreadsheet exports.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(AppContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The shared refresh procedures.
    void addHaoma();
    void qihaoXianshi();
    void refreshReferenceValues();
    void ysjs(bool reportBadIssue);

    // Handlers, public so a test or a start-up option can run them as a click would.
    void importHistory();
    void runSearch();
    void runCombinationSearch();
    void exportGrid(QTableView* grid);
    void exportHistoryToSpreadsheet();

    const ReferenceValues& referenceValues() const { return reference_; }
    bool manualReference() const { return manualReference_; }
    bool hasStore() const { return document_ != nullptr; }
    HistoryStore* store() { return document_ ? &document_->store() : nullptr; }
    int segmentBase() const { return settings_->segmentBase; }
    int yearsToKeep() const { return settings_->yearsToKeep; }
    const std::filesystem::path& dataFolder() const { return context_.dataFolder; }
    std::filesystem::path exportFileFor(const QTableView* grid) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // The tabs of TabStrip1, in their order.
    static constexpr int kHistoryTab = ReferenceTabs::kHistoryTab;  // 自动历史位
    static constexpr int kManualTab = ReferenceTabs::kManualTab;    // 手动输入号
    static constexpr int kVerifyTab = ReferenceTabs::kVerifyTab;    // 验证指定期

    // How the search range follows a change of the history.
    enum class RangeRule {
        FollowUnlessTyped,  // a bound still at its default follows, a typed bound stays
        Defaults,           // both bounds become the new history's defaults
    };

    // Layout (main_window_layout.cpp).
    void buildControls();
    void buildMenus();
    QWidget* buildHistorySide();
    QWidget* buildSearchSide();
    QWidget* buildResultSide();

    // Wiring (main_window_wiring.cpp).
    void connectHandlers();
    // `handler` (a member function or a lambda) as a command: a pending edit of the field
    // with the focus is taken in first, exactly as leaving the field would take it.
    template <typename Handler>
    auto asCommand(Handler handler) {
        return [this, handler] {
            followOutsideChanges();
            commitPendingEdit();
            if constexpr (std::is_member_function_pointer_v<Handler>) {
                (this->*handler)();
            } else {
                handler();
            }
            commandEnded();
        };
    }
    void commitPendingEdit();
    void commandEnded();
    // A change made by the command line or another window since the last look: the history,
    // the next issue and the reference are read again and the status line says so. Runs when
    // the window is activated and before every command.
    void followOutsideChanges();
    // The one failure path of a command: runs it and returns true, or shows what failed (a
    // change stored before a later step failed as a warning, anything else in a message box)
    // and returns false.
    bool guarded(const std::function<void()>& command);

    // Start-up and the refresh after a change (main_window.cpp).
    void startUp();
    void openStore();
    void fillFirstStart();
    void historyChanged(const HistoryChange& change);
    void setRangeDefaults();
    void followRangeToHistory();

    // Reference and options (main_window_search.cpp).
    SearchSettings searchSettings() const;
    TallySettings tallySettings() const;
    void updateRangeStart();
    void positionModeClicked(bool free);
    void referenceIssueClicked(bool previous);
    void selectionClicked(bool group);
    void searchKindClicked(int kind);
    void resultKindClicked(int kind);
    void resultPositionClicked(int position);
    void combinationColourClicked(bool redOnly);
    void tabChanged(int tab);
    void onlyBeforeClicked();
    void lagFieldLeft();
    void combinedFieldLeft();
    void manualValueLeft(int position);
    void verifyIssueLeft();
    void nextIssueLeft();
    std::optional<SearchRequest> searchRequest();
    void runSearchCommand(const std::function<SearchResult(const SearchRequest&)>& search,
                          const std::function<SearchShape(const SearchRequest&)>& shape);
    std::array<bool, 5> tickedPositions() const;
    int selectedTab() const;
    void noteImpossibleReference(const SearchRequest& request);
    void showVerifiedOutcome(const SearchResult& result);
    void showSearchResult(const SearchResult& result, const StudySetting& setting);
    // The study count (main_window_backtest.cpp): counts a setting searched or verified and
    // returns N; a count that cannot be stored is reported and counted beside the stored ones.
    StudyPlace countInStudy(const StudySetting& setting);
    void noteInStudy(const std::string& key, std::optional<double> p,
                     std::optional<double> pAdjusted, const std::string& verdict);
    void showStudyCount();
    void startNewStudy();
    // Segment codes of another base: a segment-kind search is refused and the window offers
    // to recompute them (main_window_backtest.cpp). True when the search may run.
    bool segmentBaseReady(const SearchRequest& request);
    bool segmentCodesAgree(const std::function<void()>& check);
    bool offerRecode(const QString& reason);
    void recodeSegmentsNow();
    void segmentBaseChanged();

    // 滚动验证 on the current settings (main_window_backtest.cpp).
    void openBacktest();
    void openTrend();  // trend_window.cpp
    QString settingsText() const;

    // Manual entry and maintenance (main_window_history.cpp).
    void entryFieldChanged(int position);
    void appendTypedDraw();
    void deleteLastDraw();
    void clearHistory();
    void cutToIssue();
    void dropLastIssues();
    void exportHistoryText();
    void checkHistoryRows();
    void onlineUpdate();
    // Runs `change` (a cut or drop giving an optional ReplaceReport) under the busy pointer;
    // the history is shown again after it, whether it did its work or failed part way.
    template <typename Change>
    void rewriteHistory(Change change);

    // Settings menu (main_window_settings.cpp).
    void chooseSegmentBase(int base);
    void setYearsToKeep();
    void setUpdateHost();
    void chooseUpdateSource(UpdateSource source);
    void openDocument(const char* name);

    // Grid export (grid_export.cpp): writes `cells` to `file` and opens it.
    void saveAndOpenSpreadsheet(const std::filesystem::path& file, const TextTable& cells,
                                const std::vector<NamedSheet>& moreSheets = {});

    // The status line tells what the last command did; `details` (every line a read file
    // skipped) sit behind a button beside it, shown only while there are details.
    void showStatus(const QString& text, const QString& details = {});
    void showReadReport(const ReplaceReport& report);
    bool requireStore();
    void reportError(const QString& what);
    void changeCommitted(const ChangeCommittedError& e);

    AppContext context_;
    Settings settings_;
    std::unique_ptr<HistoryDocument> document_;
    QString storeProblem_;
    LastTwoDraws sp_;

    ReferenceValues reference_{};
    bool manualReference_ = false;
    bool entryDone_ = false;
    int shownTab_ = kHistoryTab;  // the tab whose frame shows, until tabChanged() moves on
    // How the range follows the changes of the command that is running.
    RangeRule rangeRule_ = RangeRule::FollowUnlessTyped;
    // The history the range fields were last set from; none for an empty history.
    std::optional<HistoryBounds> rangeBounds_;

    HistoryPanel* historyPanel_ = nullptr;
    TextTableModel* hitsModel_ = nullptr;
    TextTableModel* tallyModel_ = nullptr;
    WheelFilter* wheelFilter_ = nullptr;

    // Controls; each objectName is the control's traditional name, given beside it.
    QTableView* historyGrid_ = nullptr;        // MSFlexGrid1, in historyPanel_
    QTableView* hitsGrid_ = nullptr;           // MSFlexGrid2
    QTableView* tallyGrid_ = nullptr;          // MSFlexGrid3
    std::array<QLineEdit*, 5> entryDigits_{};  // MaskEdBox1(1..5), in historyPanel_
    QLineEdit* nextIssueField_ = nullptr;      // Text1, in historyPanel_
    const SearchControls* search_ = nullptr;   // the search side's controls, in their panel
    ReferenceTabs* referenceTabs_ = nullptr;   // FrameReference
    QTabBar* referenceTabBar_ = nullptr;       // TabStrip1, in referenceTabs_
    QLineEdit* verifyIssueField_ = nullptr;    // Text4, in referenceTabs_
    QCheckBox* onlyBeforeBox_ = nullptr;       // Check4, 仅检索该期前, in referenceTabs_
    CommandsPanel* commands_ = nullptr;        // FrameCommands, 操作
    ChancePanel* chancePanel_ = nullptr;       // under MSFlexGrid3
    // The last comparison with chance goes into Jieguo.xlsx beside the tally.
    std::optional<ChanceTest> lastChance_;
    StatusLine* statusLine_ = nullptr;
    QMenu* historyMenu_ = nullptr;                 // mnuLsgl
    QMenu* settingsMenu_ = nullptr;                // mnuSetup
    std::array<QAction*, 2> segmentBaseItems_{};   // mnuDscs(0), mnuDscs(1)
    std::array<QAction*, 2> updateSourceItems_{};  // mnuSource(0) official, mnuSource(1) pages

    std::array<QString, 5> manualTexts_;  // last valid text of Text22(1..5)
    QString lagText_;                     // last valid text of MaskEdBox2
    QString combinedText_;                // last valid text of Combo1
};

}  // namespace arrange5
