#pragma once

#include <QWidget>
#include <filesystem>
#include <optional>

#include "analysis/search_form.h"
#include "store/history_row.h"

class QLabel;
class QTableView;

namespace arrange5 {

class ChancePanel;
class CommandsPanel;
class TextTableModel;

// The result side (ResultSide): the hits grid (MSFlexGrid2), the tally grid (MSFlexGrid3)
// with the comparison with chance under it, and the commands frame beside the tally. It
// shows an assessed search as the form returned it and computes nothing.
class ResultSide : public QWidget {
  public:
    explicit ResultSide(QWidget* parent = nullptr);

    void show(const AssessedSearch& assessed);
    // The result shown no longer answers the question: the history or the reference changed
    // since it was searched. Its grids grey and a note asks for a new search, until show().
    void markStale();
    // Marks the result stale when `now` is not the reference it was searched with.
    void followReference(const ReferenceValues& now);
    bool stale() const { return stale_; }
    // An empty hits list names its last column after the mode in force; a list of hits keeps
    // the name of the mode it was found in.
    void showEarlierMode(bool earlier);
    // The verified issue's own draw beside the result: its outcomes are marked in the tally
    // grid; returns the words for the status line ("；第 N 期开出 …，X 排第 R 位").
    QString markOutcomesOf(const HistoryRow& verified, const SearchResult& result,
                           const TallySettings& tally);

    // "本次研究已检索 N 种设置" of the study kept in `dataFolder`.
    void showStudyCount(const std::filesystem::path& dataFolder);

    QTableView* hitsGrid() const { return hitsGrid_; }
    QTableView* tallyGrid() const { return tallyGrid_; }
    ChancePanel* chancePanel() const { return chancePanel_; }
    CommandsPanel* commands() const { return commands_; }
    // The last search's comparison (its setting, both tests and their corrections) goes into
    // Jieguo.xlsx beside the tally.
    const std::optional<std::vector<std::vector<std::string>>>& lastComparison() const {
        return lastComparison_;
    }

  private:
    TextTableModel* hitsModel_ = nullptr;
    TextTableModel* tallyModel_ = nullptr;
    QTableView* hitsGrid_ = nullptr;
    QTableView* tallyGrid_ = nullptr;
    ChancePanel* chancePanel_ = nullptr;
    CommandsPanel* commands_ = nullptr;
    QLabel* staleNote_ = nullptr;
    std::optional<ReferenceValues> shownReference_;  // none: nothing searched yet
    bool stale_ = false;
    std::optional<std::vector<std::vector<std::string>>> lastComparison_;
};

}  // namespace arrange5
