#include "cli/SyncSetup.h"

#include "cli/CommandRun.h"
#include "cli/Passwords.h"
#include "cli/SyncSettings.h"
#include "cli/Terminal.h"
#include "sync/dav/Client.h"

#include <QFileInfo>
#include <QHostAddress>

#include <optional>

namespace cli {
using dav::AddressBook;
using dav::Client;
using dav::serverName;

namespace {
std::optional<AddressBook> byName(const QList<AddressBook>& books, const QString& name) {
    for (const AddressBook& b : books)
        if (b.name.compare(name, Qt::CaseInsensitive) == 0)
            return b;
    // The last part of its address names it too ("contacts" for .../ida/contacts/).
    for (const AddressBook& b : books) {
        const QStringList parts = b.url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (!parts.isEmpty() && parts.last().compare(name, Qt::CaseInsensitive) == 0)
            return b;
    }
    return std::nullopt;
}

QString names(const QList<AddressBook>& books) {
    QStringList all;
    for (const AddressBook& b : books)
        all << QStringLiteral("\"%1\"").arg(b.name);
    return all.join(QLatin1String(", "));
}

void list(const QList<AddressBook>& books, const SetupRequest& request, QTextStream& out) {
    out << "Address books of \"" << request.user << "\" on " << serverName(request.url) << ":\n";
    for (const AddressBook& b : books)
        out << "  " << b.name << "  (" << b.url.toDisplayString() << ")\n";
    out.flush();
}
} // namespace

int runSetup(const SetupRequest& request, QTextStream& out, QTextStream& err) {
    CommandRun run(out, err);
    if (!QFileInfo(request.book).isFile()) {
        run.fail(QStringLiteral("%1: there is no phone book there; name yours with --book PATH")
                     .arg(request.book));
        return run.exec();
    }
    dav::Connection connection;
    connection.user = request.user;
    try {
        connection.trusted = readAuthorities(request.caFile);
    } catch (const platform::Error& e) {
        run.fail(e.description());
        return run.exec();
    }
    std::optional<QString> password;
    if (request.passwordFromStdin) {
        password = readInputLine(false);
    } else if (inputIsTerminal()) {
        password = readInputLine(
            true, QStringLiteral("Password for \"%1\" on %2: ").arg(request.user, serverName(request.url)),
            &err);
    } else {
        run.fail(QStringLiteral("there is no terminal to ask for the password on; give it on standard input "
                                "with --password-stdin"));
        return run.exec();
    }
    if (!password) {
        run.fail(QStringLiteral("no password was given"));
        return run.exec();
    }
    connection.password = *password;

    Client client(connection, run.failer());
    auto keep = [&](const AddressBook& book) {
        SyncSettings settings{book.url, book.name, request.user, QString(), PasswordPlace::SecretStore};
        if (!request.caFile.isEmpty())
            settings.caFile = QFileInfo(request.caFile).absoluteFilePath();
        storePassword(
            request.book, settings, *password,
            [&, book, settings](PasswordPlace place, const QString& why) mutable {
                settings.password = place;
                try {
                    writeSettings(request.book, settings);
                } catch (const platform::Error& e) {
                    run.fail(e.description());
                    return;
                }
                out << "Sync set up: " << request.book << " with \"" << book.name << "\" at "
                    << book.url.toDisplayString()
                    << (book.syncTokens ? "" : " (no sync tokens: changes are found by ETags)") << ".\n";
                if (place == PasswordPlace::File)
                    out << "No secret store answered (" << why << "): the password is kept in "
                        << passwordFile(request.book) << ", which only you can read.\n";
                else
                    out << "The password is kept in the desktop's secret store.\n";
                if (book.url.scheme() == QLatin1String("http") &&
                    !QHostAddress(book.url.host()).isLoopback() &&
                    book.url.host() != QLatin1String("localhost"))
                    out << "Mind: over http:// the password travels unencrypted; use https:// where the "
                           "server "
                           "offers it.\n";
                out.flush();
                run.done();
            },
            run.failer());
    };
    client.discover(request.url, [&](const QList<AddressBook>& books) {
        if (!request.addressBook.isEmpty()) {
            if (const auto picked = byName(books, request.addressBook))
                keep(*picked);
            else
                run.fail(QStringLiteral("%1 has no address book \"%2\" for \"%3\"; it has %4")
                             .arg(serverName(request.url), request.addressBook, request.user, names(books)));
            return;
        }
        if (books.size() == 1) {
            keep(books.first());
            return;
        }
        list(books, request, out);
        if (request.passwordFromStdin || !inputIsTerminal()) {
            run.fail(QStringLiteral("%1 has %2 address books for \"%3\"; pick one with --addressbook NAME")
                         .arg(serverName(request.url))
                         .arg(books.size())
                         .arg(request.user));
            return;
        }
        for (;;) {
            const std::optional<QString> name =
                readInputLine(false, QStringLiteral("Address book to sync (its name): "), &out);
            if (!name) {
                run.fail(QStringLiteral("no address book was picked"));
                return;
            }
            if (const auto picked = byName(books, name->trimmed())) {
                keep(*picked);
                return;
            }
            out << "There is no address book \"" << name->trimmed() << "\"; the names are " << names(books)
                << ".\n";
        }
    });
    return run.exec();
}

} // namespace cli
