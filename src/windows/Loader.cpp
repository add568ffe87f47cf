#include "windows/Windows.h"

#include "platform/core/AppPath.h"
#include "platform/forms/MsgBox.h"

#include <QGuiApplication>
#include <QLibrary>
#include <QOpenGLContext>

Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace windows {
namespace {
const Entry* given = nullptr;

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

const Entry* loadModule() {
    shareContextForPages();
    QLibrary module(platform::appFile(QStringLiteral("libquorvel_windows.so")));
    using EntryFn = const Entry* (*)();
    auto entry = reinterpret_cast<EntryFn>(module.resolve("quorvel_windows"));
    if (!entry) {
        forms::MsgBox(QStringLiteral("The program's windows could not be loaded (%1). "
                                     "Install the program again.")
                          .arg(module.errorString()),
                      forms::vbCritical);
        return nullptr;
    }
    return entry(); // the module stays loaded until the program ends
}
} // namespace

void use(const Entry* entry) { given = entry; }

const Entry* load() {
    if (!given)
        given = loadModule();
    return given;
}

} // namespace windows
