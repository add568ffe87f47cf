#include "pages/help/HtmlHelp.h"

#include "pages/help/ChmCheck.h"
#include "pages/help/ChmFile.h"
#include "pages/help/HelpWindow.h"
#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Placement.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QThread>

#include <memory>
#include <optional>

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

void tell(const QString& path, const platform::Error& error) {
    forms::MsgBox(problem(path, error), forms::vbCritical);
}

// One help file on its way to the viewer: checked in a process of its own,
// then read on a thread of its own, the busy pointer shown meanwhile.
class Opening : public QObject {
public:
    explicit Opening(const QString& path) : path_(path), check_(path, nullptr) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        connect(&check_, &ChmCheck::finished, this, &Opening::checked);
    }
    ~Opening() override {
        if (reader_)
            reader_->wait(); // bounded: the file was found sound
        if (busy_)
            QApplication::restoreOverrideCursor();
    }
    const QString& path() const { return path_; }

private:
    void checked(ChmCheck::Outcome outcome) {
        if (outcome != ChmCheck::Outcome::Sound) {
            fail(
                outcome == ChmCheck::Outcome::NoChecker
                    ? platform::Error(err::FileAccess,
                                      QStringLiteral("The program's part that checks help files (%1) is "
                                                     "missing. Install the program again.")
                                          .arg(QDir::toNativeSeparators(checkProgram())))
                    : platform::Error(err::BadFileFormat, QStringLiteral("It is not a compiled help file, or "
                                                                         "parts of it are lost.")));
            return;
        }
        reader_.reset(QThread::create([this] {
            try {
                auto file = std::make_shared<const ChmFile>(path_);
                contents_ = file->contents();
                index_ = file->index();
                file_ = std::move(file);
            } catch (const platform::Error& error) {
                error_.emplace(error);
            }
        }));
        connect(reader_.get(), &QThread::finished, this, &Opening::read);
        reader_->start();
    }

    void read() {
        if (error_) {
            fail(*error_);
            return;
        }
        done();
        if (viewer())
            viewer()->close();
        // The window deletes itself when closed, and at the latest when the
        // program ends, while the page engine is still there.
        auto* window = new HelpWindow(std::move(file_), contents_, index_);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QObject::deleteLater);
        viewer() = window;
        forms::placeOnScreen(window);
        window->show();
        forms::placeOnScreen(window);
        window->raise();
        window->activateWindow();
    }

    void fail(const platform::Error& error) {
        done();
        tell(path_, error);
    }

    // The pointer is itself again before any box or window shows.
    void done() {
        if (std::exchange(busy_, false))
            QApplication::restoreOverrideCursor();
        deleteLater();
    }

    QString path_;
    ChmCheck check_;
    std::unique_ptr<QThread> reader_;
    bool busy_ = true;
    // Filled by the reading thread, read once it has finished.
    std::shared_ptr<const ChmFile> file_;
    Sitemap contents_, index_;
    std::optional<platform::Error> error_;
};

QPointer<Opening>& opening() {
    static QPointer<Opening> current;
    return current;
}

QString canonical(const QString& path) { return QFileInfo(path).absoluteFilePath(); }
} // namespace

void HtmlHelp(const QString& path) {
    if (HelpWindow* window = viewer(); window && canonical(window->file().path()) == canonical(path)) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
        return;
    }
    if (opening() && canonical(opening()->path()) == canonical(path))
        return; // on its way already
    try {
        ChmFile::checkReadable(path);
    } catch (const platform::Error& error) {
        tell(path, error);
        return;
    }
    opening() = new Opening(path); // deletes itself once the viewer shows or the user is told
}

// cppcheck-suppress CastIntegerToAddressAtReturn ; a QPointer, not an integer
HelpWindow* shownHelp() { return viewer(); }

} // namespace help
