#include "book/Rescue.h"

#include <QDir>
#include <QFileInfo>

namespace book {

QString damagedClause(const QString& description) {
    return QStringLiteral("the file is damaged (%1)").arg(description);
}

QString rescueAdvice(const QString& file) {
    const QFileInfo info(file);
    const QString rescued =
        QDir(info.absolutePath())
            .filePath(QStringLiteral("%1-rescued.%2").arg(info.completeBaseName(), info.suffix()));
    // Debian's sqlite3 has no .recover; .dump reads around a bad page and
    // ends with a ROLLBACK, which the copy must not take.
    return QStringLiteral(
               "The contacts that can still be read can be copied into a new file with the "
               "sqlite3 tool, in a terminal:\n    sqlite3 \"%1\" .dump | sed '$s/^ROLLBACK;.*/COMMIT;/' "
               "| sqlite3 \"%2\"\nCheck the new file, keep the damaged one, and put the new file in "
               "place of %3.")
        .arg(file, rescued, info.fileName());
}

} // namespace book
