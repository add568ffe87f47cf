#pragma once

#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

#include <memory>

namespace help {

class ChmFile;

// The address of a page (or image) inside the help file the viewer shows.
QUrl pageUrl(const QString& local);
// The page's path inside the help file, for an address of the scheme.
QString pageOf(const QUrl& url);

// Serves every request of the scheme from one help file.
class SchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    SchemeHandler(std::shared_ptr<const ChmFile> file, QObject* parent);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    std::shared_ptr<const ChmFile> file_;
};

} // namespace help
