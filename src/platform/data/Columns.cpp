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
    return QStringLiteral("SELECT rowid, %1, %2 FROM %3 ")
        .arg(order.isEmpty() ? QStringLiteral("NULL") : quoteIdentifier(order), columnList(fields),
             quoteIdentifier(table));
}

Row readRow(const Statement& st, qsizetype fieldCount) {
    Row row{{st.integer(0), st.text(1), st.isNull(1)}, QStringList(fieldCount)};
    readTexts(st, 2, row.values);
    return row;
}

} // namespace data
