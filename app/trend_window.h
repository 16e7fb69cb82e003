#pragma once

#include <QWidget>
#include <filesystem>
#include <optional>

#include "app/settings.h"
#include "app/trend_model.h"
#include "store/history_row.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;

namespace arrange5 {

class Dialogs;
class TrendView;
class HistoryDocument;
class TrendModel;

// 走势图: the trend and omission chart of the last W draws, every zone a player looks up, with
// what fair draws would give. W and the zones shown are kept between openings.
class TrendWindow : public QWidget {
    Q_OBJECT
  public:
    TrendWindow(std::filesystem::path dataFolder, Dialogs* dialogs, QWidget* parent = nullptr);
    ~TrendWindow() override;

    // Shows the document's history and follows every change of it, subscribed for as long as
    // the window lives (the document must outlive it).
    void follow(HistoryDocument& document);

    // Shows the chart over `rows`; called again whenever the history changes.
    void setHistory(const HistorySnapshot& rows);
    TrendModel* model() const { return model_; }
    TrendView* view() const { return view_; }
    // The chance sentence under the chart.
    QString chanceText() const;
    // Takes a W typed or chosen in the field: 1 to the history's length, or 全部. Anything else
    // is refused with a message and the field shows the W in force.
    bool chooseWindow(const QString& text);
    void setZoneShown(TrendZone zone, bool shown);
    bool zoneShown(TrendZone zone) const;

    // Zoushi.xlsx: the chart of W with the zones shown, opened in the spreadsheet program.
    void exportTable();
    // Zoushi.png (Zoushi-01.png … for a long W): every row and column of the chart of W.
    void savePicture();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void rebuild();
    void applyZones();
    QString windowText() const;
    QString titleText() const;

    std::filesystem::path dataFolder_;
    Dialogs* dialogs_;
    Settings settings_;
    HistoryDocument* document_ = nullptr;
    int subscription_ = 0;
    HistorySnapshot rows_;
    std::optional<int> window_;  // none: 全部
    TrendModel* model_ = nullptr;
    TrendView* view_ = nullptr;
    QComboBox* windowBox_ = nullptr;
    QCheckBox* omissionBox_ = nullptr;
    QCheckBox* linesBox_ = nullptr;
    QAction* zoneActions_[kTrendZoneCount] = {};
    QLabel* chance_ = nullptr;
    QLabel* saved_ = nullptr;
};

}  // namespace arrange5
