// Numbers as a contact holds them, read into what the dialer composes and
// the whole number to match them by, or refused with the message the user
// sees.
#include "dialer/DialCommand.h"
#include "links/StoredNumber.h"
#include "platform/core/Error.h"

#include <QTest>

namespace {
// "number | long distance or not | extension | +E.164", or the refusal.
QString reading(const QString& text, const QString& region) {
    try {
        const links::LinkDial read = links::readStoredNumber(text, region);
        return QStringLiteral("%1|%2|%3|%4")
            .arg(read.number.number, read.number.longDistance ? "ld" : "-", read.number.extension, read.e164);
    } catch (const platform::Error& error) {
        return error.description();
    }
}

QString refusal(const QString& number, const QString& why) {
    return QStringLiteral("The number %1 cannot be dialed: %2.").arg(number, why);
}
} // namespace

class StoredNumberTest : public QObject {
    Q_OBJECT
private slots:
    void reads_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QString& text, const QString& expected,
                      const QString& region = "US") { QTest::newRow(name) << text << region << expected; };
        // The ###-###-#### form stays as written, and is still known as a number.
        row("written form", "(212) 555-0103", "(212) 555-0103|ld||+12125550103");
        row("blanks only", "   ", "   |ld||");
        row("empty", "", "|ld||");
        row("seven digits", "555.0100", "555.0100|ld||");

        // Another country's user: the national form at home, the access code abroad.
        row("home, with +", "+49 30 1234567", "030-1234567|ld||+49301234567", "DE");
        row("home, access code written out", "0049 30 1234567", "030-1234567|ld||+49301234567", "DE");
        row("abroad from elsewhere", "+1 212 555 0101", "0012125550101|-||+12125550101", "DE");
        row("no-break spaces", QStringLiteral("+1\u00a0212\u00a0555\u00a00101"),
            "212-555-0101|ld||+12125550101");

        // Letters and extensions.
        row("lower-case letters", "1-800-flowers", "800-356-9377|ld||+18003569377");
        row("x after a letter is a letter", "1-800-FOX1234", "800-369-1234|ld||+18003691234");
        row("commas", "212-555-0100,,,4", "212-555-0100|ld|4|+12125550100");
        row("service code", "*67 555-0100", "*675550100|-||");

        // Refused.
        row("line feed after an extension", "555-0100 x12\n",
            refusal("555-0100 x12%0A", "it holds the sign %0A, which is no dial character and would give the "
                                       "modem a command"));
        row("command after an extension", "555 0100 ext 12;ATZ",
            refusal("555 0100 ext 12;ATZ",
                    "it holds the sign ;, which is no dial character and would give the "
                    "modem a command"));
        row("star after a plus", "+1 *67",
            refusal("+1 *67", "its sign * has no place in a number that begins with +"));
        row("unknown country code", "+999 1234 5678",
            refusal("+999 1234 5678", "its country code is not known"));
        row("only letters, too short", "ABC", refusal("ABC", "its number is too short"));
        const QString huge = QStringLiteral("+") + QString(300, QLatin1Char('1'));
        row("longer than any number", huge,
            refusal(huge.left(80) + "...", "it is longer than any phone number"));
    }
    void reads() {
        QFETCH(QString, text);
        QFETCH(QString, region);
        QFETCH(QString, expected);
        QCOMPARE(reading(text, region), expected);
    }

    // The same person's number written three ways is one number to match.
    void writingsOfOneNumberMatch() {
        for (const char* text : {"212-555-0101", "+1 (212) 555-0101 x9", "011 1 212 555 0101"})
            QCOMPARE(links::readStoredNumber(text, "US").e164, QStringLiteral("+12125550101"));
        QVERIFY(links::readStoredNumber("212-555-0101", "US").digitForms.contains("2125550101"));
    }

    // Whatever a later caller hands the composer, a sign that is no dial
    // character never becomes part of a command.
    void theComposerLetsNoOtherSignThrough() {
        const dialer::DialerSettingsValues settings{0, 212, 9, 1};
        for (const links::LinkNumber& number :
             {links::LinkNumber{"555-0100;ATZ", true, {}}, links::LinkNumber{"555-0100", false, "1\rATH"}}) {
            try {
                const dialer::Dial d = dialer::composeDial(dialer::DialKind::Mobile, number, settings);
                QFAIL(qPrintable("composed " + d.command));
            } catch (const platform::Error& error) {
                QVERIFY2(error.description().contains("would give the modem a command"),
                         qPrintable(error.description()));
            }
        }
    }
};

QTEST_GUILESS_MAIN(StoredNumberTest)
#include "tst_storednumber.moc"
