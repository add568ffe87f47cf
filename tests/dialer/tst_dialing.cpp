// Dial Phone and Dial Mobile through the real window, with the settings files
// in its program folder and a pty pair standing in for the modem.
#include "dialer/ModemWindow.h"
#include "support/TestMain.h"

#include <functional>

using namespace testing;
using forms::vbCritical;
using forms::vbOK;
using forms::vbOKOnly;

namespace {
const QString Notice = QStringLiteral("Get Quorvel Pro to eliminate popups");
const QString DialTitle = QStringLiteral("Dazu-D-Uzezo");
const QString Nora = QStringLiteral("Ashford, Nora");

// Runs `look` at every box before the scripted answer is given: what the
// modem has received while the user is still being asked.
class BoxProbe {
public:
    explicit BoxProbe(std::function<void(const QString&)> look) {
        auto probe = std::make_unique<Probe>();
        probe->look = std::move(look);
        probe_ = probe.get();
        probe_->inner = forms::setAnswerer(std::move(probe));
    }
    ~BoxProbe() { forms::setAnswerer(std::move(probe_->inner)); }

private:
    struct Probe final : forms::Answerer {
        std::unique_ptr<forms::Answerer> inner;
        std::function<void(const QString&)> look;
        int messageBox(const QString& prompt, int flags, const QString& title) override {
            look(prompt);
            return inner->messageBox(prompt, flags, title);
        }
        QString inputBox(const QString& prompt, const QString& title, const QString& text) override {
            return inner->inputBox(prompt, title, text);
        }
        void closeBox(const QString& prompt) override { inner->closeBox(prompt); }
    };
    Probe* probe_;
};

} // namespace

class DialingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ModemWindow> modem;
    ConfigHome* home = nullptr;
    PtyPair* pty = nullptr;
    Window* win = nullptr;

    void modemOn(int n, const QByteArray& port, const QByteArray& prefix) { modem->modemOn(n, port, prefix); }

    // Clicks a dial button: the notice, then exactly this box, and no other.
    // `look` sees each box before it is answered.
    void dial(
        QPushButton* button, const QString& text, int flags = vbOKOnly, const QString& title = DialTitle,
        std::function<void(const QString&)> look = [](const QString&) {}) {
        ScriptedBoxes boxes;
        boxes.expect(Notice, vbOKOnly, identity::ApplicationTitle, vbOK).expect(text, flags, title, vbOK);
        BoxProbe probe(std::move(look));
        win->click(button);
        QVERIFY_BOXES(boxes);
    }

private slots:
    void init() {
        modem = std::make_unique<ModemWindow>(QList<Contact>{contact(Nora, "212-555-0100", "212-555-0101"),
                                                             contact("Brennan, Tom", "", "415-555-0102")});
        home = &modem->home;
        pty = &modem->pty;
        win = &modem->win;
        QVERIFY(pty->isReady());
    }
    void cleanup() { modem.reset(); }

    void dialMobileOnTheOwnAreaCodeDialsLocally() {
        modemOn(2, " 2 \r\n", " 212  9  1 \r\n");
        auto& w = win->open();
        QByteArray duringDialing;
        bool openDuringDialing = false;
        dial(w.cmdDialMobile, "Dialing 555-0101  Pick up the phone...", vbOKOnly, DialTitle,
             [&](const QString& text) {
                 if (text.startsWith(QStringLiteral("Dialing"))) {
                     openDuringDialing = w.MSComm1->PortOpen();
                     duringDialing = pty->read(14);
                 }
             });
        // The command is out while the user is asked to pick up; ";" follows.
        QVERIFY(openDuringDialing);
        QCOMPARE(duringDialing, QByteArray("ATDT9555-0101\r"));
        QCOMPARE(pty->read(2), QByteArray(";\r"));
        QVERIFY(!w.MSComm1->PortOpen());
        QCOMPARE(w.MSComm1->CommPort(), 2);
        QCOMPARE(w.MSComm1->Settings(), QStringLiteral("9600, N, 8, 1"));
    }

    void dialPhoneDialsTheLongDistancePrefixAlways() {
        modemOn(2, " 2 \r\n", " 212  9  1 \r\n");
        auto& w = win->open();
        dial(w.cmdDialPhone, "Dialing 212-555-0100  Pick up the Phone...");
        QCOMPARE(pty->read(21), QByteArray("ATDT91212-555-0100\r;\r"));
    }

    void anEmptyNumberSendsNothing() {
        modemOn(2, " 2 \r\n", " 212  9  1 \r\n");
        auto& w = win->open();
        win->click(w.Data1->nextButton());
        QCOMPARE(w.txtPhone->text(), QString());
        dial(w.cmdDialPhone, "Enter Phone number first", vbOKOnly, identity::ApplicationTitle);
        QVERIFY(!w.MSComm1->PortOpen());
        // The next dial's bytes are the first the modem ever sees.
        dial(w.cmdDialMobile, "Dialing 415-555-0102  Pick up the phone...");
        QCOMPARE(pty->read(21), QByteArray("ATDT91415-555-0102\r;\r"));
    }

    void withoutAChosenPortNothingIsWrittenAnywhere() {
        // Com 1 is the modem here, but nobody chose it: no Port.sav, then
        // one that holds 0 (OK with no port ticked).
        modemOn(1, {}, {});
        auto& w = win->open();
        const QString refused =
            QStringLiteral("The number was not dialed. No modem port is chosen.\n\nChoose "
                           "the modem's port under Dialer Settings, Modem Port.");
        dial(w.cmdDialMobile, refused, vbOKOnly | vbCritical, identity::ApplicationTitle);
        writeFile(win->dir.filePath(QStringLiteral("Port.sav")), " 0 \r\n");
        dial(w.cmdDialPhone, refused, vbOKOnly | vbCritical, identity::ApplicationTitle);
        QVERIFY(!w.MSComm1->PortOpen());
        // Once chosen, the first bytes the modem ever sees are that dial's;
        // without a prefix file nothing is prefixed.
        writeFile(win->dir.filePath(QStringLiteral("Port.sav")), " 1 \r\n");
        dial(w.cmdDialMobile, "Dialing 212-555-0101  Pick up the phone...");
        QCOMPARE(pty->read(19), QByteArray("ATDT212-555-0101\r;\r"));
    }

    void aModemThatSaysTheDialFailedIsHeard_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QStringList>("told"); // empty: the dial went on, nothing more is said
        QTest::newRow("no dial tone")
            << QByteArray("\r\nNO DIALTONE\r\n")
            << QStringList{"The modem answered NO DIALTONE", "no dial tone", "line plugged into the modem"};
        QTest::newRow("busy, after the echoed command")
            << QByteArray("ATDT91212-555-0100\r\r\nBUSY\r\n")
            << QStringList{"The modem answered BUSY", "212-555-0100 is busy"};
        QTest::newRow("no carrier, in two pieces")
            << QByteArray("\r\nNO CAR|RIER\r\n") << QStringList{"The modem answered NO CARRIER"};
        QTest::newRow("error") << QByteArray("\r\nERROR\r\n")
                               << QStringList{"The modem answered ERROR", "Dialer Settings, Modem Port"};
        QTest::newRow("only the echo") << QByteArray("ATDT91212-555-0100\r") << QStringList{};
    }
    void aModemThatSaysTheDialFailedIsHeard() {
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, told);
        modemOn(2, " 2 \r\n", " 212  9  1 \r\n");
        auto& w = win->open();
        const QString dialing = QStringLiteral("Dialing 212-555-0100  Pick up the Phone...");
        ScriptedBoxes boxes;
        boxes.expect(Notice, vbOKOnly, identity::ApplicationTitle, vbOK)
            .expect(dialing, vbOKOnly, DialTitle, vbOK);
        if (!told.isEmpty())
            boxes.expectContaining(told, forms::vbExclamation, vbOK);
        BoxProbe probe([&](const QString& text) {
            if (text != dialing)
                return;
            QCOMPARE(pty->read(19), QByteArray("ATDT91212-555-0100\r"));
            for (const QByteArray& piece : answer.split('|')) {
                QVERIFY(pty->answer(piece));
                QTest::qWait(20); // the pieces arrive apart
            }
            // The box gives way to the answer while it is still open.
            if (!told.isEmpty())
                QTRY_COMPARE(boxes.closed(), QStringList{dialing});
        });
        win->click(w.cmdDialPhone);
        QVERIFY_BOXES(boxes);
        if (told.isEmpty())
            QVERIFY(boxes.closed().isEmpty());
        // The modem is let go exactly as after any dial.
        QCOMPARE(pty->read(2), QByteArray(";\r"));
        QVERIFY(!w.MSComm1->PortOpen());
    }

    void noModemIsReportedInsteadOfDialing() {
        modemOn(2, " 3 \r\n", " 212  9  1 \r\n");
        QVERIFY(home->linkComPort(3, QStringLiteral("/dev/quorvel-no-modem")));
        auto& w = win->open();
        dial(w.cmdDialPhone,
             "The number was not dialed. Com 3 (/dev/quorvel-no-modem) cannot be opened: No such file or "
             "directory.\n\nChoose the modem's port under Dialer Settings, Modem Port.",
             vbOKOnly | vbCritical, identity::ApplicationTitle);
        QVERIFY(!w.MSComm1->PortOpen());
    }
};

QUORVEL_TEST_MAIN(DialingTest)
#include "tst_dialing.moc"
