// The Dialer Settings menu: the modem port and dialing prefix dialogs, each
// one shared instance. This opener is the one that shows every other window
// of the program.
#include "app/frmPhone.h"

#include "browser/frmBrowser.h"
#include "dialer/frmComPort.h"
#include "dialer/frmPrefix.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/SharedForm.h"

namespace app {

void frmPhone::wireSettingsMenu() {
    comPort_ = std::make_unique<forms::SharedForm>([] { return new dialer::frmComPort; });
    prefix_ = std::make_unique<forms::SharedForm>([] { return new dialer::frmPrefix; });
    forms::wire(mnuModPortItem, &QAction::triggered, this,
                [this] { Open(QStringLiteral("frmComPort"), {}); });
    forms::wire(mnuAreaCodeItem, &QAction::triggered, this,
                [this] { Open(QStringLiteral("frmPrefix"), {}); });
}

void frmPhone::openWindow(const QString& form, const QString& address) {
    if (form == QLatin1String("frmComPort"))
        comPort_->show();
    else if (form == QLatin1String("frmPrefix"))
        prefix_->show();
    else if (form == QLatin1String("frmAbout"))
        about_->show();
    else if (form == QLatin1String("frmBrowser"))
        browser::OpenBrowser(address); // a new window each time; it lives on its own
}

} // namespace app
