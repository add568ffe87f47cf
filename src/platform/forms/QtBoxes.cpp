#include "platform/forms/QtBoxes.h"

#include "platform/forms/BusyPointer.h"
#include "platform/forms/TextBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace forms {
namespace {
// A box whose question must be answered: without a Cancel button, neither
// Escape nor the close box may choose for the user (Escape is also the main
// window's Quit key, and Escape, Escape would throw typing away).
class AnswerBox final : public QMessageBox {
public:
    AnswerBox(QWidget* parent, bool mustChoose) : QMessageBox(parent), mustChoose_(mustChoose) {
        if (mustChoose_)
            setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                           ~Qt::WindowCloseButtonHint);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (mustChoose_ && event->matches(QKeySequence::Cancel))
            return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (mustChoose_)
            event->ignore();
        else
            QMessageBox::closeEvent(event);
    }

private:
    bool mustChoose_;
};

// The boxes waiting for an answer, innermost last.
QList<QPointer<AnswerBox>>& openBoxes() {
    static QList<QPointer<AnswerBox>> boxes;
    return boxes;
}
} // namespace

int QtBoxes::messageBox(const QString& prompt, int flags, const QString& title) {
    const int buttons = flags & 0x0F;
    AnswerBox box(QApplication::activeWindow(), buttons == vbYesNo);
    box.setWindowTitle(title);
    // Names and numbers from the phone book are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(prompt);
    switch (flags & 0x70) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
    }

    QList<std::pair<QPushButton*, int>> answers;
    auto add = [&](const QString& text, QMessageBox::ButtonRole role, int result) {
        answers.append({box.addButton(text, role), result});
    };
    if (buttons == vbYesNo) {
        add(QMessageBox::tr("&Yes"), QMessageBox::YesRole, vbYes);
        add(QMessageBox::tr("&No"), QMessageBox::NoRole, vbNo);
    } else if (buttons == vbOKCancel) {
        add(QMessageBox::tr("OK"), QMessageBox::AcceptRole, vbOK);
        add(QMessageBox::tr("Cancel"), QMessageBox::RejectRole, vbCancel);
    } else {
        add(QMessageBox::tr("OK"), QMessageBox::AcceptRole, vbOK);
    }
    const int defaultIndex = (flags & vbDefaultButton2) && answers.size() > 1 ? 1 : 0;
    box.setDefaultButton(answers[defaultIndex].first);
    // Escape (or the close box) gives Cancel, or OK when it is alone.
    if (buttons != vbYesNo)
        box.setEscapeButton(answers.back().first);

    const NormalPointer normal;
    openBoxes().append(&box);
    box.exec();
    openBoxes().removeAll(&box);
    for (const auto& [button, result] : answers)
        if (box.clickedButton() == button)
            return result;
    return answers.back().second;
}

void QtBoxes::closeBox(const QString& prompt) {
    for (const QPointer<AnswerBox>& box : openBoxes())
        if (box && box->text() == prompt)
            box->close();
}

QString QtBoxes::inputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    for (QLineEdit* box : dialog.findChildren<QLineEdit*>())
        liftLengthLimit(box);
    dialog.setTextValue(defaultText);

    const NormalPointer normal;
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

} // namespace forms
