#pragma once

class QLineEdit;
class QWidget;

namespace forms {

// A text box that takes text of any length. Qt cuts at 32,767 characters
// without a word (and may cut an emoji in half); the program's boxes must
// keep all that is typed, pasted or loaded into them.
QLineEdit* textBox(QWidget* parent);
void liftLengthLimit(QLineEdit* box);

} // namespace forms
