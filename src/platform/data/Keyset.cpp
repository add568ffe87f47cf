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
    : statements_(db), byName_(byName), fieldCount_(int(fields.size())) {
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

QString Keyset::sql(Query query) const {
    QString where, orderBy = order(false);
    switch (query) {
    case First:
        break;
    case Last:
        orderBy = order(true);
        break;
    case After:
        where = byName_ ? QStringLiteral("WHERE %1 > ?1").arg(NameKey) : QStringLiteral("WHERE rowid > ?2");
        break;
    case Before:
        where = byName_ ? QStringLiteral("WHERE %1 < ?1").arg(NameKey) : QStringLiteral("WHERE rowid < ?2");
        orderBy = order(true);
        break;
    // Many contacts may share a name: equality on the name and a range on the
    // rowid is one probe, where one range over both would walk every namesake.
    case SameNameAfter:
        where = QStringLiteral("WHERE %1 = ?1 AND rowid > ?2").arg(NameKey);
        orderBy = QStringLiteral("ORDER BY rowid");
        break;
    case SameNameBefore:
        where = QStringLiteral("WHERE %1 = ?1 AND rowid < ?2").arg(NameKey);
        orderBy = QStringLiteral("ORDER BY rowid DESC");
        break;
    case AfterNull:
        where = QStringLiteral("WHERE Name IS NULL AND rowid > ?2");
        orderBy = QStringLiteral("ORDER BY rowid");
        break;
    case FirstNamed:
        where = QStringLiteral("WHERE Name IS NOT NULL");
        break;
    case BeforeNull:
        where = QStringLiteral("WHERE Name IS NULL AND rowid < ?2");
        orderBy = QStringLiteral("ORDER BY rowid DESC");
        break;
    case LastNull:
        where = QStringLiteral("WHERE Name IS NULL");
        orderBy = QStringLiteral("ORDER BY rowid DESC");
        break;
    case AtLeast:
        where = QStringLiteral("WHERE %1 >= ?1").arg(NameKey);
        break;
    }
    return select_ + where + QLatin1Char(' ') + orderBy + QStringLiteral(" LIMIT 1");
}

std::optional<Row> Keyset::fetch(Query query, const std::function<void(Statement&)>& bind) {
    Run st = statements_.get(query, [&] { return sql(query); });
    if (bind)
        bind(*st);
    if (!st->step())
        return std::nullopt;
    Row row;
    row.key.rowid = st->integer(0);
    row.key.nameNull = st->isNull(1);
    row.key.name = st->text(1);
    row.values.reserve(fieldCount_);
    for (int i = 0; i < fieldCount_; ++i)
        row.values << st->text(2 + i);
    return row;
}

std::optional<Row> Keyset::first() { return fetch(First, {}); }
std::optional<Row> Keyset::last() { return fetch(Last, {}); }

std::optional<Row> Keyset::after(const Key& key) {
    auto byRowid = [&](Statement& st) { st.bind(2, key.rowid); };
    if (!byName_)
        return fetch(After, byRowid);
    if (key.nameNull) {
        if (auto row = fetch(AfterNull, byRowid))
            return row;
        return fetch(FirstNamed, {});
    }
    if (auto row = fetch(SameNameAfter, [&](Statement& st) { st.bind(1, key.name).bind(2, key.rowid); }))
        return row;
    return fetch(After, [&](Statement& st) { st.bind(1, key.name); });
}

std::optional<Row> Keyset::before(const Key& key) {
    auto byRowid = [&](Statement& st) { st.bind(2, key.rowid); };
    if (!byName_)
        return fetch(Before, byRowid);
    if (key.nameNull)
        return fetch(BeforeNull, byRowid);
    if (auto row = fetch(SameNameBefore, [&](Statement& st) { st.bind(1, key.name).bind(2, key.rowid); }))
        return row;
    if (auto row = fetch(Before, [&](Statement& st) { st.bind(1, key.name); }))
        return row;
    return fetch(LastNull, {});
}

std::optional<Row> Keyset::atLeast(const QString& key) {
    // Every name is at least the empty text, and so is a missing name, which comes first.
    if (key.isEmpty())
        return first();
    return fetch(AtLeast, [&](Statement& st) { st.bind(1, key); });
}

} // namespace data
