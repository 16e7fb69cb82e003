#include "app/field_rules.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace arrange5 {

namespace {

class LeaveFilter : public QObject {
  public:
    LeaveFilter(QWidget* field, std::function<void()> left)
        : QObject(field), left_(std::move(left)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            left_();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> left_;
};

class DigitFilter : public QObject {
  public:
    DigitFilter(QLineEdit* field, std::function<void()> beforeKey)
        : QObject(field), field_(field), beforeKey_(std::move(beforeKey)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::FocusIn:
            case QEvent::MouseButtonRelease: {
                // The mask takes a digit only with the cursor before the placeholder; a click
                // to the right of it would otherwise swallow what is typed.
                QLineEdit* field = field_;
                QTimer::singleShot(0, field, [field] { field->setCursorPosition(0); });
                break;
            }
            case QEvent::KeyPress: {
                if (beforeKey_) beforeKey_();
                // With the cursor before the digit Backspace would have nothing to take.
                const auto* key = static_cast<QKeyEvent*>(event);
                if (key->key() == Qt::Key_Backspace && key->modifiers() == Qt::NoModifier &&
                    !field_->text().isEmpty()) {
                    field_->clear();
                    return true;
                }
                break;
            }
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QLineEdit* field_;
    std::function<void()> beforeKey_;
};

}  // namespace

void whenLeft(QWidget* field, std::function<void()> left) {
    field->installEventFilter(new LeaveFilter(field, std::move(left)));
}

void makeDigitField(QLineEdit* field, std::function<void()> beforeKey) {
    field->installEventFilter(new DigitFilter(field, std::move(beforeKey)));
}

void acceptSignedNumber(QLineEdit* field) {
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]*")), field));
}

}  // namespace arrange5
