#include "cli/Account.h"

#include "cli/Passwords.h"

namespace cli {

void openAccount(const QString& book, CommandRun& run, Account& account, std::function<void()> ready) {
    dav::Connection connection;
    try {
        std::optional<SyncSettings> settings = readSettings(book);
        if (!settings) {
            run.fail(
                QStringLiteral("%1: sync is not set up for this phone book; run quorvel-book sync --setup "
                               "URL --user NAME first")
                    .arg(book));
            return;
        }
        account.settings = *settings;
        connection.trusted = readAuthorities(settings->caFile);
    } catch (const platform::Error& e) {
        run.fail(e.description());
        return;
    }
    connection.user = account.settings.user;
    loadPassword(
        book, account.settings,
        [&run, &account, connection, ready = std::move(ready)](const QString& password) mutable {
            connection.password = password;
            account.client.emplace(std::move(connection), run.failer());
            ready();
        },
        run.failer());
}

} // namespace cli
