#pragma once

#include "pages/web/PageDialog.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWebEnginePage>

#include <functional>

namespace web {

// A page whose alert(), confirm() and prompt() block only the window that
// shows it, and which stops a page that keeps showing them once the user
// asks (ending its script, which would spin on). Before following a link it asks its owner, which may keep it
// (a tel: link, say); addresses the engine hands elsewhere are for the
// owner to watch through the engine's signals.
class Page : public QWebEnginePage {
    Q_OBJECT
public:
    Page(QWebEngineProfile* profile, QWidget* view, std::function<bool(const QUrl&)> follow);

    // Closes a box the page shows and lets it show no more: its window is
    // going. True when a box was open; the engine then still waits on it
    // until the event loop comes back.
    bool endDialogs();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& origin, const QString& text) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& text) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& text, const QString& value,
                          QString* result) override;

private:
    // Ends the page's script for good, when the user asked for no more boxes.
    void endScript();
    // Shows a box and waits for its answer while every other window goes on;
    // nothing when the page may show no more.
    bool ask(PageDialog::Kind kind, const QUrl& origin, const QString& text, const QString& value,
             QString* result);

    QWidget* view_;
    std::function<bool(const QUrl&)> follow_;
    QPointer<PageDialog> open_;
    QElapsedTimer lastAnswer_;
    int inARow_ = 0;
    bool stopped_ = false;
    bool ending_ = false; // its renderer ended by endScript()
};

} // namespace web
