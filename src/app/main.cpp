#include "app/frmPhone.h"
#include "identity/Identity.h"
#include "platform/forms/FormRules.h"
#include "platform/forms/MsgBox.h"

#include <QApplication>

int main(int argc, char* argv[]) {
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
