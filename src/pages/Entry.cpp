// The module's entry: the page windows the program asks for, each owned here.
#include "identity/Identity.h"
#include "pages/Build.h"
#include "pages/PageWindows.h"
#include "pages/Services.h"
#include "pages/frmAbout.h"
#include "pages/frmBrowser.h"
#include "pages/help/HtmlHelp.h"
#include "pages/web/FolderScheme.h"
#include "platform/forms/SharedForm.h"

#include <QCoreApplication>

namespace pages {
namespace {
class Windows final : public QObject, public PageWindows {
public:
    void showAbout() override { about_.show(); }
    void openBrowser(const QString& address) override { pages::OpenBrowser(address); }
    void showHelp(const QString& file) override { help::HtmlHelp(file); }

private:
    forms::SharedForm about_{[] { return new pages::frmAbout; }};
};
} // namespace
} // namespace pages

extern "C" Q_DECL_EXPORT const char* const quorvel_pages_build = pages::BuildId;

extern "C" Q_DECL_EXPORT pages::PageWindows* quorvel_pages(pages::Host* host) {
    static pages::Windows* windows = [host] {
        pages::setServices(host);
        // The schemes must be known before the engine makes any page.
        help::registerUrlScheme();
        web::registerFolderScheme(identity::MakerScheme);
        auto* made = new pages::Windows;
        // The About box goes before the application, as every window does:
        // the event loop deletes the holder once the program quits.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, made, &QObject::deleteLater);
        return made;
    }();
    return windows;
}
