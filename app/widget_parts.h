#pragma once

#include <QString>

class QAbstractItemModel;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTableView;

namespace arrange5 {

// The controls every part of the window builds the same way.

// The tooltip of a grid that a double click exports.
QString exportTip();
// "name(index)": the traditional name of a control array's member.
QString indexed(const char* name, int index);
QRadioButton* radio(const char* name, int index, const QString& caption);
// A read-only grid over `model`, one row per line, that Tab leaves.
QTableView* grid(const char* name, QAbstractItemModel* model);
// One digit, an empty place shown as "_".
QLineEdit* digitField(const QString& name);
QLineEdit* valueField(const QString& name, bool readOnly);
QGroupBox* frame(const QString& caption, const char* name);

}  // namespace arrange5
