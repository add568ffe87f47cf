#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace cli {

// Where a book's sync password is kept.
enum class PasswordPlace { SecretStore, File };

// How one phone book syncs: kept beside the book in "BOOK.sync", so two
// books sync with two servers (or two address books) independently.
struct SyncSettings {
    QUrl addressBook; // the collection's URL
    QString name;     // its display name, for messages
    QString user;
    QString caFile; // a certificate authority trusted for this server, if any
    PasswordPlace password = PasswordPlace::SecretStore;
};

QString settingsFile(const QString& book);
// Beside the settings, readable only by the user, when no secret store is reachable.
QString passwordFile(const QString& book);

// The book's settings, or none when sync was never set up. A file that
// cannot be read or makes no sense throws platform::Error naming it.
std::optional<SyncSettings> readSettings(const QString& book);
void writeSettings(const QString& book, const SyncSettings& settings);

} // namespace cli
