#include "platform/core/AppPath.h"

#include <QCoreApplication>
#include <QDir>

namespace platform {
namespace {
QString& overridden() {
    static QString folder;
    return folder;
}
} // namespace

QString appPath() {
    if (!overridden().isEmpty())
        return overridden();
    return QCoreApplication::applicationDirPath();
}

void setAppPath(const QString& folder) { overridden() = folder; }

QString appFile(const QString& name) { return appPath() + QDir::separator() + name; }

} // namespace platform
