#pragma once

#include <functional>

class QLineEdit;
class QWidget;

namespace arrange5 {

// The typing rules of the window's small fields, each a filter or validator owned by its field.

// Runs `left` whenever `field` loses the keyboard focus, except to a pop-up of its own (the
// list of a combo box, a context menu), which is no leaving.
void whenLeft(QWidget* field, std::function<void()> left);

// A one-digit field: the cursor stands before the digit wherever the field is clicked, so the
// digit typed next replaces it; Backspace clears a filled field. `beforeKey` runs before every
// key press reaches the field.
void makeDigitField(QLineEdit* field, std::function<void()> beforeKey = {});

// A reference value of 手动输入号: only a sign and digits can be typed.
void acceptSignedNumber(QLineEdit* field);

}  // namespace arrange5
