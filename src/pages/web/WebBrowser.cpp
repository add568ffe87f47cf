#include "pages/web/WebBrowser.h"

#include "pages/web/FolderScheme.h"
#include "pages/web/LocalFiles.h"
#include "pages/web/Page.h"

#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace web {
WebBrowser::WebBrowser(QWidget* parent)
    : QWidget(parent), profile_(new QWebEngineProfile(this)), // no storage name: kept in memory only
      view_(std::make_unique<QWebEngineView>(this)),
      page_(new Page(profile_, view_.get(), [this](const QUrl& url) {
          if (!handOff_ || !handedOff_.contains(url.scheme(), Qt::CaseInsensitive))
              return true;
          handOff_(url);
          return false;
      })) {
    profile_->setUrlRequestInterceptor(new LocalFiles(profile_));
    view_->setPage(page_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_.get());
    // Whatever the window is shrunk to, the page follows.
    setMinimumSize(0, 0);
    view_->setMinimumSize(0, 0);

    // The engine has taken the navigation asked for once it starts loading,
    // or once a move within the page (an anchor) has changed the address;
    // it has dropped it when it stops, fails or hands the address elsewhere
    // (another program, a download). An earlier page's late end must not count.
    // A typed address may show before its load starts: only a move within
    // the page, which loads nothing, is done when the address changes.
    const auto reached = [this](const QUrl& url) {
        if (url.toString(QUrl::FullyEncoded) == requested_.toString(QUrl::FullyEncoded))
            requested_.clear();
    };
    connect(page_, &QWebEnginePage::loadStarted, this, [this] { requested_.clear(); });
    connect(page_, &QWebEnginePage::urlChanged, this, [this, reached](const QUrl& url) {
        if (withinPage_)
            reached(url);
    });
    connect(page_, &QWebEnginePage::loadingChanged, this, [reached](const QWebEngineLoadingInfo& info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            reached(info.url());
    });
    connect(profile_, &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest* download) {
                // The window saves nothing: a download is refused, and ends the wait.
                download->cancel();
                requested_.clear();
            });
    connect(page_, &QWebEnginePage::loadFinished, this, [this] { emit DownloadComplete(); });
}

WebBrowser::~WebBrowser() = default;

void WebBrowser::serveFolder(const QString& scheme, const QString& folder) {
    profile_->installUrlSchemeHandler(scheme.toLatin1(), makeFolderScheme(folder, profile_));
}

bool WebBrowser::endDialogs() { return page_->endDialogs(); }

void WebBrowser::Navigate(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid())
        return;
    // A script address runs in the page and loads nothing: nothing to wait for.
    if (url.scheme() != QLatin1String("javascript"))
        request(url);
    page_->load(url);
}

void WebBrowser::request(const QUrl& url) {
    requested_ = url;
    withinPage_ = url.hasFragment() &&
                  url.adjusted(QUrl::RemoveFragment) == page_->url().adjusted(QUrl::RemoveFragment);
}

void WebBrowser::GoBack() {
    if (!page_->history()->canGoBack())
        return;
    request(page_->history()->backItem().url());
    page_->triggerAction(QWebEnginePage::Back);
}

void WebBrowser::GoForward() {
    if (!page_->history()->canGoForward())
        return;
    request(page_->history()->forwardItem().url());
    page_->triggerAction(QWebEnginePage::Forward);
}

void WebBrowser::handOff(const QStringList& schemes, std::function<void(const QUrl& link)> handler) {
    handedOff_ = schemes;
    handOff_ = std::move(handler);
}

void WebBrowser::GoHome() { Navigate(home_.toString()); }
void WebBrowser::GoSearch() { Navigate(search_.toString()); }

void WebBrowser::Refresh() {
    if (page_->url().isEmpty())
        return;
    request(page_->url());
    page_->triggerAction(QWebEnginePage::Reload);
}

void WebBrowser::Stop() {
    requested_.clear();
    page_->triggerAction(QWebEnginePage::Stop);
}

bool WebBrowser::Busy() const { return !requested_.isEmpty() || page_->isLoading(); }

QString WebBrowser::LocationName() const {
    const QString title = page_->title();
    return title.isEmpty() ? LocationURL() : title;
}

QString WebBrowser::LocationURL() const { return page_->url().toString(QUrl::FullyEncoded); }

} // namespace web
