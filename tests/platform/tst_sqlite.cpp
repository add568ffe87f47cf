// One write transaction: whatever leaves the work early, nothing of it stays
// in the file and the next store still works.
#include "platform/core/Error.h"
#include "platform/data/Sqlite.h"
#include "support/PhoneBookFile.h"

#include <QTemporaryDir>
#include <QTest>

#include <new>
#include <stdexcept>

using testing::contact;
namespace phonebook = testing::phonebook;

class SqliteTest : public QObject {
    Q_OBJECT
private slots:
    void anyExceptionRollsTheStoreBack() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quorvel.mdb"));
        phonebook::create(path, {contact("Ashford, Nora")});
        data::Database db(path);
        auto insertThen = [&](const std::function<void()>& fail) {
            db.transaction([&] {
                data::Statement(db, QStringLiteral("INSERT INTO PHONEDIR (Name) VALUES ('Lost')")).step();
                fail();
            });
        };
        QVERIFY_THROWS_EXCEPTION(
            platform::Error,
            insertThen([] { throw platform::Error(platform::err::StoreFailed, QStringLiteral("ours")); }));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 insertThen([] { throw std::runtime_error("not ours"); }));
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, insertThen([] { throw std::bad_alloc(); }));

        // The connection is free again: the next store is kept.
        insertThen([] {});
        db = data::Database();
        QCOMPARE(phonebook::read(path).size(), 2);
        QCOMPARE(phonebook::read(path).last().first(), "Lost");
    }
};

QTEST_GUILESS_MAIN(SqliteTest)
#include "tst_sqlite.moc"
