#include "app/InfoCommands.h"

#include "platform/core/AppPath.h"
#include "platform/forms/MsgBox.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

namespace app {
namespace {
const QString ProOnly = QStringLiteral("Feature available in Pro version only.");
const QString MoreFeatures = QStringLiteral("Get more features with Quorvel Book Dialer Pro");
} // namespace

// A phone.chm in the current folder is the one asked for; started elsewhere
// (from a link, a terminal, the menu) the program's own help is shown.
QString InfoCommands::helpFile() {
    const QString here = QDir::currentPath() + QStringLiteral("/phone.chm");
    return QFileInfo::exists(here) ? here : platform::sharedFile(QStringLiteral("phone.chm"));
}

void InfoCommands::cmdEmail_Click() { forms::MsgBox(ProOnly, forms::vbOKOnly); }

void InfoCommands::cmdWeb_Click() { forms::MsgBox(ProOnly, forms::vbOKOnly); }

// Every move over the picture shows the notice; the moves that reach it
// while the notice is still open show no second one on top.
void InfoCommands::Image1_MouseMove() {
    if (noticeOpen_)
        return;
    const QScopedValueRollback open(noticeOpen_, true);
    forms::MsgBox(MoreFeatures, forms::vbOKOnly);
}

} // namespace app
