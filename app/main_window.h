#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "acquire/online_update_plan.h"
#include "acquire/page_fetcher.h"
#include "app/settings.h"
#include "app/window_services.h"
#include "store/history_document.h"

class QMenu;
class QTableView;

namespace arrange5 {

class ChangeWatch;

class Dialogs;
class GridExport;
class HistoryPanel;
struct ReplaceReport;
class ResultSide;
class SearchSide;
class SegmentRecoding;
class SettingsMenu;
class StatusLine;
struct SearchControls;
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

// The one window: it composes its parts and runs the commands. Each part owns what its
// controls mean: the history panel the typed draw, the search side the options (bound to the
// search form), the reference and the range, the result side the grids and the comparison
// with chance, the settings menu its settings. The window owns the history document (and with
// it the writer context) and the settings in memory, and each command is one method here that calls
// the libraries and hands the answer to a part.
//
// historyChanged() runs the refresh steps (showHistory, the range, showNextIssue, the
// reference) on every change the history document announces; no command runs them by hand.
//
// Files: main_window.cpp start-up and the refresh after a change; main_window_layout.cpp the
// parts and the history menu; main_window_wiring.cpp signals and mouse rules;
// main_window_search.cpp the search commands and the verification; main_window_history.cpp
// entry, import, deletions; main_window_update.cpp the online update.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(AppContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The history grid from a freshly read history, and the trend windows with it.
    void showHistory();
    // The next issue into Text1, and into Text4 as the issue to verify.
    void showNextIssue();

    // Commands, public so a test or a start-up option can run them as a click would.
    void importHistory();

    SearchSide& searchSide() { return *searchSide_; }
    bool hasStore() const { return document_ != nullptr; }
    HistoryStore* store() { return document_ ? &document_->store() : nullptr; }
    const WindowSettings& settings() const { return *settings_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // The parts and the history menu (main_window_layout.cpp).
    void buildControls();
    void buildMenus();

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
    // Says once that the history holds a row whose digit is out of range (or whose codes
    // disagree), naming it: the commands that need sound rows will refuse it.
    void noticeUnsoundRows();

    // The searches and the verification (main_window_search.cpp).
    // 检索 (false) or 组合检索 (true).
    void runSearchCommand(bool combination);
    void openBacktest();
    void openTrend();  // trend_window.cpp

    // Manual entry and maintenance (main_window_history.cpp, main_window_update.cpp).
    void nextIssueLeft();
    void appendTypedDraw();
    void deleteLastDraw();
    void clearHistory();
    void cutToIssue();
    void dropLastIssues();
    void exportHistoryText();
    void checkHistoryRows();
    // The online update (main_window_update.cpp): asked for, or at start-up when the user set
    // 启动时检查新开奖; both run updateFrom().
    void onlineUpdate();
    void updateAtStart();
    void updateFrom(UpdateChoices choices, bool atStart);
    UpdateChoices updateChoices() const;
    // Runs `change` (a cut or drop giving an optional ReplaceReport) under the busy pointer;
    // the history is shown again after it, whether it did its work or failed part way.
    template <typename Change>
    void rewriteHistory(Change change);

    // The status line tells what the last command did; `details` (every line a read file
    // skipped) sit behind a button beside it, shown only while there are details.
    void showReadReport(const ReplaceReport& report);
    bool requireStore();
    void reportError(const QString& what);
    void changeCommitted(const ChangeCommittedError& e);
    WindowServices services();

    AppContext context_;
    Settings settings_;
    std::unique_ptr<HistoryDocument> document_;
    QString storeProblem_;

    // The parts.
    HistoryPanel* historyPanel_ = nullptr;  // FrameHistory: MSFlexGrid1, Text1, MaskEdBox1(1..5)
    SearchSide* searchSide_ = nullptr;      // the options, FrameReference, 起 and 止
    ResultSide* resultSide_ = nullptr;      // MSFlexGrid2, MSFlexGrid3, the chance panel, 操作
    StatusLine* statusLine_ = nullptr;
    WheelFilter* wheelFilter_ = nullptr;
    QMenu* historyMenu_ = nullptr;   // mnuLsgl
    QMenu* settingsMenu_ = nullptr;  // mnuSetup
    SettingsMenu* settingsItems_ = nullptr;
    std::unique_ptr<GridExport> gridExport_;
    std::unique_ptr<SegmentRecoding> segmentRecoding_;
    ChangeWatch* changeWatch_ = nullptr;      // another program's change, found while idle
    std::string unsoundShown_;                // the unsound row the window last said it holds
    const SearchControls* search_ = nullptr;  // the search side's controls, in their panel
};

}  // namespace arrange5
