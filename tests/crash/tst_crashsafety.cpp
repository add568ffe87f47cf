// A writer process killed with SIGKILL at random moments while it stores
// and deletes phone book records, or saves Prefix.sav: after every kill the
// file is sound, every step reported done is there, and nothing is half
// written. The seed of each run is printed, so a failure can be replayed.
#include "dialer/SettingsText.h"
#include "support/PhoneBookFile.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sqlite3.h>

#include <csignal>

using namespace testing;

namespace {
constexpr int Kills = 100;

struct Report {
    QStringList done; // steps the writer said were finished
    QString underWay; // the step it had begun when it died, if any
};

// Runs the writer until it is ready, lets it work a random while (up to
// 15 ms), then kills it.
Report runAndKill(const QStringList& args, QRandomGenerator& random) {
    QProcess writer;
    writer.start(QStringLiteral(QUORVEL_CRASHWRITER), args);
    QByteArray out;
    while (!out.contains("ready\n") && writer.waitForReadyRead(30000))
        out += writer.readAllStandardOutput();
    if (!out.contains("ready\n"))
        qFatal("the writer did not start: %s", writer.readAllStandardError().constData());
    QThread::usleep(random.bounded(15000));
    ::kill(pid_t(writer.processId()), SIGKILL);
    writer.waitForFinished(30000);
    out += writer.readAllStandardOutput();

    Report report;
    QString begun;
    for (const QByteArray& line : out.split('\n')) {
        if (line.startsWith("begin "))
            begun = QString::fromLatin1(line.mid(6));
        else if (line == "done") {
            report.done << begun;
            begun.clear();
        }
    }
    report.underWay = begun;
    return report;
}

QString integrityOf(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    QString result = sqlite3_step(st) == SQLITE_ROW
                         ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                         : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return result;
}

// Applies one step ("add 7", "update 3 8", "delete 3") to the set of tags.
QSet<long> after(QSet<long> tags, const QString& step) {
    const QStringList w = step.split(QLatin1Char(' '));
    if (w[0] == QLatin1String("add"))
        tags.insert(w[1].toLong());
    else if (w[0] == QLatin1String("update")) {
        tags.remove(w[1].toLong());
        tags.insert(w[2].toLong());
    } else if (w[0] == QLatin1String("delete"))
        tags.remove(w[1].toLong());
    return tags;
}

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class CrashSafetyTest : public QObject {
    Q_OBJECT

    QRandomGenerator random;

private slots:
    void initTestCase() {
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        random.seed(seed);
    }

    void killedStoresAndDeletesLoseNothing() {
        QTemporaryDir dir;
        const QString book = dir.filePath("Quorvel.mdb");
        phonebook::create(book, {});
        QSet<long> tags; // what the book must hold
        long next = 0;
        int midStep = 0;
        for (int kill = 0; kill < Kills; ++kill) {
            const Report r = runAndKill({"book", book, QString::number(next)}, random);
            for (const QString& step : r.done)
                tags = after(tags, step);
            next += r.done.size() + 1;

            QCOMPARE(integrityOf(book), "ok");
            QSet<long> stored;
            for (const Contact& c : phonebook::read(book)) {
                const long tag = c.value(0).section(':', 1, 1).toLong();
                for (int i = 0; i < 7; ++i) // one store wrote all of it, or none
                    QVERIFY2(c.value(i).section(':', 1, 1).toLong() == tag && c.value(i).size() > 200,
                             qPrintable(QString("half-written record: %1").arg(c.join('|').left(300))));
                stored.insert(tag);
            }
            // The step under way at the kill is either wholly there or not at all.
            if (!r.underWay.isEmpty() && stored != tags) {
                tags = after(tags, r.underWay);
                ++midStep;
            }
            QVERIFY2(stored == tags,
                     qPrintable(QString("kill %1: a store reported done is missing").arg(kill)));
        }
        qInfo("%d kills, %d of them landed after a step was committed and before it was reported", Kills,
              midStep);
    }

    void killedSettingsSavesLeaveOldOrNewNeverAPart() {
        QTemporaryDir dir;
        const QString file = dir.filePath("Prefix.sav");
        long next = 1;
        qint16 saved = 0;
        bool any = false;
        for (int kill = 0; kill < Kills; ++kill) {
            const Report r = runAndKill({"settings", dir.path(), QString::number(next)}, random);
            if (!r.done.isEmpty()) {
                saved = qint16(r.done.last().section(' ', 1).toInt());
                any = true;
            }
            next += r.done.size() + 1;

            const QByteArray content = contentOf(file);
            if (content.isEmpty() && !any)
                continue; // killed before the first save was done
            const QList<qint16> n = dialer::readNumbers(content, 3, "Prefix.sav");
            QCOMPARE(dialer::printLine(n), content); // the whole line, nothing more or less
            QVERIFY(n[0] == n[1] && n[1] == n[2]);
            const qint16 underWay = qint16(r.underWay.section(' ', 1).toInt());
            QVERIFY2(n[0] == saved || (!r.underWay.isEmpty() && n[0] == underWay),
                     qPrintable(QString("kill %1: holds %2, last saved %3").arg(kill).arg(n[0]).arg(saved)));
            saved = n[0];
            any = true;
        }
    }
};

QTEST_GUILESS_MAIN(CrashSafetyTest)
#include "tst_crashsafety.moc"
