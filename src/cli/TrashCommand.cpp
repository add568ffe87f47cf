// quorvel-book deleted and restore, once their words are read.
#include "book/Trash.h"
#include "book/Upgrade.h"
#include "cli/TidyCommands.h"

#include <QTextStream>

namespace cli {

void listDeleted(const QString& book, QTextStream& out) {
    const data::Database db = book::open(book, book::Upgrade::IfWritable);
    const std::vector<book::Trashed> all = book::trashed(db);
    if (all.empty()) {
        out << "The trash is empty: no contact was deleted by a sync or a merge in the last "
            << book::TrashDays << " days." << Qt::endl;
        return;
    }
    for (const book::Trashed& t : all)
        out << t.id << '\t' << oneLine(t.fields[book::Name]) << '\t'
            << t.deleted.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) << '\t' << t.why << '\n';
}

void restoreContact(const QString& book, const QString& id, QTextStream& out) {
    data::Database db = book::open(book, book::Upgrade::Required);
    const book::Trashed t = book::restore(db, id);
    const QString& name = t.fields[book::Name];
    out << "Restored " << (name.isEmpty() ? QStringLiteral("(no name)") : oneLine(name)) << " (" << id
        << "); the next sync stores it on the server again." << Qt::endl;
}

} // namespace cli
