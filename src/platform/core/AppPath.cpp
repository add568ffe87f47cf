#include "platform/core/AppPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

// Installed for the whole machine, the program knows where its shared data
// and private parts lie from its own folder, so an unpacked copy of the
// package works wherever it is unpacked.
#ifndef QUORVEL_SHARED_FROM_PROGRAM
#define QUORVEL_SHARED_FROM_PROGRAM ""
#endif
#ifndef QUORVEL_PRIVATE_FROM_PROGRAM
#define QUORVEL_PRIVATE_FROM_PROGRAM ""
#endif

namespace platform {
namespace {
QString& overridden() {
    static QString folder;
    return folder;
}

constexpr bool SystemLayout = sizeof(QUORVEL_SHARED_FROM_PROGRAM) > 1;

QString under(const char* fromProgram, const QString& name) {
    if (!*fromProgram)
        return appFile(name);
    return QDir::cleanPath(appPath() + QLatin1Char('/') + QLatin1String(fromProgram) + QLatin1Char('/') +
                           name);
}

QString inUserFolder(QStandardPaths::StandardLocation location, const QString& name) {
    if (filesBesideProgram())
        return appFile(name);
    return QStandardPaths::writableLocation(location) + QStringLiteral("/quorvel/") + name;
}
} // namespace

QString appPath() {
    if (!overridden().isEmpty())
        return overridden();
    return QCoreApplication::applicationDirPath();
}

void setAppPath(const QString& folder) { overridden() = folder; }

QString appFile(const QString& name) { return appPath() + QDir::separator() + name; }

QString sharedFile(const QString& name) { return under(QUORVEL_SHARED_FROM_PROGRAM, name); }

QString privateFile(const QString& name) { return under(QUORVEL_PRIVATE_FROM_PROGRAM, name); }

// A program installed for the whole machine never writes beside itself, not
// even for root, who may write there: /usr/bin holds no one's phone book. A
// program folder that has gone stays the place: writing there fails and says
// so, rather than the files moving elsewhere unasked.
bool filesBesideProgram() {
    if (SystemLayout)
        return false;
    const QFileInfo folder(appPath());
    return !folder.exists() || folder.isWritable();
}

QString userDataFile(const QString& name) { return inUserFolder(QStandardPaths::GenericDataLocation, name); }

QString userConfigFile(const QString& name) {
    return inUserFolder(QStandardPaths::GenericConfigLocation, name);
}

} // namespace platform
