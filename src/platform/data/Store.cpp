#include "platform/data/Store.h"

#include "platform/core/Error.h"

namespace data {
namespace {
using platform::Error;
namespace err = platform::err;
} // namespace

std::optional<Row> readRecord(const Database& db, const Columns& columns, qint64 rowid) {
    Statement st(db, columns.select() + QStringLiteral("WHERE rowid = ?1"));
    st.bind(1, rowid);
    if (!st.step())
        return std::nullopt;
    return readRow(st, columns);
}

std::optional<Row> readRecordById(const Database& db, const Columns& columns, const QString& id) {
    Statement st(db, columns.select() + QStringLiteral("WHERE %1 = ?1").arg(quoteIdentifier(columns.id)));
    st.bind(1, id);
    if (!st.step())
        return std::nullopt;
    return readRow(st, columns);
}

Row insertRecord(Database& db, const Columns& columns, const QStringList& values, const QString& id) {
    QStringList fields = columns.fields;
    const bool withId = !columns.id.isEmpty() && !id.isEmpty();
    if (withId)
        fields << columns.id;
    std::optional<Row> stored;
    db.transaction([&] {
        QStringList marks;
        for (int i = 0; i < fields.size(); ++i)
            marks << QStringLiteral("?%1").arg(i + 1);
        Statement st(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                             .arg(quoteIdentifier(columns.table), columnList(fields),
                                  marks.join(QLatin1String(", "))));
        for (int i = 0; i < columns.fields.size(); ++i)
            st.bind(i + 1, values.value(i));
        if (withId)
            st.bind(int(fields.size()), id);
        st.step();
        stored = readRecord(db, columns, db.lastInsertRowid());
    });
    return *stored;
}

Row updateRecord(Database& db, const Columns& columns, qint64 rowid, const QList<int>& changed,
                 const QStringList& values, QStringList& expected, QStringList& conflicts) {
    const QStringList& fields = columns.fields;
    conflicts.clear();
    while (expected.size() < fields.size())
        expected << QString();
    std::optional<Row> stored;
    // The check and the write share one write transaction: no other program
    // can store in between.
    db.transaction([&] {
        const auto now = readRecord(db, columns, rowid);
        if (!now)
            throw Error(
                err::DeletedElsewhere,
                QStringLiteral("The record is no longer in the phone book; another program deleted it."));
        for (const int i : changed)
            if (now->values.value(i) != expected.value(i)) {
                conflicts << fields[i];
                expected[i] = now->values.value(i);
            }
        if (!conflicts.isEmpty())
            throw Error(err::ChangedElsewhere, QStringLiteral("Another program changed %1 of this record.")
                                                   .arg(conflicts.join(QLatin1String(", "))));
        if (changed.isEmpty()) {
            stored = now;
            return;
        }
        QStringList assignments;
        for (int n = 0; n < changed.size(); ++n)
            assignments << QStringLiteral("%1 = ?%2").arg(quoteIdentifier(fields[changed[n]])).arg(n + 1);
        Statement st(db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                             .arg(quoteIdentifier(columns.table), assignments.join(QLatin1String(", ")))
                             .arg(changed.size() + 1));
        for (int n = 0; n < changed.size(); ++n)
            st.bind(n + 1, values.value(changed[n]));
        st.bind(int(changed.size()) + 1, rowid);
        st.step();
        stored = readRecord(db, columns, rowid);
    });
    return *stored;
}

} // namespace data
