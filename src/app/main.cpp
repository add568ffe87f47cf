#include "app/Identity.h"
#include "app/frmPhone.h"
#include "platform/forms/FormRules.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Pictures.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    forms::installFormRules();
    QApplication::setApplicationName(app::InternalName);
    forms::setApplicationTitle(app::ApplicationTitle);
    QApplication::setApplicationVersion(app::VersionText);
    QApplication::setWindowIcon(forms::svgIcon(QStringLiteral(":/icons/quorvel.svg"), {16, 24, 32, 48}));
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));

    app::frmPhone window;
    window.show();
    return QApplication::exec();
}
