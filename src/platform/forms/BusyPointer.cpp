#include "platform/forms/BusyPointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace forms {

BusyPointer::BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyPointer::~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }

// Outside a busy wait there is nothing to undo: each control keeps its own pointer.
NormalPointer::NormalPointer() : pushed_(QGuiApplication::overrideCursor() != nullptr) {
    if (pushed_)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
}
NormalPointer::~NormalPointer() {
    if (pushed_)
        QGuiApplication::restoreOverrideCursor();
}

} // namespace forms
