#include "cli/SyncSettings.h"

#include "platform/core/Error.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace cli {
namespace {
// Settings are a few lines; anything bigger is not ours.
constexpr qint64 MaxSettingsBytes = 64 * 1024;

[[noreturn]] void unusable(const QString& file, const QString& why) {
    throw platform::Error(
        platform::err::BadFileFormat,
        QStringLiteral("%1: %2; set up sync again with quorvel-book sync --setup").arg(file, why));
}
} // namespace

QString settingsFile(const QString& book) { return book + QStringLiteral(".sync"); }
QString passwordFile(const QString& book) { return book + QStringLiteral(".sync.password"); }

std::optional<SyncSettings> readSettings(const QString& book) {
    const QString path = settingsFile(book);
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Error(platform::err::FileAccess,
                              QStringLiteral("%1: cannot read it (%2)").arg(path, file.errorString()));
    if (file.size() > MaxSettingsBytes)
        unusable(path, QStringLiteral("it is too large to be sync settings"));
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(file.readAll(), &error).object();
    if (error.error != QJsonParseError::NoError)
        unusable(path, QStringLiteral("it is damaged (%1)").arg(error.errorString()));
    SyncSettings s;
    s.addressBook = QUrl(json.value(QLatin1String("addressbook")).toString(), QUrl::StrictMode);
    s.name = json.value(QLatin1String("name")).toString();
    s.user = json.value(QLatin1String("user")).toString();
    s.caFile = json.value(QLatin1String("ca")).toString();
    s.password = json.value(QLatin1String("password")).toString() == QLatin1String("file")
                     ? PasswordPlace::File
                     : PasswordPlace::SecretStore;
    const QString scheme = s.addressBook.scheme();
    if (!s.addressBook.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        unusable(path, QStringLiteral("it names no server"));
    return s;
}

void writeSettings(const QString& book, const SyncSettings& s) {
    QJsonObject json{{QStringLiteral("addressbook"), s.addressBook.toString(QUrl::FullyEncoded)},
                     {QStringLiteral("name"), s.name},
                     {QStringLiteral("user"), s.user},
                     {QStringLiteral("password"), s.password == PasswordPlace::File
                                                      ? QStringLiteral("file")
                                                      : QStringLiteral("secret-store")}};
    if (!s.caFile.isEmpty())
        json.insert(QStringLiteral("ca"), s.caFile);
    const QString path = settingsFile(book);
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly) || save.write(QJsonDocument(json).toJson()) < 0 || !save.commit())
        throw platform::Error(platform::err::FileAccess,
                              QStringLiteral("%1: cannot write it (%2)").arg(path, save.errorString()));
}

} // namespace cli
