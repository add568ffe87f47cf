#include "pages/frmBrowser.h"

#include "identity/Identity.h"
#include "pages/Services.h"
#include "pages/web/WebBrowser.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/Pictures.h"
#include "platform/forms/Twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QUrl>

#include <algorithm>
#include <array>

namespace pages {
namespace {
// The buttons from left to right: each one's key, which is also its tooltip, and its icon.
constexpr std::array<const char*, 6> Keys = {"Back", "Forward", "Stop", "Refresh", "Home", "Search"};

// Where a search starts; any page will do, it is only opened.
const QUrl SearchPage(QStringLiteral("https://duckduckgo.com/"));
} // namespace

frmBrowser::frmBrowser()
    : Form("frmBrowser", identity::makerHomePage().toUpper(), 6540, 5124,
           QStringLiteral(":/icons/browser.svg"), Border::Sizable) {
    tbToolBar = forms::placed(new QToolBar(this), "tbToolBar", 0, 0, 6540, 432);
    tbToolBar->setIconSize(QSize(24, 24));
    for (const char* key : Keys) {
        const QString k = QLatin1String(key);
        QAction* button = tbToolBar->addAction(
            forms::svgIcon(QStringLiteral(":/icons/browser/%1.svg").arg(k.toLower()), {24}), k);
        button->setObjectName(k);
        button->setData(k);
        button->setToolTip(k);
        // A toolbar's buttons take no focus by default: Tab reaches them too.
        tbToolBar->widgetForAction(button)->setFocusPolicy(Qt::TabFocus);
    }
    dock(tbToolBar);

    picAddress = forms::placed(new QWidget(this), "picAddress", 0, 432, 6540, 675);
    dock(picAddress);
    lblAddress =
        forms::placed(new QLabel(QStringLiteral("&Address:"), picAddress), "lblAddress", 45, 60, 3075, 255);
    cboAddress = forms::placed(new QComboBox(picAddress), "cboAddress", 45, 300, 3795, 315);
    cboAddress->setEditable(true);
    // Enter navigates to the text as typed; only a page reached joins the list.
    cboAddress->setInsertPolicy(QComboBox::NoInsert);
    // No completion: what was typed is what is opened, never a longer entry
    // of the list that starts like it.
    cboAddress->setCompleter(nullptr);
    cboAddress->setEditText(identity::makerHomePage());
    // A keyboard gives Enter to the box, which hands it to its line edit
    // directly; a filter on either one alone misses the other way.
    cboAddress->installEventFilter(this);
    cboAddress->lineEdit()->installEventFilter(this);
    lblAddress->setBuddy(cboAddress);

    brwWebBrowser = forms::placed(new web::WebBrowser(this), "brwWebBrowser", 30, 1215, 5400, 3735);
    brwWebBrowser->serveFolder(identity::MakerScheme, identity::makerFolder());
    brwWebBrowser->setHomePage(QUrl(identity::makerHomePage()));
    brwWebBrowser->setSearchPage(SearchPage);
    // A number to call in a page is the program's to dial, once the engine
    // is done with the click; the page stays where it is.
    brwWebBrowser->handOff({QStringLiteral("tel"), QStringLiteral("callto")}, [this](const QUrl& link) {
        QMetaObject::invokeMethod(
            this,
            [link] {
                if (const Host* host = services(); host && host->dialLink)
                    forms::dispatch([&] { host->dialLink(link.toString()); });
            },
            Qt::QueuedConnection);
    });

    timTimer = new QTimer(this);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(5);

    forms::wire(brwWebBrowser, &web::WebBrowser::DownloadComplete, this,
                [this] { brwWebBrowser_DownloadComplete(); });
    // activated: the user picked an entry, never our own change of selection.
    forms::wire(cboAddress, &QComboBox::activated, this, [this] { cboAddress_Click(); });
    forms::wire(timTimer, &QTimer::timeout, this, [this] { timTimer_Timer(); });
    connect(tbToolBar, &QToolBar::actionTriggered, this, [this](QAction* button) {
        forms::dispatch([&] { tbToolBar_ButtonClick(button->data().toString()); });
    });

    // Quit ends the program at once: every browser window goes with it, from
    // the event loop, while the page engine is still there.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
}

frmBrowser::~frmBrowser() = default;

// A box the page shows holds the engine until it is answered: it is closed
// first, and the window goes once the engine has its answer.
void frmBrowser::closeEvent(QCloseEvent* event) {
    if (brwWebBrowser->endDialogs()) {
        event->ignore();
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    Form::closeEvent(event);
}

// A window placed exactly where another browser window is would hide it:
// it goes a title bar's height down and right of it, while it stays on the screen.
void frmBrowser::cascade() {
    for (int tries = 0; tries < 20; ++tries) {
        const frmBrowser* under = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* other = qobject_cast<frmBrowser*>(window);
                other && other != this && other->isVisible() && (other->pos() - pos()).manhattanLength() < 8)
                under = other;
        if (!under)
            return;
        const int bar = under->geometry().top() - under->frameGeometry().top();
        const int step = bar > 0 ? bar : forms::twipsToPixels(375);
        const QRect room = under->screen()->availableGeometry();
        if (!room.contains(QRect(pos() + QPoint(step, step), size())))
            return;
        move(pos() + QPoint(step, step));
    }
}

// None of these steps can fail here; each would be skipped if it did.
void frmBrowser::Form_Load() {
    cascade();
    show();
    tbToolBar->update();
    Form_Resize();
    const QRect label = forms::twipsGeometry(lblAddress);
    forms::move(cboAddress, 50, label.top() + label.height() + 15);
    if (StartingAddress.length() > 0) {
        cboAddress->setEditText(StartingAddress);
        cboAddress->addItem(cboAddress->currentText());
        timTimer->start();
        brwWebBrowser->Navigate(StartingAddress);
    }
}

void frmBrowser::brwWebBrowser_DownloadComplete() {
    setWindowTitle(brwWebBrowser->LocationName());
    recordLocation();
}

void frmBrowser::recordLocation() {
    setWindowTitle(brwWebBrowser->LocationName());
    const QString here = brwWebBrowser->LocationURL();
    if (here.isEmpty())
        return; // nothing was reached
    // What the user is typing into the box right now stays as it is.
    QLineEdit* edit = cboAddress->lineEdit();
    const bool typing = edit->isModified() && (focusWidget() == cboAddress || focusWidget() == edit);
    const QString typed = edit->text();
    const int cursor = edit->cursorPosition();
    const int found = cboAddress->findText(here, Qt::MatchExactly | Qt::MatchCaseSensitive);
    SuppressNavigation = true;
    if (found >= 0)
        cboAddress->removeItem(found);
    cboAddress->insertItem(0, here);
    cboAddress->setCurrentIndex(0);
    SuppressNavigation = false;
    if (typing) {
        edit->setText(typed);
        edit->setCursorPosition(cursor);
        edit->setModified(true);
    }
}

void frmBrowser::cboAddress_Click() {
    if (SuppressNavigation)
        return;
    timTimer->start();
    // The text is on its way: a page reached later may show its own address.
    cboAddress->lineEdit()->setModified(false);
    brwWebBrowser->Navigate(cboAddress->currentText());
}

void frmBrowser::cboAddress_KeyPress(int KeyAscii) {
    if (KeyAscii == 13)
        cboAddress_Click();
}

// The address box and the page span the window less a margin; the page
// starts below the address bar. A window too small for them gets them at no size.
void frmBrowser::Form_Resize() {
    const QRect bar = forms::twipsGeometry(picAddress);
    forms::setWidth(cboAddress, std::max(0, ScaleWidth() - 100));
    forms::setWidth(brwWebBrowser, std::max(0, ScaleWidth() - 100));
    forms::setHeight(brwWebBrowser, std::max(0, ScaleHeight() - (bar.top() + bar.height()) - 100));
}

void frmBrowser::timTimer_Timer() {
    if (!brwWebBrowser->Busy()) {
        timTimer->stop();
        setWindowTitle(brwWebBrowser->LocationName());
    } else {
        setWindowTitle(QStringLiteral("Working..."));
    }
}

void frmBrowser::tbToolBar_ButtonClick(const QString& Key) {
    timTimer->start();
    if (Key == QLatin1String("Back")) {
        brwWebBrowser->GoBack();
    } else if (Key == QLatin1String("Forward")) {
        brwWebBrowser->GoForward();
    } else if (Key == QLatin1String("Refresh")) {
        brwWebBrowser->Refresh();
    } else if (Key == QLatin1String("Home")) {
        brwWebBrowser->GoHome();
    } else if (Key == QLatin1String("Search")) {
        brwWebBrowser->GoSearch();
    } else if (Key == QLatin1String("Stop")) {
        timTimer->stop();
        brwWebBrowser->Stop();
        setWindowTitle(brwWebBrowser->LocationName());
    }
}

// Enter in the address box navigates; the box itself does nothing more with
// it, so it cannot swap the typed text for a list entry that matches.
bool frmBrowser::eventFilter(QObject* watched, QEvent* event) {
    const bool box = watched == cboAddress || watched == cboAddress->lineEdit();
    if (box && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            forms::dispatch([this] { cboAddress_KeyPress(13); });
            return true;
        }
    }
    return Form::eventFilter(watched, event);
}

frmBrowser* OpenBrowser(const QString& address) {
    auto* form = new frmBrowser; // deletes itself when closed or when the program quits
    form->StartingAddress = address;
    form->Show();
    return form;
}

} // namespace pages
