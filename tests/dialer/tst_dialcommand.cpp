// The dial command composed from a number and the dialing prefixes.
#include "dialer/DialCommand.h"

#include <QTest>

using namespace dialer;

Q_DECLARE_METATYPE(dialer::DialKind)
Q_DECLARE_METATYPE(dialer::DialerSettingsValues)

namespace {
const DialerSettingsValues A{0, 212, 9, 1};
const DialerSettingsValues B{};
} // namespace

class DialCommandTest : public QObject {
    Q_OBJECT
private slots:
    void composes_data() {
        QTest::addColumn<DialKind>("kind");
        QTest::addColumn<DialerSettingsValues>("settings");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("shown");
        const auto Phone = DialKind::Phone;
        const auto Mobile = DialKind::Mobile;
        const DialerSettingsValues noOutLine{0, 212, 0, 1};

        // The worked table.
        QTest::newRow("phone, own area") << Phone << A << "212-555-0100"
                                         << "ATDT91212-555-0100\r"
                                         << "212-555-0100";
        QTest::newRow("phone, other area") << Phone << A << "415-555-0100"
                                           << "ATDT91415-555-0100\r"
                                           << "415-555-0100";
        QTest::newRow("mobile, own area") << Mobile << A << "212-555-0101"
                                          << "ATDT9555-0101\r"
                                          << "555-0101";
        QTest::newRow("mobile, other area") << Mobile << A << "415-555-0102"
                                            << "ATDT91415-555-0102\r"
                                            << "415-555-0102";
        QTest::newRow("mobile, parenthesis") << Mobile << A << "(212) 555-0103"
                                             << "ATDT91(212) 555-0103\r"
                                             << "(212) 555-0103";
        QTest::newRow("mobile, no outside line") << Mobile << noOutLine << "212-555-0101"
                                                 << "ATDT555-0101\r"
                                                 << "555-0101";
        QTest::newRow("phone, no prefixes") << Phone << B << "555-0100"
                                            << "ATDT555-0100\r"
                                            << "555-0100";
        QTest::newRow("mobile, no prefixes") << Mobile << B << "555-0104"
                                             << "ATDT555-0104\r"
                                             << "555-0104";

        // The number as it stands: blanks are dialed, the area code is
        // compared as a number, a negative prefix keeps its sign.
        QTest::newRow("blanks only") << Phone << B << "   "
                                     << "ATDT   \r"
                                     << "   ";
        QTest::newRow("area code 012 is 12") << Mobile << DialerSettingsValues{0, 12, 0, 1} << "012-555-0101"
                                             << "ATDT555-0101\r"
                                             << "555-0101";
        QTest::newRow("negative long distance") << Phone << DialerSettingsValues{0, 0, 0, -1} << "555-0100"
                                                << "ATDT-1555-0100\r"
                                                << "555-0100";

        // Changed: no area code set means no local rule; 000 is not local.
        QTest::newRow("area code 0") << Mobile << DialerSettingsValues{0, 0, 9, 1} << "000-555-0101"
                                     << "ATDT91000-555-0101\r"
                                     << "000-555-0101";
        // Changed: the local number is what follows the area code and its separators.
        QTest::newRow("without hyphens") << Mobile << A << "2125550101"
                                         << "ATDT95550101\r"
                                         << "5550101";
        QTest::newRow("blank after the area code") << Mobile << A << "212 555-0101"
                                                   << "ATDT9555-0101\r"
                                                   << "555-0101";
        QTest::newRow("short local") << Mobile << A << "212-5555"
                                     << "ATDT95555\r"
                                     << "5555";
        QTest::newRow("area code alone") << Mobile << A << "212"
                                         << "ATDT9\r"
                                         << "";

        // Changed: control characters never reach the modem.
        QTest::newRow("CR inside") << Phone << B << "555-0100\rATH0"
                                   << "ATDT555-0100ATH0\r"
                                   << "555-0100ATH0";
        QTest::newRow("LF, tab, DEL") << Mobile << A << "\t212-555\n-0101\x7f"
                                      << "ATDT9555-0101\r"
                                      << "555-0101";
        QTest::newRow("controls only") << Phone << A << "\r\n"
                                       << "ATDT91\r"
                                       << "";
    }
    void composes() {
        QFETCH(DialKind, kind);
        QFETCH(DialerSettingsValues, settings);
        QFETCH(QString, text);
        QFETCH(QString, command);
        QFETCH(QString, shown);
        const Dial d = composeDial(kind, text, settings);
        QCOMPARE(d.command, command);
        QCOMPARE(d.number, shown);
    }
};

QTEST_GUILESS_MAIN(DialCommandTest)
#include "tst_dialcommand.moc"
