#pragma once

#include "book/Schema.h"
#include "platform/binding/DataControl.h"
#include "platform/core/Error.h"

#include <QLabel>
#include <QLineEdit>

#include <functional>

namespace contacts {

// The text box bound to each field of the phone book.
using BoundBoxes = book::PerField<QLineEdit*>;

// The phone book store of the main window: where the file is, the binding,
// the record counter, the save prompt, and closing.
class PhoneBook {
public:
    PhoneBook(binding::DataControl& Data1, QLabel& lbRecords, const BoundBoxes& boxes);
    // The data control's handlers hold this very object.
    PhoneBook(const PhoneBook&) = delete;
    PhoneBook& operator=(const PhoneBook&) = delete;

    void Form_Load();
    void Data1_Validate(int& Action, int& Save);
    // Keeps the counter true after every action of the data control.
    void Data1_Reposition();
    void Form_Unload(int& Cancel);
    // The session is about to end (logging out): typed values get the save
    // prompt, as closing the window gives them, without closing anything. A
    // store that fails rises as a platform::Error.
    void CommitData();
    // Closes the record set, then ends the program through End.
    void CmdQuit_Click(const std::function<void()>& End);
    // A note over the title, as for outside changes, until the boxes show a
    // stored record again.
    void showNote(const QString& text);

private:
    void showRecordCount();
    void showRecordCount(qint64 count);
    // Tells the user, without taking the keyboard, that another program
    // changed or deleted the contact being typed over.
    void showChangedElsewhere(bool deleted);
    // The messages of a phone book file that fails (PhoneBookMessages.cpp).
    QString failureText(binding::DataControl::Failure failure, const platform::Error& cause) const;

    binding::DataControl& Data1;
    QLabel& lbRecords;
    QLabel* lblElsewhere; // over the title, shown only while it has something to say
};

} // namespace contacts
