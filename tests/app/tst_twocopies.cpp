// Two copies of the program on one phone book: neither ever overwrites the
// other's store unasked, and fields nobody typed into keep their bytes.
#include "WindowFixture.h"
#include "support/TestMain.h"

#include <sqlite3.h>

using namespace testing;
using forms::vbNo;
using forms::vbYes;
using forms::vbYesNo;

namespace {
const QString Save = QStringLiteral("Do you want to save?");
const QList<Contact> Two = {contact("Ashford, Nora", "212-555-0101"),
                            contact("Brennan, Tom", "312-555-0102")};
const int Asked = vbYesNo + forms::vbQuestion;

// A second main window, started after the first, on the same file.
std::unique_ptr<app::frmPhone> secondCopy() {
    auto w = std::make_unique<app::frmPhone>();
    w->setEnd([] {});
    w->show();
    return w;
}

// One field of the first record, as stored: its bytes in hex, or NULL.
QByteArray storedBytes(const QString& book, const QString& field) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(book.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       QStringLiteral("SELECT quote(CAST(%1 AS BLOB)) FROM PHONEDIR ORDER BY rowid LIMIT 1")
                           .arg(field)
                           .toUtf8()
                           .constData(),
                       -1, &st, nullptr);
    QByteArray bytes;
    if (sqlite3_step(st) == SQLITE_ROW)
        bytes = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return bytes;
}
} // namespace

class TwoCopiesTest : public QObject {
    Q_OBJECT
private slots:
    // Each copy changed a different field: both changes are kept, nobody is asked.
    void storesOfDifferentFieldsBothStay() {
        ScriptedBoxes boxes;
        Window win(Two);
        auto& a = win.open();
        auto b = secondCopy();
        win.type(a.txtAddress, "1 New Road");
        win.type(b->txtPhone, "212-555-0199");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(a.Data1->nextButton());
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(b->Data1->nextButton());
        QVERIFY_BOXES(boxes);
        const Contact stored = phonebook::read(win.book).first();
        QCOMPARE(stored.at(3), "1 New Road");
        QCOMPARE(stored.at(2), "212-555-0199");
        win.click(b->Data1->previousButton()); // B now shows both
        QCOMPARE(b->txtAddress->text(), "1 New Road");
    }

    // Both changed the same field: the second is asked, No keeps the first
    // copy's value and the typing; the next Yes replaces it on purpose.
    void theSameFieldIsNeverOverwrittenUnasked() {
        ScriptedBoxes boxes;
        Window win(Two);
        auto& a = win.open();
        auto b = secondCopy();
        win.type(a.txtPhone, "212-555-0111");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(a.Data1->nextButton());
        win.type(b->txtPhone, "212-555-0222");
        win.type(b->txtEmail, "nora@new.example");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        boxes.expectContaining({"Another program changed", win.book, "Phone", "keeps the other program's"},
                               Asked, vbNo);
        win.click(b->Data1->nextButton());
        QVERIFY_BOXES(boxes);
        QCOMPARE(b->txtName->text(), "Ashford, Nora"); // the move stopped
        QCOMPARE(b->txtPhone->text(), "212-555-0222"); // and the typing stayed
        QCOMPARE(phonebook::read(win.book).first().at(2), "212-555-0111");
        QCOMPARE(phonebook::read(win.book).first().at(5), "mail Ashford, Nora"); // nothing of B's

        // Having seen their value, a Yes to the next prompt stores the typing.
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(b->Data1->nextButton());
        QVERIFY_BOXES(boxes);
        QCOMPARE(b->txtName->text(), "Brennan, Tom");
        QCOMPARE(phonebook::read(win.book).first().at(2), "212-555-0222");
        QCOMPARE(phonebook::read(win.book).first().at(5), "nora@new.example");

        // No at the save prompt shows what is stored now, not what was read.
        win.type(a.txtPhone, "312-555-0333"); // A is on Brennan too
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(a.Data1->previousButton());
        win.type(b->txtCompany, "dropped");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbNo);
        win.click(b->cmdEdit); // stores in place: no move re-reads the record
        QCOMPARE(b->txtPhone->text(), "312-555-0333");
        QCOMPARE(b->txtCompany->text(), "Co Brennan, Tom");
        QVERIFY_BOXES(boxes);
    }

    // The record B is editing was deleted by A: Yes stores B's typing as a
    // new contact, No stores nothing and keeps it in the boxes.
    void aStoreIntoARecordTheOtherDeletedIsAsked() {
        for (const int answer : {vbNo, vbYes}) {
            ScriptedBoxes boxes;
            Window win(Two);
            auto& a = win.open();
            auto b = secondCopy();
            boxes.expect("Do you want to DELETE selected person ?",
                         vbYesNo + forms::vbCritical + forms::vbDefaultButton2, "ARE YOU SURE?", vbYes);
            win.click(a.cmdDelete);
            win.type(b->txtMobile, "555-0177");
            boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
            boxes.expectContaining({"Another program deleted this contact", win.book}, Asked, answer);
            win.click(b->Data1->nextButton());
            QVERIFY_BOXES(boxes);
            const QList<Contact> stored = phonebook::read(win.book);
            if (answer == vbNo) {
                QCOMPARE(stored, QList<Contact>{Two[1]});
                QCOMPARE(b->txtMobile->text(), "555-0177");
            } else {
                Contact again = Two[0];
                again[4] = "555-0177";
                QCOMPARE(stored, (QList<Contact>{Two[1], again}));
                QCOMPARE(b->txtName->text(), "Brennan, Tom"); // the move went on
            }
        }
    }

    // A 100,000-character address, bytes that are no UTF-8 and a NULL, all
    // written by another tool, survive a store of another field unchanged.
    void fieldsNobodyTypedIntoKeepTheirBytes() {
        Window win(Two);
        phonebook::exec(win.book,
                        QStringLiteral("UPDATE PHONEDIR SET Address = '%1', Email = CAST(x'6e6fff21c3' "
                                       "AS TEXT), WebPage = NULL WHERE rowid = 1")
                            .arg(QString(100000, 'a')));
        const QList<QByteArray> before = {storedBytes(win.book, "Address"), storedBytes(win.book, "Email"),
                                          storedBytes(win.book, "WebPage")};
        QCOMPARE(before[2], "NULL");
        ScriptedBoxes boxes;
        auto& w = win.open();
        win.type(w.txtCompany, "Ashford Bakery");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(w.Data1->nextButton());
        QVERIFY_BOXES(boxes);
        QCOMPARE(phonebook::read(win.book).first().at(1), "Ashford Bakery");
        QCOMPARE((QList<QByteArray>{storedBytes(win.book, "Address"), storedBytes(win.book, "Email"),
                                    storedBytes(win.book, "WebPage")}),
                 before);
    }
};

QUORVEL_TEST_MAIN(TwoCopiesTest)
#include "tst_twocopies.moc"
