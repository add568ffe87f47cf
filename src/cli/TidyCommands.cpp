#include "cli/TidyCommands.h"

#include "cli/Cli.h"
#include "cli/Failure.h"

#include <QTextStream>

namespace cli {
namespace {
const char* const MergeHelp = R"(Usage: quorvel-book [--book PATH] merge
       quorvel-book [--book PATH] merge [--dry-run] ID ID...
Without ids, lists groups of contacts that are probably one person: the same
number however it is written, the same e-mail, or the same name in either
order with a number, e-mail or company in common. One line per contact: its
id, a tab, then its name, phone, mobile and e-mail, tab-separated; a blank
line between groups, each begun by a line "# same ..." saying why.

With ids, makes one contact of them: the first id stays, each field it lacks
is taken from the others, and every other property of their cards (numbers,
e-mails, addresses, birthday, notes, a photo if it has none) joins its card
without repeats; the others are deleted, all in one store. The next sync
changes the card on the server and deletes the others there.
  --dry-run   print the merged card (vCard 4.0) and change nothing

Exit status: 0 done, 1 the phone book could not be read or written, 2 wrong usage.
)";

const char* const BirthdaysHelp = R"(Usage: quorvel-book [--book PATH] birthdays [--days N] [--anniversaries]
Lists the contacts whose birthday falls within the next N days, today
included, soonest first: the date, a tab, the name, a tab, and the age they
turn when their card gives the year. Dates come from the cards contacts were
imported or synced with (BDAY); 29 February falls on 28 February in a common
year.
  --days N          how many days ahead (default 14)
  --anniversaries   list anniversaries (ANNIVERSARY) instead of birthdays

Exit status: 0 done, 1 the phone book could not be read, 2 wrong usage.
)";

const char* const DeletedHelp = R"(Usage: quorvel-book [--book PATH] deleted
Lists the contacts in the phone book's trash, newest first: those a sync or a
merge deleted in the last 30 days, kept with their cards. One line per
contact: its id, a tab, its name, a tab, when it was deleted, a tab, and why:
  sync from server   deleted on the server, so the sync removed it here
  sync to server     deleted here, so the sync deleted it on the server
  merge              merged into another contact
Older ones are dropped when the phone book is next opened.

Exit status: 0 done, 1 the phone book could not be read, 2 wrong usage.
)";

const char* const RestoreHelp = R"(Usage: quorvel-book [--book PATH] restore ID
Brings the contact of that id (as quorvel-book deleted lists it) back from the
trash into the phone book, with its fields and its card. The next sync stores
it on the server again as a new card.

Exit status: 0 done, 1 no such contact in the trash, a contact of that id in
the phone book already, or the phone book could not be written; 2 wrong usage.
)";

// The command word: the first that is no option (nor the value of --book).
QString commandOf(const QStringList& args) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--book"))
            ++i;
        else if (args[i] == QLatin1String("--"))
            return args.value(i + 1);
        else if (!args[i].startsWith(QLatin1Char('-')))
            return args[i];
    }
    return {};
}

int usage(QTextStream& err, const QString& command, const QString& what) {
    err << "quorvel-book: " << command << ": " << what << "\nTry 'quorvel-book " << command << " --help'."
        << Qt::endl;
    return Usage;
}
} // namespace

bool isTidyCommand(const QStringList& args) {
    const QString command = commandOf(args);
    return command == QLatin1String("merge") || command == QLatin1String("birthdays") ||
           command == QLatin1String("deleted") || command == QLatin1String("restore");
}

int runTidyCommand(const QStringList& args, const QString& defaultBook, QTextStream& out, QTextStream& err) {
    const QString command = commandOf(args);
    const bool merge = command == QLatin1String("merge");
    const bool birthdays = command == QLatin1String("birthdays");
    const bool restore = command == QLatin1String("restore");
    QString book = defaultBook;
    QStringList ids;
    bool dryRun = false, anniversaries = false, commandSeen = false, optionsEnd = false;
    int days = 14;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!commandSeen && arg == command) {
            commandSeen = true;
        } else if (optionsEnd || !arg.startsWith(QLatin1Char('-'))) {
            if (!merge && !restore)
                return usage(err, command, QStringLiteral("takes no %1").arg(arg));
            ids << arg;
        } else if (arg == QLatin1String("--")) {
            optionsEnd = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << (merge ? MergeHelp : birthdays ? BirthdaysHelp : restore ? RestoreHelp : DeletedHelp);
            out.flush();
            return Done;
        } else if (arg == QLatin1String("--book") || arg.startsWith(QLatin1String("--book="))) {
            if (arg == QLatin1String("--book") && ++i == args.size())
                return usage(err, command, QStringLiteral("--book needs the path of a phone book"));
            book = arg == QLatin1String("--book") ? args[i] : arg.mid(7);
        } else if (merge && arg == QLatin1String("--dry-run")) {
            dryRun = true;
        } else if (birthdays && arg == QLatin1String("--anniversaries")) {
            anniversaries = true;
        } else if (birthdays &&
                   (arg == QLatin1String("--days") || arg.startsWith(QLatin1String("--days=")))) {
            if (arg == QLatin1String("--days") && ++i == args.size())
                return usage(err, command, QStringLiteral("--days needs a number of days"));
            bool ok = false;
            days = (arg == QLatin1String("--days") ? args[i] : arg.mid(7)).toInt(&ok);
            if (!ok || days < 0 || days > 366)
                return usage(err, command, QStringLiteral("--days takes a number from 0 to 366"));
        } else {
            return usage(err, command, QStringLiteral("unknown option %1").arg(arg));
        }
    }
    if (restore && ids.size() != 1)
        return usage(err, command,
                     QStringLiteral("give the id of one contact in the trash (quorvel-book deleted lists "
                                    "them)"));
    if (merge && ids.size() == 1)
        return usage(err, command,
                     QStringLiteral("give two ids or more to merge, or none to list probable "
                                    "duplicates"));
    if (dryRun && ids.isEmpty())
        return usage(err, command, QStringLiteral("--dry-run needs the ids to merge"));
    for (qsizetype i = 0; i < ids.size(); ++i)
        if (ids.indexOf(ids[i]) != i)
            return usage(err, command, QStringLiteral("the id %1 is given twice").arg(ids[i]));
    try {
        if (birthdays)
            listBirthdays(book, days, anniversaries, out);
        else if (restore)
            restoreContact(book, ids.first(), out);
        else if (!merge)
            listDeleted(book, out);
        else if (ids.isEmpty())
            listDuplicates(book, out);
        else
            mergeById(book, ids, dryRun, out);
    } catch (const platform::Error& e) {
        const Failure failure = bookFailure(e, book);
        err << "quorvel-book: " << failure.file << ": " << failure.what << Qt::endl;
        if (!failure.advice.isEmpty())
            err << failure.advice << Qt::endl;
        return BadInput;
    }
    out.flush();
    return Done;
}

} // namespace cli
