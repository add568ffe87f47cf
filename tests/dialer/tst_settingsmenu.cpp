// The Dialer Settings menu of the real main window: one shared instance of
// each dialog, and no dialog that keeps the program going once the main
// window is gone.
#include "DialogFixture.h"
#include "app/WindowFixture.h"
#include "dialer/frmComPort.h"
#include "dialer/frmPrefix.h"
#include "support/Instances.h"
#include "support/TestMain.h"

#include <QSignalSpy>
#include <QTimer>

using namespace testing;
using dialer::frmComPort;
using dialer::frmPrefix;

class SettingsMenuTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Window> win;
    QString port;

    app::frmPhone& open() {
        win = std::make_unique<Window>(QList<Contact>{contact("Ashford, Nora", "555-0101")});
        port = win->dir.filePath(QStringLiteral("Port.sav"));
        return win->open();
    }

private slots:
    void cleanup() { win.reset(); }

    // Chosen again, an item shows the same window, loaded once; OK hides it
    // and keeps it; the close box unloads it, so the next choice loads anew.
    void eachItemShowsOneSharedWindow() {
        ScriptedBoxes boxes;
        app::frmPhone& w = open();
        writeFile(port, " 3 \r\n");
        w.mnuModPortItem->trigger();
        writeFile(port, " 5 \r\n");
        w.mnuModPortItem->trigger();
        QCOMPARE(instances<frmComPort>().size(), 1);
        frmComPort* comPort = instances<frmComPort>().first();
        QVERIFY(comPort->isVisible());
        QVERIFY(comPort->optCom(3)->isChecked());

        QTest::keyClick(comPort->optCom(3), Qt::Key_Return);
        QVERIFY(!comPort->isVisible());
        w.mnuModPortItem->trigger();
        QCOMPARE(instances<frmComPort>(), QList<frmComPort*>{comPort});
        QVERIFY(comPort->isVisible());

        writeFile(port, " 6 \r\n");
        comPort->close();
        QVERIFY(instances<frmComPort>().isEmpty());
        w.mnuModPortItem->trigger();
        QCOMPARE(instances<frmComPort>().size(), 1);
        QVERIFY(instances<frmComPort>().first()->optCom(6)->isChecked());

        w.mnuAreaCodeItem->trigger();
        w.mnuAreaCodeItem->trigger();
        QCOMPARE(instances<frmPrefix>().size(), 1);
        QVERIFY(instances<frmPrefix>().first()->isVisible());
        QVERIFY_BOXES(boxes);
    }

    // A dialog opens centred over the main window, and whole on the screen
    // when the main window stands at its edge.
    void dialogsOpenOverTheMainWindowAndOnTheScreen() {
        ScriptedBoxes boxes;
        app::frmPhone& w = open();
        const QRect screen = w.screen()->availableGeometry();
        w.move(screen.topLeft() + QPoint(60, 40));
        w.mnuModPortItem->trigger();
        const frmComPort* comPort = instances<frmComPort>().first();
        QVERIFY((comPort->frameGeometry().center() - w.frameGeometry().center()).manhattanLength() <= 1);

        w.move(screen.bottomRight() - QPoint(60, 40));
        QApplication::setActiveWindow(&w); // the menu is the main window's
        w.mnuAreaCodeItem->trigger();
        const frmPrefix* prefix = instances<frmPrefix>().first();
        QVERIFY(prefix->isVisible());
        QVERIFY(screen.contains(prefix->frameGeometry()));
        QVERIFY(prefix->frameGeometry().intersects(w.frameGeometry()));
        QVERIFY_BOXES(boxes);
    }

    // Every menu opens its windows through the window's one opener, which a
    // test can take over: then each request is seen and nothing opens, not
    // even a message about the page windows' module.
    void itemsOpenThroughTheOpener() {
        ScriptedBoxes boxes;
        app::frmPhone& w = open();
        using Window = app::frmPhone::Window;
        QList<std::pair<Window, QString>> opened;
        w.setOpenWindow([&](Window window, const QString& address) { opened.append({window, address}); });
        for (QAction* item : {w.mnuModPortItem, w.mnuAreaCodeItem, w.mnuHelp, w.mnuPro, w.mnuAbout})
            item->trigger();
        QCOMPARE(opened.size(), 5);
        const QList<Window> order = {Window::ComPort, Window::Prefix, Window::Help, Window::Browser,
                                     Window::About};
        for (qsizetype i = 0; i < order.size(); ++i)
            QVERIFY2(opened[i].first == order[i], qPrintable(QString::number(i)));
        QVERIFY(opened[2].second.endsWith(QLatin1String("/phone.chm")));
        QCOMPARE(opened[3].second, identity::makerHomePage());
        QVERIFY(instances<frmComPort>().isEmpty());
        QVERIFY(instances<frmPrefix>().isEmpty());
        QVERIFY_BOXES(boxes);
    }

    // The application judges the last window only while its event loop
    // runs, so the steps run inside it.
    void noDialogKeepsTheProgramAfterTheMainWindow() {
        ScriptedBoxes boxes;
        app::frmPhone& w = open();
        QSignalSpy last(qApp, &QGuiApplication::lastWindowClosed);
        int afterMainWindow = -1;
        bool dialogShown = false;
        QTimer::singleShot(0, qApp, [&] {
            w.mnuAreaCodeItem->trigger();
            QTest::mouseClick(instances<frmPrefix>().first()->cmdOK, Qt::LeftButton);
            w.mnuModPortItem->trigger();
            // A dialog still shown stays open; the hidden one counts for nothing.
            w.close();
            afterMainWindow = last.count();
            frmComPort* comPort = instances<frmComPort>().first();
            dialogShown = comPort->isVisible();
            // OK hides the last window shown: the program ends.
            QTest::mouseClick(comPort->cmdOK, Qt::LeftButton);
            QCoreApplication::exit(0);
        });
        QCOMPARE(QApplication::exec(), 0);
        QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
        QCOMPARE(afterMainWindow, 0);
        QVERIFY(dialogShown);
        QCOMPARE(last.count(), 1);

        // And no dialog outlives the main window.
        win.reset();
        QVERIFY(instances<frmComPort>().isEmpty());
        QVERIFY(instances<frmPrefix>().isEmpty());
        QVERIFY_BOXES(boxes);
    }
};

QUORVEL_TEST_MAIN(SettingsMenuTest)
#include "tst_settingsmenu.moc"
