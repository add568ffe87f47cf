#include "contacts/FindSort.h"

#include "book/Schema.h"
#include "identity/Identity.h"
#include "platform/core/Error.h"
#include "platform/forms/BusyPointer.h"
#include "platform/forms/MsgBox.h"

#include <functional>
#include <optional>

namespace contacts {

FindSort::FindSort(binding::DataControl& data1) : Data1(data1) {}

QString FindSort::searchFailedText(const platform::Error& error) const {
    const QString book = Data1.DatabaseName();
    switch (error.number()) {
    case platform::err::ObjectClosed:
        return QStringLiteral("Find cannot search: the phone book \"%1\" is not open.\n\nPut a valid "
                              "Quorvel.mdb beside the program and start it again.")
            .arg(book);
    case platform::err::NotAnIndex:
        return QStringLiteral("Find cannot search: the phone book \"%1\" has no index named Name on its "
                              "table PHONEDIR.\n\nAdd it with any SQLite tool, for example:\n"
                              "sqlite3 Quorvel.mdb \"CREATE INDEX Name ON PHONEDIR (Name COLLATE NOCASE)\"\n"
                              "and click Find again.")
            .arg(book);
    default:
        return QStringLiteral("Find cannot search the phone book \"%1\": %2\n\nClose any other program "
                              "using it and click Find again.")
            .arg(book, error.description());
    }
}

void FindSort::cmdFind_Click() {
    forms::MsgBox(identity::ProNotice, forms::vbOKOnly);

    // Taken as typed: the record set binds it as the key, never as SQL.
    QString name;
    platform::resumeNext([&] {
        name = forms::InputBox(QStringLiteral("Enter the Last Name."), QStringLiteral("Name Search"));
    });
    auto& rs = Data1.Recordset();
    // The search goes on past a failing step, but the user learns of the first.
    std::optional<platform::Error> failed;
    auto step = [&](const std::function<void()>& work) {
        platform::resumeNext([&] {
            try {
                const forms::BusyPointer busy;
                work();
            } catch (const platform::Error& error) {
                if (!failed)
                    failed = error;
                throw;
            }
        });
    };
    step([&] { rs.setIndex(book::orderIndex()); });
    step([&] { rs.Seek(QStringLiteral(">="), name); });
    if (failed)
        platform::resumeNext([&] { forms::MsgBox(searchFailedText(*failed), forms::vbCritical); });
    if (!rs.NoMatch())
        return; // the record found is shown
    platform::resumeNext(
        [&] { forms::MsgBox(QStringLiteral("Sorry, I couldn't find the Name."), forms::vbOKOnly); });
    platform::resumeNext([&] {
        const forms::BusyPointer busy;
        rs.MoveFirst();
    });
}

void FindSort::cmdSort_Click() {
    auto& rs = Data1.Recordset();
    platform::resumeNext([&] { rs.setIndex(book::orderIndex()); });
    platform::resumeNext([&] {
        const forms::BusyPointer busy;
        rs.MoveFirst();
    });
}

} // namespace contacts
