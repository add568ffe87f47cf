// Numbers as contacts hold them, typed, imported or synced, dialed through
// the real window with a pty pair as the modem: the exact bytes the modem
// gets, or none at all and the reason.
#include "dialer/ModemWindow.h"
#include "support/TestMain.h"

using namespace testing;
using forms::vbCritical;
using forms::vbOK;
using forms::vbOKOnly;

namespace {
const QString Notice = QStringLiteral("Get Quorvel Pro to eliminate popups");
const QString DialTitle = QStringLiteral("Dazu-D-Uzezo");
const QString Title = identity::ApplicationTitle;
// A number that always dials, and what it sends.
const QString Plain = QStringLiteral("415-555-0102");
const QByteArray PlainSent("ATDT91415-555-0102\r;\r");

QString refused(const QString& shownNumber, const QString& sign) {
    return QStringLiteral(
               "The number %1 cannot be dialed: it holds the sign %2, which is no dial character and "
               "would give the modem a command.")
        .arg(shownNumber, sign);
}

// Clicks at the middle of a box and sends Enter to whatever has the focus,
// as a user does: Enter in a box presses the default button, Dial Mobile.
void enterIn(QLineEdit* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
    QCOMPARE(QApplication::focusWidget(), box);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}
} // namespace

class StoredNumbersTest : public QObject {
    Q_OBJECT
private slots:
    void eachFormReachesTheModemAsWritten_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("mobile");
        QTest::addColumn<QByteArray>("sent"); // empty: refused, nothing reaches the modem
        QTest::addColumn<QString>("told");    // the pick-up box's number, or the refusal
        auto row = [](const char* name, const QString& number, bool mobile, const QByteArray& sent,
                      const QString& told) { QTest::newRow(name) << number << mobile << sent << told; };

        // Area code 212, outside line 9, long distance 1, in the United States.
        row("abroad: the access code, no long distance", "+46 70 555 01 23", true, "ATDT901146705550123\r",
            "01146705550123");
        row("access code written out", "011 46 70 555 01 23", false, "ATDT901146705550123\r",
            "01146705550123");
        row("home country, own area, mobile", "+1 (212) 555-0101", true, "ATDT9555-0101\r", "555-0101");
        row("home country, phone", "+1 212 555 0101", false, "ATDT91212-555-0101\r", "212-555-0101");
        row("keypad letters", "1-800-FLOWERS", false, "ATDT91800-356-9377\r", "800-356-9377");
        row("ext and hyphens", "020-555-0100-ext-99999999", false, "ATDT91020-555-0100,,99999999\r",
            "020-555-0100,,99999999");
        row("x, as written", "(415) 555-0147 x12", false, "ATDT91(415) 555-0147,,12\r", "(415) 555-0147,,12");
        row("ext., own area, mobile", "212-555-0100 Ext. 7", true, "ATDT9555-0100,,7\r", "555-0100,,7");
        row(";ext=", "+44 20 7031 3000;ext=42", false, "ATDT9011442070313000,,42\r", "011442070313000,,42");
        row("#", "415-555-0100#5", false, "ATDT91415-555-0100,,5\r", "415-555-0100,,5");

        row("a semicolon and a command", "555-0100;ATS0=1", false, {}, refused("555-0100;ATS0=1", ";"));
        row("factory settings", "555-0199&F&W", true, {}, refused("555-0199&F&W", "&"));
        row("a carriage return", "555-0199\rATH0", false, {}, refused("555-0199%0DATH0", "%0D"));
        row("escape to command mode", "+++ATZ", false, {}, refused("+++ATZ", "+"));
        row("an exclamation mark", "555-0100!", true, {}, refused("555-0100!", "!"));
    }
    void eachFormReachesTheModemAsWritten() {
        QFETCH(QString, number);
        QFETCH(bool, mobile);
        QFETCH(QByteArray, sent);
        QFETCH(QString, told);
        ModemWindow modem({contact("Ashford, Nora", mobile ? Plain : number, mobile ? number : Plain)});
        QVERIFY(modem.pty.isReady());
        modem.modemOn(2, " 2 \r\n", " 212  9  1 \r\n");
        auto& w = modem.win.open();
        QCOMPARE((mobile ? w.txtMobile : w.txtPhone)->text(), number);

        ScriptedBoxes boxes;
        boxes.expect(Notice, vbOKOnly, Title, vbOK);
        if (sent.isEmpty())
            boxes.expect(told, vbOKOnly | vbCritical, Title, vbOK);
        else
            boxes.expect(
                QStringLiteral("Dialing %1  Pick up the %2...").arg(told, mobile ? "phone" : "Phone"),
                vbOKOnly, DialTitle, vbOK);
        modem.win.click(mobile ? w.cmdDialMobile : w.cmdDialPhone);
        QVERIFY_BOXES(boxes);
        QVERIFY(!w.MSComm1->PortOpen());
        if (!sent.isEmpty()) {
            QCOMPARE(modem.pty.read(sent.size() + 2), sent + ";\r");
            return;
        }
        // Refused: the next dial's bytes are the first the modem ever sees.
        boxes.clear();
        boxes.expect(Notice, vbOKOnly, Title, vbOK)
            .expect(QStringLiteral("Dialing %1  Pick up the %2...").arg(Plain, mobile ? "Phone" : "phone"),
                    vbOKOnly, DialTitle, vbOK);
        modem.win.click(mobile ? w.cmdDialPhone : w.cmdDialMobile);
        QVERIFY_BOXES(boxes);
        QCOMPARE(modem.pty.read(PlainSent.size()), PlainSent);
    }

    // Enter in the mobile box, as a user dials: an imported number abroad
    // goes out with the access code; a field holding a modem command sends
    // nothing at all.
    void enterDialsTheMobileAsItWasMeant() {
        ModemWindow modem(
            {contact("Lund, Eva", "", "+46 70 555 01 23"), contact("Mallet, Jo", "", "555-0100;ATS0=1")});
        QVERIFY(modem.pty.isReady());
        modem.modemOn(2, " 2 \r\n", " 212  9  1 \r\n");
        auto& w = modem.win.open();
        ScriptedBoxes boxes;
        boxes.expect(Notice, vbOKOnly, Title, vbOK)
            .expect("Dialing 01146705550123  Pick up the phone...", vbOKOnly, DialTitle, vbOK);
        enterIn(w.txtMobile);
        QVERIFY_BOXES(boxes);
        QCOMPARE(modem.pty.read(22), QByteArray("ATDT901146705550123\r;\r"));

        modem.win.click(w.Data1->nextButton());
        QCOMPARE(w.txtName->text(), QStringLiteral("Mallet, Jo"));
        boxes.clear();
        boxes.expect(Notice, vbOKOnly, Title, vbOK)
            .expect(refused("555-0100;ATS0=1", ";"), vbOKOnly | vbCritical, Title, vbOK);
        enterIn(w.txtMobile);
        QVERIFY_BOXES(boxes);

        // Back to the first contact: its dial is all the modem got since.
        modem.win.click(w.Data1->previousButton());
        boxes.clear();
        boxes.expect(Notice, vbOKOnly, Title, vbOK)
            .expect("Dialing 01146705550123  Pick up the phone...", vbOKOnly, DialTitle, vbOK);
        enterIn(w.txtMobile);
        QVERIFY_BOXES(boxes);
        QCOMPARE(modem.pty.read(22), QByteArray("ATDT901146705550123\r;\r"));
    }

    // A settings file that is there but cannot be read is named, and the
    // dial stops there: no port is opened on values nobody chose.
    void anUnreadableSettingsFileIsNamed() {
        ModemWindow modem({contact("Ashford, Nora", "212-555-0100", Plain)});
        QVERIFY(modem.pty.isReady());
        // Ten megabytes of port file; a prefix file with a word in it.
        modem.modemOn(2, QByteArray(10 * 1024 * 1024, '2'), " 212  9  1 \r\n");
        auto& w = modem.win.open();
        ScriptedBoxes boxes;
        boxes.expect(Notice, vbOKOnly, Title, vbOK)
            .expectContaining({"The number was not dialed. Port.sav is not a settings file",
                               "Its values are set under Dialer Settings, Modem Port."},
                              vbOKOnly | vbCritical, vbOK);
        modem.win.click(w.cmdDialPhone);
        QVERIFY_BOXES(boxes);

        writeFile(modem.win.dir.filePath(QStringLiteral("Port.sav")), " 2 \r\n");
        writeFile(modem.win.dir.filePath(QStringLiteral("Prefix.sav")), "212 nine 1\r\n");
        boxes.clear();
        boxes.expect(Notice, vbOKOnly, Title, vbOK)
            .expect("The number was not dialed. Prefix.sav holds \"nine\", which is no number.\n\nIts values "
                    "are set under Dialer Settings, Area Code.",
                    vbOKOnly | vbCritical, Title, vbOK);
        modem.win.click(w.cmdDialMobile);
        QVERIFY_BOXES(boxes);
        QVERIFY(!w.MSComm1->PortOpen());

        // Set again, the file dials; these are the first bytes the modem sees.
        writeFile(modem.win.dir.filePath(QStringLiteral("Prefix.sav")), " 212  9  1 \r\n");
        boxes.clear();
        boxes.expect(Notice, vbOKOnly, Title, vbOK)
            .expect("Dialing 415-555-0102  Pick up the phone...", vbOKOnly, DialTitle, vbOK);
        modem.win.click(w.cmdDialMobile);
        QVERIFY_BOXES(boxes);
        QCOMPARE(modem.pty.read(PlainSent.size()), PlainSent);
    }
};

QUORVEL_TEST_MAIN(StoredNumbersTest)
#include "tst_storednumbers.moc"
