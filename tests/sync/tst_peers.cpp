// The book and other contact programs on one Radicale: a sync client with
// its command-line address book on a folder of its own, editing the same
// cards as the book does. Each side must see the other's edits, and
// nothing else of a card may change.
#include "SyncFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace testing::sync;
namespace phonebook = testing::phonebook;

namespace {
const QByteArray Photo =
    QByteArray("\xff\xd8\xff\xe0 a picture, long enough to need folding when written out as base64 text")
        .toBase64();

QByteArray maria(const QByteArray& numbers) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:peer-maria\r\nN:Castillo;Maria;;;\r\nFN:Maria Castillo\r\n" +
           numbers +
           "ADR;TYPE=HOME:;;Calle Mayor 1;Madrid;;28013;Spain\r\n"
           "ADR;TYPE=WORK:;;Gran Via 2;Madrid;;28013;Spain\r\nBDAY:1980-01-02\r\n"
           "NOTE:Met at the fair\\, 2019\r\nCATEGORIES:Friends,Work\r\n"
           "PHOTO;ENCODING=b;TYPE=JPEG:" +
           Photo + "\r\nX-PEER-ID:42\r\nEND:VCARD\r\n";
}
const QByteArray Numbers = "TEL;TYPE=FAX:+34 91 000\r\nTEL;TYPE=HOME,VOICE:+34 91 111\r\n"
                           "TEL;TYPE=CELL:+34 600 222\r\nTEL;TYPE=WORK:+34 91 333\r\n";
const QByteArray Jon = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:peer-jon\r\nN:Moe;Jon;;;\r\nFN:Jon Moe\r\n"
                       "TEL;TYPE=HOME:555-0177\r\nEND:VCARD\r\n";

QByteArrayList logical(const QByteArray& text) {
    QByteArrayList lines;
    for (const QByteArray& raw : QByteArray(text).replace("\r\n", "\n").split('\n')) {
        if (raw.startsWith(' ') && !lines.isEmpty())
            lines.last() += raw.mid(1);
        else if (!raw.isEmpty())
            lines << raw;
    }
    return lines;
}

// The other programs, each with its settings and storage in the test's folder.
struct Peer {
    QTemporaryDir dir;
    QString vdir() const { return dir.filePath("cards"); }

    explicit Peer(const QUrl& collection) {
        QDir().mkpath(vdir());
        QDir().mkpath(dir.filePath("status"));
        QFile sync(dir.filePath("sync.conf"));
        sync.open(QIODevice::WriteOnly);
        sync.write(
            QStringLiteral("[general]\nstatus_path = \"%1\"\n\n[pair book]\na = \"server\"\nb = \"here\"\n"
                           "collections = null\nconflict_resolution = \"a wins\"\n\n"
                           "[storage server]\ntype = \"carddav\"\nurl = \"%2\"\nusername = \"ida\"\n"
                           "password = \"Olsen-7Kq\"\n\n[storage here]\ntype = \"filesystem\"\n"
                           "path = \"%3\"\nfileext = \".vcf\"\n")
                .arg(dir.filePath("status"), collection.toString(), vdir())
                .toUtf8());
        sync.close();
        QFile book(dir.filePath("book.conf"));
        book.open(QIODevice::WriteOnly);
        book.write(QStringLiteral("[addressbooks]\n[[peer]]\npath = %1\n\n[general]\ndefault_action = list\n"
                                  "editor = /bin/false\nmerge_editor = /bin/false\n\n[contact table]\n"
                                  "display = formatted_name\n\n[vcard]\nskip_unparsable = no\n"
                                  "search_in_source_files = no\npreferred_version = 3.0\n")
                       .arg(vdir())
                       .toUtf8());
    }

    Result run(const QString& program, const QStringList& args) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            env.insert(var, dir.path());
        env.insert("PATH", "/usr/bin:/bin"); // the system's Python, whose libraries these programs use
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.closeWriteChannel();
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    bool synced() const {
        run("/usr/bin/vdirsyncer", {"-c", dir.filePath("sync.conf"), "discover"});
        const Result r = run("/usr/bin/vdirsyncer", {"-c", dir.filePath("sync.conf"), "sync"});
        if (r.code != 0)
            qWarning("%s", qPrintable(r.out + r.err));
        return r.code == 0;
    }
    // What the address book shows: its listing, or one of its commands.
    QString shows(const QStringList& args) const {
        const Result r = run("/usr/bin/khard", QStringList{"-c", dir.filePath("book.conf")} + args);
        return r.out + r.err;
    }
    // The card of `uid` as the peer holds it; empty when it holds none.
    QByteArray card(const QByteArray& uid) const {
        for (const QFileInfo& file : QDir(vdir()).entryInfoList({"*.vcf"}, QDir::Files)) {
            QFile f(file.filePath());
            f.open(QIODevice::ReadOnly);
            const QByteArray text = f.readAll();
            if (text.contains("\nUID:" + uid + "\r\n") || text.contains("\nUID:" + uid + "\n"))
                return text;
        }
        return {};
    }
    // Edits the peer's card of `uid` as a program that rewrites it would.
    void rewrite(const QByteArray& uid, const QByteArray& text) const {
        QString path;
        for (const QFileInfo& file : QDir(vdir()).entryInfoList({"*.vcf"}, QDir::Files)) {
            QFile f(file.filePath());
            f.open(QIODevice::ReadOnly);
            if (f.readAll().contains("UID:" + uid))
                path = file.filePath();
        }
        QFile f(path.isEmpty() ? QDir(vdir()).filePath(QString::fromLatin1(uid) + ".vcf") : path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
};
} // namespace

class PeersTest : public QObject, BookFolder {
    Q_OBJECT

private slots:
    void editsCrossToOtherProgramsAndNothingElseChanges() {
        const Setup s = Setup::start(DavServer::Radicale);
        const Peer peer(s.collection);
        peer.rewrite("peer-maria", maria(Numbers));
        peer.rewrite("peer-jon", Jon);
        QVERIFY(peer.shows({"list"}).contains("Maria Castillo"));
        QVERIFY(peer.synced());

        const QString book = bookFile("peers");
        phonebook::create(book, {});
        QVERIFY(s.connect(book));
        SYNCED(book);
        // The home number is Phone, though the fax comes first.
        QCOMPARE(phonebook::query(
                     book, "SELECT Phone || '|' || Mobile FROM PHONEDIR WHERE Name = 'Castillo, Maria'"),
                 "+34 91 111|+34 600 222");

        // The card as the server keeps it (the server writes it anew in its own order).
        QByteArray stored;
        for (const dav::FetchedCard& c : s.cards())
            if (c.vcard.contains("UID:peer-maria"))
                stored = c.vcard;
        QVERIFY(stored.contains("X-PEER-ID:42"));

        // Edits here: a number, an address, a delete and an add.
        phonebook::exec(book,
                        "UPDATE PHONEDIR SET Phone = '+34 91 999', Address = '1 New Street, Springfield, "
                        "IL 62701' WHERE Name = 'Castillo, Maria';"
                        "DELETE FROM PHONEDIR WHERE Name = 'Moe, Jon';"
                        "INSERT INTO PHONEDIR (Name, Mobile) VALUES ('Lund, Eva', '070-1234567');");
        Result r = sync(book);
        QVERIFY2(r.code == 0 && r.out.contains("up 1 new, 1 changed, 1 deleted"), qPrintable(r.out + r.err));
        QVERIFY(peer.synced());

        QVERIFY(peer.card("peer-jon").isEmpty());
        const QString listed = peer.shows({"list"});
        QVERIFY2(listed.contains("Eva Lund") && !listed.contains("Jon Moe"), qPrintable(listed));
        const QString phones = peer.shows({"phone", "--parsable", "Castillo"});
        QVERIFY2(phones.contains("+34 91 999") && phones.contains("+34 91 000") &&
                     !phones.contains("+34 91 111"),
                 qPrintable(phones));
        // Every other line of the card as the peer wrote it, in its order.
        QByteArrayList theirs = logical(peer.card("peer-maria")), before = logical(stored);
        QVERIFY(theirs.removeAll("TEL;TYPE=HOME,VOICE:+34 91 999") == 1);
        QVERIFY(theirs.removeAll("ADR;TYPE=HOME:;;1 New Street;Springfield;IL;62701;") == 1);
        before.removeAll("TEL;TYPE=HOME,VOICE:+34 91 111");
        before.removeAll("ADR;TYPE=HOME:;;Calle Mayor 1;Madrid;;28013;Spain");
        QCOMPARE(theirs, before);

        // The peer puts the fax last and the work number first: the book's Phone stays the home number.
        const QByteArray reordered = "TEL;TYPE=WORK:+34 91 333\r\nTEL;TYPE=CELL:+34 600 222\r\n"
                                     "TEL;TYPE=HOME,VOICE:+34 91 999\r\nTEL;TYPE=FAX:+34 91 000\r\n";
        QByteArray card = peer.card("peer-maria");
        const qsizetype from = card.indexOf("TEL;"), to = card.lastIndexOf("TEL;");
        card.replace(from, card.indexOf("\r\n", to) + 2 - from, reordered);
        peer.rewrite("peer-maria", card);
        QVERIFY(peer.synced());
        SYNCED(book);
        QCOMPARE(phonebook::query(book, "SELECT Phone FROM PHONEDIR WHERE Name = 'Castillo, Maria'"),
                 "+34 91 999");

        // The same number changed on both sides: the book keeps its own, the
        // server's whole card comes back as a copy every program shows as one.
        card = peer.card("peer-maria");
        card.replace("+34 91 999", "+34 91 555");
        peer.rewrite("peer-maria", card);
        QVERIFY(peer.synced());
        QByteArray onServer;
        for (const dav::FetchedCard& c : s.cards())
            onServer += c.vcard;
        QVERIFY2(onServer.contains("+34 91 555"), onServer);
        phonebook::exec(book, "UPDATE PHONEDIR SET Phone = '+34 91 777' WHERE Name = 'Castillo, Maria'");
        r = sync(book);
        QVERIFY2(r.code == 0 && r.out.contains("conflict copy (\"Castillo, Maria (conflict copy)\")"),
                 qPrintable(r.out + r.err));
        QVERIFY(peer.synced());
        const QString after = peer.shows({"list"});
        QVERIFY2(after.contains("Maria Castillo (conflict copy)"), qPrintable(after));
        const QString numbers = peer.shows({"phone", "--parsable", "Castillo"});
        QVERIFY2(numbers.contains("+34 91 777") && numbers.contains("+34 91 555"), qPrintable(numbers));
        QByteArray copy;
        for (const QFileInfo& file : QDir(peer.vdir()).entryInfoList({"*.vcf"}, QDir::Files)) {
            QFile f(file.filePath());
            f.open(QIODevice::ReadOnly);
            if (const QByteArray text = f.readAll(); text.contains("(conflict copy)"))
                copy = text;
        }
        for (const QByteArray& line :
             {QByteArray("BDAY:1980-01-02"), QByteArray("TEL;TYPE=FAX:+34 91 000"),
              QByteArray("X-PEER-ID:42"), QByteArray("TEL;TYPE=HOME,VOICE:+34 91 555"),
              "PHOTO;ENCODING=b;TYPE=JPEG:" + Photo})
            QVERIFY2(logical(copy).contains(line), line + "\n" + copy);
    }
};

QTEST_GUILESS_MAIN(PeersTest)
#include "tst_peers.moc"
