#pragma once

#include "dialer/DialCommand.h"
#include "dialer/Module1.h"
#include "platform/comm/MSComm.h"

#include <QLineEdit>
#include <QStringList>

#include <functional>

namespace dialer {

// Dial Phone and Dial Mobile of the main window: the modem dials the shown
// number, the user lifts the handset and confirms, and the modem is let go.
class DialOperations {
public:
    DialOperations(QLineEdit& txtPhone, QLineEdit& txtMobile, comm::MSComm& MSComm1);

    void cmdDialPhone_Click();
    void cmdDialMobile_Click();

    // Whose number it is: a contact's name for the number's digit forms,
    // or an empty text.
    using HolderOf = std::function<QString(const QStringList& digitForms)>;
    // A tel: or callto: link from the desktop: asks the user, then dials it
    // as Dial Phone dials.
    void dialLink(const QString& link, const HolderOf& holderOf);

    // The port and prefixes in memory, 0 at start: every dial reads the
    // files again into them, and both settings dialogs show and set them.
    DialerSettingsValues& settings() { return DialerSettings; }

    // Who else uses the modem port: told before a dial takes it, and after
    // the hang-up with the number as the user gave it (empty when nothing
    // was sent) and the modem's answer (OK, BUSY, ...; empty for none).
    struct PortShare {
        std::function<void()> begins;
        std::function<void(const QString& number, const QString& answer)> ended;
    };
    void setPortShare(PortShare share) { share_ = std::move(share); }

private:
    void dial(DialKind kind, const QLineEdit& box);
    // Reads Port.sav and Prefix.sav again; one that is there but cannot be
    // read is named in a message, and false is returned.
    bool loadSettings();
    // From the port's settings to the port closed again.
    void dialOut(DialKind kind, const Dial& d, const QString& given);
    // Opens the port and sends the dial command; on failure tells the user
    // why, leaves the port closed and returns false.
    bool sendDialCommand(const QString& command);

    QLineEdit& txtPhone;
    QLineEdit& txtMobile;
    comm::MSComm& MSComm1;
    DialerSettingsValues DialerSettings;
    PortShare share_;
};

} // namespace dialer
