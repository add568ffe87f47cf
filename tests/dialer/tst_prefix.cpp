// The dialing prefix dialog on real files: what it shows, the conversion of
// its boxes, what OK writes or refuses, the close box, and failed saves.
#include "DialogFixture.h"
#include "dialer/frmPrefix.h"
#include "identity/Identity.h"
#include "support/ScriptedBoxes.h"
#include "support/TestMain.h"

#include <optional>

using namespace testing;
using dialer::frmPrefix;

namespace {
const QByteArray Before = " 1  2  3 \r\n"; // area code 1, outside line 2, long distance 3

// The boxes top to bottom: area code, long distance, outside line.
QList<QLineEdit*> boxesOf(const Dialog<frmPrefix>& d) {
    return {d->txtAreaCode, d->txtLongDist, d->txtOutLine};
}
QStringList textsOf(const Dialog<frmPrefix>& d) {
    QStringList texts;
    for (QLineEdit* box : boxesOf(d))
        texts << box->text();
    return texts;
}
void type(const Dialog<frmPrefix>& d, const QStringList& texts) {
    for (int i = 0; i < 3; ++i) {
        boxesOf(d)[i]->clear();
        QTest::keyClicks(boxesOf(d)[i], texts[i]);
    }
}
QList<int> inMemory() { return {DialerSettings.AreaCode, DialerSettings.OutLine, DialerSettings.LongDist}; }

} // namespace

class PrefixTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ProgramFolder> folder;
    QString prefix;

private slots:
    void init() {
        folder = std::make_unique<ProgramFolder>();
        prefix = folder->file(QStringLiteral("Prefix.sav"));
    }

    void loadShowsTheValuesAsPlainText() {
        ScriptedBoxes boxes;
        {
            Dialog<frmPrefix> d;
            QCOMPARE(textsOf(d), QStringList({"0", "0", "0"}));
        }
        writeFile(prefix, "212,-9,\r\n01");
        {
            Dialog<frmPrefix> d;
            QCOMPARE(textsOf(d), QStringList({"212", "1", "-9"}));
        }
        // A file that cannot be read is reported; the boxes show what is in memory.
        writeFile(prefix, "212 abc 1");
        boxes.expect(QStringLiteral("Prefix.sav holds \"abc\", which is no number."), forms::vbCritical,
                     identity::ApplicationTitle, forms::vbOK);
        Dialog<frmPrefix> d;
        QCOMPARE(textsOf(d), QStringList({"212", "1", "-9"}));
        QVERIFY(d.captionsFit());
        QVERIFY_BOXES(boxes);
    }

    // Typed top to bottom, saved in the file's order: area, outside line, long
    // distance. Shown again, the window is as left, Prefix.sav unread.
    void okSavesInTheFileOrderHidesAndReopensAsLeft() {
        ScriptedBoxes boxes; // no message, and Enter or Escape in a box do nothing
        Dialog<frmPrefix> d;
        type(d, {"212", "1", "9"});
        QTest::keyClick(d->txtOutLine, Qt::Key_Return);
        QTest::keyClick(d->txtOutLine, Qt::Key_Escape);
        QVERIFY(d->isVisible());
        QVERIFY(!QFile::exists(prefix));
        d->cmdOK->setFocus(); // Enter on the focused button presses it
        QTest::keyClick(d->cmdOK, Qt::Key_Return);
        QCOMPARE(contentOf(prefix), QByteArray(" 212  9  1 \r\n"));
        QCOMPARE(inMemory(), QList<int>({212, 9, 1}));
        QVERIFY(!d->isVisible());
        d->txtOutLine->setText(QStringLiteral("09"));
        writeFile(prefix, " 7  7  7 \r\n");
        d->show();
        QCOMPARE(textsOf(d), QStringList({"212", "1", "09"}));
        QVERIFY_BOXES(boxes);
    }

    void aBoxIsConverted_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("leading zero") << "09" << QByteArray(" 0  0  9 \r\n");
        QTest::newRow("blanks around") << " 9 " << QByteArray(" 0  0  9 \r\n");
        QTest::newRow("half down to even") << "2.5" << QByteArray(" 0  0  2 \r\n");
        QTest::newRow("half up to even") << "3.5" << QByteArray(" 0  0  4 \r\n");
        QTest::newRow("negative half") << "-2.5" << QByteArray(" 0  0 -2 \r\n");
        QTest::newRow("above half") << "2.501" << QByteArray(" 0  0  3 \r\n");
        QTest::newRow("lowest") << "-32768" << QByteArray(" 0  0 -32768 \r\n");
    }
    void aBoxIsConverted() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, saved);
        ScriptedBoxes boxes;
        Dialog<frmPrefix> d;
        type(d, {"0", typed, "0"});
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QCOMPARE(contentOf(prefix), saved);
        QVERIFY_BOXES(boxes);
    }

    // Every box is checked first: one to mend changes nothing in memory or on
    // disk, and leaves the window open as typed with that box in focus.
    void aBoxToMendChangesNothing_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("focus");
        const QString zero = QStringLiteral("Type a ZERO in place of no Number..!!!");
        const QString title = QStringLiteral("Enter a ZERO");
        const auto mustBe = [](const char* box) {
            return QStringLiteral("The %1 must be a whole number from -32768 to 32767.")
                .arg(QLatin1String(box));
        };
        QTest::newRow("outside line empty") << QStringList{"212", "1", ""} << zero << title << 2;
        QTest::newRow("all empty, one message") << QStringList{"", "", ""} << zero << title << 0;
        QTest::newRow("empty after letters") << QStringList{"abc", "1", ""} << zero << title << 2;
        QTest::newRow("letters") << QStringList{"212", "one", "9"} << mustBe("long distance prefix")
                                 << identity::ApplicationTitle << 1;
        QTest::newRow("40000") << QStringList{"212", "1", "40000"} << mustBe("outside line")
                               << identity::ApplicationTitle << 2;
        QTest::newRow("rounds out of range")
            << QStringList{"32767.5", "1", "9"} << mustBe("area code") << identity::ApplicationTitle << 0;
    }
    void aBoxToMendChangesNothing() {
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(int, focus);
        writeFile(prefix, Before);
        ScriptedBoxes boxes;
        Dialog<frmPrefix> d;
        type(d, typed);
        boxes.expect(message, forms::vbOKOnly, title, forms::vbOK);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QVERIFY_BOXES(boxes);
        QCOMPARE(inMemory(), QList<int>({1, 2, 3}));
        QCOMPARE(contentOf(prefix), Before);
        QVERIFY(d->isVisible());
        QCOMPARE(textsOf(d), typed);
        QCOMPARE(QApplication::focusWidget(), boxesOf(d)[focus]);
    }

    void closeBoxChangesNothingAndUnloads() {
        writeFile(prefix, Before);
        ScriptedBoxes boxes;
        Dialog<frmPrefix> d;
        type(d, {"5", "5", "5"});
        d.closeBox();
        QVERIFY(d.form.isNull());
        QCOMPARE(contentOf(prefix), Before);
        QCOMPARE(inMemory(), QList<int>({1, 2, 3}));
        QVERIFY_BOXES(boxes);
    }

    // A read-only folder or a full disk: the user is told which file and
    // why; memory, file and window stay as they were. A read-only folder
    // whose file takes writes gets the file overwritten in place.
    void aSaveThatFailsKeepsEverything_data() {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<bool>("writableFile");
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only folder and file") << true << false << false << "Permission denied";
        QTest::newRow("full disk") << false << true << true << "File too large";
        QTest::newRow("read-only folder, writable file") << true << true << false << "";
        QTest::newRow("read-only folder, writable file, full disk")
            << true << true << true << "File too large";
    }
    void aSaveThatFailsKeepsEverything() {
        QFETCH(bool, readOnlyFolder);
        QFETCH(bool, writableFile);
        QFETCH(bool, full);
        QFETCH(QString, reason);
        writeFile(prefix, Before);
        // Writable by anyone, so also by the ordinary user a read-only folder test runs as.
        const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        QFile(prefix).setPermissions(
            writableFile ? readable | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther : readable);
        ScriptedBoxes boxes;
        Dialog<frmPrefix> d;
        type(d, {"212", "1", "9"});
        if (!reason.isEmpty())
            boxes.expect(prefix + QStringLiteral(" cannot be saved: ") + reason + QLatin1Char('.'),
                         forms::vbCritical, identity::ApplicationTitle, forms::vbOK);
        {
            std::optional<ReadOnlyFolder> readOnly;
            if (readOnlyFolder)
                readOnly.emplace(folder->dir.path());
            std::optional<FullDisk> disk;
            if (full)
                disk.emplace();
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        }
        QFile(prefix).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY_BOXES(boxes);
        QCOMPARE(QDir(folder->dir.path()).entryList(QDir::Files), QStringList{"Prefix.sav"});
        if (reason.isEmpty()) {
            QCOMPARE(contentOf(prefix), QByteArray(" 212  9  1 \r\n"));
            QVERIFY(!d->isVisible());
            return;
        }
        QCOMPARE(contentOf(prefix), Before);
        QCOMPARE(inMemory(), QList<int>({1, 2, 3}));
        QVERIFY(d->isVisible());
    }
};

QUORVEL_TEST_MAIN(PrefixTest)
#include "tst_prefix.moc"
