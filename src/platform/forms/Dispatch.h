#pragma once

#include <QObject>

#include <functional>
#include <utility>

namespace forms {

// Runs one event handler. An error the handler does not trap ends the handler
// and is shown in a message box with the application title; the program goes on.
void dispatch(const std::function<void()>& handler);

// Connects a control's signal to a handler that runs through dispatch().
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection wire(Sender* sender, Signal signal, QObject* context, Handler handler) {
    return QObject::connect(sender, signal, context, [h = std::move(handler)] { dispatch(h); });
}

} // namespace forms
