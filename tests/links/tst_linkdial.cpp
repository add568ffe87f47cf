// A link handed to the real window: the question, the contact it names, and
// the dial through the same path as Dial Phone, with a pty pair as the modem.
#include "dialer/ModemWindow.h"
#include "pages/Loader.h"
#include "support/TestMain.h"

using namespace testing;
using forms::vbCritical;
using forms::vbDefaultButton2;
using forms::vbNo;
using forms::vbOK;
using forms::vbOKOnly;
using forms::vbQuestion;
using forms::vbYes;
using forms::vbYesNo;

namespace {
const QString Title = identity::ApplicationTitle;
const QString DialTitle = QStringLiteral("Dazu-D-Uzezo");
constexpr int Question = vbYesNo | vbQuestion | vbDefaultButton2;

} // namespace

class LinkDialTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ModemWindow> modem;
    Window* win = nullptr;

private slots:
    void init() {
        modem = std::make_unique<ModemWindow>(
            QList<Contact>{contact("Ashford, Nora", "(212) 555-0100", "212 555 0101"),
                           contact("Brennan, Tom", "", "+44 20 7031 3000")});
        win = &modem->win;
        QVERIFY(modem->pty.isReady());
        // Com 2 on the modem; area code 212, outside line 9, long distance 1.
        modem->modemOn(2, " 2 \r\n", " 212  9  1 \r\n");
    }
    void cleanup() { modem.reset(); }

    void aLinkIsAskedAboutThenDialedAsDialPhoneDials() {
        auto& w = win->open();
        ScriptedBoxes boxes;
        boxes
            .expect("The link names the extension 7. Dial it after the number, once the call is answered?",
                    vbYesNo | vbQuestion, Title, vbYes)
            .expect("Dial 91212-555-0101,,7?\n\nThe phone book has this number for Ashford, Nora (Mobile).",
                    Question, Title, vbYes)
            .expect(identity::ProNotice, vbOKOnly, Title, vbOK)
            .expect("Dialing 212-555-0101,,7  Pick up the Phone...", vbOKOnly, DialTitle, vbOK);
        w.takeLink(QStringLiteral("tel:+1-212-555-0101;ext=7"));
        QVERIFY_BOXES(boxes);
        QCOMPARE(modem->pty.read(24), QByteArray("ATDT91212-555-0101,,7\r;\r"));
        QVERIFY(!w.MSComm1->PortOpen());
    }

    void onlyAYesDialsAndNoLinkReachesTheModemAsACommand() {
        auto& w = win->open();
        ScriptedBoxes boxes;
        // No dials nothing; a declined extension is left off.
        boxes
            .expect("Dial 91212-555-0100?\n\nThe phone book has this number for Ashford, Nora (Phone).",
                    Question, Title, vbNo)
            .expect("The link names the extension 12. Dial it after the number, once the call is answered?",
                    vbYesNo | vbQuestion, Title, vbNo)
            .expect("Dial 91212-555-0199?", Question, Title, vbNo)
            // Hostile links are refused, named as they came.
            .expect("The link tel:+1%0D%0AATZ cannot be dialed: its number holds the sign %0D, which a phone "
                    "number has not.",
                    vbOKOnly | vbCritical, Title, vbOK)
            .expect("The link tel:555;ATH cannot be dialed: its number is too short.", vbOKOnly | vbCritical,
                    Title, vbOK)
            // Abroad: the access code, and the contact found by the number's digits.
            .expect("Dial 9011442070313000?\n\nThe phone book has this number for Brennan, Tom (Mobile).",
                    Question, Title, vbYes)
            .expect(identity::ProNotice, vbOKOnly, Title, vbOK)
            .expect("Dialing 011442070313000  Pick up the Phone...", vbOKOnly, DialTitle, vbOK);
        for (const char* link : {"callto://+1.212.555.0100", "tel:212-555-0199;ext=12", "tel:+1%0D%0AATZ",
                                 "tel:555;ATH", "tel:+44-20-7031-3000"})
            w.takeLink(QString::fromLatin1(link));
        QVERIFY_BOXES(boxes);
        // The first bytes the modem ever sees are the one dial said yes to.
        QCOMPARE(modem->pty.read(23), QByteArray("ATDT9011442070313000\r;\r"));
    }

    // A number clicked in the program's own browser reaches the page windows'
    // host, which the window serves: the same question, and Yes dials.
    void aLinkFromTheBrowserTakesTheSamePath() {
        win->open();
        ScriptedBoxes boxes;
        boxes
            .expect("Dial 9011442070313000?\n\nThe phone book has this number for Brennan, Tom (Mobile).",
                    Question, Title, vbYes)
            .expect(identity::ProNotice, vbOKOnly, Title, vbOK)
            .expect("Dialing 011442070313000  Pick up the Phone...", vbOKOnly, DialTitle, vbOK);
        QVERIFY(pages::host().dialLink);
        pages::host().dialLink(QStringLiteral("tel:+44-20-7031-3000"));
        QVERIFY_BOXES(boxes);
        QCOMPARE(modem->pty.read(23), QByteArray("ATDT9011442070313000\r;\r"));
    }
};

QUORVEL_TEST_MAIN(LinkDialTest)
#include "tst_linkdial.moc"
