#include "platform/forms/TextBox.h"

#include <QLineEdit>

#include <limits>

namespace forms {

void liftLengthLimit(QLineEdit* box) { box->setMaxLength(std::numeric_limits<int>::max()); }

QLineEdit* textBox(QWidget* parent) {
    auto* box = new QLineEdit(parent);
    liftLengthLimit(box);
    return box;
}

} // namespace forms
