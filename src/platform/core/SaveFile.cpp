#include "platform/core/SaveFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStorageInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {
const QString Mark = QStringLiteral(".quorvel-save-");

QString sixLetters() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString six;
    for (int i = 0; i < 6; ++i)
        six += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return six;
}
} // namespace

QString diskFull(const QString& path) {
    if (path.isEmpty())
        return QStringLiteral("the disk is full");
    return QStringLiteral("the disk is full (the one mounted at %1)")
        .arg(QStorageInfo(QFileInfo(path).absolutePath()).rootPath());
}

QString systemError(int error, const QString& path) {
    if (error == ENOSPC)
        return diskFull(path);
    return qt_error_string(error); // strerror() is not safe beside other threads
}

SaveFile::SaveFile(const QString& path) : path_(path), target_(path) {
    // Written through a link, as an editor does: the link stays a link.
    const QFileInfo info(path);
    if (info.isSymLink() && !info.canonicalFilePath().isEmpty())
        target_ = info.canonicalFilePath();
}

SaveFile::~SaveFile() { discard(); }

bool SaveFile::create() {
    const QFileInfo target(target_);
    struct stat old {};
    const bool replaces = ::stat(QFile::encodeName(target_).constData(), &old) == 0;
    for (int tries = 0; tries < 100; ++tries) {
        temporary_ = QFile::encodeName(target.dir().filePath(target.fileName() + Mark + sixLetters()));
        // Nobody else may read a copy of a file only its owner could, while it is written.
        fd_ = ::open(temporary_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replaces ? 0600 : 0666);
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temporary_.clear();
        return fail(errno);
    }
    if (replaces) {
        (void)::fchown(fd_, old.st_uid, old.st_gid); // given only where this user may
        ::fchmod(fd_, old.st_mode & 07777);
    }
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 SaveFile::writeData(const char* data, qint64 size) {
    if (fd_ < 0 || !failure_.isEmpty())
        return -1;
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return done > 0 ? done : -1;
        }
        done += n;
    }
    return done;
}

bool SaveFile::commit() {
    if (fd_ < 0 || !failure_.isEmpty()) {
        discard();
        return false;
    }
    // The whole file on the disk before it takes the old one's place: a
    // power cut leaves one or the other.
    if (::fsync(fd_) != 0 && errno != EINVAL)
        return fail(errno);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR)
        return fail(errno);
    QIODevice::close();
    if (::rename(temporary_.constData(), QFile::encodeName(target_).constData()) != 0)
        return fail(errno);
    temporary_.clear();
    return true;
}

bool SaveFile::fail(int error) {
    if (failure_.isEmpty())
        failure_ = systemError(error, target_);
    setErrorString(failure_);
    discard();
    return false;
}

void SaveFile::discard() {
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    temporary_.clear();
    if (isOpen())
        QIODevice::close();
}

void SaveFile::removeLeftovers(const QString& path) {
    const QFileInfo target(path);
    const QRegularExpression own(
        QStringLiteral("^%1%2[A-Za-z0-9]{6}$")
            .arg(QRegularExpression::escape(target.fileName()), QRegularExpression::escape(Mark)));
    const QDateTime settled = QDateTime::currentDateTimeUtc().addSecs(-10);
    const QFileInfoList candidates =
        target.dir().entryInfoList({target.fileName() + Mark + QStringLiteral("*")}, QDir::Files);
    for (const QFileInfo& file : candidates)
        if (own.match(file.fileName()).hasMatch() && !file.isSymLink() && file.lastModified() < settled)
            QFile::remove(file.filePath());
}

} // namespace platform
