#include "app/LinkHandoff.h"
#include "app/frmPhone.h"
#include "identity/Identity.h"
#include "platform/forms/FormRules.h"
#include "platform/forms/MsgBox.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    // A link for the copy already running is handed over before any window
    // is made: that start costs next to nothing and ends.
    const QString link = app::linkArgument(argc, argv);
    if (!link.isEmpty()) {
        const QCoreApplication handing(argc, argv);
        if (app::handOver(link))
            return 0;
    }

    QApplication application(argc, argv);
    forms::installFormRules();
    QApplication::setApplicationName(identity::InternalName);
    forms::setApplicationTitle(identity::ApplicationTitle);
    QApplication::setApplicationVersion(identity::VersionText);
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));

    app::frmPhone window;
    app::LinkInbox inbox;
    QObject::connect(&inbox, &app::LinkInbox::linkArrived, &window, &app::frmPhone::takeLink);
    window.show();
    if (!link.isEmpty())
        QTimer::singleShot(0, &window, [&] { window.takeLink(link); });
    return QApplication::exec();
}
