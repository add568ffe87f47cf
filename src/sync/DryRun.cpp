#include "sync/DryRun.h"

#include "sync/Account.h"
#include "sync/CardText.h"

#include <QElapsedTimer>

#include <unistd.h>

namespace carddav {
namespace {
constexpr int NamesShown = 10;

// The name the phone book would show for a card; empty when it cannot be read.
QString nameOf(const QByteArray& vcard, bool& readable) {
    const std::optional<exchange::Card> card = readCard(vcard);
    readable = card.has_value();
    return card ? (*card)[exchange::Name] : QString();
}

struct Tally {
    qint64 cards = 0;
    qint64 unreadable = 0;
    QStringList names;
};
} // namespace

int runDryRun(const QString& book, QTextStream& out, QTextStream& err) {
    CommandRun run(out, err);
    Account account;
    Tally tally;
    QElapsedTimer clock;
    clock.start();
    const bool showProgress = isatty(STDERR_FILENO) == 1;
    bool progressShown = false;
    const SyncSettings& settings = account.settings;
    std::optional<Client>& client = account.client;
    QUrl url;

    openAccount(book, run, account, [&] {
        url = settings.addressBook;
        client->list(url, QString(), [&](const Listing& listing) {
            QStringList hrefs;
            for (const CardRef& card : listing.cards)
                hrefs << card.href;
            const QString token = listing.syncToken;
            client->fetch(
                url, hrefs,
                [&, total = hrefs.size()](const QList<FetchedCard>& cards) {
                    for (const FetchedCard& card : cards) {
                        bool readable = false;
                        const QString name = nameOf(card.vcard, readable);
                        ++tally.cards;
                        if (!readable)
                            ++tally.unreadable;
                        else if (tally.names.size() < NamesShown)
                            tally.names << (name.isEmpty() ? QStringLiteral("(no name)") : name);
                    }
                    if (showProgress && clock.elapsed() > 1000) {
                        err << "\rFetched " << tally.cards << " of " << total << " cards" << Qt::flush;
                        progressShown = true;
                    }
                },
                [&, token, listed = hrefs.size()] {
                    if (progressShown)
                        err << Qt::endl;
                    out << "Dry run: \"" << settings.name << "\" at " << serverName(url) << " holds "
                        << listed << (listed == 1 ? " card" : " cards")
                        << (token.isEmpty() ? " (no sync token: changes are found by ETags)" : "") << ".\n";
                    out << "A first sync would bring down " << (tally.cards - tally.unreadable)
                        << (tally.cards - tally.unreadable == 1 ? " contact" : " contacts");
                    if (tally.unreadable > 0)
                        out << " and leave out " << tally.unreadable << " that cannot be read";
                    if (listed > tally.cards)
                        out << "; " << (listed - tally.cards) << " went away while they were fetched";
                    out << (tally.names.isEmpty() ? ".\n" : ":\n");
                    for (const QString& name : tally.names)
                        out << "  " << name << '\n';
                    if (tally.cards - tally.unreadable > tally.names.size())
                        out << "  and " << (tally.cards - tally.unreadable - tally.names.size()) << " more\n";
                    out << client->requestsSent() << (client->requestsSent() == 1 ? " request" : " requests")
                        << "; nothing was written to the phone book or the server.\n";
                    out.flush();
                    run.done();
                });
        });
    });
    return run.exec();
}

} // namespace carddav
