#include "contacts/NumberHolder.h"

#include "platform/core/Error.h"
#include "platform/data/Sqlite.h"
#include "platform/forms/BusyPointer.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <sqlite3.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace contacts {
namespace {
// holds(Phone, Mobile): 1 when the phone number's digits are one of the
// forms sought, 2 when the mobile number's are, else 0. Registered on the
// lookup's own connection only, so nothing in the file depends on it; one
// call a row and no copies keep a scan of a large book short.
struct Sought {
    std::vector<std::string> forms;
};

bool isSought(const Sought& sought, sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const int size = sqlite3_value_bytes(value);
    char digits[64];
    std::size_t count = 0;
    for (int i = 0; text && i < size; ++i)
        if (text[i] >= '0' && text[i] <= '9') {
            if (count == sizeof digits)
                return false; // longer than any number sought
            digits[count++] = text[i];
        }
    for (const std::string& form : sought.forms)
        // cppcheck-suppress uninitvar ; only the `count` digits written are compared
        if (form.size() == count && std::memcmp(form.data(), digits, count) == 0)
            return true;
    return false;
}

void holds(sqlite3_context* context, int, sqlite3_value** argv) {
    const auto& sought = *static_cast<const Sought*>(sqlite3_user_data(context));
    sqlite3_result_int(context, isSought(sought, argv[0]) ? 1 : isSought(sought, argv[1]) ? 2 : 0);
}

QString holderIn(const data::Database& db, const QStringList& digitForms) {
    Sought sought;
    for (const QString& form : digitForms)
        sought.forms.push_back(form.toStdString());
    sqlite3_create_function_v2(db.handle(), "holds", 2, SQLITE_UTF8, &sought, holds, nullptr, nullptr,
                               nullptr);
    data::Statement query(
        db, QStringLiteral("SELECT Name, which FROM (SELECT Name, holds(Phone, Mobile) AS which "
                           "FROM PHONEDIR) WHERE which > 0 LIMIT 1"));
    if (!query.step())
        return {};
    return QStringLiteral("%1 (%2)").arg(query.text(0), query.integer(1) == 1 ? QStringLiteral("Phone")
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
            holder = holderIn(*db, digitForms);
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
