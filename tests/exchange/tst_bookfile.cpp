// The phone book file as quorvel-book and other SQLite tools meet it: its
// version and upgrade, the contacts' own ids, and what goes out again, read
// back by an independent reader.
#include "book/Schema.h"
#include "book/Upgrade.h"
#include "platform/data/Recordset.h"
#include "support/PhoneBookFile.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
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
Result quorvelBook(const QStringList& args) { return run(QStringLiteral(QUORVEL_BOOK_EXE), args); }
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
                        "(SELECT count(*) FROM sqlite_master WHERE name IN ('Uid', 'CARDS', 'TRASH'))")
        .out.trimmed();
}
const QString Version0 = QStringLiteral("0 0 0");
const QString Newest = QStringLiteral("4 1 3");

const QList<Contact> Two = {
    {"Olsen, Ida", "Fjord AS", "555-0101", "Storgatan 12, Stockholm, 111 22, Sweden", "555-0111",
     "ida@olsen.example", "olsen.example"},
    {"Ashford, Nora", "", "212-555-0101", "14 Elm Street, Springfield, IL 62701", "", "", ""}};
// Whether a card holds a property of that name whose value (its components
// joined by ';') and parameters (each "KEY=value") are these.
bool holds(const QJsonArray& card, const QString& name, const QString& value,
           const QStringList& params = {}) {
    for (const QJsonValue& v : card) {
        const QJsonObject p = v.toObject();
        if (p["name"].toString() != name)
            continue;
        QStringList parts;
        for (const QJsonValue& part : p["value"].toArray())
            parts << part.toString();
        QStringList has;
        const QJsonObject ps = p["params"].toObject();
        for (auto it = ps.begin(); it != ps.end(); ++it)
            for (const QJsonValue& one : it.value().toArray())
                has << it.key() + "=" + one.toString().toLower();
        if (parts.join(';') == value && std::all_of(params.begin(), params.end(),
                                                    [&](const QString& want) { return has.contains(want); }))
            return true;
    }
    return false;
}

// Cards as a phone, a desktop address book and a mail program write them.
const QByteArray Phone21 =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1:M\xfcller;J\xf6rg\r\n"
    "TEL;CELL;VOICE:+49 170 1\r\nTEL;WORK:+49 30 2\r\nTEL;HOME:+49 30 3\r\n"
    "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Line one=0D=0ALine =\r\ntwo =C3=A4\r\n"
    "BDAY:1980-01-02\r\nADR;HOME:;;Storgatan 12;Stockholm;;111 22;Sweden\r\n"
    "PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n /9j/4AAQSkZJRgABAQ\r\n AAAQABAAD\r\n\r\n"
    "END:VCARD\r\n";
const QByteArray Desktop30 = "BEGIN:VCARD\nVERSION:3.0\nN:Berg;Anna;;;\nFN:Anna Berg\nORG:Berg AB;Sales\n"
                             "item1.EMAIL;type=INTERNET;type=pref:anna@berg.example\nitem1.X-LABEL:Office\n"
                             "TEL;type=CELL;type=VOICE;type=pref:+46 70 123\nTEL;type=WORK:+46 8 555\n"
                             "item2.ADR;type=HOME:;;Storgatan 12;Stockholm;;111 22;Sweden\n"
                             "item2.X-LABEL:Home\nNOTE:Met at the fair\\, 2019\nCATEGORIES:Friends,Work\n"
                             "X-SOCIAL;type=web:https://social.example/anna\n"
                             "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\nEND:VCARD\n";
const QByteArray Mail40 =
    "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:7d7e58e6-3c2e-4a59-9b9e-3a2f0b1c2d3e\r\n"
    "FN:Carl Dahl\r\nN:Dahl;Carl;;;\r\nEMAIL;TYPE=work:carl@dahl.example\r\n"
    "TEL;VALUE=uri;TYPE=\"voice,home\":tel:+46-8-555-0100\r\nURL:https://dahl.example\r\n"
    "NOTE:Likes tea\r\nX-MAILER-ID:42\r\nEND:VCARD\r\n";
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

        QCOMPARE(quorvelBook({"--book", file, "count"}).out, "3\n");
        QCOMPARE(schemaOf(file), Newest);
        QCOMPARE(sqlite(file, rows).out, before);
        const QByteArray upgraded = contentOf(file);
        QCOMPARE(quorvelBook({"--book", file, "count"}).out, "3\n");
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
            const Result r = quorvelBook(QStringList{"--book", file} + command);
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
            // Killed once the upgrade has begun (its journal is there), a
            // little later on each attempt: the clock alone misses it on a busy machine.
            QElapsedTimer waited;
            waited.start();
            while (p.state() == QProcess::Running && !QFile::exists(file + "-journal") &&
                   waited.elapsed() < 30000)
                QTest::qWait(1);
            QTest::qSleep(attempt * 10);
            if (p.state() == QProcess::Running)
                ::kill(pid_t(pid), SIGKILL);
            p.waitForFinished();
            const bool halfway = QFile::exists(file + "-journal") && contentOf(file + "-journal").size() > 0;
            const QString schema = schemaOf(file); // the sqlite3 tool rolls a hot journal back
            QVERIFY2(schema == Version0 || schema == Newest, qPrintable(schema));
            QCOMPARE(sqlite(file, "PRAGMA integrity_check").out, "ok\n");
            QCOMPARE(sqlite(file, "SELECT count(*) FROM PHONEDIR").out, "400000\n");
            interrupted += halfway;
            done += schema == Newest;
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
        QCOMPARE(quorvelBook({"--book", file, "import", path("in.vcf")}).code, 0);
        phonebook::exec(file, "INSERT INTO PHONEDIR (Name) VALUES ('Tool, Added')");

        QCOMPARE(quorvelBook({"--book", file, "export", path("a.vcf")}).code, 0);
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
        QCOMPARE(quorvelBook({"--book", file, "export", path("b.vcf")}).code, 0);
        QJsonArray expected = a;
        for (qsizetype i = 0; i < expected.size(); ++i)
            if (propertyOf(expected[i].toArray(), "FN")["value"].toArray().first() == "7 Person")
                expected.removeAt(i--);
        QCOMPARE(readCards(path("b.vcf")), expected);

        // The ids travel with the cards into another book.
        const QString other = path("other.mdb");
        phonebook::create(other, {});
        QCOMPARE(quorvelBook({"--book", other, "import", path("b.vcf")}).code, 0);
        QCOMPARE(quorvelBook({"--book", other, "export", path("c.vcf")}).code, 0);
        QCOMPARE(readCards(path("c.vcf")), expected);
    }

    // Only "Street, City, ST 12345" is cut into parts; any other address goes
    // out whole in the street and the label, and comes back in as it was.
    void addressesGoOutInTheirPlaces() {
        const QString file = path("addresses.mdb");
        phonebook::create(file, Two);
        QCOMPARE(quorvelBook({"--book", file, "export", path("addresses.vcf")}).code, 0);
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
        QCOMPARE(quorvelBook({"--book", again, "import", path("addresses.vcf")}).code, 0);
        QCOMPARE(phonebook::query(again, "SELECT Address FROM PHONEDIR WHERE Name = 'Olsen, Ida'"),
                 Two[0][3]);
    }

    // What came in goes out again, in its place and its own version (a 2.1
    // card as 3.0); a field changed in between (as the window stores it) goes
    // out from the field, alone.
    void cardsComeBackWithEverythingTheyBrought() {
        const QString file = path("kept.mdb");
        phonebook::create(file, {});
        write(path("phone.vcf"), Phone21);
        write(path("desktop.vcf"), Desktop30);
        write(path("mail.vcf"), Mail40);
        const Result in =
            quorvelBook({"--book", file, "import", path("phone.vcf"), path("desktop.vcf"), path("mail.vcf")});
        QCOMPARE(in.out,
                 QString("Added 3 contacts, skipped 0 already in the phone book; kept aside 12 properties "
                         "or columns that the window has no field for.\n"));
        {
            data::Recordset rs(book::fieldNames(), book::orderField());
            rs.setOnOpen([](data::Database& db) { book::upgrade(db); });
            rs.open(file, book::table());
            rs.setIndex(book::orderIndex());
            rs.Seek(">=", "Berg");
            QStringList values;
            for (const QString& field : book::fieldNames())
                values << rs.field(field);
            QCOMPARE(values[book::Name], "Berg, Anna");
            values[book::Address] = "1 New Street, Springfield, IL 62701";
            values[book::Phone] = "+46 8 999";
            rs.writeRecord(values);
            // A changed phone of a card with more numbers is still the one a reader takes.
            rs.Seek(">=", "M");
            values.clear();
            for (const QString& field : book::fieldNames())
                values << rs.field(field);
            values[book::Phone] = "+49 30 9";
            rs.writeRecord(values);
        }
        QCOMPARE(quorvelBook({"--book", file, "export", path("out.vcf")}).code, 0);
        const QJsonArray cards = readCards(path("out.vcf"));
        QCOMPARE(cards.size(), 3);
        const QJsonArray anna = cards[0].toArray(), carl = cards[1].toArray(), jorg = cards[2].toArray();

        QVERIFY(holds(anna, "VERSION", "3.0"));
        QVERIFY(holds(anna, "N", "Berg;Anna;;;"));
        QVERIFY(holds(anna, "ORG", "Berg AB;Sales"));
        QVERIFY(holds(anna, "EMAIL", "anna@berg.example", {"TYPE=internet", "TYPE=pref"}));
        QVERIFY(holds(anna, "X-LABEL", "Office") && holds(anna, "X-LABEL", "Home"));
        QVERIFY(holds(anna, "TEL", "+46 70 123", {"TYPE=cell"}));
        QVERIFY(holds(anna, "TEL", "+46 8 999", {"TYPE=work"})); // a changed number keeps its types
        QVERIFY(!holds(anna, "TEL", "+46 8 555"));
        QVERIFY(holds(anna, "ADR", ";;1 New Street;Springfield;IL;62701;"));
        QVERIFY(!holds(anna, "ADR", ";;Storgatan 12;Stockholm;;111 22;Sweden"));
        QVERIFY(holds(anna, "NOTE", "Met at the fair, 2019"));
        QVERIFY(holds(anna, "CATEGORIES", "Friends,Work"));
        QVERIFY(holds(anna, "X-SOCIAL", "https://social.example/anna"));
        QVERIFY(holds(anna, "PHOTO", "/9j/4AAQ", {"ENCODING=b"}));

        QCOMPARE(uidOf(carl), "urn:uuid:7d7e58e6-3c2e-4a59-9b9e-3a2f0b1c2d3e");
        QVERIFY(holds(carl, "TEL", "tel:+46-8-555-0100", {"VALUE=uri", "TYPE=voice,home"}));
        QVERIFY(holds(carl, "URL", "https://dahl.example") && holds(carl, "NOTE", "Likes tea"));
        QVERIFY(holds(carl, "X-MAILER-ID", "42") && holds(carl, "EMAIL", "carl@dahl.example", {"TYPE=work"}));

        QVERIFY(holds(jorg, "N", "Müller;Jörg") && holds(jorg, "FN", "Jörg Müller"));
        QVERIFY(holds(jorg, "NOTE", "Line one\nLine two ä"));
        QVERIFY(holds(jorg, "TEL", "+49 170 1", {"TYPE=cell", "TYPE=voice"}));
        // Phone is the home number, chosen before the work number.
        QVERIFY(holds(jorg, "TEL", "+49 30 9", {"TYPE=home"}) && !holds(jorg, "TEL", "+49 30 3") &&
                holds(jorg, "TEL", "+49 30 2", {"TYPE=work"}));
        QVERIFY(holds(jorg, "ADR", ";;Storgatan 12;Stockholm;;111 22;Sweden", {"TYPE=home"}));
        QVERIFY(holds(jorg, "BDAY", "1980-01-02"));
        QVERIFY(holds(jorg, "PHOTO", "/9j/4AAQSkZJRgABAQAAAQABAAD", {"ENCODING=b"}));
        // Valid 3.0 and 4.0 text: no character set or quoted-printable is left to decode.
        const QByteArray text = contentOf(path("out.vcf"));
        QVERIFY(!text.contains("QUOTED-PRINTABLE") && !text.contains("CHARSET") &&
                text.count("ENCODING") == text.count("ENCODING=b"));
        QCOMPARE(text.count("VERSION:3.0"), 2);
        QCOMPARE(text.count("VERSION:4.0"), 1);

        // Read again, the file gives every contact the fields the book holds.
        const QString again = path("kept-again.mdb");
        phonebook::create(again, {});
        QCOMPARE(quorvelBook({"--book", again, "import", path("out.vcf")}).code, 0);
        const QString rows =
            "SELECT Name, Company, Phone, Address, Mobile, Email, WebPage, Uid FROM PHONEDIR "
            "ORDER BY Name";
        QCOMPARE(sqlite(again, rows).out, sqlite(file, rows).out);
        QVERIFY(sqlite(again, rows).out.contains("|+49 30 9|"));
    }

    // A long import tells how it goes on a terminal, and nothing of it to a
    // script that reads its standard error.
    void progressShowsOnATerminalOnly() {
        // Long enough to pass the second after which progress shows, with
        // room for a machine a few times faster than ours.
        QByteArray cards;
        for (int i = 0; i < 450000; ++i)
            cards += "BEGIN:VCARD\nVERSION:3.0\nN:Person;" + QByteArray::number(i) + "\nNOTE:n\nEND:VCARD\n";
        write(path("many.vcf"), cards);
        const QString piped = path("piped.mdb"), onTerminal = path("terminal.mdb");
        phonebook::create(piped, {});
        phonebook::create(onTerminal, {});
        const Result quiet = quorvelBook({"--book", piped, "import", path("many.vcf")});
        QCOMPARE(quiet.err, QString());
        QVERIFY(quiet.out.startsWith("Added 450000 contacts"));

        // script(1) gives the program a terminal and keeps what it showed in a file of ours.
        const QString shown = path("typescript");
        const QString command = QStringLiteral("'%1' --book '%2' import '%3'")
                                    .arg(QStringLiteral(QUORVEL_BOOK_EXE), onTerminal, path("many.vcf"));
        QCOMPARE(run("script", {"-qec", command, shown}).code, 0);
        const QString text = QString::fromUtf8(contentOf(shown));
        QVERIFY2(text.contains("quorvel-book: importing: ") && text.contains(" cards/s, about ") &&
                     text.contains(" s left"),
                 qPrintable(text));
        QVERIFY(text.contains("Added 450000 contacts"));
    }

    // The header row decides: each program's own names land in the seven
    // fields, and the columns it has no field for in the properties they
    // stand for; only a column that means nothing stays a column.
    void csvFromOtherProgramsNeedsNoEditing_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("aside");
        QTest::addColumn<QString>("keptName");
        QTest::addColumn<QString>("keptValue");
        QTest::addColumn<QString>("keptParam");
        QTest::addColumn<QString>("keptCount");
        QTest::newRow("desktop mail")
            << QByteArray("First Name,Middle Name,Last Name,Company,Business Street,Business City,Business "
                          "State,Business Postal Code,Business Phone,Mobile Phone,E-mail Address,Web Page,"
                          "Birthday\r\nIda,M.,Olsen,Fjord AS,14 Elm Street,Springfield,IL,62701,555-0101,"
                          "555-0111,ida@olsen.example,olsen.example,1980-01-02\r\n")
            << ""
            << "BDAY"
            << "19800102"
            << ""
            << "1 property";
        QTest::newRow("web mail")
            << QByteArray(
                   "Name,Given Name,Additional Name,Family Name,Notes,Organization 1 - Name,"
                   "E-mail 1 - Value,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,"
                   "Address 1 - Formatted,Website 1 - Value\n"
                   "Ida M. Olsen,Ida,M.,Olsen,met in Oslo,Fjord AS,ida@olsen.example,Mobile,555-0111,"
                   "Work,555-0101 ::: 555-0199,\"14 Elm Street, Springfield, IL 62701\",olsen.example\n")
            << ""
            << "NOTE"
            << "met in Oslo"
            << ""
            << "2 properties"; // the second work number too
        QTest::newRow("mail client")
            << QByteArray("First Name,Last Name,Display Name,Primary Email,Work Phone,Mobile Number,Home "
                          "Address,Home City,Home State,Home ZipCode,Organization,Web Page 1,Custom 1\n"
                          "Ida M.,Olsen,Ida Olsen,ida@olsen.example,555-0101,555-0111,14 Elm Street,"
                          "Springfield,IL,62701,Fjord AS,olsen.example,x\n")
            << "Custom 1"
            << "X-CSV"
            << "x"
            << "X-COLUMN=custom 1"
            << "1 property";
    }
    void csvFromOtherProgramsNeedsNoEditing() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, aside);
        QFETCH(QString, keptName);
        QFETCH(QString, keptValue);
        QFETCH(QString, keptParam);
        QFETCH(QString, keptCount);
        const QString file = path(QStringLiteral("csv-%1.mdb").arg(QTest::currentDataTag()));
        phonebook::create(file, {});
        write(path("in.csv"), csv);
        const Result r = quorvelBook({"--book", file, "import", path("in.csv")});
        QCOMPARE(r.code, 0);
        QVERIFY2(aside.isEmpty() ? !r.err.contains("kept aside with each contact")
                                 : r.err.contains("kept aside with each contact: " + aside),
                 qPrintable(r.err));
        QVERIFY2(r.out.contains("kept aside " + keptCount), qPrintable(r.out));
        QCOMPARE(quorvelBook({"--book", file, "export", path("csv.vcf")}).code, 0);
        QVERIFY(holds(readCards(path("csv.vcf")).first().toArray(), keptName, keptValue,
                      keptParam.isEmpty() ? QStringList() : QStringList{keptParam}));
        QCOMPARE(phonebook::read(file), QList<Contact>({{"Olsen, Ida M.", "Fjord AS", "555-0101",
                                                         "14 Elm Street, Springfield, IL 62701", "555-0111",
                                                         "ida@olsen.example", "olsen.example"}}));
    }

    void aCsvHeaderOfNoKnownColumnIsRefusedWithTheKnownNames() {
        const QString file = path("unknown.mdb");
        phonebook::create(file, {});
        write(path("unknown.csv"), "Vorname,Nachname\nIda,Olsen\n");
        const Result r = quorvelBook({"--book", file, "import", path("unknown.csv")});
        QCOMPARE(r.code, 1);
        for (const char* name : {"Name, Company, Phone", "First Name", "Last Name", "E-mail Address"})
            QVERIFY2(r.err.contains(name), qPrintable(r.err));
        QCOMPARE(phonebook::read(file), QList<Contact>());
    }
};

QTEST_GUILESS_MAIN(BookFileTest)
#include "tst_bookfile.moc"
