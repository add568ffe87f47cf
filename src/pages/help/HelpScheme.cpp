#include "pages/help/HelpScheme.h"

#include "pages/help/ChmFile.h"
#include "pages/help/HtmlHelp.h"

#include <QBuffer>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <utility>

namespace help {
namespace {
constexpr char Scheme[] = "helpfile";
// One viewer shows one file, so every address has the same host; the host
// makes the scheme hierarchical, so relative links resolve.
constexpr char Host[] = "local";
} // namespace

void registerUrlScheme() {
    static bool registered = false;
    if (std::exchange(registered, true))
        return;
    QWebEngineUrlScheme scheme(Scheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setDefaultPort(QWebEngineUrlScheme::PortUnspecified);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl pageUrl(const QString& local) {
    QUrl base;
    base.setScheme(QString::fromLatin1(Scheme));
    base.setHost(QString::fromLatin1(Host));
    base.setPath(QStringLiteral("/"));
    return base.resolved(QUrl(local));
}

QString pageOf(const QUrl& url) {
    if (url.scheme() != QLatin1String(Scheme))
        return {};
    return url.path(QUrl::FullyDecoded).mid(1);
}

SchemeHandler::SchemeHandler(std::shared_ptr<const ChmFile> file, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), file_(std::move(file)) {}

void SchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QString name = pageOf(job->requestUrl());
    const auto data = file_->read(name);
    if (!data) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    static const QMimeDatabase mimes;
    auto* body = new QBuffer(job);
    body->setData(*data);
    job->reply(mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name().toUtf8(), body);
}

} // namespace help
