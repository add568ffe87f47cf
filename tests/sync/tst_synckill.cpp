// A sync of thousands of contacts killed at random moments, through the
// real quorvel-book and Radicale.
#include "SyncFixture.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

using namespace testing::sync;
namespace phonebook = testing::phonebook;

class SyncKillTest : public QObject, BookFolder {
    Q_OBJECT

private slots:
    // A sync of thousands of contacts killed at random moments: the next
    // sync completes the job, nothing lost or doubled.
    void aKilledSyncIsCompletedByTheNext() {
        const Setup s = Setup::start(DavServer::Radicale);
        // 2,000 cards already on the server, as another device left them
        // (written straight into its storage: storing them one by one would
        // take minutes); 60 more contacts only in the book.
        const QString store = s.server->folder() + QStringLiteral("/store/collection-root/ida/contacts/");
        for (int i = 0; i < 2000; ++i) {
            QFile card(store + QStringLiteral("phone-%1.vcf").arg(i));
            QVERIFY(card.open(QIODevice::WriteOnly));
            card.write(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-%1\r\nN:Phone;Person %1;;;\r\n"
                                      "FN:Person %1 Phone\r\nTEL:555-%2\r\nBDAY:1990-01-01\r\nEND:VCARD\r\n")
                           .arg(i)
                           .arg(i, 4, 10, QLatin1Char('0'))
                           .toUtf8());
        }
        const QString book = bookFile("killed"), fresh = bookFile("fresh");
        QList<Contact> own;
        for (int i = 0; i < 60; ++i)
            own << Contact{QStringLiteral("Contact %1, Killed").arg(i),
                           QStringLiteral("Firm %1").arg(i % 7),
                           QStringLiteral("555-9%1").arg(i, 3, 10, QLatin1Char('0')),
                           "",
                           "",
                           "",
                           ""};
        phonebook::create(book, own);
        phonebook::create(fresh, {});
        QVERIFY(s.connect(book) && s.connect(fresh));

        auto* random = QRandomGenerator::global();
        int kills = 0, completed = 0;
        for (int attempt = 0; attempt < 60 && kills < 30; ++attempt) {
            QProcess p;
            p.start(QStringLiteral(QUORVEL_BOOK_EXE), {"--book", book, "sync"});
            QVERIFY(p.waitForStarted());
            if (!p.waitForFinished(int(random->bounded(20, 1500)))) {
                p.kill();
                QVERIFY(p.waitForFinished());
                ++kills;
                continue;
            }
            QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
            // Done before the kill came: more work for the next one, on both sides.
            ++completed;
            phonebook::exec(book,
                            QStringLiteral("UPDATE PHONEDIR SET Mobile = '070-%1' WHERE rowid % 97 = %1;"
                                           "INSERT INTO PHONEDIR (Name) VALUES ('Added %1, Late')")
                                .arg(completed));
            QFile card(store + QStringLiteral("late-%1.vcf").arg(completed));
            QVERIFY(card.open(QIODevice::WriteOnly));
            card.write(
                QStringLiteral("BEGIN:VCARD\r\nVERSION:4.0\r\nUID:late-%1\r\nFN:Late %1\r\nEND:VCARD\r\n")
                    .arg(completed)
                    .toUtf8());
        }
        qInfo("%d syncs killed, %d completed before their kill", kills, completed);
        QVERIFY(kills >= 10);

        SYNCED(book);
        Result r = sync(book);
        QVERIFY2(r.code == 0 && r.out.contains(Quiet), qPrintable(r.out + r.err));
        SYNCED(fresh);
        const QList<Contact> here = sorted(phonebook::read(book));
        QCOMPARE(here.size(), 2000 + 60 + 2 * completed);
        QCOMPARE(sorted(phonebook::read(fresh)), here);
        QCOMPARE(s.cards().size(), here.size());
        QVERIFY(std::adjacent_find(here.begin(), here.end()) == here.end()); // no doubles
        QCOMPARE(phonebook::query(book, "PRAGMA integrity_check"), QStringLiteral("ok"));
        QCOMPARE(phonebook::query(book, "SELECT count(*) FROM SYNCED"), QString::number(here.size()));
    }
};

QTEST_GUILESS_MAIN(SyncKillTest)
#include "tst_synckill.moc"
