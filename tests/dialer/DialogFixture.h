#pragma once

// The settings dialogs on real files: a program folder of their own, and
// ways to make saving into it fail.
#include "dialer/Module1.h"
#include "platform/core/AppPath.h"
#include "platform/forms/Dispatch.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include "support/FailingDisk.h"

namespace testing {

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

// The values in memory the main window hands each settings dialog; they
// outlive the dialogs, as the window's do.
inline dialer::DialerSettingsValues DialerSettings;

// A program folder with fresh settings in memory.
struct ProgramFolder {
    QTemporaryDir dir;
    ProgramFolder() {
        platform::setAppPath(dir.path());
        DialerSettings = {};
    }
    QString file(const QString& name) const { return dir.filePath(name); }
};

// One loaded dialog, opened as the menu does: Form_Load through the
// dispatcher, then shown. The close box deletes it; what is left goes at the end.
template <typename Form> struct Dialog {
    QPointer<Form> form = new Form(DialerSettings);
    Dialog() {
        forms::dispatch([this] { form->Form_Load(); });
        form->show();
        QApplication::setActiveWindow(form);
    }
    ~Dialog() { delete form.data(); }
    Form* operator->() const { return form; }
    void closeBox() {
        form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Every label's caption is shown whole.
    bool captionsFit() const {
        for (const QLabel* l : form->template findChildren<QLabel*>())
            if (l->fontMetrics().horizontalAdvance(l->text()) > l->width())
                return false;
        return true;
    }
};

} // namespace testing
