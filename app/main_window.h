#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "acquire/page_fetcher.h"
#include "acquire/spreadsheet_export.h"
#include "analysis/search.h"
#include "analysis/search_range.h"
#include "analysis/search_settings.h"
#include "app/settings.h"
#include "store/append_state.h"
#include "store/history_store.h"

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

namespace arrange5 {

class Dialogs;
class HistoryTableModel;
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

// Grid widths are given in twips; 15 twips make one pixel.
inline int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}

inline constexpr const char* kWindowTitle = "排列五 跟随形态分析";

// The one window: it owns the store, the S/P state, the settings in memory, the reference
// values and every control. Handlers only wire controls to library calls.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(AppContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The shared refresh procedures.
    void addHaoma();
    void followRangeToHistory();
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
    bool hasStore() const { return store_ != nullptr; }
    HistoryStore* store() { return store_.get(); }
    int segmentBase() const { return segmentBase_; }
    int yearsToKeep() const { return yearsToKeep_; }
    const std::filesystem::path& dataFolder() const { return context_.dataFolder; }
    std::filesystem::path exportFileFor(const QTableView* grid) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Layout (main_window_layout.cpp).
    void buildControls();
    void buildMenus();
    QWidget* buildHistorySide();
    QWidget* buildSearchSide();
    QWidget* buildResultSide();
    QWidget* buildReferenceTabs();
    void connectHandlers();

    // Start-up.
    void startUp();
    void openStore();
    void fillFirstStart();

    // Reference and options.
    SearchSettings searchSettings() const;
    TallySettings tallySettings() const;
    void updateRangeStart();
    void option1Clicked(int index);
    void option2Clicked(int index);
    void option3Clicked(int index);
    void option4Clicked(int index);
    void option5Clicked(int index);
    void option6Clicked(int index);
    void tabChanged(int tab);
    void check4Clicked();
    void lagFieldLeft();
    void combinedFieldLeft();
    void manualValueLeft(int position);

    // Manual entry and maintenance.
    void entryFieldChanged(int index);
    void appendTypedDraw();
    void deleteLastDraw();
    void clearHistory();
    void cutToIssue();
    void dropLastIssues();
    void exportHistoryText();
    void afterHistoryChanged();
    // Runs `change` (a cut or drop giving an optional ReplaceReport) under the busy pointer;
    // the history is shown again after it, whether it did its work or failed part way.
    template <typename Change>
    void rewriteHistory(Change change);

    // Settings menu.
    void chooseSegmentBase(int base);
    void setYearsToKeep();
    void setUpdateHost();
    void openDocument(const char* name);
    void onlineUpdate();

    // Helpers.
    bool requireStore();
    void reportError(const QString& what);
    void applyHistoryScrollRule();
    void showSearchResult(const SearchResult& result);
    std::optional<SearchRequest> searchRequest();
    std::array<bool, 5> tickedPositions() const;
    int selectedTab() const;
    TextTable gridTexts(const QTableView* grid) const;

    AppContext context_;
    Settings settings_;
    std::unique_ptr<HistoryStore> store_;
    QString storeProblem_;
    LastTwoDraws sp_;

    // Settings in memory.
    int yearsToKeep_ = 6;
    bool freePositions_ = true;  // bolZyw
    bool previousIssue_ = true;  // bolSq
    int searchKind_ = 0;         // intLei
    bool groupSelection_ = false;
    int resultPosition_ = 1;
    int resultKind_ = 0;
    int segmentBase_ = 1;
    bool redOnly_ = false;
    int lagN_ = 2;
    int combined_ = 2;
    QString updateHost_;

    ReferenceValues reference_{};
    bool manualReference_ = false;
    bool entryDone_ = false;
    bool scrollPending_ = false;
    // The history the range fields were last set from; none until start-up has set them.
    std::optional<HistoryBounds> rangeBounds_;
    bool rangeTracking_ = false;

    HistoryTableModel* historyModel_ = nullptr;
    TextTableModel* hitsModel_ = nullptr;
    TextTableModel* tallyModel_ = nullptr;
    WheelFilter* wheelFilter_ = nullptr;

    // Controls, named as the window has always named them.
    QTableView* grid1_ = nullptr;        // MSFlexGrid1, history
    QTableView* grid2_ = nullptr;        // MSFlexGrid2, hits
    QTableView* grid3_ = nullptr;        // MSFlexGrid3, tally
    std::array<QLineEdit*, 6> entry_{};  // MaskEdBox1(1..5)
    QLabel* label12_ = nullptr;
    QLineEdit* text1_ = nullptr;
    std::array<QLineEdit*, 2> text3_{};
    std::array<QRadioButton*, 4> option1_{};
    std::array<QRadioButton*, 6> option2_{};  // indexes 4, 5
    std::array<QRadioButton*, 4> option3_{};
    std::array<QRadioButton*, 4> option4_{};
    std::array<QRadioButton*, 6> option5_{};  // indexes 1..5
    std::array<QRadioButton*, 2> option6_{};
    QLineEdit* lagField_ = nullptr;  // MaskEdBox2
    QTabBar* tabs_ = nullptr;        // TabStrip1
    std::array<QGroupBox*, 3> frame2_{};
    QStackedLayout* frames_ = nullptr;
    std::array<QCheckBox*, 16> check1_{};  // 1..5 and 11..15
    std::array<QLineEdit*, 16> text2_{};   // 1..5 and 11..15
    std::array<QCheckBox*, 6> check11_{};
    std::array<QLineEdit*, 6> text22_{};
    QLineEdit* text4_ = nullptr;
    QCheckBox* check4_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* cmdRdLst_ = nullptr;
    QPushButton* command21_ = nullptr;
    QPushButton* command4_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* command9_ = nullptr;
    QMenu* mnuLsgl_ = nullptr;
    QMenu* mnuSetup_ = nullptr;
    std::array<QAction*, 2> mnuDscs_{};

    std::array<QString, 6> manualTexts_;  // last valid text of Text22(i)
    QString lagText_;                     // last valid text of MaskEdBox2
    QString combinedText_;                // last valid text of Combo1
};

}  // namespace arrange5
