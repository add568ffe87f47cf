#include "support/ScriptedBoxes.h"

#include <algorithm>
#include <deque>

namespace testing {

struct Expected {
    Box box;
    int answer = 0;
    QString reply;
    QStringList fragments; // when given, the text need only hold each of them
};

struct ScriptedBoxes::State {
    std::deque<Expected> script;
    QList<Box> shown;
    QStringList closed;
    QStringList problems;
};

namespace {
QString describe(const Box& b) {
    return QStringLiteral("%1 \"%2\" flags %3 title \"%4\"")
        .arg(b.input ? QStringLiteral("input box") : QStringLiteral("message box"), b.text)
        .arg(b.flags)
        .arg(b.title);
}

class Scripted final : public forms::Answerer {
public:
    explicit Scripted(std::shared_ptr<ScriptedBoxes::State> state) : state_(std::move(state)) {}

    int messageBox(const QString& prompt, int flags, const QString& title) override {
        const Expected* next = take({false, prompt, flags, title});
        if (next)
            return next->answer;
        // Nobody expected this box: take the safest way out of it.
        const int buttons = flags & 0x0F;
        return buttons == forms::vbYesNo      ? forms::vbNo
               : buttons == forms::vbOKCancel ? forms::vbCancel
                                              : forms::vbOK;
    }

    QString inputBox(const QString& prompt, const QString& title, const QString&) override {
        const Expected* next = take({true, prompt, 0, title});
        return next ? next->reply : QString();
    }

    void closeBox(const QString& prompt) override { state_->closed << prompt; }

private:
    const Expected* take(const Box& box) {
        state_->shown.append(box);
        if (state_->script.empty()) {
            state_->problems << QStringLiteral("unexpected ") + describe(box);
            return nullptr;
        }
        last_ = state_->script.front();
        state_->script.pop_front();
        const Box& want = last_.box;
        const bool textFits = last_.fragments.isEmpty()
                                  ? want.text == box.text
                                  : std::all_of(last_.fragments.begin(), last_.fragments.end(),
                                                [&](const QString& f) { return box.text.contains(f); });
        if (want.input != box.input || !textFits || want.flags != box.flags || want.title != box.title) {
            state_->problems << QStringLiteral("expected ") + describe(want) + QStringLiteral(", shown ") +
                                    describe(box);
        }
        return &last_;
    }

    std::shared_ptr<ScriptedBoxes::State> state_;
    Expected last_;
};
} // namespace

ScriptedBoxes::ScriptedBoxes() : state_(std::make_shared<State>()) {
    previous_ = forms::setAnswerer(std::make_unique<Scripted>(state_));
}

ScriptedBoxes::~ScriptedBoxes() { forms::setAnswerer(std::move(previous_)); }

ScriptedBoxes& ScriptedBoxes::expect(const QString& text, int flags, const QString& title, int answer) {
    state_->script.push_back({{false, text, flags, title}, answer, {}, {}});
    return *this;
}

ScriptedBoxes& ScriptedBoxes::expectContaining(const QStringList& fragments, int flags, int answer) {
    state_->script.push_back(
        {{false, fragments.join(QLatin1String(" ... ")), flags, forms::applicationTitle()},
         answer,
         {},
         fragments});
    return *this;
}

ScriptedBoxes& ScriptedBoxes::expectInput(const QString& prompt, const QString& title, const QString& reply) {
    state_->script.push_back({{true, prompt, 0, title}, 0, reply, {}});
    return *this;
}

const QList<Box>& ScriptedBoxes::shown() const { return state_->shown; }

const QStringList& ScriptedBoxes::closed() const { return state_->closed; }

QStringList ScriptedBoxes::problems() const {
    QStringList all = state_->problems;
    for (const Expected& e : state_->script)
        all << QStringLiteral("never shown: ") + describe(e.box);
    return all;
}

void ScriptedBoxes::clear() {
    state_->script.clear();
    state_->shown.clear();
    state_->closed.clear();
    state_->problems.clear();
}

} // namespace testing
