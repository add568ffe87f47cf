#include "contacts/PhoneBook.h"

#include "book/ContactIds.h"
#include "book/Upgrade.h"
#include "book/UserBook.h"
#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/Twips.h"

#include <QObject>

#include <algorithm>

namespace contacts {

PhoneBook::PhoneBook(binding::DataControl& data1, QLabel& records, const BoundBoxes& boxes)
    : Data1(data1), lbRecords(records) {
    Data1.setConnect(QStringLiteral("Access"));
    Data1.setRecordSource(book::table());
    for (int field = 0; field < book::FieldCount; ++field)
        Data1.bind(boxes[size_t(field)], book::fieldName(field));
    Data1.Recordset().setOrderField(book::orderField());
    // An older book is brought up to date as it opens; a newer one is refused.
    Data1.Recordset().setOnOpen([](data::Database& db) { book::upgrade(db); });
    Data1.setValidateHandler([this](int& action, int& save) { Data1_Validate(action, save); });
    Data1.setFailureText([this](binding::DataControl::Failure failure, const platform::Error& cause) {
        return failureText(failure, cause);
    });
    // A contact stays the same contact when another program renumbers the
    // rows: the window follows it by its id, which a contact added here gets
    // at once, as an import gives it.
    Data1.Recordset().setIdField(QLatin1String(book::IdField), [] { return book::newContactId(); });
    lblElsewhere = new QLabel(lbRecords.parentWidget());
    forms::placed(lblElsewhere, "lblElsewhere", 150, 30, 4230, 840);
    lblElsewhere->setWordWrap(true);
    lblElsewhere->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; color: black; "
                                               "border: 1px solid #808080; padding: 2px; }"));
    lblElsewhere->hide();
    QObject::connect(&Data1, &binding::DataControl::ChangedUnderTyping, lblElsewhere,
                     [this](bool deleted) { showChangedElsewhere(deleted); });
    QObject::connect(&Data1, &binding::DataControl::Reposition, &lbRecords, [this] { Data1_Reposition(); });
    QObject::connect(&Data1, &binding::DataControl::RecordCountChanged, &lbRecords,
                     [this](qint64 count) { showRecordCount(count); });
}

void PhoneBook::Form_Load() { Data1.setDatabaseName(book::userBook()); }

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
    // A screen reader says what the number counts, as the label beside it shows.
    lbRecords.setAccessibleName(QStringLiteral("Records %1").arg(count));
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

void PhoneBook::showChangedElsewhere(bool deleted) {
    lblElsewhere->setText(
        deleted ? QStringLiteral("Another program deleted this contact while you were typing. What you typed "
                                 "is kept: Edit or an arrow offers to store it as a new contact.")
                : QStringLiteral("Another program changed this contact while you were typing. What you typed "
                                 "is kept: Edit or an arrow stores it, and asks first where you both changed "
                                 "the same box."));
    lblElsewhere->show();
    lblElsewhere->raise();
}

void PhoneBook::showNote(const QString& text) {
    lblElsewhere->setText(text);
    lblElsewhere->show();
    lblElsewhere->raise();
}

void PhoneBook::Data1_Reposition() {
    // The boxes show the stored contact again: nothing typed is held back.
    lblElsewhere->hide();
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
