#include "BigBook.h"

#include "MakePhoneBook.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

QString bigPhoneBook(int contacts) {
    const QString folder = QDir::tempPath() + QStringLiteral("/quorvel-bench");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/book-%1.mdb").arg(contacts);
    if (QFile::exists(path))
        return path;

    const QString building = path + QStringLiteral(".building");
    QFile::remove(building);
    if (!makePhoneBook(QUORVEL_SCHEMA, building.toStdString()).empty())
        throw std::runtime_error("cannot make " + building.toStdString());
    sqlite3* raw = nullptr;
    sqlite3_open(building.toUtf8().constData(), &raw);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    sqlite3_exec(raw, "BEGIN; DELETE FROM PHONEDIR;", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw, "INSERT INTO PHONEDIR (Name, Phone, Mobile) VALUES (?, ?, ?)", -1, &st, nullptr);
    const QStringList family = {"Adams",    "Baker",  "Castillo", "Dubois",   "Evans",
                                "Fischer",  "Garcia", "Hughes",   "Ivanova",  "Jensen",
                                "Kowalski", "Lopez",  "Moreau",   "Nakamura", "Olsen"};
    const QStringList given = {"Ann", "Ben", "Cleo", "Dan", "Eva", "Finn", "Gus", "Hana", "Ines", "Jon"};
    // A fixed linear congruential sequence: the same book on every machine.
    quint32 seed = 12345;
    for (int i = 0; i < contacts; ++i) {
        seed = seed * 1103515245u + 12345u;
        const QByteArray name = QStringLiteral("%1%2, %3")
                                    .arg(family[int(seed % family.size())])
                                    .arg((seed >> 8) % 997)
                                    .arg(given[int((seed >> 16) % given.size())])
                                    .toUtf8();
        const QByteArray phone =
            QStringLiteral("212-555-%1").arg(i % 10000, 4, 10, QLatin1Char('0')).toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, phone.constData(), int(phone.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, phone.constData(), int(phone.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
    db.reset();
    QFile::rename(building, path);
    return path;
}
