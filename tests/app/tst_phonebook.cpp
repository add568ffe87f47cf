// The phone book store seen through the real window: the record counter, the
// save prompt, closing, and files that cannot be opened or written.
#include "WindowFixture.h"
#include "support/TestMain.h"

#include "book/Upgrade.h"
#include "platform/data/Sqlite.h"
#include "support/DamagedFile.h"
#include "support/FailingDisk.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>

#include <optional>

using namespace testing;
using forms::vbNo;
using forms::vbOK;
using forms::vbYes;
using forms::vbYesNo;

namespace {
const QString Save = QStringLiteral("Do you want to save?");

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
enum Cause { Locked, ReadOnly, ReadOnlyDir, Full, Moved };
const QList<Contact> Three = {contact("Ashford, Nora", "212-555-0101"),
                              contact("Brennan, Tom", "312-555-0102"),
                              contact("Castillo, Maria", "415-555-0103")};
} // namespace

class PhoneBookTest : public QObject {
    Q_OBJECT
private slots:
    void startsOnTheFirstRecordWithTheTrueCount() {
        ScriptedBoxes boxes;
        Window win(Three);
        auto& w = win.open();
        QCOMPARE(win.shown(), "Ashford, Nora");
        QCOMPARE(w.txtPhone->text(), "212-555-0101");
        QCOMPARE(w.txtWeb->text(), "web Ashford, Nora");
        QCOMPARE(w.lbRecords->text(), "3");
        QCOMPARE(w.windowTitle(), "Phone Dir");
        QVERIFY_BOXES(boxes);
    }

    void arrowsWalkWithoutPromptsAndStayAtTheEnds() {
        ScriptedBoxes boxes; // no box may appear
        Window win(Three);
        auto& w = win.open();
        win.click(w.Data1->nextButton());
        QCOMPARE(win.shown(), "Brennan, Tom");
        win.click(w.Data1->lastButton());
        QCOMPARE(win.shown(), "Castillo, Maria");
        win.click(w.Data1->nextButton());
        QCOMPARE(win.shown(), "Castillo, Maria");
        win.click(w.Data1->firstButton());
        win.click(w.Data1->previousButton());
        QCOMPARE(win.shown(), "Ashford, Nora");
        QCOMPARE(w.lbRecords->text(), "3");
        QVERIFY_BOXES(boxes);
    }

    void theCounterFollowsAnotherProgramWhileIdle() {
        for (const bool empty : {false, true}) {
            ScriptedBoxes boxes;
            Window win(empty ? QList<Contact>{} : Three);
            auto& w = win.open();
            QCOMPARE(w.lbRecords->text(), empty ? "0" : "3");
            data::Database other(win.book);
            other.exec("INSERT INTO PHONEDIR (Name) VALUES ('Zimmer, Ida'), ('Young, Al')");
            QTRY_COMPARE(w.lbRecords->text(), empty ? "2" : "5"); // no click needed
            other.exec("DELETE FROM PHONEDIR WHERE Name = 'Young, Al'");
            QTRY_COMPARE(w.lbRecords->text(), empty ? "1" : "4");
            // The window's own delete shows at once, with nothing left to count.
            win.click(w.Data1->firstButton());
            boxes.expect("Do you want to DELETE selected person ?",
                         vbYesNo + forms::vbCritical + forms::vbDefaultButton2, "ARE YOU SURE?", vbYes);
            win.click(w.cmdDelete);
            QCOMPARE(w.lbRecords->text(), empty ? "0" : "3");
            QCOMPARE(phonebook::read(win.book).size(), empty ? 0 : 3);
            QVERIFY_BOXES(boxes);
        }
    }

    void typingThenMovingAsksOnceAndYesStores() {
        ScriptedBoxes boxes;
        Window win(Three);
        auto& w = win.open();
        win.type(w.txtPhone, "212-555-0199");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(w.Data1->nextButton());
        QCOMPARE(win.shown(), "Brennan, Tom");
        QCOMPARE(phonebook::read(win.book).first().at(2), "212-555-0199");
        win.click(w.Data1->previousButton()); // stored: no further prompt
        QCOMPARE(w.txtPhone->text(), "212-555-0199");
        QVERIFY_BOXES(boxes);
    }

    void noDropsTheTypingAndShowsTheStoredRecord() {
        ScriptedBoxes boxes;
        Window win(Three);
        auto& w = win.open();
        win.type(w.txtName, "Typed Over");
        win.type(w.txtEmail, "x@y");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbNo);
        win.click(w.Data1->firstButton()); // lands on the same record
        QCOMPARE(win.shown(), "Ashford, Nora");
        QCOMPARE(w.txtEmail->text(), "mail Ashford, Nora");
        QCOMPARE(phonebook::read(win.book), Three);
        win.click(w.Data1->nextButton()); // the change is gone: no second prompt
        QVERIFY_BOXES(boxes);
    }

    // Page Down, Page Up, Ctrl+Home and Ctrl+End press the arrows wherever
    // the focus is, a text box or a button, save prompt included.
    void keysWalkTheBookFromAnywhere() {
        ScriptedBoxes boxes;
        Window win(Three);
        auto& w = win.open();
        const auto press = [](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
        };
        QTest::mouseClick(w.txtAddress, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), w.txtAddress);
        press(Qt::Key_PageDown);
        QCOMPARE(win.shown(), "Brennan, Tom");
        press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(win.shown(), "Castillo, Maria");
        press(Qt::Key_PageDown); // stays on the last, as the arrow does
        QCOMPARE(win.shown(), "Castillo, Maria");
        press(Qt::Key_PageUp);
        QCOMPARE(win.shown(), "Brennan, Tom");
        press(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(win.shown(), "Ashford, Nora");
        QCOMPARE(w.lbRecords->text(), "3");

        // Typing, then a key: the same question as the arrow asks.
        QTest::mouseClick(w.txtPhone, Qt::LeftButton);
        press(Qt::Key_End);
        QTest::keyClicks(QApplication::focusWidget(), "9");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(win.shown(), "Castillo, Maria");
        QCOMPARE(phonebook::read(win.book).first().at(2), "212-555-01019");

        // From a button too.
        QTest::mouseClick(w.txtMobile, Qt::LeftButton);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.cmdDialMobile);
        press(Qt::Key_PageUp);
        QCOMPARE(win.shown(), "Brennan, Tom");
        QVERIFY_BOXES(boxes);
    }

    // With no phone book open nothing typed could be stored: the boxes take
    // no typing, and New says why instead of starting a record.
    void withoutAPhoneBookNothingTypedIsLost() {
        ScriptedBoxes boxes;
        Window win({}, false);
        boxes.expectContaining({"Could not open the phone book", win.book}, forms::vbCritical, vbOK);
        auto& w = win.open();
        QTest::mouseClick(w.txtName, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), "Typed, Lost");
        QCOMPARE(w.txtName->text(), QString());
        QVERIFY(w.txtPhone->isReadOnly());

        boxes.expect(QStringLiteral("No phone book is open, so a new contact cannot be stored.\n\n\"%1\" "
                                    "could not be opened when the program started. Put your Quorvel.mdb "
                                    "beside the program and start it again.")
                         .arg(win.book),
                     forms::vbExclamation, QStringLiteral("Add Record"), vbOK);
        win.click(w.cmdAdd);
        QTest::mouseClick(w.txtMobile, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), "555-0100");
        QCOMPARE(w.txtMobile->text(), QString());
        win.click(w.CmdQuit);
        QCOMPARE(win.ended, 1);
        QVERIFY_BOXES(boxes);
        QVERIFY(!QFileInfo::exists(win.book));
    }

    void aNewRecordIsStoredOnYesAndAbandonedOnNo() {
        ScriptedBoxes boxes;
        Window win(Three);
        auto& w = win.open();
        w.Data1->Recordset().AddNew();
        QCOMPARE(win.shown(), QString());
        win.click(w.Data1->previousButton()); // nothing typed: nothing stored, no prompt
        QCOMPARE(phonebook::read(win.book).size(), 3);

        w.Data1->Recordset().AddNew();
        win.type(w.txtName, "Zimmer, Ida");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbNo);
        win.click(w.Data1->lastButton());
        QCOMPARE(win.shown(), "Castillo, Maria");
        QCOMPARE(phonebook::read(win.book).size(), 3);

        w.Data1->Recordset().AddNew();
        win.type(w.txtName, "Zimmer, Ida");
        win.type(w.txtMobile, "555-0177");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(w.Data1->nextButton());
        QCOMPARE(phonebook::read(win.book).size(), 4);
        QCOMPARE(phonebook::read(win.book).last().at(4), "555-0177");
        QCOMPARE(w.lbRecords->text(), "4"); // true at once, not one step late
        win.click(w.Data1->lastButton());
        QCOMPARE(win.shown(), "Zimmer, Ida");
        QVERIFY_BOXES(boxes);
    }

    void quitAsksOnceAndEndsWhateverTheAnswer() {
        for (const int answer : {vbYes, vbNo}) {
            ScriptedBoxes boxes;
            Window win(Three);
            auto& w = win.open();
            win.type(w.txtCompany, "New Co");
            boxes.expect(Save, vbYesNo, identity::ApplicationTitle, answer);
            QTest::keyClick(&w, Qt::Key_Escape); // the cancel button
            QCOMPARE(win.ended, 1);
            QVERIFY(!w.Data1->Recordset().isOpen());
            QCOMPARE(phonebook::read(win.book).first().at(1),
                     answer == vbYes ? "New Co" : "Co Ashford, Nora");
            QVERIFY_BOXES(boxes);
        }
        ScriptedBoxes boxes;
        Window win(Three);
        win.click(win.open().CmdQuit); // nothing changed: no prompt
        QCOMPARE(win.ended, 1);
        QVERIFY_BOXES(boxes);
    }

    void closingTheWindowAsksOnceAndCloses() {
        ScriptedBoxes boxes;
        Window win(Three);
        auto& w = win.open();
        win.type(w.txtAddress, "1 New Road");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QVERIFY(!w.Data1->Recordset().isOpen());
        QCOMPARE(phonebook::read(win.book).first().at(3), "1 New Road");
        QCOMPARE(win.ended, 0); // closing is not Quit
        QVERIFY_BOXES(boxes);
    }

    // Typing into the blank boxes of an empty book: Yes cannot store it, and
    // the message says why (no contact shown) and what to do, not file advice.
    void typingWithNoContactShownIsToldTheTruth() {
        ScriptedBoxes boxes;
        Window win({});
        auto& w = win.open();
        win.type(w.txtName, "Nobody, Yet");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(w.Data1->nextButton());
        boxes.expect(" Enter new record, and click left arrow button.", forms::vbOKCancel, "Add Record",
                     vbOK);
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(w.cmdAdd);
        QCOMPARE(boxes.shown().size(), 5);
        for (const int failure : {1, 4}) {
            const Box told = boxes.shown().at(failure);
            QCOMPARE(told.flags, forms::vbCritical);
            QVERIFY2(told.text.contains("No contact is shown") && told.text.contains("click New") &&
                         !told.text.contains("writable"),
                     qPrintable(told.text));
        }
        QCOMPARE(win.shown(), "Nobody, Yet");
        boxes.clear();
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbNo);
        win.click(w.CmdQuit);
        QCOMPARE(win.ended, 1);
        QVERIFY_BOXES(boxes);
    }

    // Qt would cut a box at 32,767 characters: a long address loaded, and a
    // long pasted name ending in an emoji past the cut, are stored whole.
    void longTextsAreShownAndStoredWhole() {
        QList<Contact> book = Three;
        book[0][3] = QString(100000, 'a');
        ScriptedBoxes boxes;
        Window win(book);
        auto& w = win.open();
        const QString pasted = QString(32766, 'n') + QString::fromUtf8("\U0001F600") + QString(50000, 'm');
        QGuiApplication::clipboard()->setText(pasted);
        w.txtName->setFocus();
        w.txtName->selectAll();
        QTest::keyClick(w.txtName, Qt::Key_V, Qt::ControlModifier);
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(w.Data1->nextButton());
        QVERIFY_BOXES(boxes);
        const Contact stored = phonebook::read(win.book).first();
        QCOMPARE(stored.at(0), pasted);
        QCOMPARE(stored.at(3), book[0][3]);
    }

    // Logging out asks about typed values as the close box does; a store that
    // fails cancels the logout and keeps the typing. Nothing is closed.
    void theSessionEndingAsksAboutTyping() {
        ScriptedBoxes boxes;
        Window win(Three);
        auto& w = win.open();
        win.type(w.txtPhone, "212-555-0199");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        {
            FullDisk full;
            QVERIFY(!w.commitData());
        }
        QCOMPARE(boxes.shown().size(), 2); // the failure is told
        QCOMPARE(w.txtPhone->text(), "212-555-0199");
        boxes.clear();
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        QVERIFY(w.commitData());
        QVERIFY_BOXES(boxes);
        QCOMPARE(phonebook::read(win.book).first().at(2), "212-555-0199");
        QVERIFY(w.Data1->Recordset().isOpen());
        QVERIFY(w.commitData());                     // nothing typed since: no prompt
        QVERIFY(!QGuiApplication::overrideCursor()); // no busy pointer left behind
    }

    void aFileThatCannotBeOpenedIsNamedOnceAndTheProgramGoesOn_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("missing") << "missing" << QStringList{"The file does not exist."};
        QTest::newRow("not a database") << "garbage" << QStringList{"is not a phone book database"};
        QTest::newRow("no table") << "table" << QStringList{"It has no table PHONEDIR."};
        QTest::newRow("empty") << "empty" << QStringList{"The file is empty (0 bytes)", "backup"};
        QTest::newRow("a folder") << "folder" << QStringList{"It is a folder, not a file.", "Rename or move"};
        QTest::newRow("damaged first page of records")
            << "damaged" << QStringList{"The file is damaged", ".dump", "Quorvel-rescued.mdb"};
        QTest::newRow("made by a newer program")
            << "newer" << QStringList{"of version 7", "Install the newer program"};
    }
    void aFileThatCannotBeOpenedIsNamedOnceAndTheProgramGoesOn() {
        QFETCH(QString, kind);
        QFETCH(QStringList, told);
        Window win({}, false);
        if (kind == "table") {
            phonebook::create(win.book, {});
            phonebook::exec(win.book, "DROP TABLE PHONEDIR");
        } else if (kind == "folder") {
            QVERIFY(QDir().mkdir(win.book));
        } else if (kind == "damaged") {
            phonebook::create(win.book, Three);
            damagePage(win.book, 2); // the table's first page
        } else if (kind == "newer") {
            phonebook::create(win.book, Three);
            phonebook::exec(win.book, "PRAGMA user_version = 7");
        } else if (kind != "missing") {
            QFile f(win.book);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(kind == "garbage" ? QByteArray(2048, 'x') : QByteArray());
        }
        const QByteArray before = contentOf(win.book);

        ScriptedBoxes boxes;
        auto& w = win.open();
        QCOMPARE(boxes.shown().size(), 1);
        const Box shown = boxes.shown().first();
        QCOMPARE(shown.flags, forms::vbCritical);
        QCOMPARE(shown.title, identity::ApplicationTitle);
        for (const QString& part : QStringList{win.book} + told)
            QVERIFY2(shown.text.contains(part), qPrintable(shown.text));
        QCOMPARE(win.shown(), QString());
        QCOMPARE(QFileInfo::exists(win.book), kind != "missing"); // never created
        boxes.clear();

        win.click(w.Data1->nextButton()); // arrows do nothing, quietly
        win.type(w.txtName, "typed");
        win.click(w.CmdQuit);
        QCOMPARE(win.ended, 1);
        QVERIFY(w.close());
        QVERIFY_BOXES(boxes);
        QCOMPARE(contentOf(win.book), before);
    }

    // A book made by another SQLite tool holds only the seven fields: it is
    // brought up to date as it opens, and every row stays as it was.
    void anOlderBookIsUpgradedAsItOpens() {
        ScriptedBoxes boxes; // no box may appear
        Window win({}, false);
        phonebook::createVersion0(win.book, Three);
        auto& w = win.open();
        QCOMPARE(win.shown(), "Ashford, Nora");
        QCOMPARE(phonebook::query(win.book, "PRAGMA user_version"), QString::number(book::Version));
        QCOMPARE(phonebook::read(win.book), Three);
        win.type(w.txtPhone, "212-555-0199");
        boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
        win.click(w.Data1->nextButton());
        QVERIFY_BOXES(boxes);
        QCOMPARE(phonebook::read(win.book).first().at(2), "212-555-0199");
    }

    void aFailedStoreIsToldAndKeepsWhatWasTyped_data() {
        QTest::addColumn<int>("cause");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("locked by another copy")
            << int(Locked) << QStringList{"another program holds the phone book locked", "finish"};
        QTest::newRow("read-only file") << int(ReadOnly) << QStringList{"the file is read-only", "chmod u+w"};
        QTest::newRow("read-only folder")
            << int(ReadOnlyDir) << QStringList{"its folder", "is read-only", "Make the folder writable"};
        QTest::newRow("full disk") << int(Full) << QStringList{"disk"};
        QTest::newRow("renamed while open")
            << int(Moved) << QStringList{"renamed, moved or deleted", "copy what you typed"};
    }
    void aFailedStoreIsToldAndKeepsWhatWasTyped() {
        QFETCH(int, cause);
        QFETCH(QStringList, told);
        ScriptedBoxes boxes;
        Window win(Three);
        std::optional<ReadOnlyFolder> readOnly;
        if (cause == ReadOnlyDir)
            QFile::setPermissions(win.book,
                                  QFile::permissions(win.book) | QFile::WriteGroup | QFile::WriteOther);
        if (cause == ReadOnly || cause == ReadOnlyDir) // opened by a user who may not write
            readOnly.emplace(win.dir.path());
        auto& w = win.open();
        if (readOnly) {
            // Told once, at start-up, before anything is typed.
            QCOMPARE(boxes.shown().size(), 1);
            QCOMPARE(boxes.shown().first().flags, forms::vbExclamation);
            for (const QString& part : QStringList{"can only be read", win.book, told.first()})
                QVERIFY2(boxes.shown().first().text.contains(part), qPrintable(boxes.shown().first().text));
            boxes.clear();
        }
        const QString moved = win.book + ".moved";
        if (cause == Moved)
            QVERIFY(QFile::rename(win.book, moved));
        win.type(w.txtName, "Ashford, Nora Jane");
        {
            std::optional<data::Database> other;
            std::optional<FullDisk> full;
            if (cause == Locked) {
                other.emplace(win.book);
                other->exec("BEGIN EXCLUSIVE");
            } else if (cause == Full) {
                full.emplace();
            }
            boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
            win.click(w.Data1->nextButton());
            QCOMPARE(boxes.shown().size(), 2);
            const Box failure = boxes.shown().last();
            QCOMPARE(failure.flags, forms::vbCritical);
            QVERIFY2(failure.text.startsWith("Could not save the record in \"" + win.book),
                     qPrintable(failure.text));
            for (const QString& part : told)
                QVERIFY2(failure.text.contains(part), qPrintable(failure.text));
            QCOMPARE(win.shown(), "Ashford, Nora Jane");
            boxes.clear();

            // Quit does not end the program while the typing cannot be kept.
            boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
            win.click(w.CmdQuit);
            QCOMPARE(win.ended, 0);
            QCOMPARE(boxes.shown().size(), 2);
            QCOMPARE(win.shown(), "Ashford, Nora Jane");
            boxes.clear();
            if (other)
                other->exec("ROLLBACK");
        }
        if (readOnly || cause == Moved) {
            // Nothing can be stored for the rest of this run: No lets the user go on.
            boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbNo);
            win.click(w.Data1->nextButton());
            QCOMPARE(win.shown(), "Brennan, Tom");
            readOnly.reset();
            QCOMPARE(phonebook::read(cause == Moved ? moved : win.book), Three);
        } else {
            boxes.expect(Save, vbYesNo, identity::ApplicationTitle, vbYes);
            win.click(w.Data1->nextButton());
            QCOMPARE(win.shown(), "Brennan, Tom");
            QCOMPARE(phonebook::read(win.book).first().first(), "Ashford, Nora Jane");
        }
        QVERIFY_BOXES(boxes);
    }

    // A bad page in the middle of a large book: the arrow that reaches it
    // names the file, says it is damaged and how to rescue the rest, and the
    // rescue given works.
    void aDamagedPageIsNamedWithAWayToRescueTheRest() {
        QList<Contact> many;
        for (int i = 0; i < 300; ++i)
            many << contact(QStringLiteral("Person %1").arg(i, 3, 10, QChar('0')));
        many[150][3] = QStringLiteral("MIDDLE-MARKER ") + QString(400, 'm');
        for (Contact& c : many)
            c[5] += QString(400, 'e'); // a few records a page
        Window win(many);
        const qint64 page = pageHolding(win.book, "MIDDLE-MARKER");
        QVERIFY(page > 3);
        damagePage(win.book, page);

        ScriptedBoxes boxes;
        auto& w = win.open();
        QCOMPARE(boxes.shown().size(), 0); // the first page is sound
        for (int i = 0; i < 300 && boxes.shown().isEmpty(); ++i)
            win.click(w.Data1->nextButton());
        QCOMPARE(boxes.shown().size(), 1);
        const QString told = boxes.shown().first().text;
        for (const QString& part : {win.book, QStringLiteral("damaged"), QStringLiteral(".dump")})
            QVERIFY2(told.contains(part), qPrintable(told));
        boxes.clear();
        win.click(w.CmdQuit);
        QVERIFY_BOXES(boxes);

        // The command the message gives, run as the user would run it.
        const QString rescued = win.dir.filePath("Quorvel-rescued.mdb");
        const QString command = told.section('\n', -2, -2).trimmed();
        QVERIFY2(command.startsWith("sqlite3 \"" + win.book) && command.endsWith(rescued + "\""),
                 qPrintable(told));
        QProcess shell;
        shell.start("sh", {"-c", command});
        QVERIFY(shell.waitForFinished(60000));
        const QList<Contact> back = phonebook::read(rescued);
        QVERIFY2(back.size() > 250 && back.size() < 300, qPrintable(QString::number(back.size())));
        // Those on both sides of the bad page, whole.
        QVERIFY(back.contains(many.first()));
        QVERIFY(back.contains(many.last()));
    }
};

QUORVEL_TEST_MAIN(PhoneBookTest)
#include "tst_phonebook.moc"
