#include "dialer/DialOperations.h"

#include "dialer/ModemReply.h"
#include "dialer/Module1.h"
#include "identity/Identity.h"
#include "links/DialLink.h"
#include "platform/core/Error.h"
#include "platform/forms/BusyPointer.h"
#include "platform/forms/MsgBox.h"

#include <QScopeGuard>

namespace dialer {

using forms::MsgBox;
using platform::resumeNext;

DialOperations::DialOperations(QLineEdit& txtPhone, QLineEdit& txtMobile, comm::MSComm& MSComm1)
    : txtPhone(txtPhone), txtMobile(txtMobile), MSComm1(MSComm1) {}

void DialOperations::cmdDialPhone_Click() { dial(DialKind::Phone, txtPhone); }

void DialOperations::cmdDialMobile_Click() { dial(DialKind::Mobile, txtMobile); }

void DialOperations::dial(DialKind kind, const QLineEdit& box) {
    MsgBox(identity::ProNotice, forms::vbOKOnly);
    const QString text = box.text();
    const QString enterNumber = QStringLiteral("Enter Phone number first");
    if (text.isEmpty()) {
        MsgBox(enterNumber, forms::vbOKOnly);
        return;
    }
    if (!loadSettings())
        return;

    // Every byte is known before the port is touched: a number that would
    // give the modem a command is refused here.
    Dial d;
    try {
        d = dialOfNumber(kind, text, DialerSettings, links::homeRegion());
    } catch (const platform::Error& error) {
        MsgBox(error.description(), forms::vbOKOnly | forms::vbCritical);
        return;
    }
    if (d.number.isEmpty()) {
        MsgBox(enterNumber, forms::vbOKOnly);
        return;
    }
    dialOut(kind, d, text);
}

bool DialOperations::loadSettings() {
    // A file that is there but unreadable stops the dial: the values in
    // memory are not the ones the user chose, and would dial another number.
    struct File {
        void (*load)(DialerSettingsValues&);
        const char* menu;
    };
    for (const File& file :
         {File{Module1::LoadPortSetting, "Modem Port"}, File{Module1::LoadPrefixSettings, "Area Code"}}) {
        try {
            file.load(DialerSettings);
        } catch (const platform::Error& error) {
            MsgBox(QStringLiteral(
                       "The number was not dialed. %1\n\nIts values are set under Dialer Settings, %2.")
                       .arg(error.description(), QLatin1String(file.menu)),
                   forms::vbOKOnly | forms::vbCritical);
            return false;
        }
    }
    return true;
}

void DialOperations::dialOut(DialKind kind, const Dial& d, const QString& given) {
    if (share_.begins)
        share_.begins();
    QString sent;
    QString answer;
    // The port goes back after the hang-up step, before any message about it.
    auto handBack = qScopeGuard([&] {
        if (share_.ended)
            share_.ended(sent, answer);
    });
    // Port 0 (none chosen) is refused by the control, which keeps its port.
    resumeNext([&] { MSComm1.setCommPort(DialerSettings.ModemPort); });
    resumeNext([&] { MSComm1.setSettings(QStringLiteral("9600, N, 8, 1")); });
    if (!sendDialCommand(d.command))
        return;
    sent = given;

    const QString pickUp = kind == DialKind::Phone ? QStringLiteral("  Pick up the Phone...")
                                                   : QStringLiteral("  Pick up the phone...");
    const QString dialing = QStringLiteral("Dialing ") + d.number + pickUp;
    // The modem's answers are read while the user is asked to pick up; one
    // that says the dial failed closes the box, which would be untrue now.
    QString replies;
    const auto listening = QObject::connect(&MSComm1, &comm::MSComm::OnComm, [&] {
        replies += MSComm1.Input();
        if (dialFailure(replies))
            forms::CloseMsgBox(dialing);
    });
    MsgBox(dialing, forms::vbOKOnly, QStringLiteral("Dazu-D-Uzezo"));
    QObject::disconnect(listening);
    replies += MSComm1.Input();

    // The user holds the line now: the modem gets ";" and is let go.
    const forms::BusyPointer busy;
    resumeNext([&] { MSComm1.setPortOpen(false); });
    resumeNext([&] { MSComm1.setPortOpen(true); });
    resumeNext([&] { MSComm1.setOutput(QStringLiteral(";\r")); });
    resumeNext([&] {
        if (MSComm1.PortOpen())
            MSComm1.setPortOpen(false);
    });
    answer = modemAnswer(replies);
    handBack.dismiss();
    if (share_.ended)
        share_.ended(sent, answer);
    if (const auto word = dialFailure(replies))
        MsgBox(dialFailureText(*word, d.number), forms::vbExclamation);
}

bool DialOperations::sendDialCommand(const QString& command) {
    try {
        // A port that takes its time holds the window for up to a few seconds.
        const forms::BusyPointer busy;
        MSComm1.setPortOpen(true);
        MSComm1.setOutput(command);
        return true;
    } catch (const platform::Error& error) {
        MSComm1.setPortOpen(false);
        // Nothing may have reached a modem: saying "Dialing" would be untrue.
        MsgBox(
            QStringLiteral("The number was not dialed. %1\n\nChoose the modem's port under Dialer Settings, "
                           "Modem Port.")
                .arg(error.description()),
            forms::vbOKOnly | forms::vbCritical);
        return false;
    }
}

} // namespace dialer
