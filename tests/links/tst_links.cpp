// Links as the desktop hands them over, read and composed into the bytes the
// modem gets, or refused with the message the user sees.
#include "dialer/DialCommand.h"
#include "links/DialLink.h"
#include "platform/core/Error.h"

#include <QTest>

using namespace dialer;

Q_DECLARE_METATYPE(dialer::DialerSettingsValues)

namespace {
// Area code 212, outside line 9, long distance 1.
const DialerSettingsValues A{0, 212, 9, 1};
const DialerSettingsValues None{};

// The command for `link`, or the refusal's message.
QString outcome(const QString& link, const QString& region, const DialerSettingsValues& settings,
                bool withExtension) {
    try {
        links::LinkDial dial = links::readLink(link, region);
        if (!withExtension)
            dial.number.extension.clear();
        return composeDial(dial.number, settings).command;
    } catch (const platform::Error& error) {
        return error.description();
    }
}

QString refusal(const QString& link, const QString& why) {
    return QStringLiteral("The link %1 cannot be dialed: %2.").arg(link, why);
}
} // namespace

class LinksTest : public QObject {
    Q_OBJECT
private slots:
    void linkToCommand_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("region");
        QTest::addColumn<DialerSettingsValues>("settings");
        QTest::addColumn<bool>("withExtension");
        QTest::addColumn<QString>("expected");
        const QString us = QStringLiteral("US");
        auto row = [&](const char* name, const QString& link, const QString& expected,
                       const QString& region = "US", const DialerSettingsValues& settings = A,
                       bool withExtension = false) {
            QTest::newRow(name) << link << region << settings << withExtension << expected;
        };

        // At home: the national form, after the prefixes Dial Phone gives a stored number.
        row("global at home", "tel:+1-212-555-0101", "ATDT91212-555-0101\r");
        row("national, no context", "tel:(212) 555.0101", "ATDT91212-555-0101\r");
        row("same calling code, next country", "tel:+1-416-555-0102", "ATDT91416-555-0102\r");
        row("numbered phone context", "tel:555-0101;phone-context=+1-212", "ATDT91212-555-0101\r");
        row("callto", "callto:+12125550101", "ATDT91212-555-0101\r");
        row("callto with slashes", "CALLTO://+1 212 555 0101", "ATDT91212-555-0101\r");
        row("percent-encoded", "tel:%2B1%20(212)%20555-0101", "ATDT91212-555-0101\r");
        row("no prefixes set", "tel:+1-212-555-0101", "ATDT212-555-0101\r", us, None);
        row("home elsewhere", "tel:+49-30-1234567", "ATDT030-1234567\r", "DE", None);

        // Abroad: the access code instead of the long-distance prefix.
        row("abroad from home", "tel:+44-20-7031-3000", "ATDT9011442070313000\r");
        row("home elsewhere, abroad", "tel:+1-212-555-0101", "ATDT90012125550101\r", "DE");
        row("leading zero kept", "tel:+39-06-1234-5678", "ATDT9011390612345678\r");
        row("second dial tone is a pause", "tel:+1-212-555-0101", "ATDT98,1012125550101\r", "RU");
        row("unknown home is the US", "tel:+44-20-7031-3000", "ATDT9011442070313000\r", "XX");

        // An extension follows pauses, and only when the user says yes.
        row("extension declined", "tel:+1-212-555-0101;ext=42", "ATDT91212-555-0101\r");
        row("extension", "tel:+1-212-555-0101;ext=4-2", "ATDT91212-555-0101,,42\r", us, A, true);
        row("service code", "tel:*67;phone-context=+1", "ATDT9*67\r");
        row("subaddress and unknown parameter let go", "tel:+1-212-555-0101;isub=1234;ATZ",
            "ATDT91212-555-0101\r");

        // Refused, with the link named.
        row("hostile parameter", "tel:555;ATH", refusal("tel:555;ATH", "its number is too short"));
        row("hostile line break", "tel:+1%0D%0AATZ",
            refusal("tel:+1%0D%0AATZ", "its number holds the sign %0D, which a phone number has not"));
        row("escaped semicolon", "tel:+1-212-555-0101%3BATH",
            refusal("tel:+1-212-555-0101%3BATH",
                    "its number holds the sign ;, which a phone number has not"));
        row("command in an extension", "tel:+1-212-555-0101;ext=1%0DATZ",
            refusal("tel:+1-212-555-0101;ext=1%0DATZ", "its part ;ext holds blanks or control signs"));
        row("letters", "tel:1-800-FLOWERS",
            refusal("tel:1-800-FLOWERS", "its number holds letters, which a modem cannot dial"));
        const QString huge = QStringLiteral("tel:+") + QString(10000, QLatin1Char('1'));
        row("10,000 digits", huge, refusal(huge.left(80) + "...", "it is longer than any phone number"));
        row("too long for its country", "tel:+1-212-555-0101-0101-0101",
            refusal("tel:+1-212-555-0101-0101-0101", "its number is too long"));
        row("unknown country code", "tel:+999-1234-5678",
            refusal("tel:+999-1234-5678", "its country code is not known"));
        row("domain context", "tel:7042;phone-context=example.com",
            refusal("tel:7042;phone-context=example.com",
                    "its number belongs to example.com and cannot be dialed from a phone line"));
        row("two extensions", "tel:+1-212-555-0101;ext=1;ext=2",
            refusal("tel:+1-212-555-0101;ext=1;ext=2", "it names two extensions"));
        row("broken escape", "tel:+1-212-555-01%1",
            refusal("tel:+1-212-555-01%1", "it holds a %-sign that is not "
                                           "followed by two hex digits"));
        row("no number", "tel:;ext=1", refusal("tel:;ext=1", "it holds no phone number"));
        row("another scheme", "http://example.com/",
            refusal("http://example.com/", "only tel: and callto: links are phone numbers"));
    }
    void linkToCommand() {
        QFETCH(QString, link);
        QFETCH(QString, region);
        QFETCH(DialerSettingsValues, settings);
        QFETCH(bool, withExtension);
        QFETCH(QString, expected);
        QCOMPARE(outcome(link, region, settings, withExtension), expected);
    }

    // The forms a phone book may hold the number in, to name its contact.
    void digitForms() {
        QCOMPARE(links::readLink("tel:+1-212-555-0101", "US").digitForms,
                 QStringList({"2125550101", "12125550101"}));
        QCOMPARE(links::readLink("tel:+44-20-7031-3000", "US").digitForms,
                 QStringList({"2070313000", "442070313000", "02070313000", "011442070313000"}));
    }
};

QTEST_GUILESS_MAIN(LinksTest)
#include "tst_links.moc"
