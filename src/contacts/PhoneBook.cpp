#include "contacts/PhoneBook.h"

#include "book/Upgrade.h"
#include "platform/core/AppPath.h"
#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"

#include <QObject>

#include <algorithm>

namespace contacts {

PhoneBook::PhoneBook(data::DataControl& data1, QLabel& records, const BoundBoxes& boxes)
    : Data1(data1), lbRecords(records) {
    Data1.setConnect(QStringLiteral("Access"));
    Data1.setRecordSource(book::table());
    for (int field = 0; field < book::FieldCount; ++field)
        Data1.bind(boxes[size_t(field)], book::fieldName(field));
    Data1.Recordset().setOrderField(book::orderField());
    // An older book is brought up to date as it opens; a newer one is refused.
    Data1.Recordset().setOnOpen([](data::Database& db) { book::upgrade(db); });
    Data1.setValidateHandler([this](int& action, int& save) { Data1_Validate(action, save); });
    Data1.setFailureText([this](data::DataControl::Failure failure, const platform::Error& cause) {
        return failureText(failure, cause);
    });
    QObject::connect(&Data1, &data::DataControl::Reposition, &lbRecords, [this] { Data1_Reposition(); });
    QObject::connect(&Data1, &data::DataControl::RecordCountChanged, &lbRecords,
                     [this](qint64 count) { showRecordCount(count); });
}

void PhoneBook::Form_Load() { Data1.setDatabaseName(platform::appFile(QStringLiteral("Quorvel.mdb"))); }

// A count not known yet (a large book being counted in the background) shows
// when it arrives; until then the label keeps what it showed.
void PhoneBook::showRecordCount() {
    platform::resumeNext([&] {
        if (const auto count = Data1.KnownRecordCount())
            showRecordCount(*count);
    });
}

void PhoneBook::showRecordCount(qint64 count) {
    lbRecords.setText(QString::number(count));
    // The label is sized for one digit; larger counts widen it rightwards.
    lbRecords.resize(std::max(lbRecords.minimumWidth(), lbRecords.sizeHint().width()), lbRecords.height());
}

void PhoneBook::Data1_Validate(int& /*Action*/, int& Save) {
    showRecordCount();
    if (Save != -1)
        return;
    platform::resumeNext([&] {
        if (forms::MsgBox(QStringLiteral("Do you want to save?"), forms::vbYesNo) == forms::vbNo) {
            Save = 0;
            Data1.UpdateControls();
        }
    });
}

void PhoneBook::Data1_Reposition() {
    if (Data1.Recordset().isOpen())
        showRecordCount();
}

void PhoneBook::Form_Unload(int& Cancel) {
    if (!Data1.Recordset().isOpen())
        return; // nothing was opened, so nothing to close
    try {
        Data1.Recordset().Close();
    } catch (const platform::Error&) {
        // The typed values could not be stored: keep the window, and them, open.
        Cancel = 1;
        throw;
    }
}

void PhoneBook::CommitData() {
    auto& rs = Data1.Recordset();
    if (!Data1.DataChanged() || !rs.isOpen())
        return;
    // Typing while no record is shown has no record to be stored in.
    if (!rs.isAdding() && !rs.hasCurrent())
        return;
    if (!rs.isAdding())
        rs.Edit();
    rs.Update();
}

void PhoneBook::CmdQuit_Click(const std::function<void()>& End) {
    // A failed store rises to the dispatcher and the program stays, so that
    // nothing typed is lost; a phone book that never opened needs no closing.
    if (Data1.Recordset().isOpen())
        Data1.Recordset().Close();
    End();
}

} // namespace contacts
