#include "platform/core/Error.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Pictures.h"
#include "platform/forms/Twips.h"
#include "support/ScriptedBoxes.h"
#include "support/TestMain.h"

#include <QDialog>
#include <QInputDialog>
#include <QLabel>
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
    // An icon's sizes are read from one drawing: each must still be the whole
    // picture at its own size, as drawn alone, and none may be blank.
    void iconSizesAreEachTheWholePictureDrawnAlone() {
        const QString drawing = QStringLiteral(":/icons/envelope.svg");
        const QIcon icon = forms::svgIcon(drawing, {16, 32});
        QCOMPARE(icon.availableSizes(), QList<QSize>({{16, 16}, {32, 32}}));
        for (int side : {16, 32}) {
            const QImage alone = forms::svgPixmap(drawing, {side, side}).toImage();
            const QImage inIcon = icon.pixmap(side, side).toImage();
            QCOMPARE(inIcon.convertToFormat(alone.format()), alone);
            QImage blank(alone.size(), alone.format());
            blank.fill(Qt::transparent);
            QVERIFY(alone != blank);
        }
        const QCursor pointer = forms::svgCursor(QStringLiteral(":/pointers/hand.svg"), 12, 1);
        QCOMPARE(pointer.pixmap().size(), QSize(32, 32));
        QCOMPARE(pointer.hotSpot(), QPoint(12, 1));
    }

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

    // A Yes/No box must be answered: Escape and the close box do not choose
    // No for the user. Boxes with Cancel, or a lone OK, keep Escape.
    void onlyBoxesWithAWayOutKeepEscape() {
        bool stillOpen = false, closeBoxShown = true;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            stillOpen = box->isVisible();
            closeBoxShown = box->windowFlags().testFlag(Qt::WindowCloseButtonHint);
            QTest::keyClick(box, Qt::Key_N);
        });
        QCOMPARE(MsgBox("Sure?", vbYesNo), vbNo);
        QVERIFY(stillOpen);
        QVERIFY(!closeBoxShown);
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(MsgBox("Go on?", vbOKCancel), vbCancel);
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(MsgBox("Notice"), vbOK);
    }

    // The program may close a box that became pointless: only the box with
    // that text, and its MsgBox returns as after OK.
    void aBoxClosedByTheProgramReturnsAsAfterOk() {
        bool otherTextLeftItOpen = false;
        QTimer::singleShot(0, [&] {
            forms::CloseMsgBox(QStringLiteral("Another text"));
            QWidget* box = QApplication::activeModalWidget();
            otherTextLeftItOpen = box && box->isVisible();
            forms::CloseMsgBox(QStringLiteral("Dialing"));
        });
        QCOMPARE(MsgBox("Dialing"), vbOK);
        QVERIFY(otherTextLeftItOpen);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Text from the phone book may hold markup or runs of blanks: shown as is.
    void boxesShowTheirTextExactlyAsPlainText() {
        const QString text = "Dialing <b>555</b> &lt;0101&gt;  Pick up the phone...";
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&] {
            auto* label = QApplication::activeModalWidget()->findChild<QLabel*>("qt_msgbox_label");
            shown = label->text();
            format = label->textFormat();
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return);
        });
        MsgBox(text);
        QCOMPARE(shown, text);
        QCOMPARE(format, Qt::PlainText);

        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            for (QLabel* label : dialog->findChildren<QLabel*>())
                if (label->text() == text)
                    format = label->textFormat();
            dialog->reject();
        });
        format = Qt::AutoText;
        InputBox(text, "Name Search");
        QCOMPARE(format, Qt::PlainText);
    }

    // Enter presses the focused button in any window, a dialog or not.
    void enterPressesTheFocusedButtonEverywhere() {
        for (const bool dialog : {false, true}) {
            std::unique_ptr<QWidget> window(dialog ? new QDialog : new QWidget);
            auto* first = new QPushButton("First", window.get());
            auto* second = new QPushButton("Second", window.get());
            second->move(0, 40);
            first->setDefault(dialog);
            second->setAutoDefault(false);
            int firstClicks = 0, secondClicks = 0;
            connect(first, &QPushButton::clicked, [&] { ++firstClicks; });
            connect(second, &QPushButton::clicked, [&] { ++secondClicks; });
            window->show();
            QApplication::setActiveWindow(window.get());
            second->setFocus();
            QTest::keyClick(second, Qt::Key_Return);
            QTest::keyClick(second, Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(secondClicks, 2);
            QCOMPARE(firstClicks, 0);
        }
    }

    // Qt would cut every box at 32,767 characters, in the middle of an emoji too.
    void textBoxesTakeTextOfAnyLength() {
        const QString longText = QString(32766, 'a') + QString::fromUtf8("\U0001F600") + QString(8000, 'b');
        QWidget window; // a window of the future, its box made without textBox()
        auto* plain = new QLineEdit(&window);
        window.show();
        plain->setText(longText);
        QCOMPARE(plain->text(), longText);

        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            dialog->findChild<QLineEdit*>()->setText(longText);
            dialog->accept();
        });
        QCOMPARE(InputBox("Enter the Last Name.", "Name Search"), longText);
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
