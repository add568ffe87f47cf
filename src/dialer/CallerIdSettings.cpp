#include "dialer/CallerIdSettings.h"

#include "platform/core/Error.h"

#include <QSettings>
#include <QStandardPaths>

namespace dialer {
namespace {
constexpr char Group[] = "CallerId";
}

QStringList CallerIdSettings::usualCommands() {
    return {QStringLiteral("AT+VCID=1"), QStringLiteral("AT#CID=1"), QStringLiteral("AT%CCID=1")};
}

QString CallerIdSettings::path() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quorvel/callerid.conf");
}

CallerIdSettings CallerIdSettings::load() {
    QSettings file(path(), QSettings::IniFormat);
    file.beginGroup(QLatin1String(Group));
    CallerIdSettings settings;
    settings.listen = file.value(QStringLiteral("Listen"), false).toBool();
    settings.command = file.value(QStringLiteral("Command")).toString().trimmed();
    if (!isModemCommand(settings.command))
        settings.command = usualCommands().first();
    return settings;
}

void CallerIdSettings::save() const {
    // QSettings writes the whole file anew and renames it over the old one.
    QSettings file(path(), QSettings::IniFormat);
    file.beginGroup(QLatin1String(Group));
    file.setValue(QStringLiteral("Listen"), listen);
    file.setValue(QStringLiteral("Command"), command);
    file.endGroup();
    file.sync();
    if (file.status() != QSettings::NoError)
        throw platform::Error(
            platform::err::FileAccess,
            QStringLiteral("The choice for incoming calls could not be kept in %1.").arg(path()));
}

bool isModemCommand(const QString& command) {
    if (command.size() < 3 || command.size() > 40 ||
        !command.startsWith(QLatin1String("AT"), Qt::CaseInsensitive))
        return false;
    for (const QChar c : command)
        if (c.unicode() < 0x21 || c.unicode() > 0x7E)
            return false;
    return true;
}

} // namespace dialer
