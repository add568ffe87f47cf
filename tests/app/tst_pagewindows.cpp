// The main window's page windows (About, Pro Version, Help) come from a
// module beside the program, loaded the way the program loads it. A missing
// module or one of another build is told to the user, and the main window
// carries on; the real one works with the program's own boxes and title.
#include "WindowFixture.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>

using namespace testing;

namespace {
const QString ModuleName = QStringLiteral("libquorvel_windows.so");

QWidget* shownWindow(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}
} // namespace

class PageWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void aMissingModuleIsReportedEachTime() {
        ScriptedBoxes boxes;
        Window win({contact("Ashford, Nora", "555-0101")}); // its folder holds no module
        app::frmPhone& w = win.open();
        const QWidgetList before = QApplication::topLevelWidgets();
        for (QAction* command : {w.mnuAbout, w.mnuPro, w.mnuHelp, w.mnuAbout})
            command->trigger();
        // F1 asks for Help, wherever the focus is.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);

        // Each try looks again (the module may have been put back since).
        QCOMPARE(boxes.shown().size(), 5);
        for (const Box& box : boxes.shown()) {
            QVERIFY2(box.text.contains(ModuleName), qPrintable(box.text));
            QVERIFY2(box.text.contains(QLatin1String("Install the program again")), qPrintable(box.text));
            QCOMPARE(box.flags, forms::vbCritical);
            QCOMPARE(box.title, identity::ApplicationTitle);
        }
        QCOMPARE(QApplication::topLevelWidgets(), before);
        QVERIFY(w.isVisible());
        QCOMPARE(w.txtName->text(), QStringLiteral("Ashford, Nora"));
    }

    // A module left from another build is never called (this one would end
    // the process): the user is told to install again.
    void aModuleOfAnotherBuildIsRefused() {
        ScriptedBoxes boxes;
        Window win({contact("Ashford, Nora", "555-0101")});
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_FOREIGN_MODULE), win.dir.filePath(ModuleName)));
        app::frmPhone& w = win.open();
        boxes.expectContaining({QStringLiteral("another build"), QStringLiteral("6.00 another build"),
                                QStringLiteral("Install the program again")},
                               forms::vbCritical, forms::vbOK);
        w.mnuAbout->trigger();
        QVERIFY_BOXES(boxes);
        QVERIFY(!shownWindow("frmAbout"));
        QVERIFY(w.isVisible());
    }

    // The real module: a box raised inside it goes to this program's
    // answerer with this program's title, and its About box opens.
    void theRealModuleSharesTheProgramsBoxes() {
        ScriptedBoxes boxes;
        Window win({contact("Ashford, Nora", "555-0101")});
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_PAGES_MODULE), win.dir.filePath(ModuleName)));
        app::frmPhone& w = win.open();
        QTemporaryDir noHelp;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(noHelp.path()));
        // No help in the current folder nor beside the program: the program's
        // own is named as missing.
        boxes.expectContaining({QStringLiteral("The help file was not found"), win.dir.filePath("phone.chm")},
                               forms::vbCritical, forms::vbOK);
        w.mnuHelp->trigger();
        QVERIFY(QDir::setCurrent(before));
        QVERIFY_BOXES(boxes);

        w.mnuAbout->trigger();
        QWidget* about = shownWindow("frmAbout");
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        w.mnuAbout->trigger(); // the module keeps one About box
        QCOMPARE(shownWindow("frmAbout"), about);
        about->close();
        QVERIFY_BOXES(boxes);
    }
};

QUORVEL_TEST_MAIN(PageWindowsTest)
#include "tst_pagewindows.moc"
