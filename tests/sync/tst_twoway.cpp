// quorvel-book sync both ways: books syncing through one real server, each
// in a folder of its own, edited as the window or any SQLite tool would.
#include "SyncFixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace testing::sync;
namespace phonebook = testing::phonebook;

class TwoWayTest : public QObject, BookFolder {
    Q_OBJECT

private slots:
    void booksConvergeThroughOneServer_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("radicale") << int(DavServer::Radicale);
        QTest::newRow("xandikos") << int(DavServer::Xandikos);
    }

    // Adds, edits and deletes on both sides; a field changed on both; a
    // contact deleted on one side and changed on the other.
    void booksConvergeThroughOneServer() {
        QFETCH(int, kind);
        const Setup s = Setup::start(DavServer::Kind(kind));
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString a = bookFile(tag + "-laptop"), b = bookFile(tag + "-office");
        const QList<Contact> first = {person("Olsen, Ida", "555-0101", "ida@olsen.example"),
                                      person("Ashford, Nora", "212-555-0101"),
                                      person("Berg, Lars", "555-0133"), person("Kim, Min", "555-0144"),
                                      person("Nakamura, Aki", "555-0155")};
        phonebook::create(a, first);
        phonebook::create(b, {});
        QVERIFY(s.connect(a) && s.connect(b));

        Result r = sync(a);
        QVERIFY2(r.code == 0 && r.out.contains("up 5 new"), qPrintable(r.out + r.err));
        // Before its first sync the book was copied beside it, and that copy is not written over later.
        QCOMPARE(sorted(phonebook::read(dir.filePath(tag + "-laptop before sync.mdb"))), sorted(first));
        r = sync(b);
        QVERIFY2(r.code == 0 && r.out.contains("down 5 new"), qPrintable(r.out + r.err));
        QCOMPARE(sorted(phonebook::read(b)), sorted(first));

        // Each side adds, edits and deletes, as the window or any SQLite tool does.
        phonebook::exec(a, "UPDATE PHONEDIR SET Phone = '555-0199' WHERE Name = 'Olsen, Ida';"
                           "DELETE FROM PHONEDIR WHERE Name = 'Ashford, Nora';"
                           "INSERT INTO PHONEDIR (Name, Mobile) VALUES ('Lund, Eva', '070-1234567');"
                           // changed here, deleted there / deleted here, changed there
                           "UPDATE PHONEDIR SET Email = 'lars@berg.example' WHERE Name = 'Berg, Lars';"
                           "DELETE FROM PHONEDIR WHERE Name = 'Kim, Min';"
                           // the same field on both sides
                           "UPDATE PHONEDIR SET Company = 'Laptop Inc' WHERE Name = 'Nakamura, Aki'");
        phonebook::exec(b, "UPDATE PHONEDIR SET Company = 'Fjord AS' WHERE Name = 'Olsen, Ida';"
                           "INSERT INTO PHONEDIR (Name, Phone) VALUES ('Moe, Jon', '555-0177');"
                           "DELETE FROM PHONEDIR WHERE Name = 'Berg, Lars';"
                           "UPDATE PHONEDIR SET Mobile = '070-7654321' WHERE Name = 'Kim, Min';"
                           "UPDATE PHONEDIR SET Company = 'Office Ltd' WHERE Name = 'Nakamura, Aki'");
        // The dry run shows the plan of the sync to come, change by change, and writes nothing.
        auto hashOf = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly)
                       ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                       : QByteArray();
        };
        const QByteArray before = hashOf(a);
        r = sync(a, {"--dry-run"});
        QVERIFY2(r.code == 0 && r.out.contains("changed on the server: Olsen, Ida") &&
                     r.out.contains("deleted on the server: Ashford, Nora") &&
                     r.out.contains("new on the server: Lund, Eva") && r.out.contains("send up 6 changes"),
                 qPrintable(r.out + r.err));
        QCOMPARE(hashOf(a), before);
        // A token the server no longer knows: the laptop's changes are found by comparing ETags instead.
        phonebook::exec(a, "UPDATE SYNCSTATE SET Value = Value || '-forgotten' WHERE Name = 'token'");
        SYNCED(a);
        r = sync(b);
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains("2 deleted on one side but changed on the other, kept on both") &&
                     r.out.contains("conflict copy (\"Nakamura, Aki (conflict copy)\")"),
                 qPrintable(r.out));
        SYNCED(a);

        const QList<Contact> expected = {
            {"Olsen, Ida", "Fjord AS", "555-0199", "", "", "ida@olsen.example", ""},
            {"Berg, Lars", "", "555-0133", "", "", "lars@berg.example", ""},
            {"Kim, Min", "", "555-0144", "", "070-7654321", "", ""},
            {"Nakamura, Aki", "Office Ltd", "555-0155", "", "", "", ""}, // the book that merged keeps its own
            {"Nakamura, Aki (conflict copy)", "Laptop Inc", "555-0155", "", "", "", ""},
            {"Lund, Eva", "", "", "", "070-1234567", "", ""},
            {"Moe, Jon", "", "555-0177", "", "", "", ""}};
        QCOMPARE(sorted(phonebook::read(a)), sorted(expected));
        QCOMPARE(sorted(phonebook::read(b)), sorted(expected));
        QCOMPARE(s.cards().size(), expected.size());
        // Settled: nothing more travels either way.
        for (const QString& book : {a, b}) {
            r = sync(book);
            QVERIFY2(r.code == 0 && r.out.contains(Quiet), qPrintable(r.out + r.err));
        }
    }

    // A phone's card keeps what the book has no field for when the book
    // edits it; a first sync links the people both sides hold.
    void phoneCardsKeepTheirPropertiesAndFirstSyncMatches() {
        const Setup s = Setup::start(DavServer::Radicale);
        QVERIFY(s.put("phone-1.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-1\r\nFN:Ida Olsen\r\n"
                                     "N:Olsen;Ida;;;\r\nTEL;TYPE=CELL:+47 555 0101\r\nBDAY:1980-04-01\r\n"
                                     "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\n"
                                     "X-PHONE-RINGTONE:bells\r\nEND:VCARD\r\n"));
        QVERIFY(s.put("phone-2.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-2\r\nFN:Nora Ashford\r\n"
                                     "N:Ashford;Nora;;;\r\nEMAIL:nora@ashford.example\r\nEND:VCARD\r\n"));
        QVERIFY(s.put("phone-3.vcf",
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-3\r\nFN:Lars Berg\r\n"
                      "N:Berg;Lars;;;\r\nTEL:555-0133\r\nPHOTO;VALUE=uri:https://x.example/l.jpg\r\n"
                      "END:VCARD\r\n"));
        // The laptop already holds Ida (her number written otherwise), Nora (with an address), Lars (from
        // a card of his own, with a birthday and a note) and Eva.
        const QString book = bookFile("matching");
        phonebook::create(book, {{"Olsen, Ida", "", "", "", "0047 555 0101", "", ""},
                                 {"Ashford, Nora", "", "", "1 Elm St", "", "nora@ashford.example", ""},
                                 person("Lund, Eva", "555-0166")});
        const QString lars = dir.filePath("lars.vcf");
        QFile file(lars);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Lars;;;\r\nTEL:555-0133\r\nBDAY:1975-05-05\r\n"
                   "NOTE:met at the fair\r\nEND:VCARD\r\n");
        file.close();
        QCOMPARE(runBook({"--book", book, "import", lars}).code, 0);
        QVERIFY(s.connect(book));
        Result r = sync(book);
        QVERIFY2(r.code == 0 && r.out.contains("3 found on both sides and linked") &&
                     r.out.contains("up 1 new"),
                 qPrintable(r.out + r.err));
        QCOMPARE(phonebook::read(book).size(), 4);
        QCOMPARE(s.cards().size(), 4);
        QByteArray larsThere;
        for (const dav::FetchedCard& card : s.cards())
            if (card.vcard.contains("UID:phone-3"))
                larsThere = card.vcard;
        for (const char* kept : {"BDAY", "met at the fair", "https://x.example/l.jpg"})
            QVERIFY2(larsThere.contains(kept), larsThere.constData());

        phonebook::exec(book, "UPDATE PHONEDIR SET Phone = '555-0111' WHERE Name = 'Olsen, Ida'");
        SYNCED(book);
        QByteArray ida;
        for (const dav::FetchedCard& card : s.cards())
            if (card.vcard.contains("UID:phone-1"))
                ida = card.vcard;
        for (const char* kept : {"BDAY", "PHOTO", "X-PHONE-RINGTONE:bells", "555-0111", "+47 555 0101"})
            QVERIFY2(ida.contains(kept), ida.constData());
        QByteArray nora;
        for (const dav::FetchedCard& card : s.cards())
            if (card.vcard.contains("UID:phone-2"))
                nora = card.vcard;
        QVERIFY2(nora.contains("1 Elm St") && nora.contains("nora@ashford.example"), nora.constData());
    }

    // A phone's change that lands while the book's change is on its way is
    // merged in, not written over: the store is refused (412), the card
    // fetched and merged.
    void aChangeArrivingMidSyncIsMerged() {
        const Setup s = Setup::start(DavServer::Radicale);
        const QString book = bookFile("racing"), later = bookFile("later");
        phonebook::create(book, {person("Olsen, Ida", "555-0101")});
        phonebook::create(later, {});
        QVERIFY(s.connect(book) && s.connect(later));
        SYNCED(book);
        dav::FetchedCard card = s.cards().value(0);
        QVERIFY(s.put(card.href, card.vcard.replace("END:VCARD", "EMAIL:ida@phone.example\r\nEND:VCARD"),
                      card.etag));
        // As if the book had listed the server just after that change, and was storing its own.
        SYNCED(later);
        const QString token = phonebook::query(later, "SELECT Value FROM SYNCSTATE WHERE Name = 'token'");
        phonebook::exec(book, QStringLiteral("UPDATE SYNCSTATE SET Value = '%1' WHERE Name = 'token';"
                                             "UPDATE PHONEDIR SET Company = 'Fjord AS'")
                                  .arg(token));
        const Result r = sync(book);
        QVERIFY2(r.code == 0 && r.out.contains("up 0 new, 1 changed") && !r.out.contains("again"),
                 qPrintable(r.out + r.err));
        const QByteArray stored = s.cards().value(0).vcard;
        QVERIFY2(stored.contains("ida@phone.example") && stored.contains("Fjord AS"), stored.constData());
        const Contact both{"Olsen, Ida", "Fjord AS", "555-0101", "", "", "ida@phone.example", ""};
        QCOMPARE(phonebook::read(book), QList<Contact>{both});
    }

    // The summary names who travelled: ten each way and how many more, or all of them with --verbose.
    void summaryNamesWhoTravelled() {
        auto s = Setup::start(DavServer::Radicale);
        const QString laptop = bookFile("named-laptop"), office = bookFile("named-office");
        QList<Contact> twelve;
        for (int i = 0; i < 12; ++i)
            twelve << person(QStringLiteral("Person %1, Named").arg(i, 2, 10, QLatin1Char('0')),
                             QStringLiteral("555-%1").arg(2000 + i));
        phonebook::create(laptop, twelve);
        phonebook::create(office, {});
        QVERIFY(s.connect(laptop) && s.connect(office));
        Result r = sync(laptop);
        QVERIFY2(r.code == 0 && r.out.contains("Went up: Person 00, Named (new), Person 01, Named (new)") &&
                     r.out.contains("Person 09, Named (new), and 2 more.") && !r.out.contains("Person 10") &&
                     !r.out.contains("Came down"),
                 qPrintable(r.out + r.err));
        r = sync(office, {"--verbose"});
        QVERIFY2(r.code == 0 && r.out.contains("Came down: ") && r.out.contains("Person 11, Named (new).") &&
                     !r.out.contains("more"),
                 qPrintable(r.out + r.err));
        phonebook::exec(office, "DELETE FROM PHONEDIR WHERE Name = 'Person 03, Named'");
        r = sync(office);
        QVERIFY2(r.code == 0 && r.out.contains("Went up: Person 03, Named (deleted)."), qPrintable(r.out));
        r = sync(laptop);
        QVERIFY2(r.code == 0 && r.out.contains("Came down: Person 03, Named (deleted)."), qPrintable(r.out));
    }

    // Deleting much of a side asks first; the server failing leaves the book as it was.
    void manyDeletesAskForForce() {
        auto s = Setup::start(DavServer::Radicale);
        const QString book = bookFile("guard");
        QList<Contact> many;
        for (int i = 0; i < 30; ++i)
            many << person(QStringLiteral("Person %1, Test").arg(i), QStringLiteral("555-%1").arg(1000 + i));
        phonebook::create(book, many);
        QVERIFY(s.connect(book));
        SYNCED(book);
        phonebook::exec(book, "DELETE FROM PHONEDIR WHERE rowid <= 4");
        auto hash = [&] {
            QFile f(book);
            return f.open(QIODevice::ReadOnly)
                       ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                       : QByteArray();
        };
        const QByteArray before = hash();
        Result r = sync(book);
        QCOMPARE(r.code, 1);
        QVERIFY2(
            r.err.contains("would delete 0 of the 26 contacts in the phone book and 4 of the 30 cards") &&
                r.err.contains("--force"),
            qPrintable(r.err));
        QCOMPARE(hash(), before);
        QCOMPARE(s.cards().size(), 30);
        r = sync(book, {"--force"});
        QVERIFY2(r.code == 0 && r.out.contains("up 0 new, 0 changed, 4 deleted"), qPrintable(r.out + r.err));
        QCOMPARE(s.cards().size(), 26);

        // Server gone: told with its name, the book untouched.
        phonebook::exec(book, "UPDATE PHONEDIR SET Phone = '1' WHERE rowid = 5;"
                              "INSERT INTO PHONEDIR (Name) VALUES ('Added, By The Window')");
        const QByteArray edited = hash();
        const QString name = QStringLiteral("127.0.0.1:%1").arg(s.collection.port());
        s.server.reset();
        r = sync(book);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(name), qPrintable(r.err));
        QCOMPARE(hash(), edited);
    }
};

QTEST_GUILESS_MAIN(TwoWayTest)
#include "tst_twoway.moc"
