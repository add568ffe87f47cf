#include "cli/CommandRun.h"

#include <QFile>

namespace cli {

QList<QSslCertificate> readAuthorities(const QString& file) {
    if (file.isEmpty())
        return {};
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw platform::Error(platform::err::FileAccess,
                              QStringLiteral("%1: cannot read it (%2)").arg(file, in.errorString()));
    QList<QSslCertificate> all = QSslCertificate::fromDevice(&in, QSsl::Pem);
    if (all.isEmpty())
        throw platform::Error(platform::err::BadFileFormat,
                              QStringLiteral("%1: holds no certificate in PEM form").arg(file));
    return all;
}

} // namespace cli
