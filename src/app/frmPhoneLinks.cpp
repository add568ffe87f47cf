// Links from the desktop: a number clicked anywhere reaches this window.
#include "app/frmPhone.h"

#include "contacts/NumberHolder.h"
#include "dialer/DialOperations.h"
#include "pages/Loader.h"
#include "platform/forms/Dispatch.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace app {
namespace {
// A page that fires links in a loop gets a few questions, not hundreds.
constexpr qsizetype MaxWaitingLinks = 4;
} // namespace

void frmPhone::wireLinks() {
    // A number clicked in the program's own browser takes the same way as
    // one from the desktop. The page windows may outlive this window.
    pages::host().dialLink = [window = QPointer<frmPhone>(this)](const QString& link) {
        if (window)
            window->takeLink(link);
    };
}

void frmPhone::takeLink(const QString& link) {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (links_.size() >= MaxWaitingLinks)
        return;
    links_.append(link);
    takeNextLink();
}

void frmPhone::takeNextLink() {
    if (takingLink_ || links_.isEmpty())
        return;
    // Not inside another box or dial: the link's question comes after it.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(250, this, &frmPhone::takeNextLink);
        return;
    }
    takingLink_ = true;
    const QString link = links_.takeFirst();
    forms::dispatch([&] {
        dialOperations_->dialLink(link, [this](const QStringList& digitForms) {
            return contacts::numberHolder(Data1->DatabaseName(), digitForms);
        });
    });
    takingLink_ = false;
    QTimer::singleShot(0, this, &frmPhone::takeNextLink);
}

} // namespace app
