#include "platform/data/Keyset.h"

namespace data {
namespace {
const QString NameKey = QStringLiteral("Name COLLATE NOCASE");
} // namespace

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

Keyset::Keyset(const Database& db, const QString& table, const QStringList& fields, bool byName)
    : db_(db), byName_(byName), fieldCount_(int(fields.size())) {
    QStringList columns;
    for (const QString& field : fields)
        columns << quoteIdentifier(field);
    select_ = QStringLiteral("SELECT rowid, Name, %1 FROM %2 ")
                  .arg(columns.join(QLatin1String(", ")), quoteIdentifier(table));
}

QString Keyset::order(bool descending) const {
    const QString dir = descending ? QStringLiteral(" DESC") : QString();
    if (!byName_)
        return QStringLiteral("ORDER BY rowid") + dir;
    return QStringLiteral("ORDER BY %1%2, rowid%2").arg(NameKey, dir);
}

std::optional<Row> Keyset::fetch(const QString& where, const QString& orderBy,
                                 const std::function<void(Statement&)>& bind) const {
    Statement st(db_, select_ + where + QLatin1Char(' ') + orderBy + QStringLiteral(" LIMIT 1"));
    if (bind)
        bind(st);
    if (!st.step())
        return std::nullopt;
    Row row;
    row.key.rowid = st.integer(0);
    row.key.nameNull = st.isNull(1);
    row.key.name = st.text(1);
    for (int i = 0; i < fieldCount_; ++i)
        row.values << st.text(2 + i);
    return row;
}

std::optional<Row> Keyset::first() const { return fetch({}, order(false), {}); }
std::optional<Row> Keyset::last() const { return fetch({}, order(true), {}); }

std::optional<Row> Keyset::after(const Key& key) const {
    auto byRowid = [&](Statement& st) { st.bind(1, key.rowid); };
    if (!byName_)
        return fetch(QStringLiteral("WHERE rowid > ?1"), order(false), byRowid);
    if (key.nameNull) {
        if (auto row = fetch(QStringLiteral("WHERE Name IS NULL AND rowid > ?1"),
                             QStringLiteral("ORDER BY rowid"), byRowid))
            return row;
        return fetch(QStringLiteral("WHERE Name IS NOT NULL"), order(false), {});
    }
    // Spelled out rather than as a row value, which SQLite would answer by scanning the index.
    return fetch(QStringLiteral("WHERE %1 >= ?1 AND (%1 > ?1 OR rowid > ?2)").arg(NameKey), order(false),
                 [&](Statement& st) { st.bind(1, key.name).bind(2, key.rowid); });
}

std::optional<Row> Keyset::before(const Key& key) const {
    auto byRowid = [&](Statement& st) { st.bind(1, key.rowid); };
    if (!byName_)
        return fetch(QStringLiteral("WHERE rowid < ?1"), order(true), byRowid);
    if (key.nameNull)
        return fetch(QStringLiteral("WHERE Name IS NULL AND rowid < ?1"),
                     QStringLiteral("ORDER BY rowid DESC"), byRowid);
    if (auto row = fetch(QStringLiteral("WHERE %1 <= ?1 AND (%1 < ?1 OR rowid < ?2)").arg(NameKey),
                         order(true), [&](Statement& st) { st.bind(1, key.name).bind(2, key.rowid); }))
        return row;
    return fetch(QStringLiteral("WHERE Name IS NULL"), QStringLiteral("ORDER BY rowid DESC"), {});
}

std::optional<Row> Keyset::atLeast(const QString& key) const {
    // Every name is at least the empty text, and so is a missing name, which comes first.
    if (key.isEmpty())
        return first();
    return fetch(QStringLiteral("WHERE %1 >= ?1").arg(NameKey),
                 QStringLiteral("ORDER BY %1, rowid").arg(NameKey), [&](Statement& st) { st.bind(1, key); });
}

} // namespace data
