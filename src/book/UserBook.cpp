#include "book/UserBook.h"

#include "platform/core/AppPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace book {
namespace {
const QString BookName = QStringLiteral("Quorvel.mdb");

// The folder holds the user's contacts and the sync settings beside them:
// only its owner may look in. An existing folder keeps its mode.
bool makeFolder(const QString& folder) {
    if (QFileInfo::exists(folder))
        return true;
    QDir().mkpath(QFileInfo(folder).path());
    return QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
           QFileInfo::exists(folder);
}
} // namespace

QString userBook() {
    QString book = platform::userDataFile(BookName);
    if (platform::filesBesideProgram() || QFileInfo::exists(book) || QFileInfo(book).isSymLink())
        return book;
    const QString sample = platform::sharedFile(BookName);
    // QFile::copy never replaces a file: a book another start placed
    // meanwhile stays as it is.
    if (QFileInfo::exists(sample) && makeFolder(QFileInfo(book).path()))
        QFile::copy(sample, book);
    return book;
}

} // namespace book
