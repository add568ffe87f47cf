#include "pages/web/FolderScheme.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace web {
namespace {
// A page of the program's own is a few kilobytes; a file far larger is not one.
constexpr qint64 LargestFile = 16 * 1024 * 1024;

class FolderScheme final : public QWebEngineUrlSchemeHandler {
public:
    FolderScheme(const QString& folder, QObject* parent)
        : QWebEngineUrlSchemeHandler(parent), folder_(QFileInfo(folder).canonicalFilePath()) {}
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QString folder_;
};
} // namespace

void registerFolderScheme(const QString& name) {
    static QSet<QString> registered;
    if (registered.contains(name))
        return;
    registered.insert(name);
    QWebEngineUrlScheme scheme(name.toLatin1());
    // A host makes the addresses hierarchical, so relative links resolve.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setDefaultPort(QWebEngineUrlScheme::PortUnspecified);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void FolderScheme::requestStarted(QWebEngineUrlRequestJob* job) {
    if (job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString path = QDir::cleanPath(job->requestUrl().path(QUrl::FullyDecoded));
    const QFileInfo file(folder_ + QLatin1Char('/') + path);
    // Whatever the address or a link in the folder says, only the folder's own files.
    const QString real = file.canonicalFilePath();
    if (folder_.isEmpty() || !real.startsWith(folder_ + QLatin1Char('/')) || !file.isFile()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    QFile body(real);
    if (file.size() > LargestFile || !body.open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    static const QMimeDatabase mimes;
    auto* reply = new QBuffer(job);
    reply->setData(body.read(LargestFile));
    job->reply(mimes.mimeTypeForFile(real, QMimeDatabase::MatchExtension).name().toUtf8(), reply);
}

QWebEngineUrlSchemeHandler* makeFolderScheme(const QString& folder, QObject* parent) {
    return new FolderScheme(folder, parent);
}

} // namespace web
