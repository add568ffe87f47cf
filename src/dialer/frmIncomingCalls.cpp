#include "dialer/frmIncomingCalls.h"

#include "dialer/CallerIdListener.h"
#include "dialer/CallerIdSettings.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Twips.h"

#include <QLineEdit>
#include <QPointer>

namespace dialer {

frmIncomingCalls::frmIncomingCalls(CallerIdListener& listener)
    : Form("frmIncomingCalls", QStringLiteral("Incoming Calls"), 4800, 2340,
           QStringLiteral(":/icons/deskphone.svg")),
      listener_(listener) {
    Label1 =
        forms::placed(new QLabel(QStringLiteral("Caller ID &command:"), this), "Label1", 180, 180, 2700, 255);
    cboCommand = forms::placed(new QComboBox(this), "cboCommand", 180, 480, 2700, 330);
    cboCommand->setEditable(true);
    cboCommand->addItems(CallerIdSettings::usualCommands());
    cboCommand->lineEdit()->setMaxLength(40);
    Label1->setBuddy(cboCommand);
    cmdTry = forms::placed(new QPushButton(QStringLiteral("&Try"), this), "cmdTry", 3060, 465, 1095, 375);
    cmdTry->setAutoDefault(false);
    lblResult = forms::placed(new QLabel(this), "lblResult", 180, 960, 4440, 660);
    lblResult->setWordWrap(true);
    cmdOK = forms::placed(new QPushButton(QStringLiteral("&OK"), this), "cmdOK", 3060, 1800, 1095, 375);
    cmdOK->setDefault(true);
    setTabOrder(cboCommand, cmdTry);
    setTabOrder(cmdTry, cmdOK);
    forms::wire(cmdTry, &QPushButton::clicked, this, [this] { cmdTry_Click(); });
    forms::wire(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void frmIncomingCalls::Form_Load() {
    cboCommand->setCurrentText(CallerIdSettings::load().command);
    lblResult->clear();
}

void frmIncomingCalls::cmdTry_Click() {
    const QString command = cboCommand->currentText().trimmed();
    lblResult->setText(QStringLiteral("Sending %1 to the modem...").arg(command));
    cmdTry->setEnabled(false);
    QPointer<frmIncomingCalls> self(this);
    listener_.tryCommand(
        command,
        [self, command](const QString& answer) {
            if (!self)
                return;
            self->cmdTry->setEnabled(true);
            if (answer == QLatin1String("OK"))
                self->lblResult->setText(
                    QStringLiteral("The modem answered OK: it takes %1, and tells callers with it.")
                        .arg(command));
            else if (answer == QLatin1String("ERROR"))
                self->lblResult->setText(
                    QStringLiteral("The modem answered ERROR: it does not know %1. Try "
                                   "another command; its manual names the one for caller ID.")
                        .arg(command));
            else
                self->lblResult->setText(QStringLiteral("The modem did not answer. Is it on, and is the port "
                                                        "under Dialer Settings, Modem Port its own?"));
        },
        [self](const QString& reason) {
            if (!self)
                return;
            self->cmdTry->setEnabled(true);
            self->lblResult->setText(reason);
        });
}

void frmIncomingCalls::cmdOK_Click() {
    const QString command = cboCommand->currentText().trimmed();
    if (!isModemCommand(command)) {
        forms::MsgBox(
            QStringLiteral("\"%1\" is no modem command: it begins with AT, holds no blanks and is at "
                           "most 40 characters long.")
                .arg(command),
            forms::vbOKOnly | forms::vbExclamation);
        cboCommand->setFocus();
        return;
    }
    CallerIdSettings settings = CallerIdSettings::load();
    settings.command = command;
    settings.save();
    listener_.commandChanged();
    hideLoaded();
}

} // namespace dialer
