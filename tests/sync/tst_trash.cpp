// What a sync (either way) or a merge deletes stays in the book's trash for
// 30 days with its card: quorvel-book deleted lists it, restore brings it
// back, and the next sync stores it on the server again.
#include "SyncFixture.h"

#include <QDateTime>

using namespace testing::sync;
namespace phonebook = testing::phonebook;

namespace {
struct Listed {
    QString id, name, why;
    bool operator==(const Listed&) const = default;
};
// The trash as quorvel-book deleted lists it.
QList<Listed> deletedIn(const QString& book) {
    const Result r = runBook({"--book", book, "deleted"});
    QList<Listed> all;
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
        if (const QStringList cols = line.split('\t'); cols.size() == 4)
            all << Listed{cols[0], cols[1], cols[3]};
    return all;
}

void write(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QByteArray Nora = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ashford;Nora;;;\r\nFN:Nora Ashford\r\n"
                        "TEL;TYPE=WORK:212-555-0101\r\nNOTE:Met at the fair\r\nEND:VCARD\r\n";
} // namespace

class TrashTest : public QObject, BookFolder {
    Q_OBJECT

private slots:
    // Deleted in one book: its sync deletes the card on the server and keeps
    // it in that book's trash; the other book's sync removes it there and
    // keeps it too. Restored, it goes up again with the card it had.
    void aContactASyncDeletedComesBack_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("radicale") << int(DavServer::Radicale);
        QTest::newRow("xandikos") << int(DavServer::Xandikos);
    }

    void aContactASyncDeletedComesBack() {
        QFETCH(int, kind);
        const Setup s = Setup::start(DavServer::Kind(kind));
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString a = bookFile(tag + "-laptop"), b = bookFile(tag + "-office"),
                      cards = dir.filePath(tag + ".vcf");
        phonebook::create(a, {person("Olsen, Ida", "555-0101")});
        phonebook::create(b, {});
        write(cards, Nora);
        QCOMPARE(runBook({"--book", a, "import", cards}).code, 0);
        QVERIFY(s.connect(a) && s.connect(b));
        SYNCED(a);
        SYNCED(b);
        const QString id = phonebook::query(b, "SELECT Uid FROM PHONEDIR WHERE Phone = '212-555-0101'");
        const QString name = phonebook::query(b, "SELECT Name FROM PHONEDIR WHERE Uid = '" + id + "'");
        QVERIFY(!id.isEmpty() && !name.isEmpty());

        phonebook::exec(b, "DELETE FROM PHONEDIR WHERE Uid = '" + id + "'");
        Result r = sync(b);
        QVERIFY2(r.out.contains("up 0 new, 0 changed, 1 deleted"), qPrintable(r.out + r.err));
        QCOMPARE(s.cards().size(), 1);
        QCOMPARE(deletedIn(b), QList<Listed>{(Listed{id, name, "sync to server"})});
        r = sync(a);
        QVERIFY2(r.out.contains("down 0 new, 0 changed, 1 deleted"), qPrintable(r.out + r.err));
        QCOMPARE(deletedIn(a), QList<Listed>{(Listed{id, name, "sync from server"})});
        QCOMPARE(phonebook::query(a, "SELECT count(*) FROM PHONEDIR"), "1");

        r = runBook({"--book", a, "restore", id});
        QVERIFY2(r.code == 0 && r.out.contains("Restored " + name), qPrintable(r.out + r.err));
        QCOMPARE(deletedIn(a), QList<Listed>{});
        r = sync(a);
        QVERIFY2(r.code == 0 && r.out.contains("up 1 new, 0 changed, 0 deleted"), qPrintable(r.out + r.err));
        const QList<dav::FetchedCard> onServer = s.cards();
        QCOMPARE(onServer.size(), 2);
        QVERIFY(std::any_of(onServer.begin(), onServer.end(), [](const dav::FetchedCard& c) {
            return c.vcard.contains("NOTE:Met at the fair") && c.vcard.contains("212-555-0101");
        }));
        r = sync(b);
        QVERIFY2(r.out.contains("down 1 new, 0 changed, 0 deleted"), qPrintable(r.out + r.err));
        QCOMPARE(sorted(phonebook::read(b)), sorted(phonebook::read(a)));

        // b holds it again under the same id: its own copy in the trash stays there.
        r = runBook({"--book", b, "restore", id});
        QVERIFY2(r.code == 1 && r.err.contains("has a contact of the id " + id + " already"),
                 qPrintable(r.err));
        QCOMPARE(deletedIn(b).size(), 1);
        r = runBook({"--book", a, "restore", "urn:uuid:no-such"});
        QVERIFY2(r.code == 1 && r.err.contains("the trash holds no contact of the id urn:uuid:no-such"),
                 qPrintable(r.err));
        QCOMPARE(runBook({"--book", a, "restore"}).code, 2);
        for (const QString& book : {a, b}) {
            r = sync(book);
            QVERIFY2(r.code == 0 && r.out.contains(Quiet), qPrintable(r.out + r.err));
        }
    }

    // The contacts a merge deleted are in the trash too; past 30 days they
    // leave it, and the file, when the book is next opened.
    void aMergeFillsTheTrashForThirtyDays() {
        const QString book = bookFile("merged"), cards = dir.filePath("twice.vcf");
        phonebook::create(book, {});
        write(cards,
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Mensah;Kofi\r\nTEL:+233 24 555 0161\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Mensah;Kofi\r\nTEL:+233245550161\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Anna\r\nTEL:555-0198\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Anna\r\nTEL:555-0199\r\nNOTE:Sales\r\nEND:VCARD\r\n");
        QCOMPARE(runBook({"--book", book, "import", cards}).code, 0);
        const QStringList ids =
            phonebook::query(book,
                             "SELECT group_concat(Uid, ' ') FROM (SELECT Uid FROM PHONEDIR ORDER BY rowid)")
                .split(' ');
        QCOMPARE(ids.size(), 4);
        QCOMPARE(runBook({"--book", book, "merge", ids[0], ids[1]}).code, 0);
        QCOMPARE(runBook({"--book", book, "merge", ids[2], ids[3]}).code, 0);
        QCOMPARE(deletedIn(book),
                 (QList<Listed>{{ids[3], "Berg, Anna", "merge"}, {ids[1], "Mensah, Kofi", "merge"}}));
        // With the card it had.
        QCOMPARE(phonebook::query(book, "SELECT Uid FROM TRASH WHERE instr(Card, 'NOTE:Sales') > 0"), ids[3]);

        const auto deletedDaysAgo = [&](int days, const QString& id) {
            phonebook::exec(book, "UPDATE TRASH SET Deleted = '" +
                                      QDateTime::currentDateTimeUtc().addDays(-days).toString(Qt::ISODate) +
                                      "' WHERE Uid = '" + id + "'");
        };
        deletedDaysAgo(31, ids[1]);
        deletedDaysAgo(29, ids[3]);
        QCOMPARE(deletedIn(book), (QList<Listed>{{ids[3], "Berg, Anna", "merge"}}));
        QCOMPARE(phonebook::query(book, "SELECT count(*) FROM TRASH"), "1");
        const Result r = runBook({"--book", book, "restore", ids[1]});
        QVERIFY2(r.code == 1 && r.err.contains("the trash holds no contact"), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TrashTest)
#include "tst_trash.moc"
