#pragma once

#include "platform/forms/MsgBox.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace testing {

// One box the program showed.
struct Box {
    bool input = false;
    QString text;
    int flags = 0;
    QString title;
};

// Answers the program's message and input boxes from a script, for as long
// as it lives. Every box is recorded; a box nobody expected, or one that
// differs from the next expected box, is a failure reported by problems().
class ScriptedBoxes {
public:
    ScriptedBoxes();
    ~ScriptedBoxes();
    ScriptedBoxes(const ScriptedBoxes&) = delete;
    ScriptedBoxes& operator=(const ScriptedBoxes&) = delete;

    // The next message box must show exactly this; it is answered `answer`.
    ScriptedBoxes& expect(const QString& text, int flags, const QString& title, int answer);
    // The next message box, with the application title, must hold each of
    // these fragments of text (for long messages naming files and causes).
    ScriptedBoxes& expectContaining(const QStringList& fragments, int flags, int answer);
    // The next box must be an input box with this prompt and title; it
    // returns `reply` (an empty reply stands for Cancel).
    ScriptedBoxes& expectInput(const QString& prompt, const QString& title, const QString& reply);

    const QList<Box>& shown() const;
    // The texts of the boxes the program closed itself while they waited.
    const QStringList& closed() const;
    // Unexpected or mismatched boxes, and expected boxes never shown.
    QStringList problems() const;
    void clear();

    struct State;

private:
    std::shared_ptr<State> state_;
    std::unique_ptr<forms::Answerer> previous_;
};

} // namespace testing

// Fails the test when the boxes did not go as scripted.
#define QVERIFY_BOXES(boxes)                                                                                 \
    do {                                                                                                     \
        const QStringList problems_ = (boxes).problems();                                                    \
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QLatin1String("\n"))));                      \
    } while (false)
