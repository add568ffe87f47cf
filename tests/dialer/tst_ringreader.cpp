// What modems print for an incoming call, in the forms they print it, cut
// into pieces as a serial port hands them over: what the reader tells.
#include "dialer/RingReader.h"

#include <QTest>

namespace {
// The events of a transcript fed in pieces of `piece` bytes (0: all at
// once), "|" marking three seconds of quiet: "R1*" a ring starting call 1,
// "R1" another ring of it, "C1 number/withheld/name/date/time" a caller ID.
QString heard(const QByteArray& transcript, int piece) {
    dialer::RingReader reader;
    QStringList events;
    auto note = [&](const std::vector<dialer::RingEvent>& got) {
        for (const dialer::RingEvent& e : got) {
            if (e.kind == dialer::RingEvent::Kind::Ring) {
                events << QStringLiteral("R%1%2").arg(e.call).arg(QLatin1String(e.firstRing ? "*" : ""));
                continue;
            }
            const char* withheld[] = {"", "P", "O"};
            events << QStringLiteral("C%1 %2/%3/%4/%5/%6")
                          .arg(e.call)
                          .arg(e.caller.number, QLatin1String(withheld[int(e.caller.withheld)]),
                               e.caller.name, e.caller.date, e.caller.time);
        }
    };
    qint64 now = 0;
    for (const QByteArray& part : transcript.split('|')) {
        const int step = piece > 0 ? piece : int(part.size()) + 1;
        for (qsizetype at = 0; at < part.size(); at += step)
            note(reader.feed(part.mid(at, step), now));
        now += 3000;
    }
    note(reader.flush());
    return events.join(QLatin1String(", "));
}
} // namespace

class RingReaderTest : public QObject {
    Q_OBJECT
private slots:
    void transcripts_data() {
        QTest::addColumn<QByteArray>("transcript");
        QTest::addColumn<QString>("expected");
        const QByteArray mdmf = "\r\nRING\r\n\r\nDATE = 1208\r\nTIME = 0715\r\nNMBR = 2125550101\r\n"
                                "NAME = ANN ABLE\r\n\r\n";
        QTest::newRow("ring, block, ring") << mdmf + "|\r\nRING\r\n"
                                           << "R1*, C1 2125550101//ANN ABLE/1208/0715, R1";
        QTest::newRow("any order, name first")
            << QByteArray("RING\r\nNAME = ACME CORP\r\nTIME = 0715\r\nNMBR = 4155550100\r\n")
            << "R1*, C1 4155550100//ACME CORP//0715";
        QTest::newRow("no name: ends at the next ring")
            << QByteArray("RING\r\nDATE = 1208\r\nNMBR = 2125550101\r\n|RING\r\n")
            << "R1*, C1 2125550101///1208/, R1";
        QTest::newRow("no name: ends when the line goes quiet")
            << QByteArray("RING\r\nNMBR = 2125550101\r\n") << "R1*, C1 2125550101////";
        QTest::newRow("private number")
            << QByteArray("RING\r\nDATE = 1208\r\nTIME = 0715\r\nNMBR = P\r\nNAME = P\r\n")
            << "R1*, C1 /P//1208/0715";
        QTest::newRow("out of area") << QByteArray("RING\nNMBR = O\nNAME = O\n") << "R1*, C1 /O///";
        QTest::newRow("single-line form, LF only")
            << QByteArray("RING\nDATE=1208 TIME=0715 NMBR=2125550101\n") << "R1*, C1 2125550101///1208/0715";
        QTest::newRow("CR only, CR CR LF, echo and OK")
            << QByteArray("AT+VCID=1\r\r\nOK\r\nRING\rNMBR = 2125550101\r\r\nNAME = ANN\r\r\n")
            << "R1*, C1 2125550101//ANN//";
        QTest::newRow("second call after quiet")
            << QByteArray("RING\r\nNMBR = 2125550101\r\nNAME = A\r\n|||RING\r\nNMBR = P\r\nNAME = P\r\n")
            << "R1*, C1 2125550101//A//, R2*, C2 /P///";
        QTest::newRow("rings without caller ID") << QByteArray("RING\r\n|RING\r\n|RING\r\n") << "R1*, R1, R1";
        QTest::newRow("a second block for one call is not believed")
            << QByteArray(
                   "RING\r\nNMBR = 2125550101\r\nNAME = A\r\n|RING\r\nNMBR = 4155550100\r\nNAME = B\r\n")
            << "R1*, C1 2125550101//A//, R1";
        QTest::newRow("garbage number: block dropped")
            << QByteArray("RING\r\nNMBR = 212;ATH\r\nNAME = X\r\n") << "R1*";
        QTest::newRow("bad date: block dropped")
            << QByteArray("RING\r\nDATE = 12/8\r\nNMBR = 2125550101\r\nNAME = X\r\n") << "R1*";
        QTest::newRow("overlong line: block dropped, reader goes on")
            << "RING\r\nNMBR = 2125550101\r\nNAME = " + QByteArray(5000, 'A') +
                   "\r\n|||RING\r\nNMBR = 4155550100\r\nNAME = B\r\n"
            << "R1*, R2*, C2 4155550100//B//";
        QTest::newRow("control bytes in a name: dropped")
            << QByteArray("RING\r\nNMBR = 2125550101\r\nNAME = A\x01\x02\r\n") << "R1*";
        QTest::newRow("no ring at all: noise only")
            << QByteArray("CONNECT\r\n\x00\xff\xfe junk\r\n", 19) << "";
    }
    void transcripts() {
        QFETCH(QByteArray, transcript);
        QFETCH(QString, expected);
        // Whole, a byte at a time, and in pieces that split lines and CR LF pairs.
        for (const int piece : {0, 1, 3, 7})
            QCOMPARE(heard(transcript, piece), expected);
    }
};

QTEST_GUILESS_MAIN(RingReaderTest)
#include "tst_ringreader.moc"
