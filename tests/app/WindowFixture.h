#pragma once

#include "app/frmPhone.h"
#include "platform/core/AppPath.h"
#include "support/PhoneBookFile.h"
#include "support/ScriptedBoxes.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace testing {

// A main window on a phone book of its own in a temporary folder. Quit only
// counts its calls, so the test process goes on.
struct Window {
    QTemporaryDir dir;
    QString book;
    std::unique_ptr<app::frmPhone> w;
    int ended = 0;

    // Make the phone book (or leave it to the caller), then open the window.
    explicit Window(const QList<Contact>& contacts, bool makeBook = true) {
        book = dir.filePath(QStringLiteral("Quorvel.mdb"));
        if (makeBook)
            phonebook::create(book, contacts);
    }

    app::frmPhone& open() {
        platform::setAppPath(dir.path());
        w = std::make_unique<app::frmPhone>();
        w->setEnd([this] { ++ended; });
        w->show();
        // Keys such as Escape reach the window's shortcuts only while it is active.
        QApplication::setActiveWindow(w.get());
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("the main window did not become active");
        // The first count runs in the background; after it, own stores and
        // deletes must show in the counter at once.
        if (w->Data1->Recordset().isOpen() &&
            !QTest::qWaitFor([&] { return w->Data1->KnownRecordCount().has_value(); }))
            qWarning("the record count never arrived");
        return *w;
    }

    QString shown() const { return w->txtName->text(); }
    void type(QLineEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

} // namespace testing
