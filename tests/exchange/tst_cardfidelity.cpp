// Cards other programs wrote, through the book and out again: which
// property fills each field, and that nothing else of the card changes.
#include "exchange/CardReader.h"
#include "exchange/CardWriter.h"
#include "exchange/ConflictCopy.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using exchange::Card;

namespace {
QList<Card> readAll(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const auto reader = exchange::openCardReader(buffer);
    QList<Card> cards;
    for (Card card; reader->next(card);)
        cards << card;
    return cards;
}

QByteArray written(const QList<Card>& cards) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    const auto writer = exchange::makeVCardWriter(out);
    for (const Card& card : cards)
        writer->write(card);
    writer->flush();
    return bytes;
}

// The logical lines of vCard text, folding undone (a 2.1 fold keeps its blank).
QByteArrayList logical(const QByteArray& text) {
    QByteArrayList lines;
    for (const QByteArray& raw : QByteArray(text).replace("\r\n", "\n").split('\n')) {
        if ((raw.startsWith(' ') || raw.startsWith('\t')) && !lines.isEmpty())
            lines.last() += raw.mid(1);
        else if (!raw.isEmpty())
            lines << raw;
    }
    return lines;
}

// What a strict reader of another project makes of the text: each card's FN, or its complaint.
QProcess::ExitStatus strictlyRead(const QByteArray& text, QString& said) {
    QTemporaryDir dir;
    QFile file(dir.filePath("cards.vcf"));
    file.open(QIODevice::WriteOnly);
    file.write(text);
    file.close();
    QProcess reader;
    reader.start("/usr/bin/python3", {QUORVEL_STRICT_VCARD, file.fileName()});
    reader.waitForFinished(60000);
    said = QString::fromUtf8(reader.readAllStandardOutput() + reader.readAllStandardError());
    return reader.exitCode() == 0 ? QProcess::NormalExit : QProcess::CrashExit;
}

const QByteArray Photo =
    QByteArray("\xff\xd8\xff\xe0 a picture, long enough to need folding when written out as base64 text")
        .toBase64();
} // namespace

class CardFidelityTest : public QObject {
    Q_OBJECT

private slots:
    // Phone, Mobile, E-mail and Web Page by the types of the card's
    // properties, in every version's spelling; a fax is never dialed.
    void fieldsAreChosenByType_data() {
        QTest::addColumn<QByteArray>("properties");
        QTest::addColumn<QStringList>("chosen"); // Phone, Mobile, Email, WebPage
        QTest::newRow("3.0, a fax before the home number")
            << QByteArray("VERSION:3.0\nTEL;TYPE=FAX,HOME:+1 555 0100\nTEL;TYPE=HOME,VOICE:+1 555 0101\n")
            << QStringList{"+1 555 0101", "", "", ""};
        QTest::newRow("2.1, bare types: fax, pager, then work")
            << QByteArray("VERSION:2.1\nTEL;WORK;FAX:1\nTEL;PAGER:2\nTEL;WORK;VOICE:3\nTEL;CELL:4\n")
            << QStringList{"3", "4", "", ""};
        QTest::newRow("3.0, a home number before the work number and the untyped one before both")
            << QByteArray("VERSION:3.0\nTEL:1\nTEL;TYPE=WORK:2\nTEL;TYPE=VOICE,HOME:3\nTEL;TYPE=HOME:4\n")
            << QStringList{"3", "", "", ""};
        QTest::newRow("4.0, several PREF: the lowest wins, then the first")
            << QByteArray("VERSION:4.0\nTEL;TYPE=voice:a\nTEL;TYPE=home;PREF=2:b\nTEL;TYPE=work;PREF=1:c\n"
                          "TEL;TYPE=cell:d\nTEL;TYPE=\"cell,voice\";PREF=1:e\nTEL;TYPE=home;PREF=1:f\n")
            << QStringList{"c", "e", "", ""};
        QTest::newRow("3.0, pref inside a quoted type list; a video cell phone and a textphone")
            << QByteArray("VERSION:3.0\nTEL:1\nTEL;TYPE=\"work,pref\":2\nTEL;TYPE=cell,video:3\n"
                          "TEL;TYPE=textphone:4\nTEL;TYPE=cell:5\n")
            << QStringList{"2", "5", "", ""};
        QTest::newRow("only numbers nobody answers")
            << QByteArray("VERSION:4.0\nTEL;TYPE=fax:1\nTEL;TYPE=pager:2\nTEL;TYPE=modem:3\n")
            << QStringList{"", "", "", ""};
        QTest::newRow("a preferred e-mail and web page after others")
            << QByteArray(
                   "VERSION:3.0\nEMAIL;TYPE=INTERNET:a@x.example\nEMAIL;TYPE=INTERNET,PREF:b@x.example\n"
                   "URL:https://a.example\nitem1.URL;PREF=1:https://b.example\n")
            << QStringList{"", "", "b@x.example", "https://b.example"};
    }
    void fieldsAreChosenByType() {
        QFETCH(QByteArray, properties);
        QFETCH(QStringList, chosen);
        const QList<Card> cards = readAll("BEGIN:VCARD\n" + properties + "FN:Someone\nEND:VCARD\n");
        QCOMPARE(cards.size(), 1);
        const Card& card = cards.first();
        QCOMPARE((QStringList{card[exchange::Phone], card[exchange::Mobile], card[exchange::Email],
                              card[exchange::WebPage]}),
                 chosen);
        // Read again from what it kept, as a sync reads the card both sides agreed on.
        const Card again = readAll(written({card})).first();
        QCOMPARE((QStringList{again[exchange::Phone], again[exchange::Mobile], again[exchange::Email],
                              again[exchange::WebPage]}),
                 chosen);
    }

    // A card goes back in its own version with every line the window did
    // not change as it came; a 2.1 card becomes valid 3.0.
    void aCardGoesBackAsItCameButForWhatChanged_data() {
        QTest::addColumn<QByteArray>("card");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("newPhone");
        QTest::addColumn<QByteArray>("newAddress");
        QTest::newRow("3.0")
            << QByteArray(
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Other//EN\r\nUID:c-30\r\nN:Castillo;Maria;;;\r\n"
                   "FN:Maria Castillo\r\nTEL;TYPE=FAX:+34 91 000\r\nitem1.TEL;TYPE=HOME,VOICE:+34 91 111\r\n"
                   "item1.X-ABLabel:casa\r\nTEL;TYPE=CELL:+34 600 222\r\n"
                   "ADR;TYPE=HOME:;;Calle Mayor 1;Madrid;;28013;Spain\r\nBDAY:1980-01-02\r\n"
                   "NOTE:Line one\\nwith a comma\\, and https\\://x.example\r\n"
                   "CATEGORIES:Friends,Work\r\nPHOTO;ENCODING=b;TYPE=JPEG:" +
                   Photo + "\r\nEND:VCARD\r\n")
            << QByteArray("3.0") << QByteArray("item1.TEL;TYPE=HOME,VOICE:+34 91 999")
            << QByteArray("ADR;TYPE=HOME:;;1 New Street;Springfield;IL;62701;");
        QTest::newRow("4.0")
            << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:c-40\r\nFN:Maria Castillo\r\n"
                          "N:Castillo;Maria;;;\r\nTEL;VALUE=uri;TYPE=fax:tel:+34-91-000\r\n"
                          "TEL;VALUE=uri;TYPE=\"voice,home\";PREF=1:tel:+34-91-111\r\n"
                          "ADR;TYPE=work;LABEL=\"Calle Mayor 1\\nMadrid\":;;Calle Mayor 1;Madrid;;28013;\r\n"
                          "BDAY:19800102\r\nPHOTO:data:image/jpeg;base64," +
                          Photo +
                          "\r\n"
                          "X-SOCIAL;TYPE=x:https://social.example/m\r\nEND:VCARD\r\n")
            << QByteArray("4.0") << QByteArray("TEL;VALUE=text;TYPE=\"voice,home\";PREF=1:+34 91 999")
            << QByteArray("ADR;TYPE=work:;;1 New Street;Springfield;IL;62701;");
    }
    void aCardGoesBackAsItCameButForWhatChanged() {
        QFETCH(QByteArray, card);
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, newPhone);
        QFETCH(QByteArray, newAddress);
        Card read = readAll(card).first();
        const QByteArray same = written({read});
        QCOMPARE(logical(same), logical(card)); // untouched, the card goes back whole

        read[exchange::Phone] = "+34 91 999";
        read[exchange::Address] = "1 New Street, Springfield, IL 62701";
        const QByteArray text = written({read});
        QByteArrayList out = logical(text), in = logical(card);
        QVERIFY2(out.contains("VERSION:" + version), text);
        // Every line but the two changed is the card's, in its order.
        const qsizetype tel = out.indexOf(newPhone), adr = out.indexOf(newAddress);
        QVERIFY2(tel > 0 && adr > tel, text);
        out.removeAt(adr);
        out.removeAt(tel);
        in.removeIf([](const QByteArray& l) {
            return l.contains("91 111") || l.contains("91-111") || l.startsWith("ADR");
        });
        QCOMPARE(out, in);

        QString said;
        QVERIFY2(strictlyRead(text, said) == QProcess::NormalExit, qPrintable(said));
        const Card back = readAll(text).first();
        QCOMPARE(back[exchange::Phone], "+34 91 999");
        QCOMPARE(back[exchange::Address], "1 New Street, Springfield, IL 62701");
    }

    // A 2.1 card, which no CardDAV server may hold, goes out as 3.0: its
    // picture, its quoted-printable text and its bare types by 3.0's rules.
    void aCard21GoesOutAs30() {
        const QByteArray card = "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                                "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=B6rg\r\n"
                                "TEL;WORK;FAX:+49 30 1\r\nTEL;HOME;VOICE:+49 30 2\r\n"
                                "NOTE;ENCODING=QUOTED-PRINTABLE:Line one, a=0D=0Aline two\r\n"
                                "PHOTO;ENCODING=BASE64;TYPE=JPEG:" +
                                Photo.left(40) + "\r\n " + Photo.mid(40) + "\r\n\r\nEND:VCARD\r\n";
        Card read = readAll(card).first();
        QCOMPARE(read[exchange::Phone], "+49 30 2");
        read[exchange::Mobile] = "+49 170 3";
        const QByteArray text = written({read});
        const QByteArrayList out = logical(text);
        for (const QByteArray& line :
             {QByteArray("VERSION:3.0"), QByteArray("N:Müller;Jörg"),
              QByteArray("TEL;TYPE=work;TYPE=fax:+49 30 1"), QByteArray("TEL;TYPE=home;TYPE=voice:+49 30 2"),
              QByteArray("NOTE:Line one\\, a\\nline two"), "PHOTO;TYPE=JPEG;ENCODING=b:" + Photo,
              QByteArray("TEL;TYPE=cell:+49 170 3")})
            QVERIFY2(out.contains(line), line + "\n" + text);
        QString said;
        QVERIFY2(strictlyRead(text, said) == QProcess::NormalExit, qPrintable(said));
        QCOMPARE(said.trimmed(), "Jörg Müller");
    }

    // A book filled before numbers were chosen by type holds the fax in
    // Phone, and another program may have put a new e-mail before the one
    // the book holds: the card still goes back as it came.
    void aBookThatTookTheFaxAsPhoneKeepsItsCard() {
        const QByteArray card = "BEGIN:VCARD\nVERSION:3.0\nFN:Old Import\nN:Import;Old;;;\n"
                                "TEL;TYPE=FAX:+1 555 0100\nTEL;TYPE=HOME:+1 555 0101\n"
                                "EMAIL:new@x.example\nEMAIL:old@x.example\nEND:VCARD\n";
        Card stored = readAll(card).first();
        stored[exchange::Phone] = "+1 555 0100";   // as the book once read it
        stored[exchange::Email] = "old@x.example"; // before another program put a new one first
        QCOMPARE(logical(written({stored})), logical(card));
        stored[exchange::Mobile] = "+1 555 0199";
        const QByteArray text = written({stored});
        const QByteArrayList out = logical(text);
        QVERIFY2(out.contains("TEL;TYPE=FAX:+1 555 0100") && out.contains("TEL;TYPE=HOME:+1 555 0101"), text);
        QVERIFY(out.contains("TEL;TYPE=cell:+1 555 0199"));
        QVERIFY(out.contains("EMAIL:new@x.example") && out.contains("EMAIL:old@x.example"));
    }

    // The server's side of a conflict is its whole card under a new id, and
    // every program shows it as the name followed by the mark.
    void aConflictCopyIsTheServersWholeCard() {
        const QByteArray card = "BEGIN:VCARD\nVERSION:3.0\nUID:server-1\nN:Castillo;Maria;;;Jr.\n"
                                "FN:Maria Castillo\nTEL;TYPE=HOME:+34 91 111\nTEL;TYPE=FAX:+34 91 000\n"
                                "BDAY:1980-01-02\nPHOTO;ENCODING=b;TYPE=JPEG:" +
                                Photo + "\nEND:VCARD\n";
        const Card copy = exchange::conflictCopy(readAll(card).first(), "copy-1");
        QCOMPARE(copy[exchange::Name], "Castillo, Maria (conflict copy)");
        QCOMPARE(copy[exchange::Phone], "+34 91 111");
        const QByteArray text = written({copy});
        const QByteArrayList out = logical(text);
        for (const QByteArray& line :
             {QByteArray("UID:copy-1"), QByteArray("N:Castillo;Maria;;;Jr.,(conflict copy)"),
              QByteArray("FN:Maria Castillo (conflict copy)"), QByteArray("TEL;TYPE=FAX:+34 91 000"),
              QByteArray("BDAY:1980-01-02"), "PHOTO;ENCODING=b;TYPE=JPEG:" + Photo})
            QVERIFY2(out.contains(line), line + "\n" + text);
        QVERIFY(!text.contains("server-1"));
        QString said;
        QVERIFY2(strictlyRead(text, said) == QProcess::NormalExit, qPrintable(said));
        QCOMPARE(said.trimmed(), "Maria Castillo (conflict copy)");
        // Read back, it is the same contact, not one changed again.
        QCOMPARE(static_cast<const exchange::Fields&>(readAll(text).first()),
                 static_cast<const exchange::Fields&>(copy));
    }

    // The columns of the common exports become the properties they stand
    // for; only a column that means nothing stays a column.
    void csvColumnsBecomeProperties_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("desktop mail")
            << QByteArray(
                   "Title,First Name,Middle Name,Last Name,Job Title,Company,Business Street,Business City,"
                   "Business State,Business Postal Code,Home Street,Home City,Home Postal Code,"
                   "Home Country/Region,Business Fax,Business Phone,Home Phone,Mobile Phone,Pager,"
                   "E-mail Address,E-mail 2 Address,Web Page,Birthday,Notes,Nickname\r\n"
                   "Dr.,Ida,M.,Olsen,Engineer,Fjord AS,14 Elm Street,Springfield,IL,62701,Fjordveien 2,"
                   "Oslo,0150,Norway,555-0109,555-0101,555-0102,555-0111,555-0119,ida@olsen.example,"
                   "ida@home.example,olsen.example,1/2/1980,\"Met in Oslo, 2019\",Idi\r\n")
            << QByteArrayList{"N:Olsen;Ida;M.;Dr.;",
                              "TITLE:Engineer",
                              "ADR;TYPE=work:;;14 Elm Street;Springfield;IL;62701;",
                              "ADR;TYPE=home:;;Fjordveien 2;Oslo;;0150;Norway",
                              "TEL;VALUE=text;TYPE=work,fax:555-0109",
                              "TEL;VALUE=text;TYPE=work,voice:555-0101",
                              "TEL;VALUE=text;TYPE=pager:555-0119",
                              "EMAIL:ida@home.example",
                              "BDAY:19800102",
                              "NOTE:Met in Oslo\\, 2019",
                              "NICKNAME:Idi"};
        QTest::newRow("web mail")
            << QByteArray(
                   "Name,Given Name,Additional Name,Family Name,Birthday,Notes,Organization 1 - Name,"
                   "Organization 1 - Title,E-mail 1 - Type,E-mail 1 - Value,E-mail 2 - Type,E-mail 2 - Value,"
                   "Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,Phone 3 - Type,"
                   "Phone 3 - Value,Address 1 - Type,Address 1 - Formatted,Address 1 - Street,"
                   "Address 1 - City,Address 1 - Region,Address 1 - Postal Code,Address 1 - Country,"
                   "Website 1 - Type,Website 1 - Value\n"
                   "Ida M. Olsen,Ida,M.,Olsen,1980-01-02,met in Oslo,Fjord AS,Engineer,Home,ida@home.example,"
                   "* Work,ida@olsen.example,Mobile,555-0111,Work,555-0101 ::: 555-0199,Work Fax,555-0109,"
                   "Work,\"12 Rue des Fleurs\nLyon 69002\nFrance\",12 Rue des Fleurs,Lyon,,69002,France,"
                   "Blog,olsen.example\n")
            << QByteArrayList{"N:Olsen;Ida;M.;;",
                              "BDAY:19800102",
                              "NOTE:met in Oslo",
                              "TITLE:Engineer",
                              "EMAIL;TYPE=home:ida@home.example",
                              "EMAIL;TYPE=work;PREF=1:ida@olsen.example",
                              "TEL;VALUE=text;TYPE=cell:555-0111",
                              "TEL;VALUE=text;TYPE=work:555-0101",
                              "TEL;VALUE=text;TYPE=work:555-0199",
                              "TEL;VALUE=text;TYPE=work,fax:555-0109",
                              "ADR;TYPE=work;LABEL=\"12 Rue des Fleurs^nLyon 69002^nFrance\":;;12 Rue des "
                              "Fleurs;Lyon;;69002;France",
                              "URL:olsen.example"};
        QTest::newRow("mail client")
            << QByteArray(
                   "First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Work Phone,"
                   "Home Phone,Fax Number,Pager Number,Mobile Number,Home Address,Home City,Home State,"
                   "Home ZipCode,Home Country,Job Title,Organization,Web Page 1,Web Page 2,"
                   "Custom 1\n"
                   "Ida M.,Olsen,Ida Olsen,Idi,ida@olsen.example,ida@home.example,555-0101,555-0102,555-0109,"
                   "555-0119,555-0111,Fjordveien 2,Oslo,,0150,Norway,Engineer,Fjord AS,olsen.example,"
                   "ida.example,x\n")
            << QByteArrayList{"N:Olsen;Ida M.;;;",
                              "FN:Ida Olsen",
                              "NICKNAME:Idi",
                              "EMAIL;PREF=1:ida@olsen.example",
                              "EMAIL:ida@home.example",
                              "TEL;VALUE=text;TYPE=fax:555-0109",
                              "TEL;VALUE=text;TYPE=home,voice:555-0102",
                              "ADR;TYPE=home:;;Fjordveien 2;Oslo;;0150;Norway",
                              "TITLE:Engineer",
                              "URL;TYPE=home:ida.example",
                              "X-CSV;X-COLUMN=\"Custom 1\":x"};
        QTest::newRow("a spreadsheet's plain headers")
            << QByteArray("Name,Phone,Fax,Street,City,State,Zip,Email,Birthday,Notes\n"
                          "Ida Olsen,555-0101,555-0109,14 Elm Street,Springfield,IL,62701,ida@olsen.example,"
                          "1980-01-02,VIP\n")
            << QByteArrayList{"FN:Ida Olsen",
                              "TEL;VALUE=text;TYPE=voice:555-0101",
                              "TEL;VALUE=text;TYPE=fax:555-0109",
                              "ADR:;;14 Elm Street;Springfield;IL;62701;",
                              "BDAY:19800102",
                              "NOTE:VIP"};
    }
    void csvColumnsBecomeProperties() {
        QFETCH(QByteArray, csv);
        QFETCH(QByteArrayList, lines);
        const QList<Card> cards = readAll(csv);
        QCOMPARE(cards.size(), 1);
        const Card& card = cards.first();
        QVERIFY(card[exchange::Name].startsWith("Olsen, Ida") || card[exchange::Name] == "Ida Olsen");
        QVERIFY(card[exchange::Phone] == "555-0101" || card[exchange::Phone] == "555-0102");
        QCOMPARE(card[exchange::Email], "ida@olsen.example");
        const QByteArray text = written(cards);
        const QByteArrayList out = logical(text);
        for (const QByteArray& line : lines)
            QVERIFY2(out.contains(line), line + "\n" + text);
        QCOMPARE(text.count("X-CSV"), std::count_if(lines.begin(), lines.end(), [](const QByteArray& l) {
                     return l.startsWith("X-CSV");
                 }));
        QString said;
        QVERIFY2(strictlyRead(text, said) == QProcess::NormalExit, qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(CardFidelityTest)
#include "tst_cardfidelity.moc"
