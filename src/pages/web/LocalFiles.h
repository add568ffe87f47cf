#pragma once

#include <QWebEngineUrlRequestInterceptor>

namespace web {

// Lets no page read a file of this computer unless it is itself a file of
// this computer or the user asked for the file; a page from the network
// reaches no local file, not even through a link or a redirect.
class LocalFiles : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

} // namespace web
