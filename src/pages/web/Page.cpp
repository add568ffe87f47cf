#include "pages/web/Page.h"

#include "pages/web/PageDialog.h"

#include <QEventLoop>
#include <QTimer>

#include <csignal>
#include <sys/types.h>

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
        if (!ending_)
            stopped_ = false;
        inARow_ = 0;
    });
    // The page's script ended for good: a note takes its place, in a
    // renderer of its own.
    connect(this, &QWebEnginePage::renderProcessTerminated, this, [this] {
        if (!ending_)
            return;
        ending_ = false;
        setHtml(QStringLiteral("<html><head><title>%1</title></head><body><p>%2</p></body></html>")
                    .arg(tr("Page stopped"), tr("This page was stopped because it kept showing boxes. "
                                                "Go Back, Home or to another address to go on.")));
    });
}

void Page::endScript() {
    // A script that showed box after box keeps running once they are
    // refused, holding its renderer and every page of the site that shares
    // it. The engine has no way to stop a running script but to end its
    // renderer; the next page starts another.
    const qint64 pid = renderProcessPid();
    if (pid <= 0 || ending_)
        return;
    ending_ = true;
    ::kill(pid_t(pid), SIGKILL);
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
    if (dialog.stopAsked()) {
        stopped_ = true;
        // Once the engine has its answer: its renderer waits for it.
        QTimer::singleShot(0, this, &Page::endScript);
    }
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
