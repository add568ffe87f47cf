#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>

class QWebEngineProfile;
class QWebEngineView;

namespace web {

class Page;

// The browser control: shows one page and offers the members its window uses,
// under their names. It knows nothing of the program: its home and search
// pages are settings given by the window. Each control keeps its own history
// and a session of its own that nothing outlives.
class WebBrowser : public QWidget {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    // The address as typed: a full URL, or a host or path the engine completes.
    void Navigate(const QString& address);
    // Back and Forward without a page in that direction do nothing.
    void GoBack();
    void GoForward();
    void GoHome();
    void GoSearch();
    void Refresh();
    void Stop();

    // True from a navigation's start until its page has loaded, failed or stopped.
    bool Busy() const;
    // The title of the current page, or its address when it has none.
    QString LocationName() const;
    QString LocationURL() const;

    QUrl homePage() const { return home_; }
    void setHomePage(const QUrl& page) { home_ = page; }
    QUrl searchPage() const { return search_; }
    void setSearchPage(const QUrl& page) { search_ = page; }
    // Shows a folder's files under a scheme made known with
    // registerFolderScheme(), as "scheme://site/file".
    void serveFolder(const QString& scheme, const QString& folder);
    // Closes a box the page shows and lets it show no more; true when one
    // was open, and the control must then outlive the current event.
    bool endDialogs();

    // Links of these schemes (tel:, say) are not followed: the page stays
    // where it is and the handler is given the link.
    void handOff(const QStringList& schemes, std::function<void(const QUrl& link)> handler);

signals:
    // A navigation has ended: loaded, failed (the engine's error page shows)
    // or stopped.
    void DownloadComplete();

private:
    // Notes a navigation asked for, until the engine takes or drops it.
    void request(const QUrl& url);

    QWebEngineProfile* profile_;
    // Held here, not only as a child: members go before children, so the
    // view and its page go before the profile they were made with.
    std::unique_ptr<QWebEngineView> view_;
    Page* page_;
    QUrl home_;
    QUrl search_;
    QStringList handedOff_;
    std::function<void(const QUrl&)> handOff_;
    // The page asked for until the engine has taken the navigation, so that
    // Busy holds from the request on.
    QUrl requested_;
    bool withinPage_ = false; // it only moves to another part of the page shown
};

} // namespace web
