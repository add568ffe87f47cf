#include "platform/data/Columns.h"

namespace data {

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString columnList(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names)
        quoted << quoteIdentifier(name);
    return quoted.join(QLatin1String(", "));
}

QString Columns::select() const {
    return QStringLiteral("SELECT rowid, %1, %2%3 FROM %4 ")
        .arg(order.isEmpty() ? QStringLiteral("NULL") : quoteIdentifier(order), columnList(fields),
             id.isEmpty() ? QString() : QStringLiteral(", ") + quoteIdentifier(id), quoteIdentifier(table));
}

Row readRow(const Statement& st, const Columns& columns) {
    Row row{{st.integer(0), st.text(1), st.isNull(1), QString()}, QStringList(columns.fields.size())};
    readTexts(st, 2, row.values);
    if (!columns.id.isEmpty())
        row.key.id = st.text(int(columns.fields.size()) + 2);
    return row;
}

} // namespace data
