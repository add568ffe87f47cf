#include "platform/core/Error.h"
#include "platform/data/Recordset.h"
#include "platform/data/Sqlite.h"
#include "support/PhoneBookFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using data::Recordset;
using testing::contact;
namespace phonebook = testing::phonebook;

namespace {
const QStringList Fields = {"Name", "Company", "Phone", "Address", "Mobile", "Email", "WebPage"};

int errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::Error& e) {
        return e.number();
    }
    return 0;
}

QStringList walk(Recordset& rs, bool forward) {
    QStringList names;
    forward ? rs.MoveFirst() : rs.MoveLast();
    while (!(forward ? rs.Eof() : rs.Bof())) {
        names << rs.field("Name");
        forward ? rs.MoveNext() : rs.MovePrevious();
    }
    return names;
}
} // namespace

class RecordsetTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path;

    void make(const QList<testing::Contact>& contacts) {
        QFile::remove(path);
        phonebook::create(path, contacts);
    }

private slots:
    void init() { path = dir.filePath("Quorvel.mdb"); }

    void bothOrdersWalkEveryRecordOnceFromEitherEnd() {
        make({contact("smith, Zoe"), contact("Adams, Al"), contact("Smith, Anna"), contact("adams, Al"),
              contact("Baker"), contact("ADAMS, al")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        QCOMPARE(rs.field("Name"), "smith, Zoe"); // the first in rowid order
        QCOMPARE(walk(rs, true),
                 QStringList({"smith, Zoe", "Adams, Al", "Smith, Anna", "adams, Al", "Baker", "ADAMS, al"}));
        rs.setIndex("Name");
        // Case does not order names; equal names keep the order they were added in.
        const QStringList byName = {"Adams, Al", "adams, Al",   "ADAMS, al",
                                    "Baker",     "Smith, Anna", "smith, Zoe"};
        QCOMPARE(walk(rs, true), byName);
        QStringList reversed(byName.rbegin(), byName.rend());
        QCOMPARE(walk(rs, false), reversed);
        QCOMPARE(rs.RecordCount(), 6);
    }

    void movesPastEitherEndAndOnEmptyTables() {
        make({contact("A"), contact("B")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        rs.MoveLast();
        rs.MoveNext();
        QVERIFY(rs.Eof());
        QVERIFY(!rs.hasCurrent());
        QCOMPARE(errorOf([&] { rs.field("Name"); }), platform::err::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rs.MoveNext(); }), platform::err::NoCurrentRecord);
        rs.MovePrevious(); // from past the end back onto the last record
        QCOMPARE(rs.field("Name"), "B");
        rs.MoveFirst();
        rs.MovePrevious();
        QVERIFY(rs.Bof());
        QCOMPARE(errorOf([&] { rs.MovePrevious(); }), platform::err::NoCurrentRecord);
        rs.MoveNext();
        QCOMPARE(rs.field("Name"), "A");

        make({});
        Recordset empty(Fields);
        empty.open(path, "PHONEDIR");
        QVERIFY(empty.Eof() && empty.Bof());
        QCOMPARE(errorOf([&] { empty.MoveFirst(); }), platform::err::NoCurrentRecord);
        QCOMPARE(errorOf([&] { empty.MoveLast(); }), platform::err::NoCurrentRecord);
        QCOMPARE(errorOf([&] { empty.Edit(); }), platform::err::NoCurrentRecord);
        QCOMPARE(errorOf([&] { empty.Delete(); }), platform::err::NoCurrentRecord);
        QCOMPARE(empty.RecordCount(), 0);
    }

    void addNewIsStoredOnlyWhenWrittenAndKeepsThePlace() {
        make({contact("A"), contact("B"), contact("C")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        rs.MoveNext(); // on B
        rs.AddNew();
        QVERIFY(rs.isAdding());
        QCOMPARE(errorOf([&] { rs.field("Name"); }), platform::err::NoCurrentRecord);
        rs.MoveNext(); // nobody stored it: abandoned
        QVERIFY(!rs.isAdding());
        QCOMPARE(rs.field("Name"), "C");
        QCOMPARE(rs.RecordCount(), 3);

        rs.AddNew();
        rs.writeRecord(contact("New, Person"));
        QCOMPARE(rs.RecordCount(), 4);
        QCOMPARE(rs.field("Name"), "C"); // back where it was before AddNew
        QCOMPARE(phonebook::read(path).last(), contact("New, Person"));
        rs.MoveNext();
        QCOMPARE(rs.field("Name"), "New, Person");
    }

    void theKeptCountFollowsOwnChangesAndDropsOnAnotherProgramsChange() {
        make({contact("A"), contact("B"), contact("C")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        QVERIFY(!rs.KnownCount()); // nothing counted yet
        QCOMPARE(rs.RecordCount(), 3);
        rs.AddNew();
        rs.writeRecord(contact("D"));
        rs.MoveFirst();
        rs.Delete();
        rs.MoveNext();
        QCOMPARE(rs.KnownCount(), 3); // adjusted, not counted again

        data::Database other(path);
        other.exec("INSERT INTO PHONEDIR (Name) VALUES ('E'), ('F')");
        QVERIFY(!rs.KnownCount());
        QCOMPARE(rs.RecordCount(), 5);

        // A count taken elsewhere is kept only if nothing changed since it began.
        auto ticket = rs.countTicket();
        QVERIFY(ticket);
        rs.AddNew();
        rs.writeRecord(contact("G"));
        QVERIFY(!rs.keepCount(5, *ticket));
        ticket = rs.countTicket();
        other.exec("DELETE FROM PHONEDIR WHERE Name = 'E'");
        QVERIFY(!rs.keepCount(6, *ticket));
        ticket = rs.countTicket();
        QVERIFY(rs.keepCount(5, *ticket));
        QCOMPARE(rs.KnownCount(), 5);
    }

    void reusedStatementsLeaveNoLockBehind() {
        make({contact("A"), contact("B"), contact("C")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        rs.setIndex("Name");
        rs.Seek(">=", "B");
        rs.MoveNext();
        rs.MovePrevious();
        QCOMPARE(rs.RecordCount(), 3);
        QVERIFY(rs.KnownCount());
        // Another program may take the file for itself at once, without waiting.
        data::Database other(path);
        other.setWaitForLocks(false);
        other.exec("BEGIN EXCLUSIVE");
        other.exec("DELETE FROM PHONEDIR WHERE Name = 'A'");
        QCOMPARE(rs.KnownCount(), 3); // locked, not waited for: the last count stands
        other.exec("COMMIT");
        QVERIFY(!rs.KnownCount());
        QCOMPARE(rs.RecordCount(), 2);
    }

    void updateStoresOnlyWhatWasWritten() {
        make({contact("A"), contact("B")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        QCOMPARE(errorOf([&] { rs.Update(); }), platform::err::UpdateWithoutEdit);
        rs.Edit();
        rs.Update(); // nothing written: the stored record stays as it was
        QCOMPARE(phonebook::read(path), QList<testing::Contact>({contact("A"), contact("B")}));

        int validations = 0;
        rs.setBeforeAction([&](int action) {
            ++validations;
            QCOMPARE(action, int(data::ActionUpdate));
            rs.writeRecord(contact("A2", "555-0100"));
        });
        rs.Edit();
        rs.Update();
        QCOMPARE(validations, 1);
        QCOMPARE(phonebook::read(path).first(), contact("A2", "555-0100"));
        QCOMPARE(rs.field("Phone"), "555-0100");
    }

    void deleteLeavesNoCurrentRecordUntilTheNextMove() {
        make({contact("A"), contact("B"), contact("C")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        rs.MoveNext();
        rs.Delete();
        QVERIFY(!rs.hasCurrent());
        QCOMPARE(errorOf([&] { rs.field("Name"); }), platform::err::NoCurrentRecord);
        rs.MoveNext();
        QCOMPARE(rs.field("Name"), "C");
        rs.Delete(); // the last one: the next move runs off the end
        rs.MoveNext();
        QVERIFY(rs.Eof());
        rs.MoveLast();
        QCOMPARE(rs.field("Name"), "A");
        rs.Delete();
        rs.MoveNext();
        QVERIFY(rs.Eof());
        QCOMPARE(rs.RecordCount(), 0);
        QCOMPARE(errorOf([&] { rs.MoveLast(); }), platform::err::NoCurrentRecord);
    }

    void seekFindsTheFirstNameAtOrAfterTheKey() {
        make({contact("Smith, John"), contact("Taylor, Ann"), contact("smith, Al"), contact("Jones"),
              contact("Smith, John")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        QCOMPARE(errorOf([&] { rs.Seek(">=", "Smith"); }), platform::err::NoCurrentIndex);
        QCOMPARE(errorOf([&] { rs.setIndex("Phone"); }), platform::err::NotAnIndex);
        QCOMPARE(rs.Index(), QString());
        rs.setIndex("Name");

        rs.Seek(">=", "SMITH");
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.field("Name"), "smith, Al");
        rs.Seek(">=", "smith, john"); // ties: the one stored first
        QCOMPARE(rs.field("Company"), "Co Smith, John");
        rs.MoveNext();
        QCOMPARE(rs.field("Name"), "Smith, John");
        rs.MoveNext();
        QCOMPARE(rs.field("Name"), "Taylor, Ann");
        rs.Seek(">=", "Su"); // no name begins so: the next one
        QCOMPARE(rs.field("Name"), "Taylor, Ann");
        rs.Seek(">=", "");
        QCOMPARE(rs.field("Name"), "Jones");
        rs.Seek(">=", "Zz");
        QVERIFY(rs.NoMatch());
        QVERIFY(!rs.hasCurrent());
        rs.MoveFirst();
        QCOMPARE(rs.field("Name"), "Jones");
    }

    void seekKeysAreBoundNeverSpliced() {
        const QString hostile = "O'Brien\"; DROP TABLE PHONEDIR; --%_";
        make({contact(hostile), contact("Zed")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        rs.setIndex("Name");
        rs.Seek(">=", hostile);
        QCOMPARE(rs.field("Name"), hostile);
        rs.Seek(">=", QString(10000, QChar('x')));
        QVERIFY(!rs.NoMatch());
        QCOMPARE(rs.field("Name"), "Zed");
        rs.Seek(">=", QString::fromUtf8("Zé"));
        QVERIFY(rs.NoMatch());
        QCOMPARE(rs.RecordCount(), 2);
    }

    void namesThatAreNullStillTakePartInNameOrder() {
        make({contact("B"), contact("A")});
        phonebook::exec(path, "INSERT INTO PHONEDIR (Name) VALUES (NULL), (NULL)");
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        rs.setIndex("Name");
        QCOMPARE(walk(rs, true), QStringList({"", "", "A", "B"}));
        QCOMPARE(walk(rs, false), QStringList({"B", "A", "", ""}));
    }

    void closeRaisesValidateAndEndsEveryCall() {
        make({contact("A")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        QList<int> actions;
        rs.setBeforeAction([&](int action) { actions << action; });
        rs.MoveLast();
        rs.Close();
        QCOMPARE(actions, QList<int>({data::ActionMoveLast, data::ActionClose}));
        QVERIFY(!rs.isOpen());
        QCOMPARE(errorOf([&] { rs.MoveFirst(); }), platform::err::ObjectClosed);
        QCOMPARE(errorOf([&] { rs.Close(); }), platform::err::ObjectClosed);
    }

    void badFilesAreRefusedAndNeverCreated() {
        Recordset rs(Fields, "Name");
        const QString missing = dir.filePath("none.mdb");
        QVERIFY(errorOf([&] { rs.open(missing, "PHONEDIR"); }) != 0);
        QVERIFY(!QFile::exists(missing));

        const QString garbage = dir.filePath("garbage.mdb");
        QFile f(garbage);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QCOMPARE(errorOf([&] { rs.open(garbage, "PHONEDIR"); }), platform::err::NotADatabase);

        make({contact("A")});
        phonebook::exec(path, "DROP TABLE PHONEDIR; CREATE TABLE Other (x)");
        QCOMPARE(errorOf([&] { rs.open(path, "PHONEDIR"); }), platform::err::NoSuchTable);
        QVERIFY(!rs.isOpen());
    }

    void aFailedStoreChangesNothing() {
        make({contact("A")});
        Recordset rs(Fields, "Name");
        rs.open(path, "PHONEDIR");
        // Another connection holds the write lock past the busy timeout.
        data::Database other(path);
        other.exec("BEGIN EXCLUSIVE");
        rs.Edit();
        QCOMPARE(errorOf([&] { rs.writeRecord(contact("Changed")); }), platform::err::StoreFailed);
        other.exec("ROLLBACK");
        QCOMPARE(rs.field("Name"), "A");
        QCOMPARE(phonebook::read(path), QList<testing::Contact>({contact("A")}));
        rs.writeRecord(contact("Changed")); // and works once the lock is gone
        QCOMPARE(phonebook::read(path), QList<testing::Contact>({contact("Changed")}));
    }
};

QTEST_GUILESS_MAIN(RecordsetTest)
#include "tst_recordset.moc"
