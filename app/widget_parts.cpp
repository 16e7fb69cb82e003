#include "app/widget_parts.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

namespace arrange5 {

QString exportTip() {
    return QStringLiteral("鼠标双击列表可以将列表导出到EXCEL");
}

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

QRadioButton* radio(const char* name, int index, const QString& caption) {
    auto* button = new QRadioButton(caption);
    button->setObjectName(indexed(name, index));
    return button;
}

QTableView* grid(const char* name, QAbstractItemModel* model) {
    auto* view = new QTableView;
    view->setObjectName(name);
    view->setModel(model);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(20);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setHighlightSections(false);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    // Tab moves on to the next control, so the keyboard can leave a long list; the arrow
    // keys move within it.
    view->setTabKeyNavigation(false);
    return view;
}

QLineEdit* digitField(const QString& name) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setInputMask(QStringLiteral("0;_"));
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(34);
    return field;
}

QLineEdit* valueField(const QString& name, bool readOnly) {
    auto* field = new QLineEdit;
    field->setObjectName(name);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(40);
    field->setReadOnly(readOnly);
    return field;
}

QGroupBox* frame(const QString& caption, const char* name) {
    auto* box = new QGroupBox(caption);
    box->setObjectName(name);
    return box;
}

}  // namespace arrange5
