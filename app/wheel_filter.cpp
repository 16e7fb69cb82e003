#include "app/wheel_filter.h"

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>
#include <algorithm>

namespace arrange5 {

WheelFilter::WheelFilter(QWidget* window, std::vector<QTableView*> grids)
    : QObject(window), window_(window), grids_(std::move(grids)) {
    qApp->installEventFilter(this);
}

WheelFilter::~WheelFilter() {
    qApp->removeEventFilter(this);
}

int WheelFilter::topRow(const QTableView* grid) {
    return grid->verticalScrollBar()->value();
}

void WheelFilter::scrollOneRow(QTableView* grid, int delta) {
    QScrollBar* bar = grid->verticalScrollBar();
    if (delta <= 0) {
        bar->setValue(bar->value() + 1);
    } else if (bar->value() > 0) {
        bar->setValue(bar->value() - 1);
    }
}

bool WheelFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            auto* grid = qobject_cast<QTableView*>(watched);
            if (grid && std::find(grids_.begin(), grids_.end(), grid) != grids_.end()) {
                if (event->type() == QEvent::FocusIn) {
                    target_ = grid;
                } else if (target_ == grid) {
                    target_ = nullptr;
                }
            }
            break;
        }
        case QEvent::Wheel: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!target_ || !widget || widget->window() != window_) break;
            const auto* wheel = static_cast<QWheelEvent*>(event);
            const QPoint angle = wheel->angleDelta();
            // A sideways swipe on a touchpad is not a turn of the wheel.
            if (angle.y() == 0 && angle.x() != 0) break;
            scrollOneRow(target_, angle.y());
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace arrange5
