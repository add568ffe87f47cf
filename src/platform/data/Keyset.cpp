#include "platform/data/Keyset.h"

namespace data {

Keyset::Keyset(const Database& db, const Columns& columns, bool ordered)
    : statements_(db), select_(columns.select()), columns_(columns) {
    if (ordered) {
        column_ = quoteIdentifier(columns.order);
        orderKey_ = column_ + QStringLiteral(" COLLATE NOCASE");
    }
}

QString Keyset::order(bool descending) const {
    const QString dir = descending ? QStringLiteral(" DESC") : QString();
    if (orderKey_.isEmpty())
        return QStringLiteral("ORDER BY rowid") + dir;
    return QStringLiteral("ORDER BY %1%2, rowid%2").arg(orderKey_, dir);
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
        where = !orderKey_.isEmpty() ? QStringLiteral("WHERE %1 > ?1").arg(orderKey_)
                                     : QStringLiteral("WHERE rowid > ?2");
        break;
    case Before:
        where = !orderKey_.isEmpty() ? QStringLiteral("WHERE %1 < ?1").arg(orderKey_)
                                     : QStringLiteral("WHERE rowid < ?2");
        orderBy = order(true);
        break;
    // Many contacts may share a name: equality on the value and a range on the
    // rowid is one probe, where one range over both would walk every namesake.
    case SameNameAfter:
        where = QStringLiteral("WHERE %1 = ?1 AND rowid > ?2").arg(orderKey_);
        orderBy = QStringLiteral("ORDER BY rowid");
        break;
    case SameNameBefore:
        where = QStringLiteral("WHERE %1 = ?1 AND rowid < ?2").arg(orderKey_);
        orderBy = QStringLiteral("ORDER BY rowid DESC");
        break;
    case AfterNull:
        where = QStringLiteral("WHERE %1 IS NULL AND rowid > ?2").arg(column_);
        orderBy = QStringLiteral("ORDER BY rowid");
        break;
    case FirstNamed:
        where = QStringLiteral("WHERE %1 IS NOT NULL").arg(column_);
        break;
    case BeforeNull:
        where = QStringLiteral("WHERE %1 IS NULL AND rowid < ?2").arg(column_);
        orderBy = QStringLiteral("ORDER BY rowid DESC");
        break;
    case LastNull:
        where = QStringLiteral("WHERE %1 IS NULL").arg(column_);
        orderBy = QStringLiteral("ORDER BY rowid DESC");
        break;
    case AtLeast:
        where = QStringLiteral("WHERE %1 >= ?1").arg(orderKey_);
        break;
    case WithId:
        where = QStringLiteral("WHERE %1 = ?1").arg(quoteIdentifier(columns_.id));
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
    return readRow(*st, columns_);
}

std::optional<Row> Keyset::first() { return fetch(First, {}); }
std::optional<Row> Keyset::last() { return fetch(Last, {}); }

std::optional<Row> Keyset::after(const Key& key) {
    auto byRowid = [&](Statement& st) { st.bind(2, key.rowid); };
    if (orderKey_.isEmpty())
        return fetch(After, byRowid);
    if (key.valueNull) {
        if (auto row = fetch(AfterNull, byRowid))
            return row;
        return fetch(FirstNamed, {});
    }
    if (auto row = fetch(SameNameAfter, [&](Statement& st) { st.bind(1, key.value).bind(2, key.rowid); }))
        return row;
    return fetch(After, [&](Statement& st) { st.bind(1, key.value); });
}

std::optional<Row> Keyset::before(const Key& key) {
    auto byRowid = [&](Statement& st) { st.bind(2, key.rowid); };
    if (orderKey_.isEmpty())
        return fetch(Before, byRowid);
    if (key.valueNull)
        return fetch(BeforeNull, byRowid);
    if (auto row = fetch(SameNameBefore, [&](Statement& st) { st.bind(1, key.value).bind(2, key.rowid); }))
        return row;
    if (auto row = fetch(Before, [&](Statement& st) { st.bind(1, key.value); }))
        return row;
    return fetch(LastNull, {});
}

std::optional<Row> Keyset::atLeast(const QString& key) {
    // Every value is at least the empty text, and so is a missing one, which comes first.
    if (key.isEmpty())
        return first();
    return fetch(AtLeast, [&](Statement& st) { st.bind(1, key); });
}

std::optional<Row> Keyset::withId(const QString& id) {
    if (columns_.id.isEmpty())
        return std::nullopt;
    return fetch(WithId, [&](Statement& st) { st.bind(1, id); });
}

} // namespace data
