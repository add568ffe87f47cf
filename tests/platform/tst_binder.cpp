// The binder between boxes and a phone book file, without a window: what is
// stored when another program changed or deleted the record being typed over.
#include "platform/core/Error.h"
#include "platform/data/RecordBinder.h"
#include "support/PhoneBookFile.h"

#include <QTemporaryDir>
#include <QTest>

using data::RecordBinder;
using testing::contact;
namespace phonebook = testing::phonebook;

namespace {
// Answers the binder's questions from a script, noting each question.
struct ScriptedPrompt : data::Prompt {
    QList<bool> answers;
    QStringList asked;
    bool storeOver(const QString& question) override {
        asked << question;
        return !answers.isEmpty() && answers.takeFirst();
    }
};

// Two boxes as plain texts.
struct Boxes {
    QString name, phone;
    bool readOnly = true;
};

QString phoneOf(const QString& book, const QString& name) {
    return phonebook::query(book, QStringLiteral("SELECT Phone FROM PHONEDIR WHERE Name = '%1'").arg(name));
}

// The error a move raises: its number and cause, or 0 and 0.
std::pair<int, int> failureOf(const std::function<void()>& move) {
    try {
        move();
    } catch (const platform::Error& e) {
        return {e.number(), e.cause()};
    }
    return {0, 0};
}
} // namespace

class BinderTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void anotherProgramsChangeIsOverwrittenOnlyWhenTheUserSaysYes() {
        const QString book = dir.filePath("Quorvel.mdb");
        phonebook::create(
            book, {contact("Ashford, Nora", "212-555-0101"), contact("Brennan, Tom", "312-555-0102")});
        ScriptedPrompt prompt;
        Boxes boxes;
        RecordBinder binder(prompt);
        binder.bind({"Name", [&] { return boxes.name; },
                     [&](const QString& text, bool readOnly) {
                         boxes.name = text;
                         boxes.readOnly = readOnly;
                     }});
        binder.bind(
            {"Phone", [&] { return boxes.phone; }, [&](const QString& text, bool) { boxes.phone = text; }});
        binder.setFailureText([](RecordBinder::Failure failure, const platform::Error& cause) {
            return failure == RecordBinder::Failure::Conflict ? "Store over? " + cause.description()
                                                              : cause.description();
        });
        int validated = 0;
        binder.setValidateHandler([&](int&, int& save) {
            ++validated;
            QCOMPARE(save, binder.changed() ? -1 : 0);
        });
        binder.open(book, "PHONEDIR");
        QCOMPARE(boxes.name, "Ashford, Nora");
        QVERIFY(!boxes.readOnly);
        auto& rs = binder.recordset();

        // Changed elsewhere, No: the move stops, the file keeps the other
        // program's change and the box keeps the typing.
        boxes.phone = "212-555-0199";
        binder.typed();
        phonebook::exec(book, "UPDATE PHONEDIR SET Phone = '212-555-0142' WHERE Name = 'Ashford, Nora'");
        prompt.answers = {false};
        QCOMPARE(failureOf([&] { rs.MoveNext(); }),
                 std::make_pair(platform::err::StoreFailed, platform::err::Declined));
        QCOMPARE(prompt.asked.size(), 1);
        QVERIFY2(prompt.asked[0].startsWith("Store over? "), qPrintable(prompt.asked[0]));
        QCOMPARE(phoneOf(book, "Ashford, Nora"), "212-555-0142");
        QCOMPARE(boxes.phone, "212-555-0199");
        QVERIFY(binder.changed());

        // Changed elsewhere again: asked again, and Yes stores the typing
        // over it and the move goes on.
        phonebook::exec(book, "UPDATE PHONEDIR SET Phone = '212-555-0143' WHERE Name = 'Ashford, Nora'");
        prompt.answers = {true};
        QCOMPARE(failureOf([&] { rs.MoveNext(); }), std::make_pair(0, 0));
        QCOMPARE(prompt.asked.size(), 2);
        QCOMPARE(phoneOf(book, "Ashford, Nora"), "212-555-0199");
        QCOMPARE(boxes.name, "Brennan, Tom");
        QVERIFY(!binder.changed());

        // Deleted elsewhere, Yes: stored as a new record, nothing lost.
        boxes.phone = "312-555-0177";
        binder.typed();
        phonebook::exec(book, "DELETE FROM PHONEDIR WHERE Name = 'Brennan, Tom'");
        prompt.answers = {true};
        QCOMPARE(failureOf([&] { rs.MovePrevious(); }), std::make_pair(0, 0));
        QCOMPARE(prompt.asked.size(), 3);
        QCOMPARE(phoneOf(book, "Brennan, Tom"), "312-555-0177");

        // Nothing typed, or Save cleared by Validate: nothing stored, nothing asked.
        const int before = validated;
        phonebook::exec(book, "UPDATE PHONEDIR SET Phone = '212-555-0111' WHERE Name = 'Ashford, Nora'");
        binder.setValidateHandler([&](int&, int& save) {
            ++validated;
            save = 0;
        });
        rs.MoveFirst();
        boxes.phone = "212-555-0100";
        binder.typed();
        rs.MoveLast();
        QCOMPARE(validated, before + 2);
        QCOMPARE(prompt.asked.size(), 3);
        QCOMPARE(phoneOf(book, "Ashford, Nora"), "212-555-0111");
    }

    void aFileThatCannotBeOpenedLeavesTheBoxesBlankAndReadOnly() {
        ScriptedPrompt prompt;
        Boxes boxes{"stale", "stale", false};
        RecordBinder binder(prompt);
        binder.bind({"Name", [&] { return boxes.name; },
                     [&](const QString& text, bool readOnly) {
                         boxes.name = text;
                         boxes.readOnly = readOnly;
                     }});
        binder.setFailureText([](RecordBinder::Failure failure, const platform::Error&) {
            return failure == RecordBinder::Failure::Open ? QStringLiteral("cannot open") : QString();
        });
        try {
            binder.open(dir.filePath("missing/Quorvel.mdb"), "PHONEDIR");
            QFAIL("opened a file that is not there");
        } catch (const platform::Error& e) {
            QCOMPARE(e.description(), "cannot open");
        }
        QCOMPARE(boxes.name, QString());
        QVERIFY(boxes.readOnly);
        QVERIFY(prompt.asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(BinderTest)
#include "tst_binder.moc"
