#include "support/PhoneBookFile.h"

#include "MakePhoneBook.h"
#include "book/Schema.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace testing {
namespace {
using Handle = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;

Handle openDb(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + path.toStdString());
    }
    return Handle(db, sqlite3_close);
}

void run(sqlite3* db, const QString& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "?";
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}
} // namespace

Contact contact(const QString& name, const QString& phone, const QString& mobile) {
    return {name,
            QStringLiteral("Co ") + name,
            phone,
            QStringLiteral("Addr ") + name,
            mobile,
            QStringLiteral("mail ") + name,
            QStringLiteral("web ") + name};
}

namespace phonebook {

namespace {
void make(const QString& path, const char* samples) {
    if (QFile::exists(path))
        throw std::runtime_error("refusing to replace " + path.toStdString());
    const std::string failure = makePhoneBook(samples, path.toStdString());
    if (!failure.empty())
        throw std::runtime_error(failure);
}

QString fields() { return book::fieldNames().join(QLatin1String(", ")); }
} // namespace

void createSample(const QString& path) { make(path, QUORVEL_SAMPLES); }

namespace {
void insert(const QString& path, const QList<Contact>& contacts) {
    Handle db = openDb(path);
    run(db.get(), QStringLiteral("BEGIN"));
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.get(),
                       QStringLiteral("INSERT INTO %1 (%2) VALUES (?, ?, ?, ?, ?, ?, ?)")
                           .arg(book::table(), fields())
                           .toUtf8()
                           .constData(),
                       -1, &st, nullptr);
    for (const Contact& c : contacts) {
        for (int i = 0; i < book::FieldCount; ++i) {
            const QByteArray value = c.value(i).toUtf8();
            sqlite3_bind_text(st, i + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    run(db.get(), QStringLiteral("COMMIT"));
}
} // namespace

void create(const QString& path, const QList<Contact>& contacts) {
    make(path, "");
    insert(path, contacts);
}

void createVersion0(const QString& path, const QList<Contact>& contacts) {
    if (QFile::exists(path))
        throw std::runtime_error("refusing to replace " + path.toStdString());
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const Handle db(raw, sqlite3_close);
    run(raw, QStringLiteral("CREATE TABLE PHONEDIR (Name TEXT, Company TEXT, Phone TEXT, Address TEXT, "
                            "Mobile TEXT, Email TEXT, WebPage TEXT);"
                            "CREATE INDEX Name ON PHONEDIR (Name COLLATE NOCASE);"));
    insert(path, contacts);
}

QList<Contact> read(const QString& path) {
    Handle db = openDb(path);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        db.get(),
        QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(fields(), book::table()).toUtf8().constData(),
        -1, &st, nullptr);
    QList<Contact> all;
    while (sqlite3_step(st) == SQLITE_ROW) {
        Contact c;
        for (int i = 0; i < book::FieldCount; ++i)
            c << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
        all << c;
    }
    sqlite3_finalize(st);
    return all;
}

void exec(const QString& path, const QString& sql) {
    Handle db = openDb(path);
    run(db.get(), sql);
}

QString query(const QString& path, const QString& sql) {
    Handle db = openDb(path);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db.get()));
    QString value;
    if (sqlite3_step(st) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return value;
}

} // namespace phonebook
} // namespace testing
