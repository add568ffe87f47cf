#include "exchange/ExportTarget.h"

#include "platform/core/Error.h"
#include "platform/core/SaveFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

namespace exchange {
namespace {
[[noreturn]] void refuse(const QString& why) { throw platform::Error(platform::err::FileAccess, why); }

// "-", /dev/stdout, /dev/fd/3: a descriptor this process has open already.
// Opening such a path again would start at the beginning of a file that the
// shell opened for appending; the descriptor itself writes where it should.
int descriptorNamed(const QString& path) {
    if (path == QLatin1String("-") || path == QLatin1String("/dev/stdout"))
        return STDOUT_FILENO;
    if (path == QLatin1String("/dev/stderr"))
        return STDERR_FILENO;
    static const QRegularExpression fd(QStringLiteral("^/(?:dev|proc/self)/fd/(\\d{1,9})$"));
    const QRegularExpressionMatch m = fd.match(path);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}
} // namespace

ExportTarget::ExportTarget(const QString& path) : path_(path), descriptor_(descriptorNamed(path)) {
    if (descriptor_ >= 0) {
        auto stream = std::make_unique<QFile>();
        if (!stream->open(descriptor_, QIODevice::WriteOnly | QIODevice::Unbuffered, QFile::DontCloseHandle))
            refuse(QStringLiteral("cannot write it (%1)").arg(stream->errorString()));
        file_ = std::move(stream);
        return;
    }
    struct stat st {};
    const QByteArray local = QFile::encodeName(path);
    if (::stat(local.constData(), &st) != 0 || S_ISREG(st.st_mode)) {
        auto save = std::make_unique<platform::SaveFile>(path);
        if (!save->create())
            refuse(QStringLiteral("cannot write it (%1)").arg(save->failure()));
        save_ = save.get();
        file_ = std::move(save);
        return;
    }
    if (S_ISDIR(st.st_mode))
        refuse(QStringLiteral("this is a folder; name a file to export to"));
    if (S_ISBLK(st.st_mode)) // it would overwrite whatever the disk holds, from its first byte
        refuse(QStringLiteral("this is a disk device; export to a file on a disk instead"));
    if (S_ISSOCK(st.st_mode))
        refuse(QStringLiteral("this is a socket, which cannot be written as a file; export to a file "
                              "or a named pipe instead"));
    // A character device or a named pipe; opening the pipe waits for its reader.
    auto stream = std::make_unique<QFile>(path);
    if (!stream->open(QIODevice::WriteOnly | QIODevice::Unbuffered | QIODevice::ExistingOnly))
        refuse(QStringLiteral("cannot write into it (%1)").arg(stream->errorString()));
    file_ = std::move(stream);
}

ExportTarget::~ExportTarget() = default;

QIODevice& ExportTarget::device() { return *file_; }
bool ExportTarget::isStandardOutput() const { return descriptor_ == STDOUT_FILENO; }

QString ExportTarget::name() const {
    return path_ == QLatin1String("-") ? QStringLiteral("standard output") : path_;
}

void ExportTarget::commit() {
    if (save_ ? !save_->commit() : !static_cast<QFile*>(file_.get())->flush())
        refuse(writeProblem(QStringLiteral("write it")));
}

QString ExportTarget::writeProblem(const QString& what) const {
    const QString kept =
        save_ && QFileInfo::exists(path_) ? QStringLiteral(" (the file was left as it was)") : QString();
    QString why;
    if (save_) {
        why = save_->failure();
    } else {
        // Qt tells a full disk (ENOSPC) by this error alone.
        const auto* stream = static_cast<const QFile*>(file_.get());
        why =
            stream->error() == QFileDevice::ResourceError ? platform::diskFull(path_) : stream->errorString();
    }
    if (why.startsWith(platform::diskFull()))
        return QStringLiteral("cannot %1: %2%3; free some space on it, then export again")
            .arg(what, why, kept);
    return QStringLiteral("cannot %1 (%2)%3").arg(what, why, kept);
}

} // namespace exchange
