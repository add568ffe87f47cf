#include "app/frmPhone.h"
#include "identity/Identity.h"
#include "platform/forms/FormRules.h"
#include "platform/forms/MsgBox.h"
#include "platform/help/HtmlHelp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The help viewer's pages are served under a scheme the page engine must
    // know before anything else starts.
    help::registerUrlScheme();
    QApplication application(argc, argv);
    forms::installFormRules();
    QApplication::setApplicationName(identity::InternalName);
    forms::setApplicationTitle(identity::ApplicationTitle);
    QApplication::setApplicationVersion(identity::VersionText);
    QApplication::setWindowIcon(identity::programIcon());
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));

    app::frmPhone window;
    window.show();
    return QApplication::exec();
}
