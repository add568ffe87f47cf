// The About menu and the picture button and picture that advertise the
// larger edition.
#include "app/frmPhone.h"

#include "identity/Identity.h"
#include "info/InfoCommands.h"
#include "info/frmAbout.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Dispatch.h"
#include "platform/forms/SharedForm.h"

namespace app {

void frmPhone::wireInfo() {
    info_ = std::make_unique<info::InfoCommands>();
    about_ = std::make_unique<forms::SharedForm>([] { return new info::frmAbout; });
    forms::wire(mnuHelp, &QAction::triggered, this, [this] { info_->mnuHelp_Click(); });
    forms::wire(mnuPro, &QAction::triggered, this,
                [this] { Open(QStringLiteral("frmBrowser"), identity::makerHomePage()); });
    forms::wire(mnuAbout, &QAction::triggered, this, [this] { Open(QStringLiteral("frmAbout"), {}); });
    forms::wire(cmdEmail, &QPushButton::clicked, this, [this] { info_->cmdEmail_Click(); });
    forms::wire(cmdWeb, &QPushButton::clicked, this, [this] { info_->cmdWeb_Click(); });
    forms::wireMouseMove(Image1, [this] { info_->Image1_MouseMove(); });
}

} // namespace app
