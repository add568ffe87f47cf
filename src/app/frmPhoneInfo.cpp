// The About menu and the picture button and picture that advertise the
// larger edition.
#include "app/InfoCommands.h"
#include "app/frmPhone.h"
#include "identity/Identity.h"
#include "pages/Loader.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Dispatch.h"

#include <QPointer>

namespace app {

void frmPhone::wireInfo() {
    info_ = std::make_unique<InfoCommands>();
    forms::wire(mnuHelp, &QAction::triggered, this, [this] { Open(Window::Help, InfoCommands::helpFile()); });
    forms::wire(mnuPro, &QAction::triggered, this,
                [this] { Open(Window::Browser, identity::makerHomePage()); });
    forms::wire(mnuAbout, &QAction::triggered, this, [this] { Open(Window::About, {}); });
    pages::host().bookFile = [window = QPointer<frmPhone>(this)] {
        return window ? window->Data1->DatabaseName() : QString();
    };
    forms::wire(cmdEmail, &QPushButton::clicked, this, [this] { info_->cmdEmail_Click(); });
    forms::wire(cmdWeb, &QPushButton::clicked, this, [this] { info_->cmdWeb_Click(); });
    forms::wireMouseMove(Image1, [this] { info_->Image1_MouseMove(); });
}

} // namespace app
