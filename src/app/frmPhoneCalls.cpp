// Who is calling: "Show Incoming Calls" and "Incoming Calls" under Dialer
// Settings, the listener on the modem port, and Show on a call.
#include "app/frmPhone.h"

#include "contacts/PhoneBook.h"
#include "dialer/CallerIdListener.h"
#include "dialer/CallerIdSettings.h"
#include "dialer/DialOperations.h"
#include "dialer/frmIncomingCalls.h"
#include "platform/core/Error.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/SharedForm.h"

#include <QTimer>

#include <utility>

namespace app {

void frmPhone::wireIncomingCalls() {
    mnuIncomingCalls =
        forms::addMenuItem(mnuSettings, "mnuIncomingCalls", QStringLiteral("Show &Incoming Calls"));
    mnuIncomingCalls->setCheckable(true);
    mnuIncomingCallsItem =
        forms::addMenuItem(mnuSettings, "mnuIncomingCallsItem", QStringLiteral("Incoming &Calls..."));

    callerId_ = std::make_unique<dialer::CallerIdListener>(
        *MSComm1, dialOperations_->settings(),
        dialer::CallerIdListener::Hooks{[this] { return Data1->DatabaseName(); },
                                        [this](const QString& id) { showCaller(id); }});
    dialer::CallerIdListener* listener = callerId_.get();
    incomingCalls_ =
        std::make_unique<forms::SharedForm>([listener] { return new dialer::frmIncomingCalls(*listener); });
    dialOperations_->setPortShare(
        {[listener] { listener->dialBegins(); },
         [listener](const QString& number, const QString& answer) { listener->dialEnded(number, answer); }});

    forms::wire(mnuIncomingCallsItem, &QAction::triggered, this, [this] { Open(Window::IncomingCalls, {}); });
    forms::wire(mnuIncomingCalls, &QAction::triggered, this, [this] {
        const bool on = mnuIncomingCalls->isChecked();
        dialer::CallerIdSettings settings = dialer::CallerIdSettings::load();
        settings.listen = on;
        callerId_->setListening(on);
        // The choice works for this run even when it cannot be kept; the user is told.
        settings.save();
    });
    forms::wire(Data1, &binding::DataControl::Reposition, this, [this] { showWaitingCaller(); });
    // As the file says, once the window is up and the book is open.
    mnuIncomingCalls->setChecked(dialer::CallerIdSettings::load().listen);
    if (mnuIncomingCalls->isChecked())
        QTimer::singleShot(0, this, [this] { callerId_->setListening(mnuIncomingCalls->isChecked()); });
}

void frmPhone::showCaller(const QString& contactId) {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (Data1->DataChanged()) {
        // What is typed stays: the caller is shown once it is stored or undone.
        callerToShow_ = contactId;
        phoneBook_->showNote(QStringLiteral("A caller was asked to be shown. What you typed is kept: the "
                                            "caller is shown once you store it with Edit, or move away and "
                                            "answer No."));
        return;
    }
    callerToShow_.clear();
    forms::dispatch([&] { Data1->Recordset().MoveToId(contactId); });
}

void frmPhone::showWaitingCaller() {
    if (callerToShow_.isEmpty() || Data1->DataChanged())
        return;
    // Not from within the move that ended the typing: the data control is still in it.
    QTimer::singleShot(0, this, [this] {
        if (!callerToShow_.isEmpty() && !Data1->DataChanged() && Data1->Recordset().isOpen())
            showCaller(std::exchange(callerToShow_, {}));
    });
}

} // namespace app
