#include "pages/Loader.h"

#include "pages/Build.h"
#include "platform/core/AppPath.h"
#include "platform/forms/MsgBox.h"

#include <QDir>
#include <QGuiApplication>
#include <QLibrary>
#include <QOpenGLContext>

#include <cstring>

Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace pages {
namespace {
PageWindows* given = nullptr;

// The page engine shares its surfaces through the application's global
// context. Made here rather than when the application starts, so only the
// first page window pays for the graphics driver.
void shareContextForPages() {
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(qApp); // lives as long as the application
    // Set even when no driver could make it, as the application itself does
    // when asked to share at start; without one the engine crashes.
    context->create();
    qt_gl_set_global_share_context(context);
}

void refuse(const QString& why) {
    forms::MsgBox(QStringLiteral("The About box, the browser window and the help viewer could not be "
                                 "loaded: %1. Install the program again.")
                      .arg(why),
                  forms::vbCritical);
}

PageWindows* loadModule() {
    const QString path = platform::privateFile(QStringLiteral("libquorvel_windows.so"));
    QLibrary module(path);
    using EntryFn = PageWindows* (*)(Host*);
    const auto build = reinterpret_cast<const char* const*>(module.resolve("quorvel_pages_build"));
    const auto entry = reinterpret_cast<EntryFn>(module.resolve("quorvel_pages"));
    if (!build || !*build || !entry) {
        refuse(module.errorString());
        return nullptr;
    }
    // A module of another build may expect other windows, services or
    // layers than this program has: it is never called. Its build is read
    // no further than ours is long.
    if (std::strncmp(*build, BuildId, sizeof BuildId) != 0) {
        const QString theirs = QString::fromUtf8(*build, qstrnlen(*build, sizeof BuildId));
        refuse(QStringLiteral("%1 comes from another build of the program (%2; the program is %3)")
                   .arg(QDir::toNativeSeparators(path), theirs, QString::fromUtf8(BuildId)));
        return nullptr;
    }
    shareContextForPages();
    return entry(&host()); // the module stays loaded until the program ends
}
} // namespace

Host& host() {
    static Host services;
    return services;
}

PageWindows* load() {
    if (!given)
        given = loadModule();
    return given;
}

void use(PageWindows* windows) { given = windows; }

} // namespace pages
