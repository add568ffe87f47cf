#include "cli/SyncCommand.h"

#include "cli/DryRun.h"
#include "cli/SyncSetup.h"
#include "cli/TwoWay.h"

#include <QTextStream>

namespace cli {
namespace {
const char* const HelpText = R"(Usage: quorvel-book [--book PATH] sync --setup URL --user NAME [OPTIONS]
       quorvel-book [--book PATH] sync [--force] [--verbose]
       quorvel-book [--book PATH] sync --dry-run
Keeps the phone book with an address book on a CardDAV server: once set up,
quorvel-book sync alone brings what changed on either side to the other.

  --setup URL         find the address book at URL (the address book itself,
                      or the server, whose address books are then listed) and
                      keep it, with the user and password, for this phone book
  --user NAME         the user name on the server
  --addressbook NAME  with several address books, the one to use
  --password-stdin    read the password from standard input instead of asking
                      on the terminal
  --ca FILE           trust the certificate authority in FILE (PEM) for this
                      server, besides the system's
  --dry-run           show what a sync would change now, on either side;
                      nothing is written
  --force             sync even when that deletes more than a tenth of the
                      contacts on either side, or more than 50
  --verbose           name every contact the sync moved, not only the first
                      ten each way
  --book PATH         the phone book (default: the one the window opens);
                      its sync settings are kept beside it in PATH.sync

A contact a sync deletes, on either side, is kept in the phone book's trash
for 30 days with its card: quorvel-book deleted lists them, and
quorvel-book restore ID brings one back (the next sync stores it again).

Exit status: 0 done, 1 the server or a file failed, 2 wrong usage.
)";

int usage(QTextStream& err, const QString& what) {
    err << "quorvel-book: sync: " << what << "\nTry 'quorvel-book sync --help'." << Qt::endl;
    return 2;
}

// Takes the value of an option from "--name value" or "--name=value".
bool takeValue(const QStringList& args, qsizetype& i, const QString& name, QString& value, bool& missing) {
    const QString& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return true;
        }
        value = args[++i];
        return true;
    }
    if (arg.startsWith(name + QLatin1Char('='))) {
        value = arg.mid(name.size() + 1);
        return true;
    }
    return false;
}
} // namespace

bool isSyncCommand(const QStringList& args) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--book")) {
            ++i;
        } else if (args[i] == QLatin1String("--")) {
            return args.value(i + 1) == QLatin1String("sync");
        } else if (!args[i].startsWith(QLatin1Char('-'))) {
            return args[i] == QLatin1String("sync");
        }
    }
    return false;
}

int runSyncCommand(const QStringList& args, const QString& defaultBook, QTextStream& out, QTextStream& err) {
    SetupRequest setup;
    setup.book = defaultBook;
    bool dryRun = false, settingUp = false, force = false, verbose = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        bool missing = false;
        QString url;
        if (arg == QLatin1String("sync") || arg == QLatin1String("--")) {
            continue;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << HelpText;
            out.flush();
            return 0;
        } else if (arg == QLatin1String("--dry-run")) {
            dryRun = true;
        } else if (arg == QLatin1String("--force")) {
            force = true;
        } else if (arg == QLatin1String("--verbose")) {
            verbose = true;
        } else if (arg == QLatin1String("--password-stdin")) {
            setup.passwordFromStdin = true;
        } else if (takeValue(args, i, QStringLiteral("--setup"), url, missing)) {
            settingUp = true;
            setup.url = QUrl(url, QUrl::StrictMode);
        } else if (!takeValue(args, i, QStringLiteral("--user"), setup.user, missing) &&
                   !takeValue(args, i, QStringLiteral("--addressbook"), setup.addressBook, missing) &&
                   !takeValue(args, i, QStringLiteral("--ca"), setup.caFile, missing) &&
                   !takeValue(args, i, QStringLiteral("--book"), setup.book, missing)) {
            return usage(err, arg.startsWith(QLatin1Char('-'))
                                  ? QStringLiteral("unknown option %1").arg(arg)
                                  : QStringLiteral("takes no file (%1)").arg(arg));
        }
        if (missing)
            return usage(err, QStringLiteral("%1 needs a value").arg(arg));
    }
    if (settingUp && (dryRun || force))
        return usage(err, QStringLiteral("--setup goes in a run of its own: set up first, then sync"));
    if (dryRun && force)
        return usage(err, QStringLiteral("--dry-run changes nothing: it takes no --force"));
    if (settingUp) {
        const QString scheme = setup.url.scheme();
        if (!setup.url.isValid() || setup.url.host().isEmpty() ||
            (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
            return usage(err, QStringLiteral("--setup needs the http:// or https:// address of the server"));
        if (setup.user.isEmpty())
            return usage(err, QStringLiteral("--setup needs --user NAME"));
        return runSetup(setup, out, err);
    }
    if (setup.passwordFromStdin || !setup.user.isEmpty() || !setup.addressBook.isEmpty() ||
        !setup.caFile.isEmpty())
        return usage(err, QStringLiteral("--user, --addressbook, --ca and --password-stdin go with --setup"));
    if (dryRun)
        return runDryRun(setup.book, out, err);
    return runTwoWaySync(setup.book, force, verbose, out, err);
}

} // namespace cli
