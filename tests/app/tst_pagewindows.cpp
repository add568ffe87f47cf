// The main window's page windows (About, Pro Version, Help) come from a
// module beside the program. Without it the user is told, and the main window
// carries on.
#include "WindowFixture.h"
#include "support/TestMain.h"

using namespace testing;

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

        // Each try looks again (the module may have been put back since).
        QCOMPARE(boxes.shown().size(), 4);
        for (const Box& box : boxes.shown()) {
            QVERIFY2(box.text.contains(QStringLiteral("libquorvel_windows.so")), qPrintable(box.text));
            QCOMPARE(box.flags, forms::vbCritical);
            QCOMPARE(box.title, identity::ApplicationTitle);
        }
        QCOMPARE(QApplication::topLevelWidgets(), before);
        QVERIFY(w.isVisible());
        QCOMPARE(w.txtName->text(), QStringLiteral("Ashford, Nora"));
    }
};

QUORVEL_TEST_MAIN(PageWindowsTest)
#include "tst_pagewindows.moc"
