#pragma once

// The main window on a phone book of its own, its modem a pty pair: what
// every test that dials through the window sets up.
#include "app/WindowFixture.h"
#include "dialer/DialogFixture.h"
#include "dialer/Module1.h"
#include "dialer/PtyPair.h"

namespace testing {

struct ModemWindow {
    ConfigHome home;
    PtyPair pty;
    Window win;

    explicit ModemWindow(const QList<Contact>& contacts) : win(contacts) {}

    // Com n on the pty pair, and Port.sav and Prefix.sav beside the program
    // as a person writes them (a null text writes no file).
    void modemOn(int n, const QByteArray& port, const QByteArray& prefix) {
        QVERIFY(home.linkComPort(n, pty.programEnd()));
        if (!port.isNull())
            writeFile(win.dir.filePath(QStringLiteral("Port.sav")), port);
        if (!prefix.isNull())
            writeFile(win.dir.filePath(QStringLiteral("Prefix.sav")), prefix);
    }
};

} // namespace testing
