#include "platform/forms/QtBoxes.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace forms {

int QtBoxes::messageBox(const QString& prompt, int flags, const QString& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(prompt);
    box.setIcon((flags & vbCritical) ? QMessageBox::Critical : QMessageBox::NoIcon);

    const int buttons = flags & 0x0F;
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
    // Escape (or the close box) gives the second button, or OK when it is alone.
    box.setEscapeButton(answers.back().first);

    box.exec();
    for (const auto& [button, result] : answers)
        if (box.clickedButton() == button)
            return result;
    return answers.back().second;
}

QString QtBoxes::inputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt, QLineEdit::Normal,
                                               defaultText, &ok);
    return ok ? text : QString();
}

} // namespace forms
