#include "platform/forms/FormRules.h"

#include "platform/forms/TextBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace forms {
namespace {
class Rules final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            return enterPressesButton(watched, static_cast<QKeyEvent*>(event));
        // A box gets polished before it is first shown, so before anyone can type.
        if (event->type() == QEvent::Polish)
            if (auto* box = qobject_cast<QLineEdit*>(watched))
                if (box->maxLength() < std::numeric_limits<int>::max())
                    liftLengthLimit(box);
        return false;
    }

private:
    static bool enterPressesButton(QObject* watched, QKeyEvent* key) {
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled())
            return false;
        // Held down, Enter would press it again and again.
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
};
} // namespace

void installFormRules() {
    static Rules* rules = nullptr;
    if (rules || !qApp)
        return;
    rules = new Rules(qApp); // lives as long as the application
    qApp->installEventFilter(rules);
}

} // namespace forms
