// Contact files as other programs write them, read card by card.
#include "exchange/CardReader.h"
#include "platform/core/Error.h"

#include <QBuffer>
#include <QTest>

using exchange::Card;

namespace {
using Cards = QList<QStringList>;

QStringList fields(const Card& card) { return QStringList(card.begin(), card.end()); }

Cards readAll(const QByteArray& bytes, QStringList* ignored = nullptr, exchange::ReadNotes* notes = nullptr,
              const exchange::ReadLimits& limits = {}) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const auto reader = exchange::openCardReader(buffer, limits);
    Cards cards;
    Card card;
    while (reader->next(card))
        cards << fields(card);
    if (ignored)
        *ignored = reader->ignoredColumns();
    if (notes)
        *notes = reader->notes();
    return cards;
}

// Name, Company, Phone, Address, Mobile, Email, WebPage
QStringList row(const QString& name, const QString& company = {}, const QString& phone = {},
                const QString& address = {}, const QString& mobile = {}, const QString& email = {},
                const QString& web = {}) {
    return {name, company, phone, address, mobile, email, web};
}
} // namespace

class CardReaderTest : public QObject {
    Q_OBJECT

private slots:
    void realWorldShapes_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Cards>("cards");

        QTest::newRow("2.1, quoted-printable UTF-8 with a soft line break, bare types")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\n"
                          "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=B6rg\r\n"
                          "TEL;CELL;PREF:+49 170 555 0101\r\nTEL;HOME;VOICE:+49 30 555 0102\r\n"
                          "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;Stra=C3=9Fe 1;Berl=\r\n"
                          "in;;10115;Germany\r\n"
                          "PHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQSkZJRgABAQ\r\n AAAQABAAD\r\n\r\n"
                          "END:VCARD\r\n")
            << Cards{row("Müller, Jörg", {}, "+49 30 555 0102", "Straße 1, Berlin, 10115, Germany",
                         "+49 170 555 0101")};
        QTest::newRow("2.1 in Latin-1, quoted-printable")
            << QByteArray(
                   "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:Ren=E9e\nEND:VCARD\n")
            << Cards{row("Renée")};
        QTest::newRow("3.0, folded lines, escaped commas and semicolons")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Brennan;Tom;;;\r\nFN:Tom Brennan\r\n"
                          "ORG:Brennan\\, Sons \\; Daughters;Plumbing\r\n"
                          "EMAIL;TYPE=INTERNET:tom@bren\r\n nan.example\r\n"
                          "item1.URL:http\\://www.brennan.example\r\n"
                          "ADR;TYPE=WORK:;;9 Lake Road\\nBack door;Riverton;WY;82501;\r\n"
                          "NOTE:Called\\, left a message\r\nEND:VCARD\r\n")
            << Cards{row("Brennan, Tom", "Brennan, Sons ; Daughters, Plumbing", {},
                         "9 Lake Road, Back door, Riverton, WY 82501", {}, "tom@brennan.example",
                         "http://www.brennan.example")};
        QTest::newRow("4.0, TYPE in both spellings, tel: addresses, several cards, no N")
            << QByteArray("BEGIN:VCARD\nVERSION:4.0\nFN:Grace Evans\n"
                          "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+1-503-555-0115\n"
                          "TEL;TYPE=work,voice;VALUE=uri:tel:+1-503-555-0105\n"
                          "tel;type=CELL:999\nEND:VCARD\n\n"
                          "begin:vcard\nversion:4.0\nfn:Pierre Dubois\nFN:Later Name\nend:vcard\n")
            << Cards{row("Grace Evans", {}, "+1-503-555-0105", {}, "+1-503-555-0115"), row("Pierre Dubois")};
        QTest::newRow("byte order mark, an AGENT card inside a card")
            << QByteArray("\xEF\xBB\xBF"
                          "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Ashford;Nora\r\nAGENT:\r\nBEGIN:VCARD\r\n"
                          "N:Helper;Hal\r\nTEL;CELL:1\r\nEND:VCARD\r\nTEL;CELL:2\r\nEND:VCARD\r\n")
            << Cards{row("Ashford, Nora", {}, {}, {}, "2")};
        QTest::newRow("CSV: columns in any order, RFC 4180 quoting, Windows-1252 text")
            << QByteArray("\xEF\xBB\xBFPhone,name,Birthday,WebPage,Address\r\n"
                          "555-0101,\"Ashford, Nora\",1980-01-01,,\"14 Elm Street\r\nSpringfield\"\r\n"
                          "\r\n"
                          "\"555 \"\"0102\"\"\",Caf\xE9 Rouge,,w,\r\n")
            << Cards{row("Ashford, Nora", {}, "555-0101", "14 Elm Street, Springfield"),
                     row("Café Rouge", {}, "555 \"0102\"", {}, {}, {}, "w")};
    }

    void lineEndsOfEveryKind_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray card =
            "BEGIN:VCARD\nVERSION:3.0\nN:Olsen;Ida\nEMAIL:ida@\n olsen.example\nTEL:1\nEND:VCARD\n";
        QTest::newRow("LF") << card;
        QTest::newRow("CR LF") << QByteArray(card).replace("\n", "\r\n");
        QTest::newRow("CR") << QByteArray(card).replace("\n", "\r");
        // A CR that ends the first chunk read and the LF that begins the next are one line end:
        // the file's lines end in LF, not in CR.
        QTest::newRow("CR LF across chunks") << QByteArray(256 * 1024 - 1, ' ') + "\r\n" + card;
        QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE") +
                                          QByteArray::fromRawData(reinterpret_cast<const char*>(
                                                                      QString::fromLatin1(card).utf16()),
                                                                  card.size() * 2);
    }

    void lineEndsOfEveryKind() {
        QFETCH(QByteArray, file);
        QCOMPARE(readAll(file), Cards{row("Olsen, Ida", {}, "1", {}, {}, "ida@olsen.example")});
    }

    // Small limits stand for the real ones (4 MB of text, 32 MB of a picture).
    void longValues() {
        const exchange::ReadLimits limits{100, 1000};
        exchange::ReadNotes notes;
        const QByteArray photo = "PHOTO;ENCODING=b:" + QByteArray(600, 'A');
        QByteArray folded = "PHOTO;ENCODING=b:";
        for (int i = 0; i < 30; ++i)
            folded += "\n " + QByteArray(70, 'B');
        const Cards cards = readAll("BEGIN:VCARD\nFN:Kept\n" + photo +
                                        "\nTEL:1\nEND:VCARD\n"
                                        "BEGIN:VCARD\nFN:Folded\n" +
                                        folded +
                                        "\nTEL:2\nEND:VCARD\n"
                                        "BEGIN:VCARD\nFN:Unfolded\n" +
                                        photo.repeated(3) + "\nTEL:3\nEND:VCARD\n",
                                    nullptr, &notes, limits);
        QCOMPARE(cards, Cards({row("Kept", {}, "1"), row("Folded", {}, "2"), row("Unfolded", {}, "3")}));
        QCOMPARE(notes.valuesLeftOut, 2);
        QCOMPARE(notes.firstLeftOutLine, 8);
        try {
            readAll("BEGIN:VCARD\nNOTE:" + QByteArray(200, 'x') + "\nEND:VCARD\n", nullptr, nullptr, limits);
            QFAIL("a note longer than text may be was read");
        } catch (const platform::Error& e) {
            QVERIFY2(e.description().startsWith("line 2: the line is longer"), qPrintable(e.description()));
        }
    }

    void nulsAreDroppedAndCounted() {
        static const char file[] = "BEGIN:VCARD\nFN:A\0b\nTEL;ENCODING=QUOTED-PRINTABLE:1=002\nEND:VCARD\n";
        exchange::ReadNotes notes;
        QCOMPARE(readAll(QByteArray(file, sizeof file - 1), nullptr, &notes), Cards{row("Ab", {}, "12")});
        QCOMPARE(notes.nulsDropped, 2);
    }

    void aWideHeaderIsReadWhole() {
        QByteArray header = "Name";
        QByteArray values = "Olsen";
        for (int i = 0; i < 300000; ++i) {
            header += ",c" + QByteArray::number(i % 1000);
            values += ",v";
        }
        QStringList ignored;
        QCOMPARE(readAll(header + ",Phone\n" + values + ",555\n", &ignored), Cards{row("Olsen", {}, "555")});
        QCOMPARE(ignored.size(), 1000);
    }

    void realWorldShapes() {
        QFETCH(QByteArray, file);
        QFETCH(Cards, cards);
        QCOMPARE(readAll(file), cards);
    }

    void unknownColumnsAreNamedOnce() {
        QStringList ignored;
        readAll("Name,Shoe Size,Shoe Size,Company\nA,x,y,B\n", &ignored);
        QCOMPARE(ignored, QStringList{"Shoe Size"});
    }

    void badFilesNameTheLine_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("truncated card") << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:A\nEND:VCARD\n"
                                                      "BEGIN:VCARD\nFN:B\nTEL:1")
                                        << "line 7: the file ends inside the card begun on line 5";
        QTest::newRow("binary") << QByteArray("\x7F"
                                              "ELF\x02\x01\x01\0\0\0,\xFF\xFE",
                                              14)
                                << "line 1: this is neither a vCard file";
        QTest::newRow("unknown encoding") << QByteArray("BEGIN:VCARD\nN;ENCODING=UUENCODE:x\nEND:VCARD\n")
                                          << "line 2: unknown encoding “UUENCODE”";
        QTest::newRow("unknown character set")
            << QByteArray("BEGIN:VCARD\nFN;CHARSET=X-MARTIAN:x\nEND:VCARD\n")
            << "line 2: unknown character set “X-MARTIAN”";
        QTest::newRow("text between cards")
            << QByteArray("BEGIN:VCARD\nEND:VCARD\nhello\n") << "line 3: expected BEGIN:VCARD, found “hello”";
        QTest::newRow("CSV quote never closed")
            << QByteArray("Name,Phone\na,1\n\"b,2\nc,3\n")
            << "line 3: a quoted field begun on this line is never closed";
        QTest::newRow("10 MB line") << QByteArray("BEGIN:VCARD\nNOTE:") + QByteArray(10 << 20, 'x')
                                    << "line 2: the line is longer than 4 MB";
        QTest::newRow("10 MB folded property")
            << QByteArray("BEGIN:VCARD\nNOTE:") + QByteArray(3 << 20, 'x') + "\n " + QByteArray(3 << 20, 'x')
            << "line 2: the line is longer than 4 MB";
    }

    void badFilesNameTheLine() {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        try {
            readAll(file);
            QFAIL("the file was read without complaint");
        } catch (const platform::Error& e) {
            QVERIFY2(e.description().startsWith(message), qPrintable(e.description()));
        }
    }
};

QTEST_GUILESS_MAIN(CardReaderTest)
#include "tst_cardreader.moc"
