// Probable duplicates found and merged, and birthdays listed, on phone books
// in a temporary folder: the finding and the dates read as the command reads
// them, the commands through the real quorvel-book.
#include "BookProcess.h"
#include "book/Upgrade.h"
#include "exchange/Birthdays.h"
#include "exchange/BookMerge.h"
#include "exchange/CardDates.h"

#include <QDate>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using testing::Contact;
using testing::Result;
using testing::runBook;
namespace phonebook = testing::phonebook;

namespace {
Contact person(const QString& name, const QString& company, const QString& phone, const QString& mobile = {},
               const QString& email = {}) {
    return {name, company, phone, "", mobile, email, ""};
}

QString idOf(const QString& book, const QString& name) {
    return phonebook::query(book, QStringLiteral("SELECT Uid FROM PHONEDIR WHERE Name = '%1'").arg(name));
}

QByteArray keptOf(const QString& book, const QString& id) {
    data::Database db(book);
    data::Statement st(db, QStringLiteral("SELECT Card FROM CARDS WHERE Uid = ?1"));
    st.bind(1, id);
    return st.step() ? st.blob(0) : QByteArray();
}

int lineCount(const QByteArray& card, const QByteArray& line) { return int(card.split('\n').count(line)); }

// Kofi as a phone and as a mail program have him, and Ama with a photo.
const QByteArray PhoneCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Mensah;Kofi;;;\r\nFN:Kofi Mensah\r\n"
                             "TEL;TYPE=CELL:+233 24 555 0161\r\nEMAIL:kofi@mensah.example\r\n"
                             "BDAY:1980-04-12\r\nEND:VCARD\r\n";
const QByteArray MailCard = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Mensah;Kofi\r\nORG:Acme\r\n"
                            "TEL;WORK;VOICE:(212) 555-0161\r\nTEL;CELL:+233245550161\r\n"
                            "EMAIL;INTERNET:KOFI@mensah.example\r\nEMAIL;INTERNET:kofi@acme.example\r\n"
                            "BDAY:19790101\r\nNOTE:met in Accra\r\n"
                            "PHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQ\r\nEND:VCARD\r\n";
const QByteArray OtherPhoto = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Kofi M.\r\nN:M.;Kofi;;;\r\n"
                              "PHOTO:data:image/png;base64,iVBORw0K\r\nEND:VCARD\r\n";
} // namespace

class MergeTest : public QObject, testing::BookFolder {
    Q_OBJECT

private slots:
    // Each reason a group is made for, the contacts that share too little
    // to be one, and the listing's ids staying what they were.
    void groupsProbableDuplicates() {
        book = path(QString::fromLatin1(QTest::currentTestFunction()) + ".mdb");
        phonebook::create(book, {
                                    person("Mensah, Kofi", "", "+1 212 555 0161"),
                                    person("Kofi Mensah", "", "", "(212) 555-0161"),
                                    person("K. M.", "", "tel:+1-212-555-0161"),
                                    person("Ida Olsen", "", "", "", "Ida@Olsen.example"),
                                    person("Olsen, I.", "", "", "", "ida@olsen.EXAMPLE "),
                                    person("Lars Berg", "Fjord AS", ""),
                                    person("Berg, Lars", "fjord as", ""),
                                    person("Nora Ashford", "", "555-0133"),
                                    person("Ashford, Nora", "", "", "+1 646 555 0133"),
                                    // the same company, the same common name, one switchboard with two
                                    // extensions, nothing at all, a number and an e-mail that are none
                                    person("Aki Nakamura", "Acme", ""),
                                    person("Min Kim", "Acme", ""),
                                    person("John Smith", "", "555-0111"),
                                    person("Smith, John", "", "555-0122"),
                                    person("Eva Lund", "", "212-555-0199 x12"),
                                    person("Jon Moe", "", "212-555-0199 x13"),
                                    person("", "", ""),
                                    person("", "", ""),
                                    person("Ann Lee", "", "0", "", "n/a"),
                                    person("Bo Ray", "", "0", "", "n/a"),
                                });
        QList<exchange::DuplicateGroup> groups;
        {
            data::Database db = book::open(book, book::Upgrade::Required);
            groups = exchange::findDuplicates(db, "US");
        }
        QStringList found;
        for (const auto& g : groups) {
            QStringList names;
            for (const exchange::Card& c : g.contacts)
                names << c[exchange::Name];
            found << g.reason + " | " + names.join(" / ");
        }
        QCOMPARE(found,
                 QStringList({
                     "same name Ashford, Nora and number +1 646 555 0133 | Ashford, Nora / Nora Ashford",
                     "same name Berg, Lars and company fjord as | Berg, Lars / Lars Berg",
                     "same e-mail Ida@Olsen.example | Ida Olsen / Olsen, I.",
                     "same number +1 212-555-0161 | K. M. / Kofi Mensah / Mensah, Kofi",
                 }));

        // The command prints the same, with the ids it gave, and gives the same ones again.
        const Result first = runBook({"--book", book, "merge"});
        QVERIFY2(first.code == 0, qPrintable(first.err));
        QVERIFY2(first.out.contains("# same number +1 212-555-0161\n" + idOf(book, "K. M.") +
                                    "\tK. M.\ttel:+1-212-555-0161\t\t\n" + idOf(book, "Kofi Mensah") +
                                    "\tKofi Mensah\t\t(212) 555-0161\t\n"),
                 qPrintable(first.out));
        QCOMPARE(first.out.count("\n\n# "), 3);
        QCOMPARE(runBook({"--book", book, "merge"}).out, first.out);
    }

    // Kofi from a phone and from a mail program made one: fields filled,
    // every property once, one photo, the other contact gone; --dry-run and
    // wrong ids change nothing.
    void mergeMakesOneContactOfSeveral() {
        book = path(QString::fromLatin1(QTest::currentTestFunction()) + ".mdb");
        phonebook::create(book, {});
        testing::write(path("phone.vcf"), PhoneCard);
        testing::write(path("mail.vcf"), MailCard + OtherPhoto);
        QCOMPARE(runBook({"--book", book, "import", path("phone.vcf"), path("mail.vcf")}).code, 0);
        const QString fromMail = phonebook::query(
            book, "SELECT Uid FROM PHONEDIR WHERE Name = 'Mensah, Kofi' AND Company = 'Acme'");
        const QString third = idOf(book, "M., Kofi");
        const QString first = phonebook::query(
            book, "SELECT Uid FROM PHONEDIR WHERE Name = 'Mensah, Kofi' AND Company IS NOT 'Acme'");
        QVERIFY(!first.isEmpty() && !fromMail.isEmpty() && first != fromMail && !third.isEmpty());

        Result r = runBook({"--book", book, "merge", "--dry-run", first, fromMail, third});
        QVERIFY2(r.code == 0 && r.out.startsWith("BEGIN:VCARD") &&
                     r.out.contains("EMAIL;TYPE=internet:kofi@acme.example"),
                 qPrintable(r.out + r.err));
        QCOMPARE(phonebook::read(book).size(), 3);
        r = runBook({"--book", book, "merge", first, "urn:uuid:nobody"});
        QVERIFY2(r.code == 1 && r.err.contains("no contact has the id urn:uuid:nobody"), qPrintable(r.err));
        QCOMPARE(runBook({"--book", book, "merge", first}).code, 2);
        QCOMPARE(runBook({"--book", book, "merge", first, first}).code, 2);
        QCOMPARE(phonebook::read(book).size(), 3);

        r = runBook({"--book", book, "merge", first, fromMail, third});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(phonebook::read(book), QList<Contact>({{"Mensah, Kofi", "Acme", "(212) 555-0161", "",
                                                         "+233 24 555 0161", "kofi@mensah.example", ""}}));
        QCOMPARE(phonebook::query(book, "SELECT Uid FROM PHONEDIR"), first);
        QCOMPARE(phonebook::query(book, "SELECT count(*) FROM CARDS"), QString("1"));
        const QByteArray card = keptOf(book, first);
        // Every e-mail and number once, whatever their case or writing; the first's birthday; the
        // first photo of the others, since the first had none; the note.
        QCOMPARE(card.count("EMAIL"), 2);
        QVERIFY(card.contains("EMAIL;TYPE=internet:kofi@acme.example"));
        QCOMPARE(card.count("TEL"), 2);
        QCOMPARE(lineCount(card, "BDAY:1980-04-12"), 1);
        QCOMPARE(card.count("BDAY"), 1);
        QCOMPARE(card.count("PHOTO"), 1);
        QVERIFY(card.contains("PHOTO:data:image/jpeg;base64,/9j/4AAQ"));
        QVERIFY(card.contains("NOTE:met in Accra"));
        // Exported, the card reads back as the contact.
        r = runBook({"--book", book, "export", path("out.vcf")});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QString other = path("again.mdb");
        phonebook::create(other, {});
        QCOMPARE(runBook({"--book", other, "import", path("out.vcf")}).code, 0);
        QCOMPARE(phonebook::read(other), phonebook::read(book));
    }

    // A merge of thousands killed at random moments: each time the book
    // holds all of them unmerged, or the one merged contact alone.
    void killedMergeLeavesAllOrNothing() {
        book = path(QString::fromLatin1(QTest::currentTestFunction()) + ".mdb");
        QList<Contact> many;
        for (int i = 0; i < 3000; ++i)
            many << person(QStringLiteral("Person %1, Same").arg(i), "",
                           QStringLiteral("555-%1").arg(i, 4, 10, QChar('0')));
        const QString pristine = path("pristine.mdb");
        phonebook::create(pristine, many);
        phonebook::exec(pristine, "INSERT INTO PHONEDIR (Name) VALUES ('Kept, Bystander')");
        QCOMPARE(runBook({"--book", pristine, "count"}).code, 0);
        QVERIFY(runBook({"--book", pristine, "merge"}).code == 0); // gives every contact its id
        const QStringList ids =
            phonebook::query(pristine, "SELECT group_concat(Uid, ' ') FROM "
                                       "(SELECT Uid FROM PHONEDIR WHERE Name LIKE 'Person%' ORDER BY rowid)")
                .split(' ');
        QCOMPARE(ids.size(), 3000);
        int kills = 0, whole = 0;
        auto* random = QRandomGenerator::global();
        // Kills come within the time a whole merge took last, on a quiet machine or a busy one.
        qint64 lasts = 1500;
        for (int attempt = 0; attempt < 40 && kills < 15; ++attempt) {
            QFile::remove(book);
            QVERIFY(QFile::copy(pristine, book));
            QProcess p;
            QElapsedTimer clock;
            clock.start();
            p.start(QStringLiteral(QUORVEL_BOOK_EXE), QStringList{"--book", book, "merge"} + ids);
            QVERIFY(p.waitForStarted());
            if (p.waitForFinished(int(random->bounded(qint64(10), std::max(lasts, qint64(20)))))) {
                ++whole;
                lasts = clock.elapsed();
            } else {
                p.kill();
                QVERIFY(p.waitForFinished());
                ++kills;
            }
            const QList<Contact> after = phonebook::read(book);
            if (after.size() == 2) {
                QCOMPARE(after.first()[0], QString("Person 0, Same"));
                QCOMPARE(keptOf(book, ids.first()).count("TEL"), 3000);
            } else {
                QCOMPARE(after.size(), 3001);
                QVERIFY(keptOf(book, ids.first()).isEmpty());
            }
        }
        qInfo("%d merges killed, %d completed first", kills, whole);
        QVERIFY(kills >= 5);
    }

    // Each form of date a card writes, the turn of the year, 29 February,
    // anniversaries; the command on this year's calendar.
    void birthdaysComeSoonestFirst() {
        book = path(QString::fromLatin1(QTest::currentTestFunction()) + ".mdb");
        phonebook::create(book, {});
        QByteArray cards;
        const QList<std::pair<const char*, const char*>> people = {
            {"Iso, Ada", "BDAY:1980-01-02"},
            {"Basic, Bo", "BDAY:19791230"},
            {"Noyear, Cy", "BDAY:--0101"},
            {"Dashed, Di", "BDAY:--01-03"},
            {"Timed, Ed", "BDAY:1990-01-04T00:00:00Z"},
            {"Packed, Flo", "BDAY;VALUE=date-time:19850105T103000"},
            {"Omitted, Gus", "BDAY;X-APPLE-OMIT-YEAR=1604:1604-12-29"},
            {"Leap, Hal", "BDAY:2000-02-29"},
            {"Later, Ivy", "BDAY:1970-03-15"},
            {"Text, Jo", "BDAY;VALUE=text:circa 1800"},
            {"Wed, Kit", "ANNIVERSARY:20100102"},
        };
        for (const auto& [name, line] : people)
            cards += QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:") + QByteArray(name).replace(", ", ";") +
                     "\r\n" + line + "\r\nEND:VCARD\r\n";
        testing::write(path("dates.vcf"), cards);
        Result r = runBook({"--book", book, "import", path("dates.vcf")});
        QVERIFY2(r.code == 0, qPrintable(r.err));

        auto listed = [&](QDate today, int days, bool anniversaries = false) {
            data::Database db(book);
            QStringList out;
            for (const auto& o : exchange::upcomingDates(db, today, days, anniversaries))
                out << QStringLiteral("%1 %2 %3").arg(o.on.toString(Qt::ISODate), o.name).arg(o.years);
            return out;
        };
        QCOMPARE(listed(QDate(2026, 12, 28), 14),
                 QStringList({"2026-12-29 Omitted, Gus 0", "2026-12-30 Basic, Bo 47",
                              "2027-01-01 Noyear, Cy 0", "2027-01-02 Iso, Ada 47", "2027-01-03 Dashed, Di 0",
                              "2027-01-04 Timed, Ed 37", "2027-01-05 Packed, Flo 42"}));
        QCOMPARE(listed(QDate(2027, 2, 20), 14), QStringList({"2027-02-28 Leap, Hal 27"}));
        QCOMPARE(listed(QDate(2028, 2, 20), 14), QStringList({"2028-02-29 Leap, Hal 28"}));
        QCOMPARE(listed(QDate(2026, 12, 28), 14, true), QStringList({"2027-01-02 Wed, Kit 17"}));
        QCOMPARE(listed(QDate(2027, 1, 6), 30), QStringList());

        // The command counts from today; today is in, the day after the last is not.
        const QDate today = QDate::currentDate();
        phonebook::create(book = path("now.mdb"), {});
        cards.clear();
        for (int in : {0, 3, 4})
            cards += QStringLiteral("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:In %1\r\nBDAY:--%2\r\nEND:VCARD\r\n")
                         .arg(in)
                         .arg(today.addDays(in).toString("MMdd"))
                         .toUtf8();
        testing::write(path("now.vcf"), cards);
        QCOMPARE(runBook({"--book", book, "import", path("now.vcf")}).code, 0);
        r = runBook({"--book", book, "birthdays", "--days", "3"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("%1\tIn 0\t\n%2\tIn 3\t\n")
                            .arg(today.toString(Qt::ISODate), today.addDays(3).toString(Qt::ISODate)));
        QCOMPARE(runBook({"--book", book, "birthdays", "--days", "x"}).code, 2);
    }
};

QTEST_GUILESS_MAIN(MergeTest)
#include "tst_merge.moc"
