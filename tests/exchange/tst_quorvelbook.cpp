// The real quorvel-book program on phone books in a temporary folder.
#include "BookProcess.h"
#include "platform/data/Sqlite.h"
#include "support/PhoneBookFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using testing::Contact;
namespace phonebook = testing::phonebook;

namespace {
using testing::finish;
using testing::readFile;
using testing::Result;
using testing::write;

QProcess* start(const QStringList& args, QObject* parent) { return testing::startBook(args, parent); }
Result run(const QStringList& args) { return testing::runBook(args); }

QList<Contact> inNameOrder(const QString& book) {
    data::Database db(book);
    data::Statement st(db, "SELECT Name, Company, Phone, Address, Mobile, Email, WebPage FROM PHONEDIR "
                           "ORDER BY Name COLLATE NOCASE, rowid");
    QList<Contact> all;
    while (st.step()) {
        Contact c;
        for (int i = 0; i < 7; ++i)
            c << st.text(i);
        all << c;
    }
    return all;
}

const QByteArray TwoCards = "BEGIN:VCARD\nVERSION:3.0\nN:Olsen;Ida\nTEL:1\nEND:VCARD\n"
                            "BEGIN:VCARD\nVERSION:3.0\nN:Olsen;Ida\nTEL:2\nEND:VCARD\n";
} // namespace

class QuorvelBookTest : public QObject, testing::BookFolder {
    Q_OBJECT

private slots:
    void init() { makeBook(); }

    void exportThenImportGivesBackEveryField_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("vCard") << "out.vcf";
        QTest::newRow("CSV") << "out.CSV";
    }

    void exportThenImportGivesBackEveryField() {
        QFETCH(QString, file);
        const QString longCompany = QString("Café ☕ Zürich ").repeated(8);
        phonebook::exec(book,
                        "INSERT INTO PHONEDIR (Name, Company) VALUES (NULL, 'No name, but ; a company')");
        phonebook::exec(book, "INSERT INTO PHONEDIR (Name) VALUES ('adams, Al')");
        QList<Contact> extra = {
            {"Brennan, Tom, Jr.", "Brennan; Sons, & Co", "312-555-0102",
             "Flat 2, 9 Lake Road, Riverton, WY 82501", "", "tom@brennan.example",
             "http://x.example/a,b;c\\d"},
            {"Müller, Jörg", longCompany, "+49 30 555 0102", "Straße 1, 10115 Berlin", "+49 170", "", ""},
            {"Smith, ", " leading", "trailing ", "Just a street", "", "\"quoted\" <x@y>", "back\\slash"},
            {"Adams, Al", "", "", ", City, ST 1", "", "", ""}};
        for (const Contact& c : extra)
            phonebook::exec(book, QString("INSERT INTO PHONEDIR (Name, Company, Phone, Address, Mobile, "
                                          "Email, WebPage) VALUES ('%1')")
                                      .arg(c.join("', '")));

        const Result out = run({"--book", book, "export", path(file)});
        QCOMPARE(out.code, 0);
        QCOMPARE(out.out, QString("Exported 11 contacts to %1.\n").arg(path(file)));

        const QString empty = path("empty-" + file + ".mdb");
        phonebook::create(empty, {});
        const Result in = run({"--book", empty, "import", path(file)});
        QCOMPARE(in.err, QString());
        QCOMPARE(in.out, QString("Added 11 contacts, skipped 0 already in the phone book.\n"));
        QCOMPARE(in.code, 0);
        // Same fields, and the export was in name order: the new book's own order.
        QCOMPARE(phonebook::read(empty), inNameOrder(book));

        // Into the book it came from: every contact is there already, the NULL name too.
        const Result again = run({"--book", book, "import", path(file)});
        QCOMPARE(again.out, QString("Added 0 contacts, skipped 11 already in the phone book.\n"));
        QCOMPARE(phonebook::read(book).size(), 11);
    }

    void duplicatesAreSkippedWithinAFileAndAcrossImports() {
        write(path("two.vcf"), TwoCards + TwoCards + "BEGIN:VCARD\nN:olsen;Ida\nTEL:1\nEND:VCARD\n");
        Result r = run({"--book", book, "import", path("two.vcf")});
        QCOMPARE(r.out, QString("Added 3 contacts, skipped 2 already in the phone book.\n"));
        QCOMPARE(run({"--book", book, "count"}).out, QString("8\n"));
    }

    // Enough contacts and cards that duplicates are looked for both before
    // and after the import starts keeping the book's names in memory.
    void duplicatesAreFoundInABigBookAndALongFile() {
        phonebook::exec(book,
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                        "INSERT INTO PHONEDIR (Name, Company, Phone, Address, Mobile, Email, WebPage) SELECT "
                        "'Kept, Person ' || i, 'Firm ' || i, '555-' || i, "
                        "'', '', '', '' FROM n");
        const auto card = [](const QByteArray& family, const QByteArray& given, const QByteArray& org,
                             const QByteArray& tel) {
            return "BEGIN:VCARD\nVERSION:3.0\nN:" + family + ";" + given + "\nORG:" + org + "\nTEL:" + tel +
                   "\nEND:VCARD\n";
        };
        const auto fresh = [&](int i) { return card("New", "Card " + QByteArray::number(i), "", "1"); };
        QByteArray file;
        for (int i = 0; i < 6000; ++i) {
            file += fresh(i);
            if (i == 100)
                file += card("Kept", "Person 7", "Firm 7", "555-7");
            if (i == 5000)
                file += card("Kept", "Person 19999", "Firm 19999", "555-19999") + fresh(10) + fresh(4500) +
                        card("KEPT", "PERSON 8", "Firm 8", "555-8"); // another name: added
        }
        write(path("long.vcf"), file);
        const Result r = run({"--book", book, "import", path("long.vcf")});
        QCOMPARE(r.out, QString("Added 6001 contacts, skipped 4 already in the phone book.\n"));
        QCOMPARE(run({"--book", book, "count"}).out, QString("26006\n"));
    }

    void csvColumnsNotOursAreNamedOnce() {
        write(path("c.csv"), "Name,Phone,Shoe Size\n\"Olsen, Ida\",1,38\nBerg,2,44\n");
        const Result r = run({"--book", book, "import", path("c.csv")});
        QCOMPARE(r.err,
                 "quorvel-book: " + path("c.csv") + ": columns kept aside with each contact: Shoe Size\n");
        QCOMPARE(r.out,
                 QString("Added 2 contacts, skipped 0 already in the phone book; kept aside 2 properties "
                         "or columns that the window has no field for.\n"));
    }

    void aFileThatCannotBeReadAddsNothing_data() {
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QString>("message");
        QTest::newRow("truncated card") << QByteArray("BEGIN:VCARD\nFN:A\nEND:VCARD\nBEGIN:VCARD\nFN:B\n")
                                        << "bad.vcf: line 5: the file ends inside the card begun on line 4 "
                                           "(no END:VCARD); nothing was imported\n";
        QTest::newRow("truncated after many cards")
            << QByteArray("BEGIN:VCARD\nFN:A\nEND:VCARD\n").repeated(2000) + "BEGIN:VCARD\nFN:B\n"
            << "bad.vcf: line 6002: the file ends inside the card begun on line 6001 (no END:VCARD); "
               "nothing was imported\n";
        QTest::newRow("no such file") << QByteArray() << "bad.vcf: cannot read it";
    }

    void aFileThatCannotBeReadAddsNothing() {
        QFETCH(QByteArray, second);
        QFETCH(QString, message);
        write(path("good.vcf"), TwoCards);
        if (!second.isEmpty())
            write(path("bad.vcf"), second);
        const QList<Contact> before = phonebook::read(book);
        const Result r = run({"--book", book, "import", path("good.vcf"), path("bad.vcf")});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.startsWith("quorvel-book: " + path(message)), qPrintable(r.err));
        QCOMPARE(r.out, QString());
        QCOMPARE(phonebook::read(book), before);
        QFile::remove(path("bad.vcf"));
    }

    void usageAndFailuresHaveTheirExitCodes() {
        const Result help = run({"--help"});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.startsWith("Usage: quorvel-book"));
        for (const QStringList& args :
             QList<QStringList>{{}, {"frob"}, {"import"}, {"count", "x"}, {"--book"}, {"-x", "count"}}) {
            const Result r = run(args);
            QVERIFY2(r.code == 2 && r.err.contains("Try 'quorvel-book --help'"), qPrintable(args.join(' ')));
        }
        QCOMPARE(run({"--book", book, "count"}).out, QString("5\n"));

        const QString missing = path("missing.mdb");
        const Result none = run({"--book", missing, "count"});
        QCOMPARE(none.code, 1);
        QCOMPARE(none.err, "quorvel-book: " + missing +
                               ": there is no phone book here; to make an empty one: quorvel-book --book \"" +
                               missing + "\" new\n");
        QVERIFY(!QFile::exists(missing)); // never made

        const QList<Contact> before = phonebook::read(book);
        QCOMPARE(run({"--book", book, "export", book}).code, 1);
        QCOMPARE(phonebook::read(book), before);
        const Result nowhere = run({"--book", book, "export", path("no/such/folder/x.vcf")});
        QCOMPARE(nowhere.code, 1);
        QVERIFY2(nowhere.err.contains("x.vcf: cannot write it"), qPrintable(nowhere.err));
    }

    // A second book: the same schema as every book of this version, empty;
    // never made over a file that is there, whatever that file is.
    void newMakesAnEmptyBookAndNothingElse() {
        const QString second = path("second.mdb");
        const Result made = run({"--book", second, "new"});
        QCOMPARE(made.code, 0);
        QCOMPARE(made.out, "Made an empty phone book: " + second + "\n");
        const QString schema =
            "SELECT group_concat(sql, ';') FROM (SELECT sql FROM sqlite_master ORDER BY name)";
        QCOMPARE(phonebook::query(second, schema), phonebook::query(book, schema));
        QCOMPARE(phonebook::query(second, "PRAGMA user_version"),
                 phonebook::query(book, "PRAGMA user_version"));
        QCOMPARE(run({"--book", second, "count"}).out, QString("0\n"));
        write(path("two.vcf"), TwoCards);
        QCOMPARE(run({"--book", second, "import", path("two.vcf")}).code, 0);

        for (const QString& there : {second, book, path("two.vcf")}) {
            const QByteArray before = readFile(there);
            const Result again = run({"--book", there, "new"});
            QCOMPARE(again.code, 1);
            QCOMPARE(again.err, "quorvel-book: " + there +
                                    ": a file is there already; it was left as it is (name a new file to "
                                    "make an empty phone book)\n");
            QCOMPARE(readFile(there), before);
        }
        const Result nowhere = run({"--book", path("no/such/folder/b.mdb"), "new"});
        QCOMPARE(nowhere.code, 1);
        QVERIFY2(nowhere.err.endsWith("b.mdb: cannot make it (No such file or directory)\n"),
                 qPrintable(nowhere.err));
        QCOMPARE(run({"--book", second, "new", "x"}).code, 2);
    }

    // The window stores a contact in a write transaction of its own; the
    // import waits for it, or says the book is busy. Neither side loses a row.
    void whileAnotherProgramStores_data() {
        QTest::addColumn<bool>("releaseSoon");
        QTest::newRow("store ends soon: import waits") << true;
        QTest::newRow("store outlasts the wait: book busy") << false;
    }

    void whileAnotherProgramStores() {
        QFETCH(bool, releaseSoon);
        write(path("two.vcf"), TwoCards);
        data::Database other(book);
        other.exec("BEGIN IMMEDIATE");
        other.exec("INSERT INTO PHONEDIR (Name) VALUES ('Typed, In Window')");
        QProcess* import = start({"--book", book, "import", path("two.vcf")}, this);
        QVERIFY(import->waitForStarted());
        if (releaseSoon)
            QTest::qWait(300);
        else
            QVERIFY(import->waitForFinished(60000));
        other.exec("COMMIT");
        const Result r = finish(import);
        const QStringList names = [&] {
            QStringList n;
            for (const Contact& c : phonebook::read(book))
                n << c[0];
            return n;
        }();
        QVERIFY(names.contains("Typed, In Window"));
        if (releaseSoon) {
            QCOMPARE(r.code, 0);
            QCOMPARE(names.count("Olsen, Ida"), 2);
        } else {
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.contains("the phone book is busy"), qPrintable(r.err));
            QCOMPARE(names.count("Olsen, Ida"), 0);
        }
    }
};

QTEST_GUILESS_MAIN(QuorvelBookTest)
#include "tst_quorvelbook.moc"
