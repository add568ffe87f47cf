#pragma once

#include "platform/web/PageDialog.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWebEnginePage>

namespace web {

// A page whose alert(), confirm() and prompt() block only the window that
// shows it, and which stops a page that keeps showing them once the user
// asks. Links it may not follow and addresses the engine hands elsewhere
// are for the page's owner to watch through the engine's signals.
class Page : public QWebEnginePage {
    Q_OBJECT
public:
    Page(QWebEngineProfile* profile, QWidget* view);

    // Closes a box the page shows and lets it show no more: its window is
    // going. True when a box was open; the engine then still waits on it
    // until the event loop comes back.
    bool endDialogs();

protected:
    void javaScriptAlert(const QUrl& origin, const QString& text) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& text) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& text, const QString& value,
                          QString* result) override;

private:
    // Shows a box and waits for its answer while every other window goes on;
    // nothing when the page may show no more.
    bool ask(PageDialog::Kind kind, const QUrl& origin, const QString& text, const QString& value,
             QString* result);

    QWidget* view_;
    QPointer<PageDialog> open_;
    QElapsedTimer lastAnswer_;
    int inARow_ = 0;
    bool stopped_ = false;
};

} // namespace web
