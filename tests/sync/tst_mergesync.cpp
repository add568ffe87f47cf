// Two contacts merged in a synced book: the next sync stores the merged card
// once and deletes the other on the server, and another book follows.
#include "SyncFixture.h"

using namespace testing::sync;
namespace phonebook = testing::phonebook;

class MergeSyncTest : public QObject, BookFolder {
    Q_OBJECT

private slots:
    void aMergeIsOneChangeAndADelete_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("radicale") << int(DavServer::Radicale);
        QTest::newRow("xandikos") << int(DavServer::Xandikos);
    }

    void aMergeIsOneChangeAndADelete() {
        QFETCH(int, kind);
        const Setup s = Setup::start(DavServer::Kind(kind));
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString a = bookFile(tag + "-laptop"), b = bookFile(tag + "-office");
        phonebook::create(a, {person("Olsen, Ida", "555-0101")});
        phonebook::create(b, {});
        // Kofi twice, from a phone and from a mail program: the first has all the fields the other has.
        const QString cards = dir.filePath(tag + ".vcf");
        QFile file(cards);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Mensah;Kofi;;;\r\nTEL;TYPE=CELL:+233 24 555 0161\r\n"
                   "EMAIL:kofi@mensah.example\r\nEND:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Mensah;Kofi;;;\r\nTEL;TYPE=CELL:+233245550161\r\n"
                   "EMAIL:kofi@acme.example\r\nBDAY:1980-04-12\r\nEND:VCARD\r\n");
        file.close();
        QCOMPARE(runBook({"--book", a, "import", cards}).code, 0);
        QVERIFY(s.connect(a) && s.connect(b));
        Result r = sync(a);
        QVERIFY2(r.code == 0 && r.out.contains("up 3 new"), qPrintable(r.out + r.err));
        SYNCED(b);
        QCOMPARE(s.cards().size(), 3);

        const QString first =
            phonebook::query(a, "SELECT Uid FROM PHONEDIR WHERE Email = 'kofi@mensah.example'");
        const QString other =
            phonebook::query(a, "SELECT Uid FROM PHONEDIR WHERE Email = 'kofi@acme.example'");
        r = runBook({"--book", a, "merge", first, other});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        r = sync(a);
        QVERIFY2(r.code == 0 && r.out.contains("up 0 new, 1 changed, 1 deleted"), qPrintable(r.out + r.err));

        const QList<dav::FetchedCard> onServer = s.cards();
        QCOMPARE(onServer.size(), 2);
        const auto kofi = std::find_if(onServer.begin(), onServer.end(), [](const dav::FetchedCard& c) {
            return c.vcard.contains("Mensah");
        });
        QVERIFY(kofi != onServer.end());
        QVERIFY2(kofi->vcard.contains("kofi@mensah.example") && kofi->vcard.contains("kofi@acme.example") &&
                     kofi->vcard.contains("BDAY:1980-04-12") && kofi->vcard.count("TEL") == 1,
                 kofi->vcard.constData());
        r = sync(b);
        QVERIFY2(r.code == 0 && r.out.contains("down 0 new, 1 changed, 1 deleted"),
                 qPrintable(r.out + r.err));
        QCOMPARE(sorted(phonebook::read(b)), sorted(phonebook::read(a)));
        for (const QString& book : {a, b}) {
            r = sync(book);
            QVERIFY2(r.code == 0 && r.out.contains(Quiet), qPrintable(r.out + r.err));
        }
    }
};

QTEST_GUILESS_MAIN(MergeSyncTest)
#include "tst_mergesync.moc"
