// The Dialer Settings menu: the modem port and dialing prefix dialogs.
#include "app/frmPhone.h"

#include "dialer/frmComPort.h"
#include "dialer/frmPrefix.h"
#include "platform/forms/Dispatch.h"

#include <QPointer>

namespace app {
namespace {
// The shared instances of the two settings dialogs. They have no owner
// window; a dialog unloaded by its close box deletes itself, and this object,
// a child of the main window, deletes those still loaded when the main window
// goes, so none outlives it.
class SettingsDialogs final : public QObject {
public:
    using QObject::QObject;
    ~SettingsDialogs() override {
        delete comPort.data();
        delete prefix.data();
    }
    QPointer<dialer::frmComPort> comPort;
    QPointer<dialer::frmPrefix> prefix;
};

// Shows the shared instance modeless, loading it first when it is not loaded.
template <typename Form> void showShared(QPointer<Form>& form) {
    if (!form || form->isUnloaded()) {
        form = new Form; // owned by SettingsDialogs until it unloads itself
        forms::dispatch([&form] { form->Form_Load(); });
    }
    form->show();
    form->raise();
    form->activateWindow();
}
} // namespace

void frmPhone::wireSettingsMenu() {
    auto* dialogs = new SettingsDialogs(this);
    forms::wire(mnuModPortItem, &QAction::triggered, this, [dialogs] { showShared(dialogs->comPort); });
    forms::wire(mnuAreaCodeItem, &QAction::triggered, this, [dialogs] { showShared(dialogs->prefix); });
}

} // namespace app
