// The browser window on a real engine, against pages served by a small HTTP
// server on 127.0.0.1 that the test starts.
#include "HttpServer.h"
#include "app/frmPhone.h"
#include "identity/Identity.h"
#include "pages/Services.h"
#include "pages/frmBrowser.h"
#include "pages/web/FolderScheme.h"
#include "pages/web/WebBrowser.h"
#include "platform/core/AppPath.h"
#include "platform/forms/Twips.h"
#include "support/PhoneBookFile.h"
#include "support/ScriptedBoxes.h"
#include "support/TestMain.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

using namespace testing;
using pages::frmBrowser;

namespace {

// Waits out a page load; long, because the engine's first start is slow.
constexpr int LoadTimeout = 20000;

QStringList listOf(const QComboBox* box) {
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    return entries;
}

void clickButton(frmBrowser* w, const char* key) {
    QAction* button = w->tbToolBar->findChild<QAction*>(QLatin1String(key));
    QVERIFY(button);
    QTest::mouseClick(w->tbToolBar->widgetForAction(button), Qt::LeftButton);
}

// As a person does it: the window to the front, a click into the address
// box, everything in it selected, the text typed; the keys go wherever the
// application delivers them.
void typeInto(frmBrowser* w, const QString& text) {
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QWidget* box = w->cboAddress;
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 3, box->height() / 2));
    QVERIFY(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

void typeAndEnter(frmBrowser* w, const QString& text) {
    typeInto(w, text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

// Asks the window's page engine a question and waits for its answer: what
// the engine was about before the question is done by then.
bool engineAnswers(frmBrowser* w) {
    auto* view = w->findChild<QWebEngineView*>();
    if (!view)
        return false;
    // The answer may come after we gave up waiting: it must not outlive us.
    auto answered = std::make_shared<bool>(false);
    view->page()->runJavaScript(QStringLiteral("1"), QWebEngineScript::ApplicationWorld,
                                [answered](const QVariant&) { *answered = true; });
    return QTest::qWaitFor([&] { return *answered; }, LoadTimeout);
}

// Waits until the window is idle on a page with this title.
bool settlesOn(frmBrowser* w, const QString& title) {
    return QTest::qWaitFor([&] { return !w->timTimer->isActive() && w->windowTitle() == title; },
                           LoadTimeout);
}
} // namespace

class BrowserTest : public QObject {
    Q_OBJECT
    HttpServer server;
    QTemporaryDir folder;
    QList<QPointer<frmBrowser>> opened;

    frmBrowser* open(const QString& address) {
        frmBrowser* w = pages::OpenBrowser(address);
        opened << w;
        return w;
    }

private slots:
    void initTestCase() {
        // As the windows module does when it is loaded, before any page.
        web::registerFolderScheme(identity::MakerScheme);
        server.addPage("/a", "Page A");
        server.addPage("/b", "Page B");
        server.addPage("/search", "Search");
        // A program folder with the maker's pages as the build places them.
        QVERIFY(QDir(folder.path()).mkdir("maker"));
        for (const char* page : {"index.html", "phone.html", "maker.css"})
            QVERIFY(QFile::copy(QStringLiteral(QUORVEL_OUT_DIR "/maker/") + page,
                                folder.filePath(QStringLiteral("maker/") + page)));
        platform::setAppPath(folder.path());
    }

    void cleanup() {
        for (const QPointer<frmBrowser>& w : std::exchange(opened, {}))
            delete w.data();
    }

    void loadShowsTheStartingAddressThenThePageTitle() {
        ScriptedBoxes boxes;
        const int requestsOfA = server.hits("/a");
        frmBrowser* w = open(server.url("/a"));
        QSignalSpy completed(w->brwWebBrowser, &web::WebBrowser::DownloadComplete);
        QCOMPARE(w->cboAddress->currentText(), server.url("/a"));
        QCOMPARE(listOf(w->cboAddress), QStringList{server.url("/a")});
        QVERIFY(w->timTimer->isActive());
        QVERIFY(settlesOn(w, "Page A"));
        QTRY_COMPARE(completed.count(), 1);
        // The list update after the page came records it once and navigates nowhere.
        QCOMPARE(listOf(w->cboAddress), QStringList{server.url("/a")});
        QCOMPARE(w->cboAddress->currentText(), server.url("/a"));
        QCOMPARE(server.hits("/a"), requestsOfA + 1);
        QVERIFY_BOXES(boxes);
    }

    void addressBoxNavigatesAsTypedAndAsPicked() {
        ScriptedBoxes boxes;
        frmBrowser* w = open(server.url("/a"));
        QVERIFY(settlesOn(w, "Page A"));
        const QString typed = server.url("/b?q=as%20typed");
        typeAndEnter(w, typed);
        // Enter adds nothing by itself; the page reached is recorded first.
        QCOMPARE(listOf(w->cboAddress), QStringList{server.url("/a")});
        QVERIFY(w->timTimer->isActive());
        server.addPage("/b?q=as%20typed", "Typed");
        QVERIFY(settlesOn(w, "Typed"));
        QCOMPARE(server.hits("/b?q=as%20typed"), 1);
        QTRY_COMPARE(listOf(w->cboAddress), QStringList({typed, server.url("/a")}));

        // Picking the second entry with the keyboard goes there; it moves up, once.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(settlesOn(w, "Page A"));
        QTRY_COMPARE(listOf(w->cboAddress), QStringList({server.url("/a"), typed}));
        QCOMPARE(w->cboAddress->currentText(), server.url("/a"));
        QVERIFY_BOXES(boxes);
    }

    // Enter opens exactly what was typed, never a longer entry of the list
    // that starts like it; leaving the box opens nothing; what is being
    // typed while a page loads is still there when it has come.
    void typingIsOpenedAsItIsAndKept() {
        ScriptedBoxes boxes;
        server.addPage("/b?q=longer", "Longer");
        frmBrowser* w = open(server.url("/b?q=longer"));
        QVERIFY(settlesOn(w, "Longer"));
        const int requestsOfB = server.hits("/b");
        typeAndEnter(w, server.url("/b"));
        QVERIFY(settlesOn(w, "Page B"));
        QCOMPARE(server.hits("/b"), requestsOfB + 1);
        QCOMPARE(server.hits("/b?q=longer"), 1);

        const int slowRequests = server.hits("/slow");
        typeInto(w, server.url("/slow"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != w->cboAddress->lineEdit());
        // A navigation would be under way now, and "/slow" never ends unreleased.
        QVERIFY(engineAnswers(w));
        QVERIFY(!w->brwWebBrowser->Busy());
        QVERIFY(!w->timTimer->isActive());
        QCOMPARE(server.hits("/slow"), slowRequests);

        typeAndEnter(w, server.url("/slow"));
        QVERIFY(QTest::qWaitFor([&] { return server.hits("/slow") > slowRequests; }, LoadTimeout));
        typeInto(w, QStringLiteral("http://half.typ"));
        server.releaseSlow();
        QVERIFY(settlesOn(w, "Slow"));
        QTRY_COMPARE(w->cboAddress->itemText(0), server.url("/slow"));
        QCOMPARE(w->cboAddress->currentText(), QStringLiteral("http://half.typ"));
        QVERIFY_BOXES(boxes);
    }

    // Whatever becomes of a navigation, the caption leaves "Working...": a
    // move within the page, the same address again, an address the engine
    // does not show itself, and a download, which the window refuses.
    void workingAlwaysEnds() {
        ScriptedBoxes boxes;
        server.addDownload("/list.bin");
        frmBrowser* w = open(server.url("/a"));
        QVERIFY(settlesOn(w, "Page A"));
        for (const QString& address :
             {server.url("/a#part"), server.url("/a#part"), QStringLiteral("mailto:nobody@example.invalid"),
              server.url("/list.bin")}) {
            typeAndEnter(w, address);
            QVERIFY2(settlesOn(w, "Page A"), qPrintable(address));
        }
        QCOMPARE(server.hits("/list.bin"), 1);
        QVERIFY_BOXES(boxes);
    }

    // From the maker's pages, which ship with the program, the network is
    // reachable by a link and by a typed address; a page from the network
    // reads no file of this computer.
    void theMakersPagesLeadToTheWeb() {
        ScriptedBoxes boxes;
        QFile links(folder.filePath("maker/links.html"));
        QVERIFY(links.open(QIODevice::WriteOnly));
        links.write(
            QStringLiteral("<html><head><title>Links</title></head><body style=\"margin:0\">"
                           "<a href=\"%1\" style=\"display:block;height:100vh\">Page A</a></body></html>")
                .arg(server.url("/a"))
                .toUtf8());
        links.close();
        frmBrowser* w = open(identity::MakerScheme + "://maker/links.html");
        QVERIFY(settlesOn(w, "Links"));
        QWidget* page = nullptr;
        for (QWidget* child : w->brwWebBrowser->findChildren<QWidget*>())
            if (child->inherits("QWebEngineView"))
                page = child->focusProxy();
        QVERIFY(page);
        QTest::mouseClick(page, Qt::LeftButton, {}, page->rect().center());
        QVERIFY(settlesOn(w, "Page A"));

        clickButton(w, "Home");
        QVERIFY(settlesOn(w, "Quorvel Book Dialer"));
        typeAndEnter(w, server.url("/b"));
        QVERIFY(settlesOn(w, "Page B"));

        server.addBody("/peek",
                       QStringLiteral("<html><head><title>Peeking</title></head><body><img src=\"%1\" "
                                      "onload=\"document.title='Read'\" onerror=\"document.title="
                                      "'Refused'\"></body></html>")
                           .arg(QUrl::fromLocalFile(folder.filePath("maker/maker.css")).toString())
                           .toUtf8());
        typeAndEnter(w, server.url("/peek"));
        QVERIFY(settlesOn(w, "Refused"));
        QVERIFY_BOXES(boxes);
    }

    // A page that shows box after box blocks its own window at most: the
    // main window still takes a click and stores what is typed, and from the
    // third box on the page can be stopped: its script ends for good, and
    // the window goes on to other pages of the same site.
    void boxesOfAPageLockNothingElse() {
        ScriptedBoxes boxes;
        QTemporaryDir dir;
        const QString book = dir.filePath("Quorvel.mdb");
        phonebook::create(book, {contact("Ashford, Nora", "555-0101"), contact("Brennan, Tom", "555-0102")});
        platform::setAppPath(dir.path());
        const auto back = qScopeGuard([&] { platform::setAppPath(folder.path()); });
        app::frmPhone main;
        main.show();
        server.addBody("/boxes", "<html><head><title>Boxes</title><script>for (let i = 0;; ++i) "
                                 "alert('Box ' + i);</script></head></html>");
        frmBrowser* w = open(server.url("/boxes"));

        QObject driving; // its timers go with this test
        int seen = 0;
        bool offered = false, stored = false;
        std::function<void()> answer = [&] {
            auto* box = w->findChild<QDialog*>(QStringLiteral("pageDialog"));
            if (!box || !box->isVisible()) {
                QTimer::singleShot(20, &driving, answer);
                return;
            }
            ++seen;
            if (seen == 1) {
                // The main window, while the page's box is open.
                main.activateWindow();
                if (QTest::qWaitForWindowActive(&main)) {
                    QTest::mouseClick(main.txtName, Qt::LeftButton, {}, QPoint(5, 5));
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClicks(QApplication::focusWidget(), "Ashford-Lee, Nora");
                    boxes.expect("Do you want to save?", forms::vbYesNo, identity::ApplicationTitle,
                                 forms::vbYes);
                    QTest::mouseClick(main.Data1->nextButton(), Qt::LeftButton);
                    stored = main.txtName->text() == QLatin1String("Brennan, Tom");
                }
            }
            if (auto* stop = box->findChild<QCheckBox*>(QStringLiteral("stop"))) {
                offered = true;
                QTest::mouseClick(stop, Qt::LeftButton, {}, QPoint(5, stop->height() / 2));
            }
            QTest::mouseClick(box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
            if (!offered)
                QTimer::singleShot(20, &driving, answer);
        };
        QTimer::singleShot(0, &driving, answer);
        QVERIFY(settlesOn(w, "Page stopped"));
        QCOMPARE(seen, 3);
        QVERIFY(offered);
        QVERIFY(stored);
        typeAndEnter(w, server.url("/a"));
        QVERIFY(settlesOn(w, "Page A"));
        QCOMPARE(phonebook::read(book).first().first(), QStringLiteral("Ashford-Lee, Nora"));
        QVERIFY_BOXES(boxes);
    }

    // Stop ends "Working..." at once; an address nobody answers shows the
    // engine's page and the window settles too.
    void stopAndUnreachablePagesLeaveTheWindowIdle() {
        ScriptedBoxes boxes;
        frmBrowser* w = open(server.url("/a"));
        QVERIFY(settlesOn(w, "Page A"));
        typeAndEnter(w, server.url("/slow"));
        QVERIFY(QTest::qWaitFor([&] { return server.hits("/slow") == 1; }, LoadTimeout));
        QTRY_COMPARE(w->windowTitle(), QStringLiteral("Working..."));

        QSignalSpy captions(w, &QWidget::windowTitleChanged);
        clickButton(w, "Stop");
        QVERIFY(!w->timTimer->isActive());
        QCOMPARE(w->windowTitle(), w->brwWebBrowser->LocationName());
        server.releaseSlow();
        // The late answer has reached the engine by the time it answers us.
        QVERIFY(engineAnswers(w));
        QVERIFY(!w->timTimer->isActive());
        for (const QList<QVariant>& caption : captions)
            QVERIFY(caption.first().toString() != "Working...");

        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString nobody = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
        closed.close();
        typeAndEnter(w, nobody);
        QVERIFY(QTest::qWaitFor([&] { return !w->timTimer->isActive(); }, LoadTimeout));
        QCOMPARE(w->windowTitle(), w->brwWebBrowser->LocationName());
        QCOMPARE(w->brwWebBrowser->LocationURL(), nobody);
        QVERIFY_BOXES(boxes);
    }

    void toolbarButtonsAndKeys() {
        ScriptedBoxes boxes;
        const int requestsOfA = server.hits("/a");
        frmBrowser* w = open(server.url("/a"));
        QVERIFY(settlesOn(w, "Page A"));
        // No history, or a key none of the buttons has: nothing happens and the timer goes off.
        for (const char* key : {"Back", "Forward", "back", "Print"}) {
            w->tbToolBar_ButtonClick(QLatin1String(key));
            QVERIFY2(settlesOn(w, "Page A"), key);
            QCOMPARE(w->brwWebBrowser->LocationURL(), server.url("/a"));
        }
        QCOMPARE(server.hits("/a"), requestsOfA + 1);

        typeAndEnter(w, server.url("/b"));
        QVERIFY(settlesOn(w, "Page B"));
        clickButton(w, "Back");
        QVERIFY(settlesOn(w, "Page A"));
        clickButton(w, "Forward");
        QVERIFY(settlesOn(w, "Page B"));
        const int before = server.hits("/b");
        clickButton(w, "Refresh");
        QVERIFY(QTest::qWaitFor([&] { return server.hits("/b") == before + 1; }, LoadTimeout));
        QVERIFY(settlesOn(w, "Page B"));

        clickButton(w, "Home");
        QVERIFY(settlesOn(w, "Quorvel Book Dialer"));
        QCOMPARE(w->brwWebBrowser->LocationURL(), identity::makerHomePage());
        w->brwWebBrowser->setSearchPage(QUrl(server.url("/search")));
        // The buttons are reached from the keyboard too: back from the address box.
        typeInto(w, QString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(),
                 w->tbToolBar->widgetForAction(w->tbToolBar->findChild<QAction*>(QStringLiteral("Search"))));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(settlesOn(w, "Search"));
        QVERIFY_BOXES(boxes);
    }

    void theProductPageShipsWithTheProgram() {
        frmBrowser* w = open(identity::productPage());
        QVERIFY(settlesOn(w, "Quorvel Book Dialer Pro"));
    }

    // An empty starting address loads nothing; the layout follows every size.
    void emptyWindowKeepsItsDesignStateAndResizes() {
        ScriptedBoxes boxes;
        frmBrowser* w = open(QString());
        QVERIFY(!w->timTimer->isActive());
        QCOMPARE(w->windowTitle(), identity::makerHomePage().toUpper());
        QCOMPARE(w->cboAddress->currentText(), identity::makerHomePage());
        QCOMPARE(w->cboAddress->count(), 0);
        QCOMPARE(w->brwWebBrowser->LocationURL(), QString());

        w->resizeClient(6540, 5124);
        QCOMPARE(forms::twipsGeometry(w->brwWebBrowser), QRect(30, 1215, 6440, 3917));
        QCOMPARE(forms::twipsGeometry(w->cboAddress), QRect(50, 330, 6440, 315));
        w->resizeClient(7540, 5124);
        QCOMPARE(forms::twipsGeometry(w->brwWebBrowser), QRect(30, 1215, 7440, 3917));
        QCOMPARE(forms::twipsGeometry(w->cboAddress).width(), 7440);
        QCOMPARE(w->picAddress->width(), forms::twipsToPixels(7540));

        // Too narrow, too short, minimized: the page and box shrink to nothing.
        w->resizeClient(60, 900);
        QCOMPARE(forms::twipsGeometry(w->brwWebBrowser).size(), QSize(0, 0));
        QCOMPARE(forms::twipsGeometry(w->cboAddress).width(), 0);
        w->showMinimized();
        w->showNormal();
        QVERIFY(w->isVisible());
        QVERIFY_BOXES(boxes);
    }

    void windowsAreIndependent() {
        frmBrowser* first = open(server.url("/a"));
        frmBrowser* second = open(server.url("/b"));
        QVERIFY(settlesOn(first, "Page A"));
        QVERIFY(settlesOn(second, "Page B"));
        // The second opens beside the first, not exactly over it.
        QVERIFY(second->pos().x() > first->pos().x() && second->pos().y() > first->pos().y());
        const int slowRequests = server.hits("/slow");
        typeAndEnter(second, server.url("/slow"));
        QTRY_COMPARE(second->windowTitle(), QStringLiteral("Working..."));
        // Released only once the request is held, or a late one waits forever.
        QVERIFY(QTest::qWaitFor([&] { return server.hits("/slow") > slowRequests; }, LoadTimeout));
        QVERIFY(!first->timTimer->isActive());
        QCOMPARE(first->windowTitle(), "Page A");
        QCOMPARE(listOf(first->cboAddress), QStringList{server.url("/a")});
        QCOMPARE(listOf(second->cboAddress), QStringList{server.url("/b")});
        server.releaseSlow();
        QVERIFY(settlesOn(second, "Slow"));
        QCOMPARE(listOf(first->cboAddress), QStringList{server.url("/a")});
    }

    // A number link clicked in a page goes to the program to dial, and the
    // page stays where it is.
    void numberLinksGoToTheProgram() {
        const QString page = folder.filePath(QStringLiteral("numbers.html"));
        QFile file(page);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<!DOCTYPE html><html><head><title>Numbers</title><style>"
                   "body{margin:0} a{display:block;height:50vh}</style></head><body>"
                   "<a href='tel:+1-555-0101'>call</a><a href='callto:555-0102'>call too</a></body></html>");
        file.close();
        QStringList dialed;
        pages::Host host;
        pages::setServices(&host);
        const auto unset = qScopeGuard([] { pages::setServices(nullptr); });
        frmBrowser* w = open(QUrl::fromLocalFile(page).toString());
        QVERIFY(settlesOn(w, QStringLiteral("Numbers")));
        QVERIFY(QTest::qWaitForWindowExposed(w));
        // The engine takes input on the view's drawing surface.
        QWidget* surface = nullptr;
        for (QWidget* child : w->brwWebBrowser->findChildren<QWidget*>())
            if (child->inherits("QWebEngineView"))
                surface = child->focusProxy() ? child->focusProxy() : child;
        QVERIFY(surface);
        const QPoint top(surface->width() / 2, surface->height() / 4);
        const QPoint bottom(surface->width() / 2, surface->height() * 3 / 4);

        host.dialLink = [&](const QString& link) { dialed << link; };
        QTest::mouseClick(surface, Qt::LeftButton, {}, top);
        QTest::mouseClick(surface, Qt::LeftButton, {}, bottom);
        QTRY_COMPARE_WITH_TIMEOUT(dialed, QStringList({"tel:+1-555-0101", "callto:555-0102"}), LoadTimeout);
        QCOMPARE(w->brwWebBrowser->LocationURL(), QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded));
        QCOMPARE(w->windowTitle(), QStringLiteral("Numbers"));
    }

    // Last: Quit ends the application's event loop, and the windows with it.
    void browsersOutliveTheMainWindowButNotQuit() {
        ScriptedBoxes boxes;
        QTemporaryDir dir;
        phonebook::create(dir.filePath("Quorvel.mdb"), {contact("Ashford, Nora", "555-0101")});
        platform::setAppPath(dir.path());
        QSignalSpy last(qApp, &QGuiApplication::lastWindowClosed);
        QPointer<frmBrowser> outliving, quitting;
        bool stayedOpen = false;
        int lastAfterClose = -1;
        auto first = std::make_unique<app::frmPhone>();
        auto second = std::make_unique<app::frmPhone>();
        QTimer::singleShot(0, qApp, [&] {
            first->show();
            outliving = pages::OpenBrowser(server.url("/a"));
            first->close();
            lastAfterClose = last.count();
            stayedOpen = outliving && outliving->isVisible();
            second->show();
            quitting = pages::OpenBrowser(server.url("/b"));
            QTest::mouseClick(second->CmdQuit, Qt::LeftButton);
        });
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(lastAfterClose, 0);
        QVERIFY(stayedOpen);
        QVERIFY(!outliving);
        QVERIFY(!quitting);
        QVERIFY_BOXES(boxes);
    }
};

QUORVEL_TEST_MAIN(BrowserTest)
#include "tst_browser.moc"
