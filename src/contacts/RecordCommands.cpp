#include "contacts/RecordCommands.h"

#include "platform/core/Error.h"
#include "platform/forms/BusyPointer.h"
#include "platform/forms/MsgBox.h"

namespace contacts {

RecordCommands::RecordCommands(binding::DataControl& data1, QLineEdit& name) : Data1(data1), txtName(name) {}

void RecordCommands::cmdAdd_Click() {
    if (!Data1.Recordset().isOpen()) {
        // The boxes take no typing then; say why rather than start a record
        // that could never be stored.
        forms::MsgBox(QStringLiteral("No phone book is open, so a new contact cannot be stored.\n\n"
                                     "\"%1\" could not be opened when the program started. Put your "
                                     "Quorvel.mdb beside the program and start it again.")
                          .arg(Data1.DatabaseName()),
                      forms::vbExclamation, QStringLiteral("Add Record"));
        return;
    }
    if (forms::MsgBox(QStringLiteral(" Enter new record, and click left arrow button."), forms::vbOKCancel,
                      QStringLiteral("Add Record")) != forms::vbOK)
        return;
    platform::resumeNext([&] { txtName.setFocus(); });
    platform::resumeNext([&] { Data1.Recordset().AddNew(); });
}

// Traps nothing: a failure is shown by the dispatcher.
void RecordCommands::cmdEdit_Click() {
    auto& rs = Data1.Recordset();
    if (rs.isAdding()) {
        // A new record is pending: it has no stored record to edit, and its
        // values must never land on another one. Update stores it as a new
        // record through the save prompt, as a move would.
        rs.Update();
        return;
    }
    if (rs.isOpen() && !rs.hasCurrent())
        throw platform::Error(platform::err::NoCurrentRecord,
                              rs.isEmpty()
                                  ? QStringLiteral("There is no record to edit: the phone book is empty. "
                                                   "Click New to add one.")
                                  : QStringLiteral("There is no record to edit: none is shown. "
                                                   "Click an arrow to show one."));
    rs.Edit();
    rs.Update();
}

void RecordCommands::cmdDelete_Click() {
    if (forms::MsgBox(QStringLiteral("Do you want to DELETE selected person ?"),
                      forms::vbYesNo + forms::vbCritical + forms::vbDefaultButton2,
                      QStringLiteral("ARE YOU SURE?")) != forms::vbYes)
        return;
    auto& rs = Data1.Recordset();
    platform::resumeNext([&] {
        const forms::BusyPointer busy; // another program may hold the file locked
        rs.Delete();
    });
    platform::resumeNext([&] { rs.MoveNext(); });
    // The deleted record was the last in the current order: show the new last.
    platform::resumeNext([&] {
        if (rs.Eof())
            rs.MoveLast();
    });
}

} // namespace contacts
