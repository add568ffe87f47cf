#include "dialer/CallerIdListener.h"

#include "dialer/CallerIdSettings.h"
#include "dialer/CallerLookup.h"
#include "dialer/Module1.h"
#include "platform/core/Error.h"

#include <QRegularExpression>
#include <QScopeGuard>

namespace dialer {
namespace {
constexpr int QuietMs = 400;
constexpr int LookAgainMs = 2000;
constexpr int TryPatienceMs = 3000;
const QString Line = QStringLiteral("9600, N, 8, 1");
} // namespace

CallerIdListener::CallerIdListener(comm::MSComm& MSComm1, DialerSettingsValues& settings, Hooks hooks,
                                   QObject* parent)
    : QObject(parent), MSComm1(MSComm1), DialerSettings(settings), hooks_(std::move(hooks)) {
    clock_.start();
    quiet_.setSingleShot(true);
    quiet_.setInterval(QuietMs);
    connect(&quiet_, &QTimer::timeout, this, [this] { heard(reader_.flush()); });
    comeBack_.setInterval(LookAgainMs);
    // Looks again for a port chosen later, or one back after it was lost:
    // a look at a file or two every few seconds, not a loop.
    connect(&comeBack_, &QTimer::timeout, this, [this] {
        const int port = DialerSettings.ModemPort;
        if (port != heldPort_ || comm::MSComm::device(port).present)
            start();
    });
    // An unplugged USB modem's device goes away without a word to the open
    // port: its device file is looked for every few seconds.
    stillThere_.setInterval(LookAgainMs);
    connect(&stillThere_, &QTimer::timeout, this, [this] {
        if (!isHearing()) {
            stillThere_.stop();
            return;
        }
        const comm::MSComm::Device device = comm::MSComm::device(heldPort_);
        if (!device.present) {
            release();
            portLost(QStringLiteral("Com %1 (%2) is gone.").arg(heldPort_).arg(device.path));
        }
    });
    tryTimeout_.setSingleShot(true);
    tryTimeout_.setInterval(TryPatienceMs);
    connect(&tryTimeout_, &QTimer::timeout, this, [this] {
        if (auto answered = std::exchange(trying_, {}))
            answered(QString());
    });
    connect(&MSComm1, &comm::MSComm::OnComm, this, [this] {
        if (!dialing_ && isHearing())
            take();
    });
    connect(&MSComm1, &comm::MSComm::PortLost, this, &CallerIdListener::portLost);
}

CallerIdListener::~CallerIdListener() { release(); }

bool CallerIdListener::isHearing() const { return MSComm1.isHeld() && MSComm1.deviceOpen(); }

void CallerIdListener::setListening(bool on) {
    on_ = on;
    if (on) {
        if (!lookup_ && hooks_.bookPath)
            lookup_ = std::make_unique<CallerLookup>(hooks_.bookPath());
        if (lookup_)
            lookup_->catchUp();
        start();
    } else {
        comeBack_.stop();
        release();
    }
}

void CallerIdListener::start() {
    if (!on_ || dialing_ || isHearing())
        return;
    platform::resumeNext([this] { Module1::LoadPortSetting(DialerSettings); });
    const int port = DialerSettings.ModemPort;
    if (port < comm::FirstPort || port > comm::LastPort) {
        comeBack_.start(); // no port chosen yet: heard once one is
        return;
    }
    heldPort_ = port;
    try {
        if (MSComm1.deviceOpen())
            MSComm1.setPortOpen(false);
        MSComm1.setCommPort(port);
        MSComm1.setSettings(Line);
        MSComm1.setPortOpen(true);
        MSComm1.setHeld(true);
        MSComm1.setPortOpen(false);
        lostTold_ = false;
        comeBack_.stop();
        stillThere_.start();
        sendCommand(CallerIdSettings::load().command);
    } catch (const platform::Error& error) {
        MSComm1.setHeld(false);
        MSComm1.setPortOpen(false);
        portLost(error.description());
    }
}

void CallerIdListener::release() {
    if (!MSComm1.isHeld())
        return;
    MSComm1.setHeld(false);
    MSComm1.setPortOpen(false);
}

void CallerIdListener::sendCommand(const QString& command) {
    // Held, the port stays open around the write.
    MSComm1.setPortOpen(true);
    const auto closing = qScopeGuard([this] { MSComm1.setPortOpen(false); });
    MSComm1.setOutput(command + QLatin1Char('\r'));
}

void CallerIdListener::portLost(const QString& what) {
    MSComm1.setHeld(false);
    if (!on_)
        return;
    if (!lostTold_) {
        lostTold_ = true;
        notice_.tell(QStringLiteral("Incoming calls are not heard"),
                     QStringLiteral("%1 They are heard again as soon as the modem is back.").arg(what));
    }
    comeBack_.start();
}

void CallerIdListener::take() {
    const QByteArray bytes = MSComm1.Input().toLatin1();
    if (trying_) {
        tryReplies_ += QString::fromLatin1(bytes);
        static const QRegularExpression answer(QStringLiteral("(^|[\r\n])\\s*(OK|ERROR)\\s*[\r\n]"));
        const QRegularExpressionMatch match = answer.match(tryReplies_);
        if (match.hasMatch()) {
            tryTimeout_.stop();
            std::exchange(trying_, {})(match.captured(2));
        }
        return;
    }
    heard(reader_.feed(bytes, clock_.elapsed()));
    if (reader_.inBlock())
        quiet_.start();
}

void CallerIdListener::heard(const std::vector<RingEvent>& events) {
    for (const RingEvent& event : events) {
        if (event.call == toldCall_)
            continue;
        if (event.kind == RingEvent::Kind::CallerId) {
            toldCall_ = event.call;
            const CallerId caller = event.caller;
            if (lookup_)
                lookup_->find(caller, this, [this, caller](const std::optional<book::Holder>& holder) {
                    tellCaller(caller, holder);
                });
            else
                tellCaller(caller, std::nullopt);
        } else if (!event.firstRing) {
            // A second ring and no caller ID: the line does not tell who it is.
            toldCall_ = event.call;
            notice_.tell(QStringLiteral("Incoming call"),
                         QStringLiteral("The caller's number was not given."));
            if (lookup_)
                lookup_->logUntold();
        }
    }
}

void CallerIdListener::tellCaller(const CallerId& caller, const std::optional<book::Holder>& holder) {
    const QString dash = QStringLiteral(" \u2014 ");
    QString title;
    QStringList body;
    if (holder) {
        title = holder->name.isEmpty() ? holder->number : holder->name;
        if (!holder->company.isEmpty())
            body << holder->company;
        body << (holder->number.isEmpty() ? caller.number : holder->number);
    } else if (caller.withheld == CallerId::Withheld::Private) {
        title = caller.name.isEmpty() ? QStringLiteral("Private number") : caller.name;
    } else if (caller.withheld == CallerId::Withheld::OutOfArea) {
        title = caller.name.isEmpty() ? QStringLiteral("Out of area") : caller.name;
    } else {
        title = caller.name.isEmpty() ? caller.number : caller.name;
        if (!caller.name.isEmpty())
            body << caller.number;
    }
    std::function<void()> show;
    if (holder && hooks_.showContact)
        show = [this, id = holder->id] { hooks_.showContact(id); };
    notice_.tell(title, body.join(dash), std::move(show));
}

void CallerIdListener::commandChanged() {
    if (on_ && isHearing() && !dialing_)
        platform::resumeNext([this] { sendCommand(CallerIdSettings::load().command); });
}

void CallerIdListener::dialBegins() {
    dialing_ = true;
    quiet_.stop();
    reader_.flush();
    // The dial chooses its port: one other than the port held is let go.
    if (isHearing() && DialerSettings.ModemPort != heldPort_)
        release();
}

void CallerIdListener::dialEnded(const QString& number, const QString& answer) {
    dialing_ = false;
    if (!number.isEmpty() && lookup_)
        lookup_->logDial(number, answer);
    else if (!number.isEmpty() && hooks_.bookPath) {
        // Not listening: the dial is logged all the same.
        lookup_ = std::make_unique<CallerLookup>(hooks_.bookPath());
        lookup_->logDial(number, answer);
    }
    if (on_)
        start();
}

void CallerIdListener::tryCommand(const QString& command, std::function<void(const QString&)> answered,
                                  const std::function<void(const QString&)>& failed) {
    if (!isModemCommand(command)) {
        failed(QStringLiteral("\"%1\" is no modem command: it begins with AT and holds no blanks.")
                   .arg(command));
        return;
    }
    const bool wasHearing = isHearing();
    try {
        if (!wasHearing) {
            Module1::LoadPortSetting(DialerSettings);
            MSComm1.setCommPort(DialerSettings.ModemPort);
            MSComm1.setSettings(Line);
            MSComm1.setPortOpen(true);
            MSComm1.setHeld(true);
            MSComm1.setPortOpen(false);
        }
        // A late answer to an earlier command must not pass for this one's.
        MSComm1.clearInput();
        reader_.flush();
        tryReplies_.clear();
        trying_ = [this, wasHearing, answered = std::move(answered)](const QString& answer) {
            if (!wasHearing && !on_)
                release();
            answered(answer);
        };
        tryTimeout_.start();
        sendCommand(command);
    } catch (const platform::Error& error) {
        trying_ = {};
        tryTimeout_.stop();
        if (!wasHearing)
            release();
        failed(error.description());
    }
}

} // namespace dialer
