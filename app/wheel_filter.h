#pragma once

#include <QObject>
#include <QPointer>
#include <QTableView>
#include <vector>

namespace arrange5 {

// Mouse wheel over the window: while one of the watched grids has the keyboard focus, every
// wheel event scrolls that grid by exactly one row, wherever the pointer is — towards the
// user down, away from the user up but never above the first row. Without a focused grid
// wheel events go on as usual.
class WheelFilter : public QObject {
    Q_OBJECT
  public:
    // Installed on the application, so it sees wheel events for every widget of `window`.
    WheelFilter(QWidget* window, std::vector<QTableView*> grids);
    ~WheelFilter() override;

    QTableView* target() const { return target_; }

    static int topRow(const QTableView* grid);
    // One step of the wheel rule: delta ≤ 0 scrolls down one row, delta > 0 up one row.
    static void scrollOneRow(QTableView* grid, int delta);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    std::vector<QTableView*> grids_;
    QPointer<QTableView> target_;
};

}  // namespace arrange5
