#pragma once

#include "book/Calls.h"
#include "dialer/CallNotice.h"
#include "dialer/Module1.h"
#include "dialer/RingReader.h"
#include "platform/comm/MSComm.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace dialer {

class CallerLookup;

// "Show Incoming Calls": while on and a modem port is chosen, the port is
// held open at 9600 8N1, the caller-ID command is sent, and what the modem
// prints is read; each call is told once, and kept in the call log. A dial
// takes the same open port for its own bytes and hands it back after the
// hang-up. A port that goes away is told once and waited for, without
// asking the system again and again.
class CallerIdListener : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<QString()> bookPath;
        // "Show" on a call from a contact: the window on that contact.
        std::function<void(const QString& contactId)> showContact;
    };
    // The port is the one the dial operations hold in DialerSettings, read
    // again from Port.sav whenever listening starts.
    CallerIdListener(comm::MSComm& MSComm1, DialerSettingsValues& DialerSettings, Hooks hooks,
                     QObject* parent = nullptr);
    ~CallerIdListener() override;

    // Turns listening on or off, as the menu item and callerid.conf say.
    void setListening(bool on);
    bool isListening() const { return on_; }
    // Whether the port is held and read now.
    bool isHearing() const;

    // A dial is about to use the modem port, already chosen in ModemPort.
    void dialBegins();
    // The dial is over: `number` dialed (empty when nothing was sent) and the
    // modem's answer (empty for none).
    void dialEnded(const QString& number, const QString& answer);

    // The command in callerid.conf changed: a held port gets it now.
    void commandChanged();

    // Sends `command` to the modem and tells `answered` what came back:
    // "OK", "ERROR", or an empty text when nothing came within a few
    // seconds. `failed` gets the reason when the port cannot be used.
    void tryCommand(const QString& command, std::function<void(const QString& answer)> answered,
                    const std::function<void(const QString& reason)>& failed);

private:
    void start();
    void release();
    void take();
    void portLost(const QString& what);
    void heard(const std::vector<RingEvent>& events);
    void tellCaller(const CallerId& caller, const std::optional<book::Holder>& holder);
    void sendCommand(const QString& command);

    comm::MSComm& MSComm1;
    DialerSettingsValues& DialerSettings;
    Hooks hooks_;
    CallNotice notice_;
    RingReader reader_;
    QElapsedTimer clock_;
    QTimer quiet_;      // a block that nothing more followed ends after a short quiet
    QTimer comeBack_;   // looks for a lost port now and then
    QTimer stillThere_; // looks whether the held device is still there
    std::unique_ptr<CallerLookup> lookup_;
    bool on_ = false;
    bool dialing_ = false;
    int heldPort_ = 0;
    int toldCall_ = 0; // the last call told; each is told once
    bool lostTold_ = false;
    // A command being tried: what it waits for.
    std::function<void(const QString&)> trying_;
    QString tryReplies_;
    QTimer tryTimeout_;
};

} // namespace dialer
