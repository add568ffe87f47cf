#pragma once

#include "dialer/DialCommand.h"
#include "platform/comm/MSComm.h"

#include <QLineEdit>

namespace dialer {

// Dial Phone and Dial Mobile of the main window: the modem dials the shown
// number, the user lifts the handset and confirms, and the modem is let go.
class DialOperations {
public:
    DialOperations(QLineEdit& txtPhone, QLineEdit& txtMobile, comm::MSComm& MSComm1);

    void cmdDialPhone_Click();
    void cmdDialMobile_Click();

private:
    void dial(DialKind kind, const QLineEdit& box);
    // Opens the port and sends the dial command; on failure tells the user
    // why, leaves the port closed and returns false.
    bool sendDialCommand(const QString& command);

    QLineEdit& txtPhone;
    QLineEdit& txtMobile;
    comm::MSComm& MSComm1;
};

} // namespace dialer
