#pragma once

#include "platform/comm/LineSettings.h"

#include <QObject>
#include <QSerialPort>
#include <QString>

namespace comm {

// CommPort before any port was chosen: nothing is opened.
inline constexpr int NoPort = 0;
inline constexpr int FirstPort = 1;
inline constexpr int LastPort = 16;
// How many received bytes are kept until Input takes them; older ones go.
inline constexpr int InBufferSize = 1024;
// Raised when the port is opened twice or changed while open.
inline constexpr int PortAlreadyOpen = 8005;

// The serial control: selects a port (Com 1 to Com 16), sets its line, opens
// and closes it, writes text to it and keeps what arrives on it. Every failure
// raises platform::Error naming the port, its device and the system's reason.
class MSComm : public QObject {
    Q_OBJECT
public:
    explicit MSComm(QObject* parent = nullptr);
    ~MSComm() override;

    // The port opened by PortOpen; NoPort until one is chosen, and opening
    // then fails. A number outside 1..16 is refused and the port selected
    // before stays; it cannot change while the port is open.
    int CommPort() const { return commPort_; }
    void setCommPort(int port);

    // "baud, parity, data bits, stop bits", such as "9600, N, 8, 1".
    QString Settings() const { return settingsText_; }
    void setSettings(const QString& text);

    bool PortOpen() const { return held_ && port_.isOpen() ? heldOpen_ : port_.isOpen(); }
    void setPortOpen(bool open);

    // Held: the device stays open under PortOpen false, and PortOpen true
    // takes it again as it is, so a program that keeps listening on the port
    // and one that opens and closes it around each use share one device.
    // Letting go closes the device unless PortOpen is true.
    void setHeld(bool held);
    bool isHeld() const { return held_; }
    // Whether the device itself is open, PortOpen or not.
    bool deviceOpen() const { return port_.isOpen(); }

    // Writes every character of the text (one byte each) and waits, at most
    // outputTimeout() milliseconds, until the port has taken them.
    void setOutput(const QString& text);

    // What arrived on the open port since it was opened or last taken, read
    // as the event loop runs: never waited for. Input takes it (one
    // character a byte).
    int InBufferCount() const { return int(input_.size()); }
    QString Input();
    // Drops what arrived and was not taken, down to what the system holds
    // for the open port: what comes next is an answer to what is sent next.
    void clearInput();

    int outputTimeout() const { return outputTimeoutMs_; }
    void setOutputTimeout(int milliseconds) { outputTimeoutMs_ = milliseconds; }

    // The device Com n stands for: the user's link <config>/quorvel/ports/com<n>
    // (resolved to what it points at) when there is one, else /dev/ttyS<n-1>.
    static QString devicePath(int port);
    struct Device {
        QString path; // as devicePath
        QString link; // the user's link, empty when there is none
        bool present; // whether the device exists now
    };
    static Device device(int port);
    // Where the user's links live.
    static QString linkFolder();

signals:
    // Bytes arrived on the open port.
    void OnComm();
    // The device went away under the open port (a USB modem unplugged): it
    // is closed now. The text says which port.
    void PortLost(const QString& description);

private:
    QString describe(const QString& device) const;
    void apply(const LineSettings& line);
    void receive();

    QSerialPort port_;
    int commPort_ = NoPort;
    QByteArray input_;
    QString settingsText_ = QStringLiteral("9600,N,8,1");
    LineSettings line_;
    QString device_; // of the open port
    int outputTimeoutMs_ = 5000;
    bool held_ = false;
    bool heldOpen_ = false; // PortOpen while held
};

} // namespace comm
