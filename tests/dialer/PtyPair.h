#pragma once

#include <QByteArray>
#include <QProcess>
#include <QSerialPort>
#include <QString>
#include <QTemporaryDir>

namespace testing {

// A private configuration folder (XDG_CONFIG_HOME) for as long as it lives,
// so that port links never touch the user's own.
class ConfigHome {
public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

    // Makes Com n stand for `target`.
    bool linkComPort(int n, const QString& target) const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
};

// Two pseudo-terminals joined by socat: the program opens one end (through a
// Com link) and the test reads what arrives at the other, as a modem would.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // Whether socat is up and the modem's end is open for reading.
    bool isReady() const { return ready_; }
    // The link to the program's end, and the device it stands for.
    QString programEnd() const;
    QString programDevice() const;

    // Waits until `count` more bytes arrived (at most 10 seconds) and
    // returns what came, which may be less.
    QByteArray read(qsizetype count);

    // Sends bytes to the program, as the modem answers.
    bool answer(const QByteArray& bytes);

    // Ends socat: both devices go away, as an unplugged USB modem's does.
    void unplug();

    // Stops and resumes socat, so that the program's end fills up.
    void pause();
    void resume();

private:
    QTemporaryDir dir_;
    QProcess socat_;
    QSerialPort modem_;
    bool ready_ = false;
};

} // namespace testing
