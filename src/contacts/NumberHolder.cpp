#include "contacts/NumberHolder.h"

#include "platform/core/Error.h"
#include "platform/data/Sqlite.h"
#include "platform/forms/BusyPointer.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <memory>

namespace contacts {
namespace {
constexpr int Forms = 4;

// A field's digits in SQL, with SQLite's own functions only: the separators
// people write numbers with are taken out.
QString digitsOf(const char* field) {
    QString sql = QString::fromLatin1(field);
    for (const char* separator : {"-", " ", "(", ")", ".", "+", "/"})
        sql = QStringLiteral("replace(%1, '%2', '')").arg(sql, QLatin1String(separator));
    return sql;
}

QString holderIn(const data::Database& db, const QStringList& digitForms) {
    QString in = QStringLiteral("(?1, ?2, ?3, ?4)");
    data::Statement query(
        db, QStringLiteral("SELECT Name, %1 IN %3 FROM PHONEDIR WHERE %1 IN %3 OR %2 IN %3 LIMIT 1")
                .arg(digitsOf("Phone"), digitsOf("Mobile"), in));
    for (int i = 0; i < Forms; ++i)
        query.bind(i + 1, digitForms.value(i, digitForms.first()));
    if (!query.step())
        return {};
    return QStringLiteral("%1 (%2)").arg(query.text(0), query.integer(1) ? QStringLiteral("Phone")
                                                                         : QStringLiteral("Mobile"));
}
} // namespace

QString numberHolder(const QString& bookPath, const QStringList& digitForms,
                     std::chrono::milliseconds patience) {
    if (digitForms.isEmpty())
        return {};
    std::unique_ptr<data::Database> db;
    try {
        db = std::make_unique<data::Database>(bookPath, data::Database::Mode::ReadOnly);
    } catch (const platform::Error&) {
        return {}; // no book, no name: the question is asked without one
    }
    QString holder;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            holder = holderIn(*db, digitForms.mid(0, Forms));
        } catch (const platform::Error&) {
            // Interrupted, locked or damaged: no name.
        }
    }));
    QEventLoop wait;
    QObject::connect(worker.get(), &QThread::finished, &wait, &QEventLoop::quit);
    QTimer::singleShot(patience, &wait, &QEventLoop::quit);
    const forms::BusyPointer busy;
    worker->start();
    // The window is drawn meanwhile, but takes no clicks or keys.
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (!worker->isFinished())
        db->interrupt();
    worker->wait();
    return holder;
}

} // namespace contacts
