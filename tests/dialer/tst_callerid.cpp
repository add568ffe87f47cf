// Who is calling, through the real window: a pty pair as the modem, turned on
// by callerid.conf, told on a real session bus of the test's own to a real
// notification service (dunst on its own X display), read back by
// dbus-monitor; the call log read by quorvel-book.
#include "dialer/CallerIdListener.h"
#include "dialer/ModemWindow.h"
#include "support/TestMain.h"

#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>

#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <tuple>

using namespace testing;

namespace {
const QString Ann = QStringLiteral("Able, Ann");
const QByteArray TurnOn = "AT+VCID=1\r";

void startChild(QProcess& process, const QString& program, const QStringList& args) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(program, args);
}

QByteArray block(const QByteArray& number, const QByteArray& name) {
    return "\r\nRING\r\n\r\nDATE = 1208\r\nTIME = 0715\r\nNMBR = " + number + "\r\nNAME = " + name +
           "\r\n\r\n";
}
} // namespace

class CallerIdTest : public QObject {
    Q_OBJECT
    QProcess bus, xvfb, dunst, monitor;
    QByteArray monitored;
    std::unique_ptr<ModemWindow> modem;

    // "summary|body" of every Notify call seen on the bus.
    QStringList notifications() {
        monitored += monitor.readAllStandardOutput();
        QStringList told;
        static const QRegularExpression text(QStringLiteral("^\\s*string \"(.*)\"$"),
                                             QRegularExpression::MultilineOption);
        const QStringList calls = QString::fromUtf8(monitored).split(QStringLiteral("member=Notify"));
        for (qsizetype i = 1; i < calls.size(); ++i) {
            QStringList strings;
            for (auto it = text.globalMatch(calls[i]); it.hasNext();)
                strings << it.next().captured(1);
            if (strings.size() >= 4)
                told << strings[2] + QLatin1Char('|') + strings[3];
        }
        return told;
    }

    // The window with Listen=true in callerid.conf and Com 1 on the pty pair;
    // the modem has been sent the caller-ID command and answers OK (unless told not to).
    void openListening(bool answer = true) {
        modem = std::make_unique<ModemWindow>(QList<Contact>{{Ann, "Acme", "415-555-0100", "", "", "", ""},
                                                             contact("Baker, Bo", "212-555-0199")});
        QVERIFY(modem->pty.isReady());
        modem->modemOn(1, " 1 \r\n", QByteArray());
        QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME") + "/quorvel");
        writeFile(qEnvironmentVariable("XDG_CONFIG_HOME") + "/quorvel/callerid.conf",
                  "[CallerId]\nListen=true\nCommand=AT+VCID=1\n");
        modem->win.open();
        QVERIFY(modem->win.w->mnuIncomingCalls->isChecked());
        QCOMPARE(modem->pty.read(TurnOn.size()), TurnOn);
        if (answer)
            QVERIFY(modem->pty.answer("\r\nOK\r\n"));
    }

    QString calls() {
        QProcess cli;
        cli.start(QUORVEL_BOOK_EXE, {"--book", modem->win.book, "calls", "--csv"});
        cli.waitForFinished(30000);
        return QString::fromUtf8(cli.readAllStandardOutput());
    }

private slots:
    void initTestCase() {
        startChild(bus, "dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(bus.waitForReadyRead(10000));
        const QByteArray address = bus.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        // An X display of its own for the notification service: Xvfb picks a free one and says which.
        startChild(xvfb, "Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
        QVERIFY(xvfb.waitForReadyRead(20000));
        const QByteArray display = xvfb.readLine().trimmed();
        QVERIFY(!display.isEmpty());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":" + QString::fromLatin1(display));
        dunst.setProcessEnvironment(env);
        startChild(dunst, "dunst", {});
        monitor.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        startChild(
            monitor, "dbus-monitor",
            {"--session", "type='method_call',interface='org.freedesktop.Notifications',member='Notify'"});
        QVERIFY(monitor.waitForStarted());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QTRY_VERIFY_WITH_TIMEOUT(
            QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.Notifications"),
            20000);
    }
    void cleanupTestCase() {
        for (QProcess* p : {&monitor, &dunst, &xvfb, &bus}) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }
    void cleanup() { modem.reset(); }

    void aRingForAStoredNumberIsToldOnceAndADialSharesThePort() {
        openListening();
        const int before = int(notifications().size());
        // The network writes the number without any formatting; the book with it.
        QVERIFY(modem->pty.answer(block("4155550100", "ANN ABLE")));
        QTRY_COMPARE(notifications().mid(before), QStringList({Ann + "|Acme \u2014 415-555-0100"}));
        QVERIFY(modem->pty.answer("\r\nRING\r\n"));

        // A dial while listening: the dial's own bytes on the same port.
        ScriptedBoxes boxes;
        boxes
            .expect("Get Quorvel Pro to eliminate popups", forms::vbOKOnly, identity::ApplicationTitle,
                    forms::vbOK)
            .expect("Dialing 212-555-0199  Pick up the Phone...", forms::vbOKOnly, "Dazu-D-Uzezo",
                    forms::vbOK);
        modem->win.w->Data1->Recordset().MoveLast();
        modem->win.w->Data1->UpdateControls();
        QCOMPARE(modem->win.w->txtPhone->text(), "212-555-0199");
        modem->win.click(modem->win.w->cmdDialPhone);
        QVERIFY_BOXES(boxes);
        QCOMPARE(modem->pty.read(19), QByteArray("ATDT212-555-0199\r;\r"));
        QVERIFY(modem->win.w->callerId()->isHearing());

        // Both are in the log, the dial after the call; the second ring told nothing.
        QTRY_VERIFY_WITH_TIMEOUT(calls().count('\n') == 3, 10000);
        const QStringList log = calls().split('\n', Qt::SkipEmptyParts);
        QVERIFY2(log[1].endsWith(",out,212-555-0199,\"Baker, Bo\",,"), qPrintable(log[1]));
        QVERIFY2(log[2].endsWith(",in,4155550100,\"Able, Ann\",ANN ABLE,"), qPrintable(log[2]));
        QCOMPARE(notifications().size(), before + 1);
    }

    void theCommandIsTriedOnTheModemAndKept() {
        openListening(false);
        modem->win.w->mnuIncomingCallsItem->trigger();
        QWidget* dialog = nullptr;
        QTRY_VERIFY((dialog = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "frmIncomingCalls" && w->isVisible())
                    return w;
            return static_cast<QWidget*>(nullptr);
        }()));
        auto* command = dialog->findChild<QComboBox*>("cboCommand");
        auto* result = dialog->findChild<QLabel*>("lblResult");
        QCOMPARE(command->currentText(), "AT+VCID=1");
        // A command this modem does not know, then one it does: each sent as it is, the answer told.
        for (const auto& [sent, answer, told] : {std::tuple{"AT#CID=1", "ERROR", "answered ERROR"},
                                                 std::tuple{"AT%CCID=1", "OK", "answered OK"}}) {
            command->setCurrentText(sent);
            QTest::mouseClick(dialog->findChild<QPushButton*>("cmdTry"), Qt::LeftButton);
            QCOMPARE(modem->pty.read(qsizetype(strlen(sent)) + 1), QByteArray(sent) + "\r");
            QVERIFY(modem->pty.answer(QByteArray("\r\n") + answer + "\r\n"));
            QTRY_VERIFY2(result->text().contains(told), qPrintable(result->text()));
        }
        // OK keeps it, and the listening modem gets it.
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QVERIFY(contentOf(qEnvironmentVariable("XDG_CONFIG_HOME") + "/quorvel/callerid.conf")
                    .contains("AT%CCID=1"));
        QCOMPARE(modem->pty.read(10), QByteArray("AT%CCID=1\r"));

        // quorvel-book calls: a day to start from, or words about a wrong one.
        QProcess cli;
        cli.start(QUORVEL_BOOK_EXE, {"--book", modem->win.book, "calls", "--since", "2026-13-01"});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 2);
        QVERIFY(cli.readAllStandardError().contains("--since takes a day as YYYY-MM-DD"));
    }

    void unknownAndPrivateCallers() {
        openListening();
        const int before = int(notifications().size());
        QVERIFY(modem->pty.answer(block("3125550000", "CITY OFFICE")));
        QTRY_COMPARE(notifications().mid(before), QStringList({"CITY OFFICE|3125550000"}));
        modem.reset();
        openListening();
        QVERIFY(modem->pty.answer(block("P", "P")));
        QTRY_COMPARE(notifications().mid(before + 1), QStringList({"Private number|"}));
    }

    void aModemUnpluggedIsToldOnceAndHeardAgain() {
        openListening();
        const int before = int(notifications().size());
        // The modem goes away with its device, and comes back under another.
        modem->pty.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(notifications().size() == before + 1, 10000);
        QVERIFY2(notifications().last().startsWith("Incoming calls are not heard|Com 1"),
                 qPrintable(notifications().last()));
        QVERIFY(!modem->win.w->callerId()->isHearing());
        PtyPair back;
        QVERIFY(back.isReady());
        QVERIFY(modem->home.linkComPort(1, back.programEnd()));
        QTRY_VERIFY_WITH_TIMEOUT(modem->win.w->callerId()->isHearing(), 10000);
        QCOMPARE(back.read(TurnOn.size()), TurnOn);
        QVERIFY(back.answer(block("2125550199", "")));
        QTRY_COMPARE(notifications().mid(before + 1),
                     QStringList({"Baker, Bo|Co Baker, Bo \u2014 212-555-0199"}));
    }

    void withoutANotificationServiceTheWindowTellsAndShows() {
        dunst.terminate();
        QVERIFY(dunst.waitForFinished(10000));
        QTRY_VERIFY(
            !QDBusConnection::sessionBus().interface()->isServiceRegistered("org.freedesktop.Notifications"));
        openListening();
        QCOMPARE(modem->win.shown(), Ann);
        app::frmPhone& w = *modem->win.w;
        QTest::mouseClick(w.txtPhone, Qt::LeftButton, {}, w.txtPhone->rect().center());
        QCOMPARE(QApplication::focusWidget(), w.txtPhone);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClicks(QApplication::focusWidget(), "9");
        QVERIFY(modem->pty.answer(block("2125550199", "")));
        QWidget* notice = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((notice =
                                      [] {
                                          for (QWidget* w : QApplication::topLevelWidgets())
                                              if (w->objectName() == "frmIncomingCall" && w->isVisible())
                                                  return w;
                                          return static_cast<QWidget*>(nullptr);
                                      }()),
                                 10000);
        QCOMPARE(notice->findChild<QLabel*>("lblCaller")->text(), "Baker, Bo");
        // Show brings the window up on that contact once what was being
        // typed when the call came is stored.
        QTest::mouseClick(notice->findChild<QPushButton*>("cmdShow"), Qt::LeftButton);
        QCOMPARE(modem->win.shown(), Ann);
        QCOMPARE(w.txtPhone->text(), "415-555-01009");
        ScriptedBoxes boxes;
        boxes.expect("Do you want to save?", forms::vbYesNo, identity::ApplicationTitle, forms::vbYes);
        modem->win.click(w.cmdEdit);
        QVERIFY_BOXES(boxes);
        QTRY_COMPARE(modem->win.shown(), "Baker, Bo");
        QCOMPARE(phonebook::query(modem->win.book, "SELECT Phone FROM PHONEDIR WHERE Name = 'Able, Ann'"),
                 "415-555-01009");
    }
};

QUORVEL_TEST_MAIN(CallerIdTest)
#include "tst_callerid.moc"
