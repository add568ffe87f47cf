// The About box and the main window's help and information commands, on the
// real windows. The browser windows they open are real ones, seen by the
// address they were given, without waiting for the page.
#include "app/WindowFixture.h"
#include "identity/Identity.h"
#include "pages/Loader.h"
#include "pages/frmAbout.h"
#include "pages/frmBrowser.h"
#include "pages/help/ChmCheck.h"
#include "pages/help/HtmlHelp.h"
#include "platform/forms/FormRules.h"
#include "support/Instances.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTimer>

using namespace testing;
using pages::frmAbout;
using pages::frmBrowser;

namespace {
const QString ProOnly = QStringLiteral("Feature available in Pro version only.");
const QString MoreFeatures = QStringLiteral("Get more features with Quorvel Book Dialer Pro");

QStringList startingAddresses() {
    QStringList addresses;
    for (const frmBrowser* b : instances<frmBrowser>())
        addresses << b->StartingAddress;
    return addresses;
}

// The help viewer's windows, known by class name so that no page engine
// header comes in here.
QList<QWidget*> helpViewers() {
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("help::HelpWindow") && w->isVisible())
            found << w;
    return found;
}

// Moves the pointer over a control as the window system does, so the move
// is delivered only where the application lets it through.
void movePointerOver(QWidget* control, QPoint at) {
    QWidget* window = control->window();
    QTest::mouseMove(window->windowHandle(), control->mapTo(window, at));
}
} // namespace

class InfoTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Window> win;

    app::frmPhone& open() {
        // A contact without e-mail address or web page.
        Contact nora = contact("Ashford, Nora", "555-0101");
        nora[5].clear();
        nora[6].clear();
        win = std::make_unique<Window>(QList<Contact>{nora});
        return win->open();
    }

    frmAbout* about(app::frmPhone& w) {
        w.mnuAbout->trigger();
        const QList<frmAbout*> shown = instances<frmAbout>();
        return shown.size() == 1 ? shown.first() : nullptr;
    }

private slots:
    void cleanup() {
        qDeleteAll(instances<frmBrowser>());
        qDeleteAll(helpViewers());
        win.reset();
    }

    void versionGivesEachNumberItsDigits() {
        QCOMPARE(pages::versionCaption(6, 1, 0), QStringLiteral("Version 6.1.0"));
        QCOMPARE(pages::versionCaption(6, 1, 12), QStringLiteral("Version 6.1.12"));
    }

    // About twice leaves one box; Enter and Esc unload it (never the main
    // window's Quit), and the next About loads it afresh.
    void aboutShowsOneBoxThatEachKeyCloses() {
        ScriptedBoxes boxes;
        app::frmPhone& w = open();
        frmAbout* first = about(w);
        QVERIFY(first);
        QVERIFY(about(w) == first);
        QVERIFY(first->isVisible());
        // The program's icon in every size a window manager asks for.
        for (const int size : {16, 24, 32, 48})
            QVERIFY2(first->windowIcon().availableSizes().contains(QSize(size, size)),
                     QByteArray::number(size));
        const QLabel* version = first->lblVersion;
        QVERIFY(version->fontMetrics().horizontalAdvance(version->text()) <= version->contentsRect().width());
        QVERIFY(first->rect().contains(version->geometry()));
        // It names the phone book the window has open, whole where the line
        // is too short for it, clear of the other labels and OK.
        const QString book = QStringLiteral("Phone book: ") + QDir::toNativeSeparators(win->book);
        QCOMPARE(first->lblBook->accessibleName(), book);
        QCOMPARE(first->lblBook->toolTip(), book);
        QVERIFY(first->lblBook->isVisibleTo(first));
        QVERIFY(first->rect().contains(first->lblBook->geometry()));
        for (const QWidget* other : {static_cast<QWidget*>(first->Label1), static_cast<QWidget*>(first->cmdOK)})
            QVERIFY(!first->lblBook->geometry().intersects(other->geometry()));

        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            frmAbout* box = about(w);
            QVERIFY(box);
            // Each is a new instance: only its Load replaces the design captions.
            QCOMPARE(box->windowTitle(), QStringLiteral("About"));
            QCOMPARE(box->lblVersion->text(), QStringLiteral("Version 6.1.0"));
            QVERIFY(QTest::qWaitForWindowActive(box));
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus && focus->window() == box);
            QTest::keyClick(focus, key);
            QVERIFY2(instances<frmAbout>().isEmpty(), QByteArray::number(key).constData());
        }
        QCOMPARE(win->ended, 0);
        QVERIFY(w.isVisible());
        QVERIFY_BOXES(boxes);
    }

    void productLinkOpensABrowserEachClick() {
        ScriptedBoxes boxes;
        app::frmPhone& w = open();
        frmAbout* box = about(w);
        QVERIFY(box);
        QTest::mouseClick(box->Label1, Qt::LeftButton);
        QVERIFY(instances<frmBrowser>().isEmpty());

        // A double-click is one click (its second press is no click of its
        // own); a click after it is another.
        // Through the window, as the platform delivers them: press,
        // release, press (a DblClick), release.
        const QPoint link = box->Label2->mapTo(box, box->Label2->rect().center());
        QTest::mouseDClick(box->windowHandle(), Qt::LeftButton, {}, link);
        QCOMPARE(instances<frmBrowser>().size(), 1);
        QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {}, link);
        const QStringList opened = startingAddresses();
        QCOMPARE(opened, QStringList(2, identity::productPage()));
        QVERIFY(opened.first().endsWith(QLatin1String("/phone.html")));
        for (const frmBrowser* b : instances<frmBrowser>())
            QVERIFY(b->isVisible());
        QCOMPARE(instances<frmAbout>(), QList<frmAbout*>{box});
        QVERIFY(box->isVisible());
        QVERIFY_BOXES(boxes);
    }

    void proVersionOpensABrowserEachTime() {
        ScriptedBoxes boxes;
        app::frmPhone& w = open();
        w.mnuPro->trigger();
        w.mnuPro->trigger();
        QCOMPARE(startingAddresses(), QStringList(2, identity::makerHomePage()));
        QVERIFY_BOXES(boxes);
    }

    void noticesOfTheLargerEdition() {
        ScriptedBoxes boxes;
        app::frmPhone& w = open();
        QCOMPARE(w.txtEmail->text(), QString());
        QCOMPARE(w.txtWeb->text(), QString());
        boxes.expect(ProOnly, forms::vbOKOnly, identity::ApplicationTitle, forms::vbOK)
            .expect(ProOnly, forms::vbOKOnly, identity::ApplicationTitle, forms::vbOK);
        QTest::mouseClick(w.cmdEmail, Qt::LeftButton);
        QTest::mouseClick(w.cmdWeb, Qt::LeftButton);
        // Moves beside the picture show nothing.
        movePointerOver(w.Label5, {5, 5});
        QVERIFY_BOXES(boxes);
    }

    // With the real box: a move over the picture, no button held, shows the
    // notice; moves while it is open show no second one; after OK the next
    // move shows it again.
    void pictureNoticeIsShownOnceAtATime() {
        app::frmPhone& w = open();
        QObject waiting; // its timers go with this test
        QStringList seen;
        bool movedWhileOpen = false;
        // Answers every box, a second one opened on top of the first too.
        std::function<void()> answer = [&] {
            QTimer::singleShot(10, &waiting, answer);
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen << box->text();
            if (!std::exchange(movedWhileOpen, true)) {
                movePointerOver(w.Image1, {30, 20});
                movePointerOver(w.Image1, {31, 21});
            }
            QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        };
        QTimer::singleShot(0, &waiting, answer);
        movePointerOver(w.Image1, {10, 10});
        QCOMPARE(seen, QStringList{MoreFeatures});
        movePointerOver(w.Image1, {12, 10});
        QCOMPARE(seen, QStringList(2, MoreFeatures));
    }

    // Help opens phone.chm from the current folder at the moment of the
    // click; started elsewhere, the program's own help beside it.
    void helpLooksInTheCurrentFolderThenBesideTheProgram() {
        ScriptedBoxes boxes;
        app::frmPhone& w = open();
        const QString before = QDir::currentPath();
        const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
        QTemporaryDir elsewhere;
        const QString mine = win->dir.filePath("phone.chm");

        // Nowhere to be found: the program's own is named as missing.
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        w.mnuHelp->trigger();
        QCOMPARE(boxes.shown().size(), 1);
        QVERIFY2(boxes.shown().first().text.contains(mine), qPrintable(boxes.shown().first().text));

        // A file of that name in the current folder wins over the program's.
        boxes.clear();
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_HELP_FILE), mine));
        const QString here = QDir(elsewhere.path()).canonicalPath() + QStringLiteral("/phone.chm");
        QFile decoy(here);
        QVERIFY(decoy.open(QIODevice::WriteOnly) && decoy.write("not a help file") > 0);
        decoy.close();
        w.mnuHelp->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.shown().size(), qsizetype(1), 30000);
        QVERIFY2(boxes.shown().first().text.contains(here), qPrintable(boxes.shown().first().text));
        QVERIFY(helpViewers().isEmpty());

        // Started from another folder, the program's own help opens.
        boxes.clear();
        QVERIFY(QFile::remove(here));
        w.mnuHelp->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(helpViewers().size(), qsizetype(1), 30000);
        QWidget* viewer = helpViewers().first();
        QVERIFY(viewer->parentWidget() == nullptr);
        QVERIFY_BOXES(boxes);
        // Its default topic shows: the file's pages are served although the
        // windows came after the application.
        const QList<QWidget*> views = viewer->findChildren<QWidget*>();
        const auto view = std::find_if(views.begin(), views.end(),
                                       [](QWidget* v) { return v->inherits("QWebEngineView"); });
        QVERIFY(view != views.end());
        QTRY_COMPARE_WITH_TIMEOUT((*view)->property("title").toString(), viewer->windowTitle(), 30000);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    forms::installFormRules();
    forms::setApplicationTitle(identity::ApplicationTitle);
    // The windows as the program loads them: their help scheme is made known
    // only now, after the application.
    pages::use(quorvel_pages(&pages::host()));
    help::setCheckProgram(QStringLiteral(QUORVEL_OUT_DIR "/quorvel-chmcheck"));
    InfoTest tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_info.moc"
