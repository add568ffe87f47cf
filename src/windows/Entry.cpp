// The module's one entry: readies its own copies of the shared layers, then
// hands out the windows.
#include "windows/Windows.h"

#include "browser/frmBrowser.h"
#include "identity/Identity.h"
#include "info/frmAbout.h"
#include "platform/forms/MsgBox.h"
#include "platform/help/HtmlHelp.h"
#include "platform/web/FolderScheme.h"

namespace {
forms::Form* makeAbout() { return new info::frmAbout; }
void openBrowser(const QString& address) { browser::OpenBrowser(address); } // lives on its own
void showHelp(const QString& file) { help::HtmlHelp(file); }
} // namespace

extern "C" Q_DECL_EXPORT const windows::Entry* quorvel_windows() {
    static const windows::Entry entry = [] {
        // The module binds to its own copy of the forms layer: its boxes need
        // the title too. The schemes must be known before any page exists.
        forms::setApplicationTitle(identity::ApplicationTitle);
        help::registerUrlScheme();
        web::registerFolderScheme(identity::MakerScheme);
        return windows::Entry{makeAbout, openBrowser, showHelp};
    }();
    return &entry;
}
