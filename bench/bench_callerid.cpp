// Who is calling, on books of made-up contacts with their numbers kept as
// match keys: the lookup of a caller beside its floor (the same two index
// probes as raw SQLite statements, prepared once), and the whole way from a
// caller-ID block's last byte to the contact to tell (reading the block, the
// key of the number, the lookup) beside the same floor. The D-Bus call that
// follows is not in it. Sizes: $QUORVEL_CALLERID_SIZES (default 1000,100000).
#include "RatioTable.h"
#include "Raw.h"
#include "book/Calls.h"
#include "book/ContactIds.h"
#include "book/Upgrade.h"
#include "dialer/RingReader.h"
#include "links/MatchKey.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <memory>

namespace {
const QString Home = QStringLiteral("US");

QString numberOf(qint64 i) {
    // Area codes 201..989 and lines spread over the book: ###-###-####.
    const qint64 area = 201 + (i * 7919) % 789;
    return QStringLiteral("%1-555-%2").arg(area).arg(i % 10000, 4, 10, QLatin1Char('0'));
}

// The contact whose number the caller has: one in the middle.
qint64 sought(qint64 n) { return n / 2; }

void makeBook(const QString& path, qint64 n) {
    const QString making = path + QStringLiteral(".making");
    QFile::remove(making);
    sqlite3* handle = nullptr;
    sqlite3_open_v2(making.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                    nullptr);
    sqlite3_close_v2(handle);
    data::Database db(making);
    db.exec(book::createSql().toUtf8().constData());
    db.transaction([&] {
        data::Statement add(db, QStringLiteral("INSERT INTO PHONEDIR (Name, Company, Phone, Mobile, Uid) "
                                               "VALUES (?1, ?2, ?3, ?4, ?5)"));
        for (qint64 i = 0; i < n; ++i) {
            const data::Run run(add);
            add.bind(1, QStringLiteral("Family%1, Given").arg(i))
                .bind(2, QStringLiteral("Company %1").arg(i % 977))
                .bind(3, numberOf(i))
                .bind(4, numberOf(i + n))
                .bind(5, book::newContactId());
            add.step();
        }
    });
    book::bringNumbersCurrent(db, [](const QString& number) { return links::lineKey(number, Home); });
    QFile::rename(making, path);
}

QString bookFor(benchmark::State& state) {
    const qint64 n = state.range(0);
    const QString folder =
        qEnvironmentVariable("QUORVEL_BENCH_CACHE", QStringLiteral(QUORVEL_BENCH_DEFAULT_CACHE));
    const QString path = folder + QStringLiteral("/callerid-v%1-%2.mdb").arg(book::Version).arg(n);
    if (!QFile::exists(path)) {
        QDir().mkpath(folder);
        makeBook(path, n);
    }
    return path;
}

// The network gives the number without formatting.
QString callerNumber(qint64 n) { return numberOf(sought(n)).remove(QLatin1Char('-')); }

// --- the lookup of a caller whose key is made: the contact's id, name, company and number
void Lookup(benchmark::State& state) {
    data::Database db(bookFor(state));
    book::HolderFinder finder(db);
    const QString key = links::lineKey(callerNumber(state.range(0)), Home);
    for (auto _ : state) {
        const auto holder = finder.find(key);
        if (!holder)
            state.SkipWithError("the caller was not found");
        benchmark::DoNotOptimize(holder);
    }
}
void Floor_Lookup(benchmark::State& state) {
    RawDb db(bookFor(state).toStdString());
    RawStatement key(db, "SELECT Uid, Field FROM NUMBERS WHERE Key = ?1 LIMIT 1");
    RawStatement contact(db, "SELECT Name, Company, Phone, Mobile FROM PHONEDIR WHERE Uid = ?1");
    const std::string sought = links::lineKey(callerNumber(state.range(0)), Home).toStdString();
    for (auto _ : state) {
        key.bind(1, sought);
        if (!key.row())
            state.SkipWithError("the caller was not found");
        contact.bind(1, key.text(0));
        contact.row();
        benchmark::DoNotOptimize(contact.text(0));
        contact.reset();
        key.reset();
    }
}

// --- from the last byte of a caller-ID block to the contact to tell
void BlockToContact(benchmark::State& state) {
    data::Database db(bookFor(state));
    book::HolderFinder finder(db);
    const QByteArray head =
        "\r\nRING\r\n\r\nDATE = 1208\r\nTIME = 0715\r\nNMBR = " + callerNumber(state.range(0)).toLatin1() +
        "\r\nNAME = CALLER";
    qint64 now = 0;
    for (auto _ : state) {
        state.PauseTiming();
        dialer::RingReader reader;
        reader.feed(head, now);
        now += 60000;
        state.ResumeTiming();
        const auto events = reader.feed("\r\n", now);
        if (events.size() != 1) {
            state.SkipWithError("the block was not read");
            break;
        }
        const auto holder = finder.find(links::lineKey(events.front().caller.number, Home));
        benchmark::DoNotOptimize(holder);
    }
}
void Floor_BlockToContact(benchmark::State& state) { Floor_Lookup(state); }

// --- the key of a caller's number alone (libphonenumber's reading)
void KeyOfNumber(benchmark::State& state) {
    const QString number = callerNumber(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(links::lineKey(number, Home));
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::vector<qint64> sizes;
    for (const QString& size : qEnvironmentVariable("QUORVEL_CALLERID_SIZES", QStringLiteral("1000,100000"))
                                   .split(QLatin1Char(',')))
        sizes.push_back(size.toLongLong());
    using Fn = void (*)(benchmark::State&);
    for (const auto& [name, fn] :
         std::vector<std::pair<std::string, Fn>>{{"Lookup", Lookup},
                                                 {"Floor_Lookup", Floor_Lookup},
                                                 {"BlockToContact", BlockToContact},
                                                 {"Floor_BlockToContact", Floor_BlockToContact},
                                                 {"KeyOfNumber", KeyOfNumber}})
        for (const qint64 n : sizes)
            benchmark::RegisterBenchmark(name.c_str(), fn)->Arg(n);
    RatioTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    table.print(sizes);
    benchmark::Shutdown();
    return 0;
}
