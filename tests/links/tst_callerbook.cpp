// Who is calling, through the book: the match keys the links layer makes,
// kept current whoever writes the book, one probe to the contact, and the
// call log with its cap. A real book file in a temporary folder.
#include "book/Calls.h"
#include "book/Schema.h"
#include "book/Upgrade.h"
#include "links/MatchKey.h"
#include "support/PhoneBookFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace testing;

namespace {
const book::KeyOf UsKey = [](const QString& number) { return links::lineKey(number, QStringLiteral("US")); };

// The contact's name for a caller's number, or "-".
QString whoIs(const data::Database& db, const QString& number) {
    const auto holder = book::holderOfKey(db, UsKey(number));
    return holder ? holder->name + QLatin1Char('/') + holder->field : QStringLiteral("-");
}
book::Call call(const QDateTime& at, book::Call::Way way, const QString& number, const QString& id = {},
                const QString& network = {}, const QString& answer = {}) {
    book::Call c;
    c.at = at;
    c.way = way;
    c.number = number;
    c.key = UsKey(number);
    c.contactId = id;
    c.networkName = network;
    c.answer = answer;
    return c;
}
} // namespace

class CallerBookTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Quorvel.mdb")); }

private slots:
    void init() { QFile::remove(path()); }

    void matchKeys() {
        // One key for the spellings of one number, none for what holds none.
        for (const char* spelling : {"2125550101", "+1 212-555-0101", "(212) 555-0101", "212.555.0101",
                                     "1-212-555-0101", "+1 (212) 555-0101 x12"})
            QCOMPARE(links::lineKey(QLatin1String(spelling), "US"), QStringLiteral("+12125550101"));
        QCOMPARE(links::lineKey("", "US"), QString());
        QCOMPARE(links::lineKey("call me", "US"), QString());
    }

    void everyWriterKeepsTheIndexCurrent() {
        phonebook::create(path(), {contact("Able, Ann", "+1 212-555-0101", "415-555-0100"),
                                   contact("Baker, Bo", "", "(646) 555-0199")});
        data::Database db = book::open(path(), book::Upgrade::Required);
        QCOMPARE(book::bringNumbersCurrent(db, UsKey), 2);
        QVERIFY(!book::numbersDue(db));
        // Three spellings of one number find one contact; the mobile too.
        QCOMPARE(whoIs(db, "2125550101"), "Able, Ann/Phone");
        QCOMPARE(whoIs(db, "(212) 555-0101"), "Able, Ann/Phone");
        QCOMPARE(whoIs(db, "+1 212 555 0101"), "Able, Ann/Phone");
        QCOMPARE(whoIs(db, "6465550199"), "Baker, Bo/Mobile");
        QCOMPARE(whoIs(db, "3125550000"), "-");

        // Another tool adds, changes and deletes contacts: the book's own
        // triggers list them, and the next round makes their keys.
        phonebook::exec(path(), "INSERT INTO PHONEDIR (Name, Phone) VALUES ('Cole, Cy', '312-555-0000');"
                                "UPDATE PHONEDIR SET Phone = '718-555-0123' WHERE Name = 'Able, Ann';"
                                "DELETE FROM PHONEDIR WHERE Name = 'Baker, Bo';");
        QVERIFY(book::numbersDue(db));
        QCOMPARE(book::bringNumbersCurrent(db, UsKey), 2);
        QCOMPARE(whoIs(db, "3125550000"), "Cole, Cy/Phone");
        QCOMPARE(whoIs(db, "7185550123"), "Able, Ann/Phone");
        QCOMPARE(whoIs(db, "2125550101"), "-");
        QCOMPARE(whoIs(db, "6465550199"), "-");
        // One probe of the key's index, one of the id's.
        data::Statement plan(db, "EXPLAIN QUERY PLAN SELECT n.Uid, p.Name FROM NUMBERS n "
                                 "JOIN PHONEDIR p ON p.Uid = n.Uid WHERE n.Key = ?1 LIMIT 1");
        QStringList steps;
        while (plan.step())
            steps << plan.text(3);
        QCOMPARE(steps,
                 QStringList({"SEARCH n USING PRIMARY KEY (Key=?)", "SEARCH p USING INDEX Uid (Uid=?)"}));
    }

    void olderBookGetsItsKeysAtUpgrade() {
        phonebook::createVersion0(path(), {contact("Able, Ann", "212-555-0101")});
        data::Database db = book::open(path(), book::Upgrade::Required);
        QCOMPARE(book::versionOf(db), book::Version);
        QVERIFY(book::numbersDue(db));
        book::bringNumbersCurrent(db, UsKey);
        QCOMPARE(whoIs(db, "+12125550101"), "Able, Ann/Phone");
    }

    void callLog() {
        phonebook::create(path(), {contact("Able, Ann", "212-555-0101")});
        data::Database db = book::open(path(), book::Upgrade::Required);
        book::bringNumbersCurrent(db, UsKey);
        const QDateTime t0 = QDateTime::fromString("2026-12-01T10:00:00Z", Qt::ISODate);
        const auto holder = book::holderOfKey(db, UsKey("2125550101"));
        QVERIFY(holder);
        book::logCall(db, call(t0, book::Call::Way::In, "2125550101", holder->id, "ANN ABLE"));
        book::logCall(db, call(t0.addSecs(60), book::Call::Way::Out, "212-555-0101", {}, {}, "BUSY"));
        book::logCall(db, call(t0.addDays(2), book::Call::Way::In, ""));
        // The name as the book has it now, for the call and for the dial.
        phonebook::exec(path(), "UPDATE PHONEDIR SET Name = 'Able-Smith, Ann'");
        auto calls = book::callsSince(db, {});
        QCOMPARE(calls.size(), 3u);
        QCOMPARE(calls[0].at, t0.addDays(2));
        QCOMPARE(calls[1].answer, "BUSY");
        QCOMPARE(calls[1].contactName, "Able-Smith, Ann");
        QCOMPARE(calls[2].contactName, "Able-Smith, Ann");
        QCOMPARE(calls[2].networkName, "ANN ABLE");
        QCOMPARE(book::callsSince(db, t0.addDays(1)).size(), 1u);

        // Never more than the last CallsKept.
        db.transaction([&] {
            for (int i = 0; i < book::CallsKept + 5; ++i)
                book::logCall(db,
                              call(t0.addSecs(i), book::Call::Way::Out, QString::number(i), {}, {}, "OK"));
        });
        QCOMPARE(phonebook::query(path(), "SELECT count(*) FROM CALLS"), QString::number(book::CallsKept));
        QCOMPARE(phonebook::query(path(), "SELECT min(Number + 0) FROM CALLS"), "5");
    }
};

QTEST_GUILESS_MAIN(CallerBookTest)
#include "tst_callerbook.moc"
