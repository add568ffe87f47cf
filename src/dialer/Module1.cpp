#include "dialer/Module1.h"

#include "dialer/SettingsText.h"
#include "platform/core/AppPath.h"
#include "platform/core/Error.h"

#include <QFile>
#include <QSaveFile>

namespace dialer::Module1 {

DialerSettingsValues DialerSettings;

namespace {
const QString PortFile = QStringLiteral("Port.sav");
const QString PrefixFile = QStringLiteral("Prefix.sav");

bool canOpen(const QString& name) {
    QFile file(platform::appFile(name));
    return file.open(QIODevice::ReadOnly);
}

// Empty when the file cannot be opened (it may have gone since the check).
std::optional<QByteArray> readAll(const QString& name) {
    QFile file(platform::appFile(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

void save(const QString& name, const QByteArray& content) {
    const QString path = platform::appFile(name);
    QSaveFile file(path);
    // Unbuffered, and written until all is out: on a full disk the short
    // write shows here, with the reason on the next attempt. Buffered, the
    // short write surfaces only in commit(), which then installs the
    // truncated file and reports success.
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    for (qint64 done = 0; written && done < content.size();) {
        const qint64 n = file.write(content.constData() + done, content.size() - done);
        written = n > 0;
        done += n;
    }
    if (!written || !file.commit())
        throw platform::Error(platform::err::FileAccess,
                              QStringLiteral("%1 cannot be saved: %2.").arg(path, file.errorString()));
}
} // namespace

bool PortFileExists() { return canOpen(PortFile); }
bool PrefixFileExists() { return canOpen(PrefixFile); }

void LoadPortSetting() {
    if (!PortFileExists())
        return;
    if (const auto content = readAll(PortFile))
        DialerSettings.ModemPort = readNumbers(*content, 1, PortFile)[0];
}

void LoadPrefixSettings() {
    if (!PrefixFileExists())
        return;
    if (const auto content = readAll(PrefixFile)) {
        const QList<qint16> n = readNumbers(*content, 3, PrefixFile);
        DialerSettings.AreaCode = n[0];
        DialerSettings.OutLine = n[1];
        DialerSettings.LongDist = n[2];
    }
}

void SavePortSetting() { save(PortFile, printLine({DialerSettings.ModemPort})); }

void SavePrefixSettings() {
    save(PrefixFile, printLine({DialerSettings.AreaCode, DialerSettings.OutLine, DialerSettings.LongDist}));
}

} // namespace dialer::Module1
