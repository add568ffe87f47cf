#include "dialer/Module1.h"

#include "dialer/SettingsText.h"
#include "platform/core/AppPath.h"
#include "platform/core/Error.h"
#include "platform/core/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace dialer::Module1 {

namespace {
const QString PortFile = QStringLiteral("Port.sav");
const QString PrefixFile = QStringLiteral("Prefix.sav");

bool canOpen(const QString& name) {
    QFile file(platform::userConfigFile(name));
    return file.open(QIODevice::ReadOnly);
}

// Empty when the file cannot be opened (it may have gone since the check).
// One byte past the limit is enough to tell that it is no settings file.
std::optional<QByteArray> readSome(const QString& name) {
    QFile file(platform::userConfigFile(name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(SettingsFileLimit + 1);
}

[[noreturn]] void cannotSave(const QString& path, const QString& reason) {
    throw platform::Error(platform::err::FileAccess,
                          QStringLiteral("%1 cannot be saved: %2.").arg(path, reason));
}

// Writes until all is out; how many bytes went out.
qint64 writeAll(QFileDevice& file, const QByteArray& content) {
    qint64 done = 0;
    while (done < content.size()) {
        const qint64 n = file.write(content.constData() + done, content.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

// A folder that refuses a new file may still hold a file that takes writes:
// then the file is overwritten where it is. Returns false when it does not
// take writes either.
bool saveInPlace(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return false;
    // The bytes about to be overwritten: a short write puts them back, so the
    // file keeps its old content rather than a mix of both.
    const QByteArray old = file.read(content.size());
    const qint64 done = file.seek(0) ? writeAll(file, content) : 0;
    if (done < content.size()) {
        const QString reason =
            file.error() == QFileDevice::ResourceError ? platform::diskFull(path) : file.errorString();
        if (file.seek(0))
            writeAll(file, old.left(done));
        cannotSave(path, reason);
    }
    if (!file.resize(content.size()))
        cannotSave(path, file.errorString());
    return true;
}

void save(const QString& name, const QByteArray& content) {
    const QString path = platform::userConfigFile(name);
    // The user's configuration folder is made on a first save; the program's
    // own folder never is.
    if (!platform::filesBesideProgram())
        QDir().mkpath(QFileInfo(path).path());
    // A save killed before its rename leaves its copy beside the program.
    platform::SaveFile::removeLeftovers(path);
    platform::SaveFile file(path);
    if (!file.create()) {
        if (saveInPlace(path, content))
            return;
        cannotSave(path, file.failure());
    }
    if (file.write(content) < content.size() || !file.commit())
        cannotSave(path, file.failure());
}
} // namespace

bool PortFileExists() { return canOpen(PortFile); }
bool PrefixFileExists() { return canOpen(PrefixFile); }

void LoadPortSetting(DialerSettingsValues& DialerSettings) {
    if (!PortFileExists())
        return;
    if (const auto content = readSome(PortFile))
        DialerSettings.ModemPort = readNumbers(*content, 1, PortFile)[0];
}

void LoadPrefixSettings(DialerSettingsValues& DialerSettings) {
    if (!PrefixFileExists())
        return;
    if (const auto content = readSome(PrefixFile)) {
        const QList<qint16> n = readNumbers(*content, 3, PrefixFile);
        DialerSettings.AreaCode = n[0];
        DialerSettings.OutLine = n[1];
        DialerSettings.LongDist = n[2];
    }
}

void SavePortSetting(const DialerSettingsValues& DialerSettings) {
    save(PortFile, printLine({DialerSettings.ModemPort}));
}

void SavePrefixSettings(const DialerSettingsValues& DialerSettings) {
    save(PrefixFile, printLine({DialerSettings.AreaCode, DialerSettings.OutLine, DialerSettings.LongDist}));
}

} // namespace dialer::Module1
