// The serial control against a real pseudo-terminal pair: what reaches the
// other end, the line it sets, and ports that are missing or held elsewhere.
#include "PtyPair.h"
#include "platform/comm/MSComm.h"
#include "platform/core/Error.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using comm::MSComm;
using namespace testing;

namespace {
// The error a step raises; number 0 when it raises none.
template <typename Step> platform::Error failureOf(Step step) {
    try {
        step();
        return {0, {}};
    } catch (const platform::Error& e) {
        return e;
    }
}

// The line of a terminal device as the kernel holds it.
termios lineOf(const QString& device) {
    termios t{};
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::tcgetattr(fd, &t);
        ::close(fd);
    }
    return t;
}
} // namespace

class MSCommTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ConfigHome> home;
    std::unique_ptr<PtyPair> pty;

private slots:
    void init() {
        home = std::make_unique<ConfigHome>();
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->isReady());
        QVERIFY(home->linkComPort(2, pty->programEnd()));
    }
    void cleanup() {
        pty.reset();
        home.reset();
    }

    void writesEveryByteAndOpensAgainAfterClosing() {
        MSComm c;
        c.setCommPort(2);
        c.setSettings(QStringLiteral("9600, N, 8, 1"));
        c.setPortOpen(true);
        QVERIFY(c.PortOpen());
        c.setOutput(QStringLiteral("ATDT91212-555-0100\r"));
        QCOMPARE(pty->read(19), QByteArray("ATDT91212-555-0100\r"));
        c.setPortOpen(false);
        QVERIFY(!c.PortOpen());
        c.setPortOpen(true);
        c.setOutput(QStringLiteral(";\r"));
        c.setPortOpen(false);
        QCOMPARE(pty->read(2), QByteArray(";\r"));
        // Closing a closed port is no failure.
        c.setPortOpen(false);
    }

    void theLineTakesTheSettings() {
        MSComm c;
        c.setCommPort(2);
        c.setSettings(QStringLiteral("4800, E, 7, 2"));
        c.setPortOpen(true);
        // A pseudo-terminal keeps 8 bits without parity whatever it is
        // told; speed and stop bits show what the control set.
        termios t = lineOf(pty->programDevice());
        QCOMPARE(cfgetospeed(&t), speed_t(B4800));
        QVERIFY(t.c_cflag & CSTOPB);
        // Settings on an open port reach it at once.
        c.setSettings(QStringLiteral("9600, N, 8, 1"));
        t = lineOf(pty->programDevice());
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        QVERIFY(!(t.c_cflag & CSTOPB));
    }

    void commPortTakesOneToSixteenAndKeepsItsPortOtherwise() {
        MSComm c;
        // Before a port is chosen there is none to open, not the machine's first.
        QCOMPARE(c.CommPort(), comm::NoPort);
        for (int refused : {0, -1, 17, 32767})
            QCOMPARE(failureOf([&] { c.setCommPort(refused); }).number(), platform::err::InvalidProperty);
        QCOMPARE(c.CommPort(), comm::NoPort);
        platform::Error e = failureOf([&] { c.setPortOpen(true); });
        QCOMPARE(e.number(), platform::err::PortOpenFailed);
        QCOMPARE(e.description(), QStringLiteral("No modem port is chosen."));
        QCOMPARE(failureOf([&] { c.setOutput(QStringLiteral("AT\r")); }).description(), e.description());
        QVERIFY(!c.PortOpen());
        c.setCommPort(16);
        QCOMPARE(c.CommPort(), 16);
        c.setCommPort(2);
        c.setPortOpen(true);
        QCOMPARE(failureOf([&] { c.setCommPort(3); }).number(), comm::PortAlreadyOpen);
        QCOMPARE(failureOf([&] { c.setPortOpen(true); }).number(), comm::PortAlreadyOpen);
        QCOMPARE(c.CommPort(), 2);
    }

    void settingsRefuseMalformedText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "9600,N,8,1" << true;
        QTest::newRow("blanks, lower case") << " 2400 , o , 7 , 2 " << true;
        QTest::newRow("three parts") << "9600, N, 8" << false;
        QTest::newRow("baud not a number") << "fast, N, 8, 1" << false;
        QTest::newRow("parity") << "9600, X, 8, 1" << false;
        QTest::newRow("data bits") << "9600, N, 9, 1" << false;
        QTest::newRow("stop bits") << "9600, N, 8, 3" << false;
    }
    void settingsRefuseMalformedText() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        MSComm c;
        c.setSettings(QStringLiteral("1200, N, 8, 1"));
        const platform::Error e = failureOf([&] { c.setSettings(text); });
        QCOMPARE(e.number(), valid ? 0 : platform::err::InvalidProperty);
        QCOMPARE(c.Settings(), valid ? text : QStringLiteral("1200, N, 8, 1"));
    }

    void comNStandsForItsLinkElseTtyS() {
        QCOMPARE(MSComm::devicePath(5), QStringLiteral("/dev/ttyS4"));
        QCOMPARE(MSComm::devicePath(2), pty->programDevice());
        QVERIFY(pty->programDevice().startsWith(QStringLiteral("/dev/pts/")));
        // A link to nothing still names its target, not a port of the machine.
        QVERIFY(home->linkComPort(5, QStringLiteral("/dev/quorvel-no-modem")));
        QCOMPARE(MSComm::devicePath(5), QStringLiteral("/dev/quorvel-no-modem"));
    }

    void whatTheModemAnswersIsKeptBoundedUntilTaken() {
        MSComm c;
        c.setCommPort(2);
        c.setPortOpen(true);
        QSignalSpy arrived(&c, &MSComm::OnComm);
        QVERIFY(pty->answer("\r\nOK\r\n"));
        QTRY_COMPARE(c.InBufferCount(), 6);
        QVERIFY(arrived.count() > 0);
        QCOMPARE(c.Input(), QStringLiteral("\r\nOK\r\n"));
        QCOMPARE(c.InBufferCount(), 0);
        // A device that never stops talking keeps only the latest bytes.
        int most = 0;
        connect(&c, &MSComm::OnComm, this, [&] { most = std::max(most, c.InBufferCount()); });
        QVERIFY(pty->answer(QByteArray(3000, 'x') + "\r\nBUSY\r\n"));
        QString taken;
        QTRY_VERIFY((taken += c.Input()).endsWith(QStringLiteral("x\r\nBUSY\r\n")));
        QVERIFY(most > 0 && most <= comm::InBufferSize);
        // Opening again starts with nothing kept.
        QVERIFY(pty->answer("late"));
        QTRY_COMPARE(c.InBufferCount(), 4);
        c.setPortOpen(false);
        c.setPortOpen(true);
        QCOMPARE(c.InBufferCount(), 0);
    }

    void failuresNameThePortTheDeviceAndTheReason() {
        MSComm c;
        c.setCommPort(2);
        platform::Error e = failureOf([&] { c.setOutput(QStringLiteral("AT\r")); });
        QCOMPARE(e.number(), platform::err::PortNotOpen);
        QCOMPARE(e.description(), QStringLiteral("Com 2 (%1) is not open.").arg(pty->programDevice()));

        QVERIFY(home->linkComPort(3, QStringLiteral("/dev/quorvel-no-modem")));
        c.setCommPort(3);
        e = failureOf([&] { c.setPortOpen(true); });
        QCOMPARE(e.number(), platform::err::PortOpenFailed);
        QCOMPARE(
            e.description(),
            QStringLiteral("Com 3 (/dev/quorvel-no-modem) cannot be opened: No such file or directory."));
        QVERIFY(!c.PortOpen());
    }

    void aPortHeldByAnotherProgramIsRefusedUntilItLetsGo() {
        // The other program opens the device itself, not our link to it.
        QProcess other;
        other.start(QStringLiteral(QUORVEL_HOLDPORT), {pty->programDevice()});
        QVERIFY(other.waitForReadyRead(10000));
        QCOMPARE(other.readAllStandardOutput().trimmed(), QByteArray("held"));

        MSComm c;
        c.setCommPort(2);
        const platform::Error e = failureOf([&] { c.setPortOpen(true); });
        QCOMPARE(e.number(), platform::err::PortOpenFailed);
        const QString start = QStringLiteral("Com 2 (%1) cannot be opened: it is in use by another program (")
                                  .arg(pty->programDevice());
        QVERIFY2(e.description().startsWith(start), qPrintable(e.description()));
        QVERIFY(!c.PortOpen());

        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(10000));
        QCOMPARE(other.exitCode(), 0);
        c.setPortOpen(true);
        c.setOutput(QStringLiteral("AT\r"));
        QCOMPARE(pty->read(3), QByteArray("AT\r"));
    }

    void outputGivesUpWhenThePortTakesNothing() {
        MSComm c;
        c.setCommPort(2);
        c.setOutputTimeout(300);
        c.setPortOpen(true);
        // Nobody drains the other side: the terminal's buffer fills up.
        pty->pause();
        const platform::Error e = failureOf([&] { c.setOutput(QString(1 << 20, QLatin1Char('x'))); });
        pty->resume();
        QCOMPARE(e.number(), platform::err::PortWriteFailed);
        QCOMPARE(e.description(),
                 QStringLiteral("Com 2 (%1) cannot be written: the port did not take it within 300 ms.")
                     .arg(pty->programDevice()));
    }
};

QTEST_GUILESS_MAIN(MSCommTest)
#include "tst_mscomm.moc"
