// The window open on a phone book that another program changes meanwhile
// (quorvel-book, a sync, the sqlite3 tool): the counter and the shown contact
// follow, and what the user is typing is never overwritten.
#include "WindowFixture.h"
#include "exchange/BookProcess.h"
#include "support/TestMain.h"

#include "platform/data/Sqlite.h"

using namespace testing;
using forms::vbYes;
using forms::vbYesNo;

namespace {
const QString Save = QStringLiteral("Do you want to save?");
const QList<Contact> Three = {contact("Ashford, Nora", "212-555-0101"),
                              contact("Brennan, Tom", "312-555-0102"),
                              contact("Castillo, Maria", "415-555-0103")};

// A sync writing a contact anew: its row goes, and another with the same id
// and a new phone number takes its place.
void rewriteElsewhere(const QString& book, const QString& name, const QString& phone) {
    phonebook::exec(book,
                    QStringLiteral("BEGIN; CREATE TEMP TABLE card AS SELECT * FROM PHONEDIR WHERE Name = "
                                   "'%1'; DELETE FROM PHONEDIR WHERE Name = '%1'; UPDATE card SET Phone = "
                                   "'%2'; INSERT INTO PHONEDIR SELECT * FROM card; COMMIT")
                        .arg(name, phone));
}

// Each contact gets an id, as an import or a sync gives them.
void giveIds(const QString& book) {
    phonebook::exec(book, QStringLiteral("UPDATE PHONEDIR SET Uid = 'urn:uuid:test-' || rowid"));
}

QString field(const QString& book, const QString& name, const QString& column) {
    return phonebook::query(book,
                            QStringLiteral("SELECT %1 FROM PHONEDIR WHERE Name = '%2'").arg(column, name));
}

// Types into a box the way a user does: a click on it, then keys to whatever
// has the focus.
void typeInto(QLineEdit* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
    QCOMPARE(QApplication::focusWidget(), box);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), text);
}
} // namespace

class FollowTest : public QObject {
    Q_OBJECT
private slots:
    void countAndShownContactFollowOtherPrograms() {
        ScriptedBoxes boxes; // following never asks anything
        Window win(Three);
        giveIds(win.book);
        auto& w = win.open();
        QCOMPARE(win.shown(), "Ashford, Nora");

        // The sqlite3 tool changes the shown contact.
        phonebook::exec(win.book, "UPDATE PHONEDIR SET Phone = '212-555-0199' WHERE Name = 'Ashford, Nora'");
        QTRY_COMPARE(w.txtPhone->text(), "212-555-0199");

        // The real quorvel-book adds two contacts.
        const QString cards = win.dir.filePath("two.vcf");
        write(cards, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Dunmore Eli\r\nN:Dunmore;Eli;;;\r\nTEL:555-0104\r\n"
                     "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ebbe Lund\r\nN:Lund;Ebbe;;;\r\n"
                     "TEL:555-0105\r\nEND:VCARD\r\n");
        const Result imported = runBook({"--book", win.book, "import", cards});
        QVERIFY2(imported.code == 0, qPrintable(imported.err));
        QTRY_COMPARE(w.lbRecords->text(), "5");
        QCOMPARE(win.shown(), "Ashford, Nora");

        // A sync writes the shown contact anew: another row, the same id. It
        // is still the one shown, with its new number, not a neighbour.
        rewriteElsewhere(win.book, "Ashford, Nora", "212-555-0177");
        QTRY_COMPARE(w.txtPhone->text(), "212-555-0177");
        QCOMPARE(win.shown(), "Ashford, Nora");
        QCOMPARE(w.lbRecords->text(), "5");

        // Deleted elsewhere: the window moves to its neighbour in the order.
        win.click(w.cmdSort);
        win.click(w.Data1->nextButton());
        QCOMPARE(win.shown(), "Brennan, Tom");
        phonebook::exec(win.book, "DELETE FROM PHONEDIR WHERE Name = 'Brennan, Tom'");
        QTRY_COMPARE(win.shown(), "Castillo, Maria");
        QTRY_COMPARE(w.lbRecords->text(), "4");
        // ... and its moves still walk name order from there.
        win.click(w.Data1->previousButton());
        QCOMPARE(win.shown(), "Ashford, Nora");
        win.click(w.Data1->lastButton());
        phonebook::exec(win.book, "DELETE FROM PHONEDIR WHERE Name = 'Lund, Ebbe'");
        QTRY_COMPARE(win.shown(), "Dunmore, Eli");

        // Emptied elsewhere, then filled again: blank boxes, then the first contact.
        phonebook::exec(win.book, "DELETE FROM PHONEDIR");
        QTRY_COMPARE(w.lbRecords->text(), "0");
        QTRY_COMPARE(win.shown(), "");
        QCOMPARE(w.txtPhone->text(), "");
        QCOMPARE(runBook({"--book", win.book, "import", cards}).code, 0);
        QTRY_COMPARE(win.shown(), "Dunmore, Eli");
        QTRY_COMPARE(w.lbRecords->text(), "2");
        QVERIFY_BOXES(boxes);
    }

    void aContactAddedHereIsFollowedToo() {
        ScriptedBoxes boxes;
        Window win(Three);
        auto& w = win.open();
        boxes.expect(" Enter new record, and click left arrow button.", forms::vbOKCancel, "Add Record",
                     forms::vbOK);
        win.click(w.cmdAdd);
        QTest::keyClicks(QApplication::focusWidget(), "Dunmore, Eli");
        typeInto(w.txtPhone, "555-0104");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(w.Data1->previousButton());
        win.click(w.Data1->lastButton());
        QVERIFY_BOXES(boxes);
        QCOMPARE(win.shown(), "Dunmore, Eli");
        // It has its own id from the start, so a sync's rewrite keeps it shown.
        QVERIFY(field(win.book, "Dunmore, Eli", "Uid").startsWith("urn:uuid:"));
        rewriteElsewhere(win.book, "Dunmore, Eli", "555-0199");
        QTRY_COMPARE(w.txtPhone->text(), "555-0199");
        QCOMPARE(win.shown(), "Dunmore, Eli");
        QCOMPARE(w.lbRecords->text(), "4");
    }

    void typingInProgressIsKept() {
        ScriptedBoxes boxes;
        Window win(Three);
        giveIds(win.book);
        auto& w = win.open();
        auto* notice = w.findChild<QLabel*>("lblElsewhere");
        QVERIFY(notice);
        QVERIFY(!notice->isVisible());

        // Another program changes a field the user is not typing in.
        typeInto(w.txtPhone, "9");
        phonebook::exec(win.book,
                        "UPDATE PHONEDIR SET Email = 'nora@example.org' WHERE Name = 'Ashford, Nora'");
        QTRY_VERIFY(notice->isVisible());
        QVERIFY(notice->text().contains("changed this contact"));
        QCOMPARE(w.txtPhone->text(), "212-555-01019");
        QCOMPARE(w.txtEmail->text(), "mail Ashford, Nora");
        QCOMPARE(QApplication::focusWidget(), w.txtPhone);
        // Typing goes on where it was; storing keeps both changes.
        QTest::keyClicks(QApplication::focusWidget(), "8");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(w.cmdEdit);
        QVERIFY_BOXES(boxes);
        QCOMPARE(field(win.book, "Ashford, Nora", "Phone"), "212-555-010198");
        QCOMPARE(field(win.book, "Ashford, Nora", "Email"), "nora@example.org");
        QCOMPARE(w.txtEmail->text(), "nora@example.org");
        QVERIFY(!notice->isVisible());

        // Deleted elsewhere while being typed over: the typing stays, and
        // storing it brings the contact back rather than dropping it.
        boxes.clear();
        typeInto(w.txtMobile, "917-555-0111");
        phonebook::exec(win.book, "DELETE FROM PHONEDIR WHERE Name = 'Ashford, Nora'");
        QTRY_VERIFY(notice->text().contains("deleted this contact"));
        QVERIFY(notice->isVisible());
        QTRY_COMPARE(w.lbRecords->text(), "2");
        QCOMPARE(win.shown(), "Ashford, Nora");
        QCOMPARE(w.txtMobile->text(), "917-555-0111");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes)
            .expectContaining(
                {"Another program deleted this contact", "Store what is shown as a new contact?"},
                vbYesNo + forms::vbQuestion, vbYes);
        win.click(w.cmdEdit);
        QVERIFY_BOXES(boxes);
        QCOMPARE(field(win.book, "Ashford, Nora", "Mobile"), "917-555-0111");
        QCOMPARE(field(win.book, "Ashford, Nora", "Phone"), "212-555-010198");

        // The same, but the typing is dropped: the deleted contact is not
        // left on screen as if it were still there.
        QCOMPARE(win.shown(), "Ashford, Nora");
        typeInto(w.txtCompany, " Ltd");
        phonebook::exec(win.book, "DELETE FROM PHONEDIR WHERE Name = 'Ashford, Nora'");
        QTRY_VERIFY(notice->isVisible());
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, forms::vbNo);
        win.click(w.cmdEdit);
        QVERIFY_BOXES(boxes);
        QTRY_COMPARE(win.shown(), "Castillo, Maria");
        QCOMPARE(w.txtCompany->text(), "Co Castillo, Maria");
        QVERIFY(!notice->isVisible());
    }

    void aLockedBookIsFollowedOnceItIsFree() {
        ScriptedBoxes boxes; // a lock is no error to tell
        Window win(Three);
        auto& w = win.open();
        {
            // Another program's change, held uncommitted under an exclusive lock.
            data::Database other(win.book);
            other.exec("BEGIN EXCLUSIVE");
            other.exec("UPDATE PHONEDIR SET Phone = '212-555-0142' WHERE Name = 'Ashford, Nora'");
            other.exec("DELETE FROM PHONEDIR WHERE Name = 'Castillo, Maria'");
            QTest::qWait(1200); // several looks of the window meet the lock
            QCOMPARE(w.txtPhone->text(), "212-555-0101");
            QCOMPARE(w.lbRecords->text(), "3");
            other.exec("COMMIT");
        }
        QTRY_COMPARE(w.txtPhone->text(), "212-555-0142");
        QTRY_COMPARE(w.lbRecords->text(), "2");
        QVERIFY_BOXES(boxes);
    }
};

QUORVEL_TEST_MAIN(FollowTest)
#include "tst_follow.moc"
