// The modem port dialog on real files: what it selects, what OK writes, the
// close box, and a folder it cannot save into.
#include "DialogFixture.h"
#include "PtyPair.h"
#include "dialer/frmComPort.h"
#include "identity/Identity.h"
#include "platform/comm/MSComm.h"
#include "support/ScriptedBoxes.h"
#include "support/TestMain.h"

#include <QFileInfo>

using namespace testing;
using dialer::frmComPort;

namespace {
QList<int> selected(const Dialog<frmComPort>& d) {
    QList<int> ports;
    for (int i = 1; i <= 8; ++i)
        if (d->optCom(i)->isChecked())
            ports << i;
    return ports;
}
} // namespace

class ComPortTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ProgramFolder> folder;
    QString port;

private slots:
    void init() {
        folder = std::make_unique<ProgramFolder>();
        port = folder->file(QStringLiteral("Port.sav"));
    }

    void loadSelectsThePortOfTheFileAndOkWritesItBack_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("no file") << QByteArray() << QList<int>{} << QByteArray(" 0 \r\n");
        QTest::newRow("port 3") << QByteArray(" 3 \r\n") << QList<int>{3} << QByteArray(" 3 \r\n");
        QTest::newRow("hand-edited 12") << QByteArray("12") << QList<int>{} << QByteArray(" 12 \r\n");
    }
    void loadSelectsThePortOfTheFileAndOkWritesItBack() {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, shown);
        QFETCH(QByteArray, saved);
        if (!file.isEmpty())
            writeFile(port, file);
        ScriptedBoxes boxes;
        Dialog<frmComPort> d;
        QCOMPARE(selected(d), shown);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCOMPARE(contentOf(port), saved);
        QVERIFY(!d->isVisible());
        QVERIFY_BOXES(boxes);
    }

    // OK hides and keeps the window: shown again it is as left, Port.sav unread.
    void enterSavesTheClickedPortAndHides() {
        ScriptedBoxes boxes;
        Dialog<frmComPort> d;
        QTest::mouseClick(d->optCom(5), Qt::LeftButton);
        QTest::keyClick(d->optCom(5), Qt::Key_Return);
        QCOMPARE(contentOf(port), QByteArray(" 5 \r\n"));
        QVERIFY(!d->isVisible());
        writeFile(port, " 7 \r\n");
        d->show();
        QCOMPARE(selected(d), QList<int>{5});
        QVERIFY_BOXES(boxes);
    }

    void closeBoxSavesNothingAndUnloads() {
        ScriptedBoxes boxes;
        Dialog<frmComPort> d;
        QTest::mouseClick(d->optCom(2), Qt::LeftButton);
        d.closeBox();
        QVERIFY(d.form.isNull());
        QVERIFY(!QFile::exists(port));
        QCOMPARE(DialerSettings.ModemPort, 2);
        QVERIFY_BOXES(boxes);
    }

    // A dial reloads ModemPort while the window is open; OK saves the port shown.
    void okSavesThePortShownNotOneReloadedMeanwhile() {
        writeFile(port, " 2 \r\n");
        ScriptedBoxes boxes;
        Dialog<frmComPort> d;
        QTest::mouseClick(d->optCom(6), Qt::LeftButton);
        dialer::Module1::LoadPortSetting(DialerSettings);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCOMPARE(contentOf(port), QByteArray(" 6 \r\n"));
        QVERIFY_BOXES(boxes);
    }

    // Each port says which device it is, where a link points and whether the
    // device is there, as it is each time the window shows; a click on a
    // port's caption selects it.
    void eachPortNamesItsDeviceAndItsCaptionSelectsIt() {
        ConfigHome home;
        const QString links = comm::MSComm::linkFolder();
        QVERIFY(home.linkComPort(2, QStringLiteral("/dev/null")));
        QVERIFY(home.linkComPort(3, QStringLiteral("/dev/quorvel-no-modem")));
        ScriptedBoxes boxes;
        Dialog<frmComPort> d;
        const QString two = QStringLiteral("Com 2: /dev/null (the link %1/com2 points there)").arg(links);
        QCOMPARE(d->optCom(2)->toolTip(), two);
        QCOMPARE(d->optCom(2)->accessibleDescription(), two);
        QCOMPARE(d->Label2->toolTip(), two);
        const QString three =
            QStringLiteral("Com 3: /dev/quorvel-no-modem (the link %1/com3 points there), not present")
                .arg(links);
        QCOMPARE(d->optCom(3)->accessibleDescription(), three);
        const bool ttyS7 = QFileInfo::exists(QStringLiteral("/dev/ttyS7"));
        QCOMPARE(d->Label5->toolTip(), ttyS7 ? QStringLiteral("Com 8: /dev/ttyS7")
                                             : QStringLiteral("Com 8: /dev/ttyS7, not present"));

        QTest::mouseClick(d->Label7, Qt::LeftButton); // "Com 6"
        QCOMPARE(selected(d), QList<int>{6});
        QCOMPARE(DialerSettings.ModemPort, 6);
        QCOMPARE(QApplication::focusWidget(), d->optCom(6));

        // Plugged in while the window was put away: shown again, it says so.
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QVERIFY(home.linkComPort(3, QStringLiteral("/dev/null")));
        d->Show();
        QCOMPARE(d->optCom(3)->toolTip(),
                 QStringLiteral("Com 3: /dev/null (the link %1/com3 points there)").arg(links));
        QVERIFY_BOXES(boxes);
    }

    void aFolderAndFileThatCannotBeWrittenKeepTheWindowAndTheOldFile() {
        writeFile(port, " 3 \r\n");
        ScriptedBoxes boxes;
        Dialog<frmComPort> d;
        QTest::mouseClick(d->optCom(5), Qt::LeftButton);
        boxes.expect(port + QStringLiteral(" cannot be saved: Permission denied."), forms::vbCritical,
                     identity::ApplicationTitle, forms::vbOK);
        // The file itself takes no writes either; one that does is overwritten in place.
        QFile(port).setPermissions(QFile::ReadOwner | QFile::ReadOther);
        {
            ReadOnlyFolder readOnly(folder->dir.path());
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        }
        QFile(port).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY_BOXES(boxes);
        QVERIFY(d->isVisible());
        QCOMPARE(contentOf(port), QByteArray(" 3 \r\n"));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton); // writable again
        QCOMPARE(contentOf(port), QByteArray(" 5 \r\n"));
    }
};

QUORVEL_TEST_MAIN(ComPortTest)
#include "tst_comport.moc"
