// The phone book file as quorvel-book and other SQLite tools meet it: its
// version and upgrade, the contacts' own ids, and what goes out again, read
// back by an independent reader.
#include "support/PhoneBookFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using testing::Contact;
namespace phonebook = testing::phonebook;

namespace {
struct Result {
    int code = -1;
    QString out, err;
};

Result run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
Result book(const QStringList& args) { return run(QStringLiteral(QUORVEL_BOOK_EXE), args); }
// The sqlite3 tool, as a user would run it on the file.
Result sqlite(const QString& file, const QString& sql) { return run("sqlite3", {file, sql}); }

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The cards of a vCard file as the independent reader sees them.
QJsonArray readCards(const QString& file) {
    const Result r = run("python3", {QStringLiteral(QUORVEL_VCARD_READER), file});
    if (r.code != 0)
        qWarning("vcard_reader: %s", qPrintable(r.err));
    return QJsonDocument::fromJson(r.out.toUtf8()).array();
}

// The first property of that name on a card.
QJsonObject propertyOf(const QJsonArray& card, const QString& name) {
    for (const QJsonValue& p : card)
        if (p.toObject()["name"].toString() == name)
            return p.toObject();
    return {};
}

QString uidOf(const QJsonArray& card) {
    return propertyOf(card, "UID")["value"].toArray().first().toString();
}

// What schema a book has: its version, its id column, its new index and table.
QString schemaOf(const QString& file) {
    return sqlite(file, "SELECT (SELECT user_version FROM pragma_user_version) || ' ' || "
                        "(SELECT count(*) FROM pragma_table_info('PHONEDIR') WHERE name = 'Uid') || ' ' || "
                        "(SELECT count(*) FROM sqlite_master WHERE name IN ('Uid', 'CARDS'))")
        .out.trimmed();
}
const QString Version0 = QStringLiteral("0 0 0");
const QString Version1 = QStringLiteral("1 1 2");

const QList<Contact> Two = {
    {"Olsen, Ida", "Fjord AS", "555-0101", "Storgatan 12, Stockholm, 111 22, Sweden", "555-0111",
     "ida@olsen.example", "olsen.example"},
    {"Ashford, Nora", "", "212-555-0101", "14 Elm Street, Springfield, IL 62701", "", "", ""}};
} // namespace

class BookFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

private slots:
    // Version 0 is what any SQLite tool makes: the upgrade adds, and no row
    // or field changes; the book then opens without a write, and the sqlite3
    // tool still reads and writes its seven fields.
    void anOlderBookIsUpgradedByAddingOnly() {
        const QString file = path("old.mdb");
        phonebook::createVersion0(file, Two);
        phonebook::exec(file, "INSERT INTO PHONEDIR (Company) VALUES ('No name')");
        const QString rows = "SELECT rowid, quote(Name), quote(Company), quote(Phone), quote(Address), "
                             "quote(Mobile), quote(Email), quote(WebPage) FROM PHONEDIR";
        const QString before = sqlite(file, rows).out;
        QCOMPARE(schemaOf(file), Version0);

        QCOMPARE(book({"--book", file, "count"}).out, "3\n");
        QCOMPARE(schemaOf(file), Version1);
        QCOMPARE(sqlite(file, rows).out, before);
        const QByteArray upgraded = contentOf(file);
        QCOMPARE(book({"--book", file, "count"}).out, "3\n");
        QCOMPARE(contentOf(file), upgraded);

        const Result tool = sqlite(file, "INSERT INTO PHONEDIR (Name, Phone) VALUES ('Tool, Added', '1');"
                                         "SELECT count(*) FROM PHONEDIR WHERE Name LIKE 'tool%';");
        QCOMPARE(tool.err, QString());
        QCOMPARE(tool.out, "1\n");
    }

    void aNewerBookIsRefusedAndLeftUntouched() {
        const QString file = path("newer.mdb");
        phonebook::create(file, Two);
        phonebook::exec(file, "PRAGMA user_version = 9");
        write(path("in.vcf"), "BEGIN:VCARD\nVERSION:3.0\nN:Berg;Al\nEND:VCARD\n");
        const QByteArray before = contentOf(file);
        for (const QStringList& command :
             QList<QStringList>{{"count"}, {"import", path("in.vcf")}, {"export", path("out.vcf")}}) {
            const Result r = book(QStringList{"--book", file} + command);
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains("of version 9") && r.err.contains("Install the newer program"),
                     qPrintable(r.err));
        }
        QCOMPARE(contentOf(file), before);
        QVERIFY(!QFile::exists(file + "-journal"));
        QVERIFY(!QFile::exists(path("out.vcf")));
    }

    // Killed at any moment, the upgrade leaves the old schema or the new one:
    // the next program to open the file rolls a half-done one back.
    void aKillDuringTheUpgradeLeavesOneSchemaOrTheOther() {
        const QString original = path("big-old.mdb");
        phonebook::createVersion0(original, {});
        phonebook::exec(original, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < 400000) INSERT INTO PHONEDIR (Name, Phone) "
                                  "SELECT 'Person ' || i, i FROM n");
        int interrupted = 0, done = 0;
        for (int attempt = 0; attempt < 16 && (interrupted < 2 || done < 1); ++attempt) {
            const QString file = path(QStringLiteral("kill-%1.mdb").arg(attempt));
            QVERIFY(QFile::copy(original, file));
            QProcess p;
            p.start(QStringLiteral(QUORVEL_BOOK_EXE), {"--book", file, "count"});
            QVERIFY(p.waitForStarted());
            const qint64 pid = p.processId(); // 0 once it has ended: never kill(0), our own group
            QVERIFY(pid > 0);
            QTest::qWait(20 + attempt * 25);
            if (p.state() == QProcess::Running)
                ::kill(pid_t(pid), SIGKILL);
            p.waitForFinished();
            const bool halfway = QFile::exists(file + "-journal") && contentOf(file + "-journal").size() > 0;
            const QString schema = schemaOf(file); // the sqlite3 tool rolls a hot journal back
            QVERIFY2(schema == Version0 || schema == Version1, qPrintable(schema));
            QCOMPARE(sqlite(file, "PRAGMA integrity_check").out, "ok\n");
            QCOMPARE(sqlite(file, "SELECT count(*) FROM PHONEDIR").out, "400000\n");
            interrupted += halfway;
            done += schema == Version1;
            QFile::remove(file);
        }
        QVERIFY2(interrupted >= 1, "no kill landed inside the upgrade");
    }

    // Ids come with the cards that have them and are given when first needed
    // to those that have none; a VACUUM by the sqlite3 tool, which may
    // renumber rowids, changes nothing in what goes out.
    void idsSurviveAVacuumByAnotherTool() {
        const QString file = path("ids.mdb");
        phonebook::create(file, {});
        QByteArray cards;
        for (int i = 0; i < 50; ++i)
            cards += "BEGIN:VCARD\nVERSION:3.0\nN:Person;" + QByteArray::number(i) +
                     "\nTEL:" + QByteArray::number(i) + "\nEND:VCARD\n";
        cards += "BEGIN:VCARD\nVERSION:4.0\nUID:urn:uuid:0f0e0d0c-0b0a-4908-8706-050403020100\nFN:Given Id"
                 "\nEND:VCARD\n";
        write(path("in.vcf"), cards);
        QCOMPARE(book({"--book", file, "import", path("in.vcf")}).code, 0);
        phonebook::exec(file, "INSERT INTO PHONEDIR (Name) VALUES ('Tool, Added')");

        QCOMPARE(book({"--book", file, "export", path("a.vcf")}).code, 0);
        const QJsonArray a = readCards(path("a.vcf"));
        QCOMPARE(a.size(), 52);
        QSet<QString> ids;
        for (const QJsonValue& card : a)
            ids << uidOf(card.toArray());
        QCOMPARE(ids.size(), 52);
        QVERIFY(ids.contains("urn:uuid:0f0e0d0c-0b0a-4908-8706-050403020100"));
        QVERIFY(!ids.contains(QString()));

        const Result vacuum = sqlite(file, "DELETE FROM PHONEDIR WHERE Name = 'Person, 7'; VACUUM;");
        QCOMPARE(vacuum.err, QString());
        QCOMPARE(book({"--book", file, "export", path("b.vcf")}).code, 0);
        QJsonArray expected = a;
        for (qsizetype i = 0; i < expected.size(); ++i)
            if (propertyOf(expected[i].toArray(), "FN")["value"].toArray().first() == "7 Person")
                expected.removeAt(i--);
        QCOMPARE(readCards(path("b.vcf")), expected);

        // The ids travel with the cards into another book.
        const QString other = path("other.mdb");
        phonebook::create(other, {});
        QCOMPARE(book({"--book", other, "import", path("b.vcf")}).code, 0);
        QCOMPARE(book({"--book", other, "export", path("c.vcf")}).code, 0);
        QCOMPARE(readCards(path("c.vcf")), expected);
    }

    // Only "Street, City, ST 12345" is cut into parts; any other address goes
    // out whole in the street and the label, and comes back in as it was.
    void addressesGoOutInTheirPlaces() {
        const QString file = path("addresses.mdb");
        phonebook::create(file, Two);
        QCOMPARE(book({"--book", file, "export", path("addresses.vcf")}).code, 0);
        const QJsonArray cards = readCards(path("addresses.vcf"));
        QCOMPARE(cards.size(), 2);
        const QJsonObject us = propertyOf(cards[0].toArray(), "ADR");
        QCOMPARE(us["value"].toArray(),
                 QJsonArray({"", "", "14 Elm Street", "Springfield", "IL", "62701", ""}));
        QVERIFY(!us["params"].toObject().contains("LABEL"));
        const QJsonObject swedish = propertyOf(cards[1].toArray(), "ADR");
        QCOMPARE(swedish["value"].toArray(), QJsonArray({"", "", Two[0][3], "", "", "", ""}));
        QCOMPARE(swedish["params"].toObject()["LABEL"].toArray(), QJsonArray({Two[0][3]}));

        const QString again = path("again.mdb");
        phonebook::create(again, {});
        QCOMPARE(book({"--book", again, "import", path("addresses.vcf")}).code, 0);
        QCOMPARE(phonebook::query(again, "SELECT Address FROM PHONEDIR WHERE Name = 'Olsen, Ida'"),
                 Two[0][3]);
    }

    // The header row decides: each program's own names land in the seven fields.
    void csvFromOtherProgramsNeedsNoEditing_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("aside");
        QTest::newRow("desktop mail")
            << QByteArray("First Name,Middle Name,Last Name,Company,Business Street,Business City,Business "
                          "State,Business Postal Code,Business Phone,Mobile Phone,E-mail Address,Web Page,"
                          "Birthday\r\nIda,M.,Olsen,Fjord AS,14 Elm Street,Springfield,IL,62701,555-0101,"
                          "555-0111,ida@olsen.example,olsen.example,1980-01-02\r\n")
            << "Birthday";
        QTest::newRow("web mail")
            << QByteArray(
                   "Name,Given Name,Additional Name,Family Name,Notes,Organization 1 - Name,"
                   "E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,"
                   "Address 1 - Formatted,Website 1 - Value\n"
                   "Ida M. Olsen,Ida,M.,Olsen,met in Oslo,Fjord AS,ida@olsen.example,Mobile,555-0111,"
                   "Work,555-0101 ::: 555-0199,\"14 Elm Street, Springfield, IL 62701\",olsen.example\n")
            << "Notes";
        QTest::newRow("mail client")
            << QByteArray("First Name,Last Name,Display Name,Primary Email,Work Phone,Mobile Number,Home "
                          "Address,Home City,Home State,Home ZipCode,Organization,Web Page 1,Custom 1\n"
                          "Ida M.,Olsen,Ida Olsen,ida@olsen.example,555-0101,555-0111,14 Elm Street,"
                          "Springfield,IL,62701,Fjord AS,olsen.example,x\n")
            << "Custom 1";
    }
    void csvFromOtherProgramsNeedsNoEditing() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, aside);
        const QString file = path(QStringLiteral("csv-%1.mdb").arg(QTest::currentDataTag()));
        phonebook::create(file, {});
        write(path("in.csv"), csv);
        const Result r = book({"--book", file, "import", path("in.csv")});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.contains(aside), qPrintable(r.err));
        QCOMPARE(phonebook::read(file), QList<Contact>({{"Olsen, Ida M.", "Fjord AS", "555-0101",
                                                         "14 Elm Street, Springfield, IL 62701", "555-0111",
                                                         "ida@olsen.example", "olsen.example"}}));
    }

    void aCsvHeaderOfNoKnownColumnIsRefusedWithTheKnownNames() {
        const QString file = path("unknown.mdb");
        phonebook::create(file, {});
        write(path("unknown.csv"), "Vorname,Nachname\nIda,Olsen\n");
        const Result r = book({"--book", file, "import", path("unknown.csv")});
        QCOMPARE(r.code, 1);
        for (const char* name : {"Name, Company, Phone", "First Name", "Last Name", "E-mail Address"})
            QVERIFY2(r.err.contains(name), qPrintable(r.err));
        QCOMPARE(phonebook::read(file), QList<Contact>());
    }
};

QTEST_GUILESS_MAIN(BookFileTest)
#include "tst_bookfile.moc"
