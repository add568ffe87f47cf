#include "support/PhoneBookFile.h"

#include "MakePhoneBook.h"

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

void createSample(const QString& path) {
    if (QFile::exists(path))
        throw std::runtime_error("refusing to replace " + path.toStdString());
    const std::string failure = makePhoneBook(QUORVEL_SCHEMA, path.toStdString());
    if (!failure.empty())
        throw std::runtime_error(failure);
}

void create(const QString& path, const QList<Contact>& contacts) {
    createSample(path);
    Handle db = openDb(path);
    run(db.get(), QStringLiteral("BEGIN; DELETE FROM PHONEDIR;"));
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.get(),
                       "INSERT INTO PHONEDIR (Name, Company, Phone, Address, Mobile, Email, WebPage) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?)",
                       -1, &st, nullptr);
    for (const Contact& c : contacts) {
        for (int i = 0; i < 7; ++i) {
            const QByteArray value = c.value(i).toUtf8();
            sqlite3_bind_text(st, i + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    run(db.get(), QStringLiteral("COMMIT"));
}

QList<Contact> read(const QString& path) {
    Handle db = openDb(path);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        db.get(), "SELECT Name, Company, Phone, Address, Mobile, Email, WebPage FROM PHONEDIR ORDER BY rowid",
        -1, &st, nullptr);
    QList<Contact> all;
    while (sqlite3_step(st) == SQLITE_ROW) {
        Contact c;
        for (int i = 0; i < 7; ++i)
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

} // namespace phonebook
} // namespace testing
