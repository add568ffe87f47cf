// The Dialer Settings menu: the modem port and dialing prefix dialogs, each
// one shared instance, opened through the window's opener.
#include "app/frmPhone.h"

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

void frmPhone::openWindow(const QString& form) {
    if (form == QLatin1String("frmComPort"))
        comPort_->show();
    else if (form == QLatin1String("frmPrefix"))
        prefix_->show();
}

} // namespace app
