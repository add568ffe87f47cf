#include "platform/help/HtmlHelp.h"

#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Placement.h"
#include "platform/help/ChmFile.h"
#include "platform/help/HelpWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace help {
namespace {
namespace err = platform::err;

QPointer<HelpWindow>& viewer() {
    static QPointer<HelpWindow> window;
    return window;
}

QString problem(const QString& path, const platform::Error& error) {
    const QString shown = QDir::toNativeSeparators(path);
    switch (error.number()) {
    case err::FileNotFound:
        return QStringLiteral(
                   "The help file was not found:\n%1\n\nPut the help file in that folder, or start "
                   "the program from the folder that holds the help file.")
            .arg(shown);
    case err::FileAccess:
        return QStringLiteral("The help file cannot be read:\n%1\n\n%2 Check that the file is yours to read, "
                              "or ask whoever looks after this computer.")
            .arg(shown, error.description());
    default:
        return QStringLiteral("The help file is damaged:\n%1\n\n%2 Replace it with a fresh copy from the "
                              "program's installation.")
            .arg(shown, error.description());
    }
}
} // namespace

HelpWindow* HtmlHelp(const QString& path) {
    if (HelpWindow* window = viewer();
        window && QFileInfo(window->file().path()).absoluteFilePath() == QFileInfo(path).absoluteFilePath()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
        return window;
    }
    std::shared_ptr<const ChmFile> file;
    try {
        file = std::make_shared<const ChmFile>(path);
    } catch (const platform::Error& error) {
        forms::MsgBox(problem(path, error), forms::vbCritical);
        return nullptr;
    }
    if (viewer())
        viewer()->close();
    // The window deletes itself when closed, and at the latest when the
    // program ends, while the page engine is still there.
    auto* window = new HelpWindow(std::move(file));
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QObject::deleteLater);
    viewer() = window;
    forms::placeOnScreen(window);
    window->show();
    forms::placeOnScreen(window);
    return window;
}

} // namespace help
