// New, Edit and Delete through the real window, its buttons and arrows, and a
// real phone book file.
#include "CommandWindow.h"
#include "support/TestMain.h"

#include <QMessageBox>
#include <QTimer>

using namespace testing;
using forms::vbCancel;
using forms::vbNo;
using forms::vbOK;
using forms::vbYes;
using forms::vbYesNo;

namespace {
const QString AddText = QStringLiteral(" Enter new record, and click left arrow button.");
const QString DeleteText = QStringLiteral("Do you want to DELETE selected person ?");
const QList<Contact> Three = {contact("Ashford, Nora", "212-555-0101"),
                              contact("Brennan, Tom", "312-555-0102"),
                              contact("Castillo, Maria", "415-555-0103")};

void expectAdd(ScriptedBoxes& boxes, int answer) {
    boxes.expect(AddText, forms::vbOKCancel, QStringLiteral("Add Record"), answer);
}
void expectDelete(ScriptedBoxes& boxes, int answer) {
    boxes.expect(DeleteText, 276, QStringLiteral("ARE YOU SURE?"), answer);
}
} // namespace

class RecordCommandsTest : public QObject {
    Q_OBJECT
private slots:
    // Cancel changes nothing; OK then an arrow without typing adds nothing.
    void newCancelledOrLeftUntypedAddsNothing() {
        ScriptedBoxes boxes; // no save prompt may appear
        CommandWindow w(Three);
        w->txtPhone->setFocus();
        expectAdd(boxes, vbCancel);
        w.click(w->cmdAdd);
        QVERIFY(!w->txtName->hasFocus());
        QCOMPARE(w->txtPhone->text(), "212-555-0101");

        w.click(w->Data1->nextButton());
        expectAdd(boxes, vbOK);
        w.click(w->cmdAdd);
        QVERIFY(w->txtName->hasFocus());
        QCOMPARE(w.shown(), "");
        QCOMPARE(w->txtMobile->text(), "");
        w.click(w->Data1->previousButton());
        QCOMPARE(w.shown(), "Ashford, Nora");
        QCOMPARE(w.stored(), Three);
        QCOMPARE(w.count(), "3");
        QVERIFY_BOXES(boxes);
    }

    void newTypedIsStoredOnlyOnYes_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(vbYes);
        QTest::newRow("No") << int(vbNo);
    }
    void newTypedIsStoredOnlyOnYes() {
        QFETCH(int, answer);
        ScriptedBoxes boxes;
        CommandWindow w(Three);
        w.click(w->Data1->lastButton());
        expectAdd(boxes, vbOK);
        w.click(w->cmdAdd);
        w.type(w->txtName, "Dubois, Pierre");
        w.type(w->txtPhone, "617-555-0104");
        boxes.expect(Save, vbYesNo, Title, answer);
        w.click(w->Data1->previousButton());
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.shown(), "Brennan, Tom"); // the arrow moved on from where New began
        if (answer == vbYes) {
            const Contact typed = {"Dubois, Pierre", "", "617-555-0104", "", "", "", ""};
            QCOMPARE(w.stored(), Three + QList<Contact>{typed});
            QCOMPARE(w.count(), "4");
        } else {
            QCOMPARE(w.stored(), Three);
            QCOMPARE(w.count(), "3");
        }
    }

    void newAsksAboutTheCurrentRecordFirst() {
        ScriptedBoxes boxes;
        CommandWindow w(Three);
        w.type(w->txtPhone, "212-555-0199");
        expectAdd(boxes, vbOK);
        boxes.expect(Save, vbYesNo, Title, vbYes);
        w.click(w->cmdAdd);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.stored().first().at(2), "212-555-0199");
        QCOMPARE(w->txtPhone->text(), ""); // the boxes went blank only after the answer
        QCOMPARE(w.stored().size(), 3);
    }

    // The first contact of an empty book, added as the New message says.
    void newOnAnEmptyBookIsShownOnceStored() {
        ScriptedBoxes boxes;
        CommandWindow w({});
        expectAdd(boxes, vbOK);
        w.click(w->cmdAdd);
        w.type(w->txtName, "Evans, Grace");
        boxes.expect(Save, vbYesNo, Title, vbYes);
        w.click(w->Data1->previousButton());
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.stored().size(), 1);
        QCOMPARE(w.shown(), "Evans, Grace");
        QCOMPARE(w.count(), "1");
    }

    void editStoresInPlaceOnYesOnly_data() { newTypedIsStoredOnlyOnYes_data(); }
    void editStoresInPlaceOnYesOnly() {
        QFETCH(int, answer);
        ScriptedBoxes boxes;
        CommandWindow w(Three);
        w.click(w->Data1->nextButton());
        w.type(w->txtPhone, "312-555-0199");
        boxes.expect(Save, vbYesNo, Title, answer);
        w.click(w->cmdEdit);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.shown(), "Brennan, Tom");
        const QString phone = answer == vbYes ? "312-555-0199" : "312-555-0102";
        QCOMPARE(w->txtPhone->text(), phone);
        QCOMPARE(w.stored().at(1).at(2), phone);
        QCOMPARE(w.stored().size(), 3);
        // Stored or dropped, the change is settled: moving asks nothing more.
        w.click(w->Data1->nextButton());
        QCOMPARE(w.shown(), "Castillo, Maria");
        QVERIFY_BOXES(boxes);
        w.click(w->cmdEdit); // nothing changed now: no prompt, nothing stored
        QCOMPARE(w.stored().at(2), Three.at(2));
        QVERIFY_BOXES(boxes);
    }

    void editOnAnEmptyBookExplainsAndTheProgramGoesOn() {
        ScriptedBoxes boxes;
        CommandWindow w({});
        boxes.expect("There is no record to edit: the phone book is empty. Click New to add one.",
                     forms::vbCritical, Title, vbOK);
        w.click(w->cmdEdit);
        QVERIFY_BOXES(boxes);
        expectAdd(boxes, vbOK);
        w.click(w->cmdAdd);
        w.type(w->txtName, "Ashford, Nora");
        boxes.expect(Save, vbYesNo, Title, vbYes);
        w.click(w->Data1->nextButton());
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.stored().size(), 1);

        // Past the end of a book that is not empty: no record is shown either.
        w->Data1->Recordset().MoveNext();
        QVERIFY(w->Data1->Recordset().Eof());
        boxes.expect("There is no record to edit: none is shown. Click an arrow to show one.",
                     forms::vbCritical, Title, vbOK);
        w.click(w->cmdEdit);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.stored().size(), 1);
    }

    // A pending new record is stored as a new record, never over the one
    // that was shown before New; it is then the record shown.
    void editWithAPendingNewRecordStoresItAsNew_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << "Dubois, Pierre" << int(vbYes);
        QTest::newRow("No") << "Dubois, Pierre" << int(vbNo);
        QTest::newRow("nothing typed") << "" << 0;
    }
    void editWithAPendingNewRecordStoresItAsNew() {
        QFETCH(QString, typed);
        QFETCH(int, answer);
        ScriptedBoxes boxes;
        CommandWindow w(Three);
        w.click(w->Data1->nextButton());
        expectAdd(boxes, vbOK);
        w.click(w->cmdAdd);
        if (!typed.isEmpty()) {
            w.type(w->txtName, typed);
            boxes.expect(Save, vbYesNo, Title, answer);
        }
        w.click(w->cmdEdit);
        QVERIFY_BOXES(boxes);
        const QList<Contact> stored = w.stored();
        QCOMPARE(stored.mid(0, 3), Three);
        if (answer == vbYes) {
            QCOMPARE(stored.size(), 4);
            QCOMPARE(stored.last().first(), typed);
            QCOMPARE(w.shown(), typed);
            QCOMPARE(w.count(), "4");
        } else {
            QCOMPARE(stored.size(), 3);
            QCOMPARE(w.shown(), "Brennan, Tom");
            QCOMPARE(w.count(), "3");
        }
    }

    void deleteAnsweredNoThenYesShowsTheNextOrTheNewLast() {
        ScriptedBoxes boxes;
        CommandWindow w(Three);
        w.click(w->Data1->nextButton());
        expectDelete(boxes, vbNo);
        w.click(w->cmdDelete);
        QCOMPARE(w.stored(), Three);
        QCOMPARE(w.shown(), "Brennan, Tom");
        expectDelete(boxes, vbYes);
        w.click(w->cmdDelete);
        QCOMPARE(w.shown(), "Castillo, Maria");
        QCOMPARE(w.count(), "2");
        expectDelete(boxes, vbYes);
        w.click(w->cmdDelete);
        QCOMPARE(w.shown(), "Ashford, Nora");
        QCOMPARE(w->txtPhone->text(), "212-555-0101");
        QCOMPARE(w.count(), "1");
        QCOMPARE(w.stored(), QList<Contact>{Three.first()});
        QVERIFY_BOXES(boxes);
    }

    // The real box: Enter at once presses its default button, No.
    void deleteWithEnterAtOnceDeletesNothing() {
        CommandWindow w(Three);
        QString text, title;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            text = box->text();
            title = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Return);
        });
        answerer.start(10);
        w.click(w->cmdDelete);
        answerer.stop();
        QCOMPARE(text, DeleteText);
        QCOMPARE(title, "ARE YOU SURE?");
        QCOMPARE(w.stored(), Three);
        QCOMPARE(w.shown(), "Ashford, Nora");
    }

    void deleteOfTheOnlyRecordThenOnAnEmptyBook() {
        ScriptedBoxes boxes; // nothing but the two warnings
        CommandWindow w({Three.first()});
        expectDelete(boxes, vbYes);
        w.click(w->cmdDelete);
        QCOMPARE(w.shown(), "");
        QCOMPARE(w->txtPhone->text(), "");
        QCOMPARE(w.count(), "0");
        QVERIFY(w.stored().isEmpty());
        expectDelete(boxes, vbYes);
        w.click(w->cmdDelete);
        QCOMPARE(w.shown(), "");
        QCOMPARE(w.count(), "0");
        QVERIFY_BOXES(boxes);
    }

    // Rowid order Castillo, Ashford, Brennan: after Sort, the record after
    // Brennan is Castillo; in rowid order it would have been Ashford.
    void deleteFollowsNameOrderAfterSort() {
        ScriptedBoxes boxes;
        CommandWindow w({Three[2], Three[0], Three[1]});
        w.click(w->cmdSort);
        w.click(w->Data1->nextButton());
        QCOMPARE(w.shown(), "Brennan, Tom");
        expectDelete(boxes, vbYes);
        w.click(w->cmdDelete);
        QCOMPARE(w.shown(), "Castillo, Maria");
        QCOMPARE(w.count(), "2");
        QVERIFY_BOXES(boxes);
    }

    // Delete while a new record is pending must not remove the record that
    // was shown before New, which the user cannot see.
    void deleteWithAPendingNewRecordDeletesNoStoredRecord() {
        ScriptedBoxes boxes;
        CommandWindow w(Three);
        w.click(w->Data1->nextButton());
        expectAdd(boxes, vbOK);
        w.click(w->cmdAdd);
        w.type(w->txtName, "Dubois, Pierre");
        expectDelete(boxes, vbYes);
        boxes.expect(Save, vbYesNo, Title, vbNo);
        w.click(w->cmdDelete);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.stored(), Three);
        QCOMPARE(w.count(), "3");
    }

    // A store that fails is shown once and ends the command: nothing is
    // deleted and the typed value stays in its box.
    void aFailedStoreIsShownAndEndsTheCommand() {
        ScriptedBoxes boxes;
        CommandWindow w(Three);
        phonebook::exec(w.book, "CREATE TRIGGER no_updates BEFORE UPDATE ON PHONEDIR "
                                "BEGIN SELECT RAISE(ABORT, 'read only'); END");
        w.type(w->txtPhone, "212-555-0199");
        expectDelete(boxes, vbYes);
        boxes.expect(Save, vbYesNo, Title, vbYes);
        w.click(w->cmdDelete);
        const QList<Box> shown = boxes.shown();
        QCOMPARE(shown.size(), 3);
        QVERIFY2(shown[2].text.startsWith("Could not save the record"), qPrintable(shown[2].text));
        QCOMPARE(shown[2].flags, forms::vbCritical);
        QCOMPARE(w.stored(), Three);
        QCOMPARE(w->txtPhone->text(), "212-555-0199");
    }
};

QUORVEL_TEST_MAIN(RecordCommandsTest)
#include "tst_recordcommands.moc"
