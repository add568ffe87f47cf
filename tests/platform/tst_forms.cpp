#include "platform/core/Error.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Twips.h"
#include "support/ScriptedBoxes.h"
#include "support/TestMain.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace forms;

namespace {
// What a real message box looked like, read while it is open.
struct Seen {
    QString title, text;
    QStringList buttons;
    QString defaultButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs `show` while a timer inspects the modal box and presses `press`.
int showAndPress(const std::function<int()>& show, const QString& press, Seen& seen) {
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << b->text();
        seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == press)
                b->click();
    });
    return show();
}
} // namespace

class FormsTest : public QObject {
    Q_OBJECT
private slots:
    void twipsFollowTheScreensLogicalDpi() {
        QCOMPARE(twipsToPixels(1440, 96.0), 96);
        QCOMPARE(twipsToPixels(15, 96.0), 1);
        QCOMPARE(twipsToPixels(936, 120.0), 78); // Image1 at the density it was drawn for
        QCOMPARE(twipsToPixels(720, 120.0), 60);
        QCOMPARE(twipsToPixels(1515, 96.0), 101);
        QCOMPARE(twipsToPixels(8, 96.0), 1); // rounds to the nearest pixel
        QCOMPARE(twipsToPixels(7, 96.0), 0);
    }

    void realBoxesHaveTheButtonsDefaultAndIconOfTheirFlags() {
        Seen seen;
        QCOMPARE(showAndPress([] { return MsgBox("Sure?", 276, "ARE YOU SURE?"); }, "&Yes", seen), vbYes);
        QCOMPARE(seen.title, "ARE YOU SURE?");
        QCOMPARE(seen.text, "Sure?");
        QCOMPARE(seen.buttons, QStringList({"&Yes", "&No"}));
        QCOMPARE(seen.defaultButton, "&No");
        QCOMPARE(seen.icon, QMessageBox::Critical);

        seen = {};
        QCOMPARE(showAndPress([] { return MsgBox("Save?", vbYesNo); }, "&No", seen), vbNo);
        QCOMPARE(seen.title, identity::ApplicationTitle); // no title of its own
        QCOMPARE(seen.defaultButton, "&Yes");
        QCOMPARE(seen.icon, QMessageBox::NoIcon);

        seen = {};
        QCOMPARE(showAndPress([] { return MsgBox("Go on?", vbOKCancel, "Add Record"); }, "Cancel", seen),
                 vbCancel);
        QCOMPARE(seen.buttons, QStringList({"OK", "Cancel"}));
        QCOMPARE(seen.defaultButton, "OK");

        seen = {};
        QCOMPARE(showAndPress([] { return MsgBox("Notice"); }, "OK", seen), vbOK);
        QCOMPARE(seen.buttons, QStringList({"OK"}));
    }

    void escapeAnswersTheSecondButton() {
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(MsgBox("Sure?", vbYesNo), vbNo);
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(MsgBox("Notice"), vbOK);
    }

    void inputBoxGivesTheTextOrEmptyOnCancel() {
        auto answer = [](const QString& typed, bool accept) {
            QTimer::singleShot(0, [=] {
                auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), "Name Search");
                QCOMPARE(dialog->labelText(), "Enter the Last Name.");
                dialog->findChild<QLineEdit*>()->setText(typed);
                accept ? dialog->accept() : dialog->reject();
            });
            return InputBox("Enter the Last Name.", "Name Search");
        };
        QCOMPARE(answer("  Smith ", true), "  Smith ");
        QCOMPARE(answer("Smith", false), QString());
    }

    void dispatchShowsAnUntrappedErrorAndGoesOn() {
        testing::ScriptedBoxes boxes;
        boxes.expect("No current record.", vbCritical, identity::ApplicationTitle, vbOK);
        bool after = false;
        dispatch([] { throw platform::Error(platform::err::NoCurrentRecord, "No current record."); });
        dispatch([&] { after = true; });
        QVERIFY(after);
        QVERIFY_BOXES(boxes);
    }

    void resumeNextSkipsOnlyTheFailingStep() {
        QStringList ran;
        QVERIFY(!platform::resumeNext([&] {
            ran << "one";
            throw platform::Error(1, "x");
        }));
        QVERIFY(platform::resumeNext([&] { ran << "two"; }));
        QCOMPARE(ran, QStringList({"one", "two"}));
    }

    void scriptedBoxesReportWhatNobodyExpected() {
        testing::ScriptedBoxes boxes;
        boxes.expect("A", vbOKOnly, "T", vbOK);
        QCOMPARE(MsgBox("B", vbYesNo, "T"), vbOK); // differs from the script; answered as scripted
        QCOMPARE(MsgBox("C", vbYesNo), vbNo);      // beyond the script: the safe answer
        QCOMPARE(boxes.problems().size(), 2);
        boxes.clear();
        boxes.expect("D", vbOKOnly, "T", vbOK);
        QCOMPARE(boxes.problems().size(), 1); // never shown
    }
};

QUORVEL_TEST_MAIN(FormsTest)
#include "tst_forms.moc"
