#include "cli/CallsCommand.h"

#include "book/Calls.h"
#include "book/Rescue.h"
#include "book/Upgrade.h"
#include "links/DialLink.h"
#include "links/MatchKey.h"
#include "platform/core/Error.h"

#include <QDate>
#include <QTextStream>

namespace calllog {
namespace {
const char* const HelpText = R"(Usage: quorvel-book [--book PATH] calls [--since DATE] [--csv]
Prints the calls the phone book keeps, newest first: every incoming call the
window heard while "Show Incoming Calls" was on, and every dial, with the
contact's name as the phone book has it now. The book keeps the last 100,000.

Options:
  --since DATE    only calls on or after that day (YYYY-MM-DD, local time)
  --csv           comma-separated values with a header row
  --help          show this help

Columns: time, in or out, number, contact, the name the network gave, and
for a dial the modem's answer (OK, BUSY, NO DIALTONE, NO CARRIER, ERROR, or
none).
)";

enum Exit { Done = 0, BadInput = 1, Usage = 2 };

int usage(QTextStream& err, const QString& what) {
    err << "quorvel-book: " << what << "\nTry 'quorvel-book calls --help'." << Qt::endl;
    return Usage;
}

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// A number the network withheld is kept empty.
QString shownNumber(const book::Call& call) {
    return call.number.isEmpty() ? QStringLiteral("(none)") : call.number;
}
} // namespace

bool isCallsCommand(const QStringList& args) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--book"))
            ++i;
        else if (!args[i].startsWith(QLatin1Char('-')))
            return args[i] == QLatin1String("calls");
    }
    return false;
}

int runCallsCommand(const QStringList& args, const QString& defaultBook, QTextStream& out, QTextStream& err) {
    QString path = defaultBook;
    QDateTime since;
    bool csv = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("calls")) {
            continue;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << HelpText;
            out.flush();
            return Done;
        } else if (arg == QLatin1String("--book") || arg == QLatin1String("--since")) {
            if (++i == args.size())
                return usage(err, QStringLiteral("%1 needs a value").arg(arg));
            if (arg == QLatin1String("--book")) {
                path = args[i];
                continue;
            }
            const QDate day = QDate::fromString(args[i], Qt::ISODate);
            if (!day.isValid())
                return usage(err, QStringLiteral("--since takes a day as YYYY-MM-DD, not %1").arg(args[i]));
            since = day.startOfDay();
        } else if (arg == QLatin1String("--csv")) {
            csv = true;
        } else {
            return usage(err, QStringLiteral("calls does not take %1").arg(arg));
        }
    }
    std::vector<book::Call> calls;
    try {
        data::Database db = book::open(path, book::Upgrade::IfWritable);
        if (book::versionOf(db) < 3)
            return Done; // a book no program of this version has written to: no calls
        // Contacts stored since the window last looked are named too.
        if (!db.isReadOnly()) {
            const QString home = links::homeRegion();
            book::bringNumbersCurrent(db,
                                      [&](const QString& number) { return links::lineKey(number, home); });
        }
        calls = book::callsSince(db, since);
    } catch (const platform::Error& e) {
        err << "quorvel-book: " << path << ": "
            << (e.number() == platform::err::Damaged ? book::damagedClause(e.description()) : e.description())
            << Qt::endl;
        return BadInput;
    }
    if (csv)
        out << "Time,Way,Number,Contact,Network name,Answer\n";
    for (const book::Call& call : calls) {
        const QString at = call.at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QString way = call.way == book::Call::Way::In ? QStringLiteral("in") : QStringLiteral("out");
        if (csv) {
            out << at << ',' << way << ',' << csvField(call.number) << ',' << csvField(call.contactName)
                << ',' << csvField(call.networkName) << ',' << csvField(call.answer) << '\n';
            continue;
        }
        QString line =
            QStringLiteral("%1  %2  %3").arg(at, way.leftJustified(3), shownNumber(call).leftJustified(16));
        if (!call.contactName.isEmpty())
            line += QStringLiteral("  ") + call.contactName;
        if (!call.networkName.isEmpty())
            line += QStringLiteral("  (network: %1)").arg(call.networkName);
        if (call.way == book::Call::Way::Out)
            line += QStringLiteral("  ") +
                    (call.answer.isEmpty() ? QStringLiteral("no answer from the modem") : call.answer);
        out << line.trimmed() << '\n';
    }
    out.flush();
    return Done;
}

} // namespace calllog
