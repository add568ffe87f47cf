#include "platform/forms/MsgBox.h"

#include "platform/forms/QtBoxes.h"

namespace forms {
namespace {
std::unique_ptr<Answerer>& current() {
    static std::unique_ptr<Answerer> answerer = std::make_unique<QtBoxes>();
    return answerer;
}

QString titleOrDefault(const QString& title) { return title.isEmpty() ? applicationTitle() : title; }
} // namespace

namespace {
QString& title() {
    static QString text;
    return text;
}
} // namespace

QString applicationTitle() { return title(); }
void setApplicationTitle(const QString& text) { title() = text; }

int MsgBox(const QString& prompt, int flags, const QString& title) {
    return current()->messageBox(prompt, flags, titleOrDefault(title));
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    return current()->inputBox(prompt, titleOrDefault(title), defaultText);
}

void CloseMsgBox(const QString& prompt) { current()->closeBox(prompt); }

std::unique_ptr<Answerer> setAnswerer(std::unique_ptr<Answerer> answerer) {
    std::swap(current(), answerer);
    return answerer;
}

} // namespace forms
