#include "BigBook.h"

#include "MakePhoneBook.h"
#include "book/Schema.h"
#include "book/Upgrade.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {
struct Family {
    std::string_view shown; // as in the name
    std::string_view plain; // for addresses that take ASCII only
};

// Common family names first: they are drawn most often.
constexpr std::array<Family, 64> Families{{
    {"Smith", "smith"},
    {"Johnson", "johnson"},
    {"Williams", "williams"},
    {"Brown", "brown"},
    {"Jones", "jones"},
    {"Garcia", "garcia"},
    {"Miller", "miller"},
    {"Davis", "davis"},
    {"Rodriguez", "rodriguez"},
    {"Martinez", "martinez"},
    {"Hernandez", "hernandez"},
    {"Lopez", "lopez"},
    {"Gonzalez", "gonzalez"},
    {"Wilson", "wilson"},
    {"Anderson", "anderson"},
    {"Thomas", "thomas"},
    {"Taylor", "taylor"},
    {"Moore", "moore"},
    {"Jackson", "jackson"},
    {"Martin", "martin"},
    {"Lee", "lee"},
    {"Perez", "perez"},
    {"Thompson", "thompson"},
    {"White", "white"},
    {"Harris", "harris"},
    {"Sanchez", "sanchez"},
    {"Clark", "clark"},
    {"Ramirez", "ramirez"},
    {"Lewis", "lewis"},
    {"Robinson", "robinson"},
    {"Walker", "walker"},
    {"Young", "young"},
    {"Allen", "allen"},
    {"King", "king"},
    {"Wright", "wright"},
    {"Scott", "scott"},
    {"Nguyen", "nguyen"},
    {"Hill", "hill"},
    {"Flores", "flores"},
    {"Green", "green"},
    {"Adams", "adams"},
    {"Nelson", "nelson"},
    {"Baker", "baker"},
    {"Hall", "hall"},
    {"Rivera", "rivera"},
    {"Campbell", "campbell"},
    {"Mitchell", "mitchell"},
    {"Carter", "carter"},
    {"McDonald", "mcdonald"},
    {"MacLeod", "macleod"},
    {"O'Brien", "obrien"},
    {"van der Berg", "vanderberg"},
    {"de la Cruz", "delacruz"},
    {"DuBois", "dubois"},
    {"Müller", "mueller"},
    {"Schröder", "schroeder"},
    {"Ørsted", "oersted"},
    {"Łukasiewicz", "lukasiewicz"},
    {"García Márquez", "garciamarquez"},
    {"Çelik", "celik"},
    {"Nguyễn", "nguyen"},
    {"Dvořák", "dvorak"},
    {"Ångström", "angstrom"},
    {"Śliwińska", "sliwinska"},
}};
constexpr std::array<std::string_view, 32> Given{
    "James", "Mary",  "Robert", "Patricia", "John",  "Jennifer", "Michael", "Linda", "David", "Eliza", "Ann",
    "Tom",   "Nora",  "Pierre", "Maria",    "Grace", "Zoë",      "José",    "Renée", "Søren", "Björn", "Ines",
    "Hana",  "Chloé", "Ahmed",  "Mei",      "Olu",   "Priya",    "Dmitri",  "Aiko",  "Liam",  "Ava"};
constexpr std::array<std::string_view, 12> Streets{"Elm",    "Maple", "Oak",    "Lake", "Hill",   "Harbor",
                                                   "Church", "Mill",  "Forest", "Park", "Sunset", "River"};
constexpr std::array<std::string_view, 5> StreetKinds{"Street", "Road", "Avenue", "Lane", "Drive"};
constexpr std::array<std::string_view, 10> Cities{"Springfield", "Riverton", "Fairview",   "Salem",
                                                  "Greenville",  "Madison",  "Georgetown", "Clinton",
                                                  "Franklin",    "Arlington"};
constexpr std::array<std::string_view, 10> States{"IL", "WY", "OR", "MA", "SC", "WI", "TX", "NY", "TN", "VA"};
constexpr std::array<std::string_view, 6> Trades{
    " Bakery", " & Sons Plumbing", " Translations", " Veterinary Clinic", " GmbH", " Ltd."};

// A fixed sequence: the same book on every machine.
struct Random {
    quint64 state = 0x9E3779B97F4A7C15ull;
    quint64 next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    quint32 below(quint32 n) { return quint32((next() >> 32) % n); }
};

// Text built by appending: formatting with printf would halve the rate.
struct Text {
    std::array<char, 256> buf;
    int size = 0;
    Text& operator<<(std::string_view s) {
        std::copy(s.begin(), s.end(), buf.begin() + size);
        size += int(s.size());
        return *this;
    }
    Text& operator<<(char c) {
        buf[size++] = c;
        return *this;
    }
    Text& digits(quint32 value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            buf[size + i] = char('0' + value % 10);
        size += width;
        return *this;
    }
    Text& lower(std::string_view s) {
        for (char c : s)
            buf[size++] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return *this;
    }
    void clear() { size = 0; }
};

Text& number(Text& t, Random& r) { return t.digits(201 + r.below(788), 3) << '-'; }

void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

QString cacheFolder() {
    // In the build folder unless told otherwise: a benchmark run by hand
    // leaves nothing in the user's home.
    QString folder = qEnvironmentVariable("QUORVEL_BENCH_CACHE");
    if (folder.isEmpty())
        folder = QStringLiteral(QUORVEL_BENCH_DEFAULT_CACHE);
    QDir().mkpath(folder);
    return folder;
}

// Changes to the schema or to this generator make new books.
QString schemaTag() {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(book::createSql().toUtf8());
    hash.addData("generator 2");
    return QString::fromLatin1(hash.result().toHex().left(12));
}
} // namespace

WriteRate writeBigBook(const QString& path, qint64 contacts) {
    QElapsedTimer clock;
    clock.start();
    const std::string failure = makePhoneBook({}, path.toStdString());
    if (!failure.empty())
        throw std::runtime_error("cannot make " + path.toStdString() + ": " + failure);
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    // A scratch file until it is renamed into place: no journal needed.
    check(raw, sqlite3_exec(
                   raw,
                   "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -262144;"
                   "PRAGMA locking_mode = EXCLUSIVE; PRAGMA temp_store = MEMORY; PRAGMA threads = 4; BEGIN;",
                   nullptr, nullptr, nullptr));

    // The indexes are built after the rows, in one sort: much faster than row by row.
    std::vector<std::string> indexes;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw, "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL",
                       -1, &st, nullptr);
    std::vector<std::string> names;
    while (sqlite3_step(st) == SQLITE_ROW) {
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        indexes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    }
    sqlite3_finalize(st);
    for (const std::string& name : names)
        check(raw, sqlite3_exec(raw, ("DROP INDEX \"" + name + "\"").c_str(), nullptr, nullptr, nullptr));
    const QByteArray insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")
                                  .arg(book::table(), book::fieldNames().join(QLatin1String(", ")))
                                  .toUtf8();
    check(raw, sqlite3_prepare_v2(raw, insert.constData(), -1, &st, nullptr));
    Random r;
    std::array<Text, 7> f;
    for (qint64 i = 0; i < contacts; ++i) {
        for (Text& t : f)
            t.clear();
        // Squaring the draw favours the common names at the front of the list.
        const quint32 pick = r.below(Families.size() * Families.size());
        const Family& family = Families[pick * pick / (Families.size() * Families.size() * Families.size())];
        const std::string_view given = Given[r.below(Given.size())];
        f[0] << family.shown << ", " << given;
        if (r.below(3) == 0)
            f[0] << ' ' << char('A' + r.below(26)) << '.';
        if (r.below(5) < 2)
            f[1] << family.shown << Trades[r.below(Trades.size())];
        number(number(f[2], r), r).digits(r.below(10000), 4);
        const quint32 houseDigits = 1 + r.below(4);
        const quint32 low = houseDigits == 1 ? 1 : houseDigits == 2 ? 10 : houseDigits == 3 ? 100 : 1000;
        f[3].digits(low + r.below(low * 9), int(houseDigits))
            << ' ' << Streets[r.below(Streets.size())] << ' ' << StreetKinds[r.below(StreetKinds.size())]
            << ", " << Cities[r.below(Cities.size())] << ", " << States[r.below(States.size())] << ' ';
        f[3].digits(r.below(100000), 5);
        if (r.below(10) < 7)
            number(number(f[4], r), r).digits(r.below(10000), 4);
        f[5].lower(given.substr(0, 1)) << '.' << family.plain;
        f[5].digits(r.below(1000), 3) << "@mail.example";
        if (r.below(10) < 3)
            f[6] << "www." << family.plain << "-" << given.substr(0, 1) << ".example";
        for (int c = 0; c < 7; ++c)
            sqlite3_bind_text(st, c + 1, f[c].buf.data(), f[c].size, SQLITE_STATIC);
        check(raw, sqlite3_step(st));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    const qint64 rowsNs = std::max<qint64>(clock.nsecsElapsed(), 1);
    for (const std::string& sql : indexes)
        check(raw, sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr));
    check(raw, sqlite3_exec(raw, "COMMIT; PRAGMA journal_mode = DELETE;", nullptr, nullptr, nullptr));
    db.reset();
    return {double(contacts) * 1e9 / double(rowsNs),
            double(contacts) * 1e9 / double(std::max<qint64>(clock.nsecsElapsed(), 1))};
}

QString bigPhoneBook(qint64 contacts) {
    const QString path = cacheFolder() + QStringLiteral("/book-%1-%2.mdb").arg(contacts).arg(schemaTag());
    if (QFile::exists(path))
        return path;
    // Each process builds under a name of its own: benchmarks started together
    // must not write into one file. The first one placed wins.
    const QString building = path + QStringLiteral(".building-%1").arg(QCoreApplication::applicationPid());
    QFile::remove(building);
    writeBigBook(building, contacts);
    if (!QFile::rename(building, path)) {
        QFile::remove(building);
        if (!QFile::exists(path))
            throw std::runtime_error("cannot place " + path.toStdString());
    }
    return path;
}

std::vector<qint64> benchSizes() {
    const QString list = qEnvironmentVariable("QUORVEL_BENCH_SIZES", QStringLiteral("1000,1000000,10000000"));
    std::vector<qint64> sizes;
    for (const QString& size : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        sizes.push_back(size.trimmed().toLongLong());
    return sizes;
}
