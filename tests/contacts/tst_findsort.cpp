// Find and Sort through the real window: the boxes they show, the record
// they land on, and the name order they leave selected.
#include "CommandWindow.h"
#include "support/TestMain.h"

using namespace testing;
using forms::vbOK;
using forms::vbOKOnly;
using forms::vbYes;
using forms::vbYesNo;

namespace {
const QString Notice = QStringLiteral("Get Quorvel Pro to eliminate popups");
const QString NotFound = QStringLiteral("Sorry, I couldn't find the Name.");

// Stored out of name order, with two people of one family name in two cases.
const QList<Contact> Book = {contact("Smith, John"), contact("Taylor, Ann"), contact("O'Brien, Sean"),
                             contact("smith, Al"),   contact("Müller, Kai"), contact("Adams, Cy")};
const QStringList ByName = {"Adams, Cy", "Müller, Kai", "O'Brien, Sean",
                            "smith, Al", "Smith, John", "Taylor, Ann"};

void expectFind(ScriptedBoxes& boxes, const QString& typed, bool found = true) {
    boxes.expect(Notice, vbOKOnly, Title, vbOK);
    boxes.expectInput("Enter the Last Name.", "Name Search", typed);
    if (!found)
        boxes.expect(NotFound, vbOKOnly, Title, vbOK);
}
} // namespace

class FindSortTest : public QObject {
    Q_OBJECT
private slots:
    // What each typed text lands on; hostile text is only a key, never SQL.
    void findSeeksAtOrAfterTheTypedText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("found");
        QTest::newRow("family name") << "Smith"
                                     << "smith, Al" << true;
        QTest::newRow("lower case") << "taylor"
                                    << "Taylor, Ann" << true;
        QTest::newRow("first letters") << "Smi"
                                       << "smith, Al" << true;
        QTest::newRow("no such name: the next") << "Sn"
                                                << "Taylor, Ann" << true;
        QTest::newRow("after every name") << "\u00FF"
                                          << "Adams, Cy" << false;
        QTest::newRow("cancelled") << ""
                                   << "Adams, Cy" << true;
        QTest::newRow("quote") << "O'B"
                               << "O'Brien, Sean" << true;
        QTest::newRow("percent") << "%"
                                 << "Adams, Cy" << true;
        QTest::newRow("SQL") << "'; DROP TABLE PHONEDIR; --"
                             << "Adams, Cy" << true;
        QTest::newRow("10000 characters") << QString(10000, 'z') << "Adams, Cy" << false;
        QTest::newRow("non-ASCII") << "Mü"
                                   << "Müller, Kai" << true;
    }
    void findSeeksAtOrAfterTheTypedText() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, found);
        ScriptedBoxes boxes;
        CommandWindow w(Book);
        expectFind(boxes, typed, found);
        w.click(w->cmdFind);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.shown(), shown);
        QCOMPARE(w.stored(), Book);
        QCOMPARE(w.count(), "6");
    }

    // The notice comes on every click, and name order stays for the arrows.
    void everyFindShowsTheNoticeAndLeavesNameOrder() {
        ScriptedBoxes boxes;
        CommandWindow w(Book);
        expectFind(boxes, "");
        w.click(w->cmdFind);
        expectFind(boxes, "Taylor");
        w.click(w->cmdFind);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.shown(), "Taylor, Ann");
        w.click(w->Data1->previousButton());
        QCOMPARE(w.shown(), "Smith, John");
        w.click(w->Data1->firstButton());
        QCOMPARE(w.walkForward(), ByName);
    }

    void findAsksAboutAnUnsavedChangeBeforeMoving() {
        ScriptedBoxes boxes;
        CommandWindow w(Book);
        w.type(w->txtPhone, "555-0100");
        expectFind(boxes, "Taylor");
        boxes.expect(Save, vbYesNo, Title, vbYes);
        w.click(w->cmdFind);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.shown(), "Taylor, Ann");
        QCOMPARE(w.stored().first().at(2), "555-0100");
    }

    // Find says it found nothing; Sort shows nothing and says nothing.
    void findAndSortOnAnEmptyBook() {
        ScriptedBoxes boxes;
        CommandWindow w({});
        expectFind(boxes, "Smith", false);
        w.click(w->cmdFind);
        w.click(w->cmdSort);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.shown(), "");
        QCOMPARE(w.count(), "0");
    }

    // A record without a name comes first in name order: Find cancelled shows it.
    void findCancelledShowsTheFirstInNameOrderEvenWithoutAName() {
        ScriptedBoxes boxes;
        CommandWindow w(Book);
        phonebook::exec(w.book, "UPDATE PHONEDIR SET Name = NULL WHERE Name = 'Taylor, Ann'");
        expectFind(boxes, "");
        w.click(w->cmdFind);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.shown(), "");
        QCOMPARE(w->txtCompany->text(), "Co Taylor, Ann");
    }

    // A search that cannot run says what failed and what to do; the advice
    // for a missing index works.
    void findThatCannotSearchSaysWhy() {
        ScriptedBoxes boxes;
        CommandWindow w(Book);
        phonebook::exec(w.book, "DROP INDEX Name");
        expectFind(boxes, "Taylor");
        w.click(w->cmdFind);
        QCOMPARE(boxes.shown().size(), 3);
        const Box told = boxes.shown().last();
        QCOMPARE(told.flags, forms::vbCritical);
        QVERIFY2(told.text.contains("no index named Name") && told.text.contains(w.book),
                 qPrintable(told.text));
        QCOMPARE(w.shown(), "Smith, John"); // the search went nowhere
        const QString advice = told.text.mid(told.text.indexOf("CREATE INDEX")).section('"', 0, 0);
        phonebook::exec(w.book, advice);
        boxes.clear();
        expectFind(boxes, "Taylor");
        w.click(w->cmdFind);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.shown(), "Taylor, Ann");

        Window closed({}, false); // no phone book at all
        boxes.clear();
        closed.open();
        QCOMPARE(boxes.shown().size(), 1); // the file is missing, told at start
        boxes.clear();
        expectFind(boxes, "Taylor");
        closed.click(closed.w->cmdFind);
        QCOMPARE(boxes.shown().size(), 3);
        QVERIFY2(boxes.shown().last().text.contains("is not open"), qPrintable(boxes.shown().last().text));
    }

    void sortShowsTheFirstByNameAndTheArrowsFollowNameOrder() {
        ScriptedBoxes boxes; // Sort shows no box
        CommandWindow w(Book);
        w.type(w->txtName, "Zimmer, Eva"); // over Smith, John; the prompt comes before the move
        boxes.expect(Save, vbYesNo, Title, vbYes);
        w.click(w->cmdSort);
        QVERIFY_BOXES(boxes);
        QCOMPARE(w.shown(), "Adams, Cy");
        QStringList byName = ByName;
        byName.removeOne("Smith, John");
        byName << "Zimmer, Eva";
        QCOMPARE(w.walkForward(), byName);
        w.click(w->Data1->previousButton());
        QCOMPARE(w.shown(), "Taylor, Ann");
        QVERIFY_BOXES(boxes);
    }
};

QUORVEL_TEST_MAIN(FindSortTest)
#include "tst_findsort.moc"
