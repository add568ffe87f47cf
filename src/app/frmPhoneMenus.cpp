// The Dialer Settings menu: the modem port and dialing prefix dialogs, each
// one shared instance. This opener is the one that shows every other window
// of the program.
#include "app/frmPhone.h"

#include "dialer/DialOperations.h"
#include "dialer/frmComPort.h"
#include "dialer/frmPrefix.h"
#include "pages/Loader.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/SharedForm.h"

namespace app {

void frmPhone::wireSettingsMenu() {
    // Both dialogs show and set the values the dial operations keep.
    comPort_ = std::make_unique<forms::SharedForm>(
        [this] { return new dialer::frmComPort(dialOperations_->settings()); });
    prefix_ = std::make_unique<forms::SharedForm>(
        [this] { return new dialer::frmPrefix(dialOperations_->settings()); });
    forms::wire(mnuModPortItem, &QAction::triggered, this, [this] { Open(Window::ComPort, {}); });
    forms::wire(mnuAreaCodeItem, &QAction::triggered, this, [this] { Open(Window::Prefix, {}); });
}

// The page windows belong to their module: each is asked for by name. When
// the module cannot be loaded the user has been told, and nothing opens.
void frmPhone::openWindow(Window window, const QString& address) {
    switch (window) {
    case Window::ComPort:
        comPort_->show();
        break;
    case Window::Prefix:
        prefix_->show();
        break;
    case Window::About:
        if (pages::PageWindows* windows = pages::load())
            windows->showAbout();
        break;
    case Window::Browser:
        if (pages::PageWindows* windows = pages::load())
            windows->openBrowser(address); // a new window each time; it lives on its own
        break;
    case Window::IncomingCalls:
        incomingCalls_->show();
        break;
    case Window::Help:
        if (pages::PageWindows* windows = pages::load())
            windows->showHelp(address);
        break;
    }
}

} // namespace app
