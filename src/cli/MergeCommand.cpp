// quorvel-book merge and birthdays, once their words are read.
#include "book/Upgrade.h"
#include "cli/TidyCommands.h"
#include "exchange/Birthdays.h"
#include "exchange/BookMerge.h"
#include "exchange/CardWriter.h"
#include "exchange/ContactMerge.h"
#include "links/DialLink.h"

#include <QBuffer>
#include <QTextStream>

#include <utility>

namespace cli {
using namespace exchange;
QString oneLine(QString value) {
    for (QChar& c : value)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return value;
}

void listDuplicates(const QString& book, QTextStream& out) {
    data::Database db = book::open(book, book::Upgrade::Required);
    const QList<DuplicateGroup> groups = findDuplicates(db, links::homeRegion());
    if (groups.isEmpty()) {
        out << "No probable duplicates found." << Qt::endl;
        return;
    }
    bool first = true;
    for (const DuplicateGroup& group : groups) {
        if (!std::exchange(first, false))
            out << '\n';
        out << "# " << group.reason << '\n';
        for (const Card& c : group.contacts)
            out << c.uid << '\t' << oneLine(c[Name]) << '\t' << oneLine(c[Phone]) << '\t'
                << oneLine(c[Mobile]) << '\t' << oneLine(c[Email]) << '\n';
    }
}

void mergeById(const QString& book, const QStringList& ids, bool dryRun, QTextStream& out) {
    data::Database db =
        dryRun ? book::open(book, book::Upgrade::IfWritable) : book::open(book, book::Upgrade::Required);
    const QList<Card> contacts = contactsById(db, ids);
    const Card merged = mergeContacts(contacts, links::homeRegion());
    if (dryRun) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        const auto writer = makeVCardWriter(buffer);
        writer->write(merged);
        writer->flush();
        out << QString::fromUtf8(bytes);
        return;
    }
    storeMerge(db, merged, ids.sliced(1));
    out << "Merged " << ids.size() << " contacts into " << merged.uid << " (" << merged[Name] << ")."
        << Qt::endl;
}

void listBirthdays(const QString& book, int days, bool anniversaries, QTextStream& out) {
    data::Database db = book::open(book, book::Upgrade::IfWritable);
    const QDate today = QDate::currentDate();
    const QList<Occasion> found =
        book::versionOf(db) < 1 ? QList<Occasion>() : upcomingDates(db, today, days, anniversaries);
    if (found.isEmpty()) {
        out << "No " << (anniversaries ? "anniversaries" : "birthdays") << " in the next " << days << " days."
            << Qt::endl;
        return;
    }
    for (const Occasion& o : found) {
        out << o.on.toString(Qt::ISODate) << '\t' << o.name << '\t';
        if (o.years > 0)
            out << (anniversaries ? QStringLiteral("%1 years") : QStringLiteral("turns %1")).arg(o.years);
        out << '\n';
    }
}

} // namespace cli
