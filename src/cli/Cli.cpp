#include "cli/Cli.h"

#include "cli/Failure.h"
#include "cli/TidyCommands.h"

#include "book/Rescue.h"
#include "book/Upgrade.h"
#include "book/UserBook.h"
#include "cli/CallsCommand.h"
#include "cli/SyncCommand.h"
#include "exchange/CardReader.h"
#include "exchange/CardWriter.h"
#include "exchange/ExportTarget.h"
#include "exchange/PhoneBookTransfer.h"
#include "exchange/Progress.h"
#include "exchange/ReadAhead.h"
#include "platform/core/Error.h"
#include "platform/core/SaveFile.h"
#include "platform/data/Sqlite.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <optional>

namespace cli {
using namespace exchange;

namespace {
const char* const HelpText = R"(Usage: quorvel-book [--book PATH] COMMAND [FILE...]
Brings contacts into the Quorvel phone book and takes them out again.

Commands:
  import FILE...  add the contacts of vCard (2.1, 3.0, 4.0) or CSV files
                  (our column names, or those of other address books);
                  contacts already in the phone book with the same seven
                  fields are skipped; what has no field in the window is
                  kept with the contact; if any file cannot be read,
                  nothing is added
  export FILE     write every contact in name order, as vCard with
                  everything its card brought, in the card's own version
                  (2.1 as 3.0; 4.0 for a contact made here), or as CSV
                  when FILE ends in .csv; FILE - is standard output
  count           print the number of contacts
  new             make an empty phone book at the --book PATH (a file
                  that is there already is refused and left as it is)
  merge           list groups of contacts that are probably one person
                  (the same number, e-mail, or name with something in common)
  merge ID ID...  make one contact of several: the first keeps what every
                  card holds (quorvel-book merge --help)
  birthdays       list the birthdays of the next 14 days, soonest first
                  (quorvel-book birthdays --help)
  sync ...        keep the phone book and an address book on a CardDAV
                  server alike, both ways (quorvel-book sync --help)
  deleted         list the contacts a sync or a merge deleted in the last
                  30 days, kept in the phone book's trash with their cards
  restore ID      bring the contact of that id back from the trash; the
                  next sync stores it on the server again
  calls           print the incoming calls and dials the phone book keeps,
                  newest first (quorvel-book calls --help)

Options:
  --book PATH     the phone book to use (default: the one the window
                  opens, Quorvel.mdb beside this program, or installed for
                  the whole machine $XDG_DATA_HOME/quorvel/Quorvel.mdb)
  --help          show this help

Exit status: 0 done, 1 a file could not be read or written, 2 wrong usage.
)";

QString plural(qint64 n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

// Names for a line of their own: the first twenty of a header row of thousands.
QString listed(QStringList names) {
    constexpr qsizetype Shown = 20;
    if (names.size() > Shown) {
        const qsizetype more = names.size() - Shown;
        names.resize(Shown);
        names << QStringLiteral("and %1 more").arg(more);
    }
    return names.join(QLatin1String(", "));
}

void importFiles(const QString& book, const QStringList& files, QTextStream& out, QTextStream& err) {
    data::Database db;
    try {
        db = book::open(book, book::Upgrade::Required);
    } catch (const platform::Error& e) {
        throw bookFailure(e, book);
    }
    qint64 added = 0, skipped = 0, aside = 0, nuls = 0;
    QString reading; // the file being read, while one is
    try {
        // A large import touches the whole Name index; a fixed 32 MB page cache
        // keeps its pages from being written out and read back again and again.
        db.exec("PRAGMA cache_size = -32768");
        qint64 totalBytes = 0, bytesBefore = 0, cards = 0;
        for (const QString& file : files)
            totalBytes += QFileInfo(file).size();
        Progress progress("importing", totalBytes);
        db.transaction([&] {
            PhoneBookImport phoneBook(db);
            for (const QString& file : files) {
                QFile in(file);
                reading = file;
                if (!in.open(QIODevice::ReadOnly))
                    throw platform::Error(platform::err::FileAccess,
                                          QStringLiteral("cannot read it (%1)").arg(in.errorString()));
                ReadAhead reader(openCardReader(in), &in);
                Card card;
                qint64 empty = 0;
                while (reader.next(card)) {
                    if (isEmpty(card))
                        ++empty;
                    else if (phoneBook.add(card))
                        ++added, aside += card.aside;
                    else
                        ++skipped;
                    progress.update(++cards, bytesBefore + reader.bytesRead());
                }
                bytesBefore += in.size();
                if (!reader.ignoredColumns().isEmpty())
                    err << "quorvel-book: " << file
                        << ": columns kept aside with each contact: " << listed(reader.ignoredColumns())
                        << Qt::endl;
                if (empty > 0)
                    err << "quorvel-book: " << file << ": left out "
                        << plural(empty, "card that holds", "cards that hold")
                        << " none of name, company, numbers, address, e-mail or web page" << Qt::endl;
                if (const ReadNotes notes = reader.notes(); notes.valuesLeftOut > 0)
                    err << "quorvel-book: " << file << ": left out "
                        << plural(notes.valuesLeftOut, "picture, sound or key", "pictures, sounds or keys")
                        << " longer than " << ReadLimits{}.binary / (1024 * 1024) << " MB (the first on line "
                        << notes.firstLeftOutLine << "); their contacts were added without them" << Qt::endl;
                nuls += reader.notes().nulsDropped;
                reading.clear();
            }
        });
    } catch (const platform::Error& e) {
        const QString nothing = QStringLiteral("; nothing was imported");
        if (!reading.isEmpty() &&
            (e.number() == platform::err::BadFileFormat || e.number() == platform::err::FileAccess))
            throw Failure{reading, e.description() + nothing};
        throw bookFailure(e, book, nothing);
    }
    out << "Added " << plural(added, "contact", "contacts") << ", skipped " << skipped
        << " already in the phone book";
    if (aside > 0)
        out << "; kept aside " << plural(aside, "property or column", "properties or columns")
            << " that the window has no field for";
    if (nuls > 0) // no text field may hold one: other programs would show the text cut there
        out << "; left out " << plural(nuls, "NUL character", "NUL characters") << " from their fields";
    out << '.' << Qt::endl;
}

// What an export could not read of a damaged book.
QString unreadable(const Exported& exported) {
    const QString missing = QStringLiteral(" could not be read and %1 not in the export");
    switch (exported.unreadableCount) {
    case Exported::Count::Exact:
        if (exported.unreadable == 0)
            return QStringLiteral("every contact could still be read and is in the export");
        return plural(exported.unreadable, "contact", "contacts") +
               missing.arg(QLatin1String(exported.unreadable == 1 ? "is" : "are"));
    case Exported::Count::AtMost:
        return QStringLiteral("up to ") + plural(exported.unreadable, "contact", "contacts") +
               missing.arg(QLatin1String("are"));
    case Exported::Count::Unknown:
        break;
    }
    return QStringLiteral("the rest") + missing.arg(QLatin1String("is"));
}

// The book brought up to date where it can be; a damaged one is read as it
// is, so that export can still take out what it holds.
data::Database openForExport(const QString& book) {
    data::Database db(book);
    try {
        book::upgrade(db, book::Upgrade::IfWritable);
    } catch (const platform::Error& e) {
        if (e.number() != platform::err::Damaged)
            throw;
    }
    return db;
}

void exportFile(const QString& book, const QString& file, QTextStream& out, QTextStream& err) {
    if (QFileInfo(file).exists() &&
        QFileInfo(file).canonicalFilePath() == QFileInfo(book).canonicalFilePath())
        throw Failure{file, QStringLiteral("this is the phone book itself; export to another file")};
    Exported exported;
    try {
        data::Database db = openForExport(book);
        // Name order visits the rows and their kept cards all over the file;
        // a fixed 32 MB page cache keeps the inner pages (a memory map would
        // save a copy of each page, but grow with the book).
        db.exec("PRAGMA cache_size = -32768");
        std::optional<ExportTarget> target;
        try {
            target.emplace(file);
        } catch (const platform::Error& e) {
            throw Failure{file, e.description()};
        }
        const auto writer = file.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)
                                ? makeCsvWriter(target->device())
                                : makeVCardWriter(target->device());
        try {
            exported = exportContacts(db, *writer);
            target->commit();
        } catch (const platform::Error& e) {
            if (e.number() == platform::err::FileAccess)
                throw Failure{target->name(), target->writeProblem(QStringLiteral("write it"))};
            throw;
        }
        // The contacts themselves may be on standard output: the summary goes beside them.
        (target->isStandardOutput() ? err : out)
            << "Exported " << plural(exported.written, "contact", "contacts") << " to " << target->name()
            << '.' << Qt::endl;
    } catch (const platform::Error& e) {
        throw bookFailure(e, book);
    }
    if (!exported.damage.isEmpty())
        throw Failure{book,
                      book::damagedClause(exported.damage) + QStringLiteral("; ") + unreadable(exported),
                      book::rescueAdvice(book)};
}

void count(const QString& book, QTextStream& out) {
    try {
        out << countContacts(book::open(book, book::Upgrade::IfWritable)) << Qt::endl;
    } catch (const platform::Error& e) {
        throw bookFailure(e, book);
    }
}

void makeBook(const QString& book, QTextStream& out) {
    try {
        book::create(book);
    } catch (const platform::Error& e) {
        throw bookFailure(e, book);
    }
    out << "Made an empty phone book: " << book << Qt::endl;
}

int usage(QTextStream& err, const QString& what) {
    err << "quorvel-book: " << what << "\nTry 'quorvel-book --help'." << Qt::endl;
    return Usage;
}
} // namespace

int runCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    QString book = book::userBook();
    if (isSyncCommand(args))
        return runSyncCommand(args, book, out, err);
    if (isTidyCommand(args))
        return runTidyCommand(args, book, out, err);
    if (calllog::isCallsCommand(args))
        return calllog::runCallsCommand(args, book, out, err);
    QStringList words;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnd || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            words << arg;
        } else if (arg == QLatin1String("--")) {
            optionsEnd = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << HelpText;
            out.flush();
            return Done;
        } else if (arg == QLatin1String("--book")) {
            if (++i == args.size())
                return usage(err, QStringLiteral("--book needs the path of a phone book"));
            book = args[i];
        } else if (arg.startsWith(QLatin1String("--book="))) {
            book = arg.mid(7);
        } else {
            return usage(err, QStringLiteral("unknown option %1").arg(arg));
        }
    }
    if (words.isEmpty())
        return usage(err, QStringLiteral("no command given"));
    const QString command = words.takeFirst();
    try {
        if (command == QLatin1String("import") && !words.isEmpty())
            importFiles(book, words, out, err);
        else if (command == QLatin1String("export") && words.size() == 1)
            exportFile(book, words.first(), out, err);
        else if (command == QLatin1String("count") && words.isEmpty())
            count(book, out);
        else if (command == QLatin1String("new") && words.isEmpty())
            makeBook(book, out);
        else if (command == QLatin1String("import"))
            return usage(err, QStringLiteral("import needs at least one file"));
        else if (command == QLatin1String("export"))
            return usage(err, QStringLiteral("export needs exactly one file"));
        else if (command == QLatin1String("count"))
            return usage(err, QStringLiteral("count takes no file"));
        else if (command == QLatin1String("new"))
            return usage(err, QStringLiteral("new takes no file; name the new book with --book PATH"));
        else
            return usage(err, QStringLiteral("unknown command %1").arg(command));
    } catch (const Failure& failure) {
        err << "quorvel-book: " << failure.file << ": " << failure.what << Qt::endl;
        if (!failure.advice.isEmpty())
            err << failure.advice << Qt::endl;
        return BadInput;
    }
    return Done;
}

} // namespace cli
