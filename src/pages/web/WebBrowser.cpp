#include "pages/web/WebBrowser.h"

#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace web {
namespace {
// A page that asks its browser control before following a link.
class Page : public QWebEnginePage {
public:
    Page(QWebEngineProfile* profile, QObject* parent, std::function<bool(const QUrl&)> follow)
        : QWebEnginePage(profile, parent), follow_(std::move(follow)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        return follow_(url) && QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

private:
    std::function<bool(const QUrl&)> follow_;
};
} // namespace

WebBrowser::WebBrowser(QWidget* parent)
    : QWidget(parent), profile_(new QWebEngineProfile(this)), // no storage name: kept in memory only
      view_(new QWebEngineView(this)), page_(new Page(profile_, view_, [this](const QUrl& url) {
          if (!handOff_ || !handedOff_.contains(url.scheme(), Qt::CaseInsensitive))
              return true;
          handOff_(url);
          return false;
      })) {
    view_->setPage(page_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    // Whatever the window is shrunk to, the page follows.
    setMinimumSize(0, 0);
    view_->setMinimumSize(0, 0);

    // The engine has taken the navigation asked for once it starts loading,
    // or once a move within the page (an anchor) has reached its address. An
    // earlier page's late end must not count.
    connect(page_, &QWebEnginePage::loadStarted, this, [this] { requested_.clear(); });
    connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (url == requested_)
            requested_.clear();
    });
    connect(page_, &QWebEnginePage::loadFinished, this, [this] { emit DownloadComplete(); });
}

WebBrowser::~WebBrowser() {
    // The page must go before the profile it was made with.
    delete view_;
}

void WebBrowser::Navigate(const QString& address) {
    const QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid())
        return;
    // A script address runs in the page and loads nothing: nothing to wait for.
    if (url.scheme() != QLatin1String("javascript"))
        requested_ = url;
    page_->load(url);
}

void WebBrowser::GoBack() {
    if (!page_->history()->canGoBack())
        return;
    requested_ = page_->history()->backItem().url();
    page_->triggerAction(QWebEnginePage::Back);
}

void WebBrowser::GoForward() {
    if (!page_->history()->canGoForward())
        return;
    requested_ = page_->history()->forwardItem().url();
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
    requested_ = page_->url();
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
