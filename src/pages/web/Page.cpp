#include "pages/web/Page.h"

#include "pages/web/PageDialog.h"

#include <QEventLoop>

namespace web {
namespace {
// Boxes that follow each other this closely come from a page that keeps
// showing them, not from a person reading them one by one.
constexpr qint64 InARowMs = 2000;
// From this box in a row on the user may stop the page.
constexpr int OfferStopAt = 3;
} // namespace

Page::Page(QWebEngineProfile* profile, QWidget* view, std::function<bool(const QUrl&)> follow)
    : QWebEnginePage(profile, view), view_(view), follow_(std::move(follow)) {
    // A new document may ask again.
    connect(this, &QWebEnginePage::loadStarted, this, [this] {
        stopped_ = false;
        inARow_ = 0;
    });
}

bool Page::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    return follow_(url) && QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

bool Page::endDialogs() {
    stopped_ = true;
    if (!open_)
        return false;
    open_->reject();
    return true;
}

bool Page::ask(PageDialog::Kind kind, const QUrl& origin, const QString& text, const QString& value,
               QString* result) {
    if (stopped_ || open_)
        return false;
    inARow_ = lastAnswer_.isValid() && lastAnswer_.elapsed() < InARowMs ? inARow_ + 1 : 1;
    const QString from = origin.host().isEmpty() ? origin.toDisplayString() : origin.host();
    PageDialog dialog(kind, from, text, value, inARow_ >= OfferStopAt, view_->window());
    open_ = &dialog;
    // The engine waits for the answer; a loop of our own keeps every window
    // going meanwhile, the page's own blocked by the box.
    QEventLoop waiting;
    connect(&dialog, &QDialog::finished, &waiting, &QEventLoop::quit);
    dialog.open();
    waiting.exec();
    lastAnswer_.start();
    if (dialog.stopAsked())
        stopped_ = true;
    if (result)
        *result = dialog.value();
    return dialog.result() == QDialog::Accepted;
}

void Page::javaScriptAlert(const QUrl& origin, const QString& text) {
    ask(PageDialog::Kind::Alert, origin, text, {}, nullptr);
}

bool Page::javaScriptConfirm(const QUrl& origin, const QString& text) {
    return ask(PageDialog::Kind::Confirm, origin, text, {}, nullptr);
}

bool Page::javaScriptPrompt(const QUrl& origin, const QString& text, const QString& value, QString* result) {
    return ask(PageDialog::Kind::Prompt, origin, text, value, result);
}

} // namespace web
