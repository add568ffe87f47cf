#include "contacts/FindSort.h"

#include "identity/Identity.h"
#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"

namespace contacts {

FindSort::FindSort(data::DataControl& data1) : Data1(data1) {}

void FindSort::cmdFind_Click() {
    forms::MsgBox(identity::ProNotice, forms::vbOKOnly);

    // Taken as typed: the record set binds it as the key, never as SQL.
    QString name;
    platform::resumeNext([&] {
        name = forms::InputBox(QStringLiteral("Enter the Last Name."), QStringLiteral("Name Search"));
    });
    auto& rs = Data1.Recordset();
    platform::resumeNext([&] { rs.setIndex(QStringLiteral("Name")); });
    platform::resumeNext([&] { rs.Seek(QStringLiteral(">="), name); });
    if (!rs.NoMatch())
        return; // the record found is shown
    platform::resumeNext(
        [&] { forms::MsgBox(QStringLiteral("Sorry, I couldn't find the Name."), forms::vbOKOnly); });
    platform::resumeNext([&] { rs.MoveFirst(); });
}

void FindSort::cmdSort_Click() {
    auto& rs = Data1.Recordset();
    platform::resumeNext([&] { rs.setIndex(QStringLiteral("Name")); });
    platform::resumeNext([&] { rs.MoveFirst(); });
}

} // namespace contacts
