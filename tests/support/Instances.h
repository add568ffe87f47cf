#pragma once

#include <QApplication>
#include <QList>
#include <QWidget>

namespace testing {

// Every window of one kind that exists, shown or hidden; windows that closed
// themselves are gone first.
template <typename Form> QList<Form*> instances() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<Form*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<Form*>(w))
            found << form;
    return found;
}

} // namespace testing
