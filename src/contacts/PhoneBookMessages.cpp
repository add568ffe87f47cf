// What the user is told when the phone book file fails: what happened, to
// which file, and what to do about it.
#include "book/Rescue.h"
#include "contacts/PhoneBook.h"

#include <QDir>
#include <QFileInfo>

namespace contacts {
namespace {
namespace err = platform::err;
using Failure = binding::DataControl::Failure;

QString folderOf(const QString& file) { return QDir::toNativeSeparators(QFileInfo(file).absolutePath()); }

// Why a read or a store failed, as a clause.
QString why(const platform::Error& cause, const QString& file) {
    switch (cause.cause()) {
    case err::Locked:
        return QStringLiteral("another program holds the phone book locked while it changes it");
    case err::ReadOnlyFile:
        return QStringLiteral("the file is read-only");
    case err::ReadOnlyFolder:
        return QStringLiteral("its folder \"%1\" is read-only, and storing a change needs a journal "
                              "file beside the phone book")
            .arg(folderOf(file));
    case err::FileMoved:
        return QStringLiteral("the file was renamed, moved or deleted while this program had it open");
    case err::DiskFull:
        return QStringLiteral("the disk is full");
    case err::Damaged:
        return book::damagedClause(cause.description());
    default:
        return cause.description();
    }
}

// What to do before trying again.
QString remedy(const platform::Error& cause, const QString& file) {
    switch (cause.cause()) {
    case err::Locked:
        return QStringLiteral("Let the other program finish its change, or close it, then try again.");
    case err::ReadOnlyFile:
        return QStringLiteral("Make the file writable (for example: chmod u+w \"%1\"), then try again.")
            .arg(file);
    case err::ReadOnlyFolder:
        return QStringLiteral("Make the folder writable (for example: chmod u+w \"%1\"), then try again.")
            .arg(folderOf(file));
    case err::FileMoved:
        return QStringLiteral("Nothing can be stored until the file is back in its place and the program "
                              "is started again; copy what you typed if you need it.");
    case err::DiskFull:
        return QStringLiteral("Free some disk space, then try again.");
    case err::Damaged:
        return book::rescueAdvice(file);
    default:
        return QStringLiteral("Close any other program using it, then try again.");
    }
}

QString conflictQuestion(const platform::Error& cause, const QString& file, const QStringList& fields) {
    if (cause.cause() == err::DeletedElsewhere)
        return QStringLiteral(
                   "Another program deleted this contact from \"%1\" while you were editing it.\n\n"
                   "Store what is shown as a new contact?\nYes adds it to the phone book again, "
                   "with what you typed. No stores nothing, and what you typed stays in the boxes.")
            .arg(file);
    return QStringLiteral("Another program changed this contact in \"%1\" while you were editing it: it "
                          "changed %2, which you changed too.\n\nReplace its values with what you typed?\n"
                          "Yes stores your typing over them. No keeps the other program's values for now, "
                          "and what you typed stays in the boxes: answer Yes when next asked to save to "
                          "store it after all, or No to see the stored values.")
        .arg(file, fields.join(QLatin1String(", ")));
}

QString openFailed(const platform::Error& cause, const QString& file) {
    QString reason = cause.description();
    QString advice = QStringLiteral("Put a valid Quorvel.mdb beside the program and start it again.");
    switch (cause.cause()) {
    case err::FileMissing:
        advice = QStringLiteral("Put your Quorvel.mdb beside the program and start it again.");
        break;
    case err::IsAFolder:
        advice = QStringLiteral("Rename or move that folder, put your Quorvel.mdb in its place and start "
                                "the program again.");
        break;
    case err::EmptyFile:
        reason += QStringLiteral(" It holds no contacts: a copy or a save may have been cut short.");
        advice =
            QStringLiteral("Put your phone book from a backup in its place and start the program again.");
        break;
    case err::NotADatabase:
        reason = QStringLiteral("The file is not a phone book database (%1).").arg(cause.description());
        break;
    case err::Damaged:
        reason = QStringLiteral("The file is damaged (%1).").arg(cause.description());
        advice = book::rescueAdvice(file);
        break;
    case err::NewerBook:
        advice = QStringLiteral("It was left as it is. Start the newer program, or put a phone book of "
                                "this program's version beside it and start it again.");
        break;
    case err::Locked:
        reason = QStringLiteral("Another program holds it locked while it changes it.");
        advice = QStringLiteral("Let the other program finish, or close it, and start this one again.");
        break;
    default:
        break;
    }
    return QStringLiteral("Could not open the phone book \"%1\".\n%2\n\n%3").arg(file, reason, advice);
}
} // namespace

QString PhoneBook::failureText(Failure failure, const platform::Error& cause) const {
    const QString file = Data1.DatabaseName();
    switch (failure) {
    case Failure::Open:
        return openFailed(cause, file);
    case Failure::ReadOnly:
        return QStringLiteral("The phone book \"%1\" can only be read: %2.\n\nYou can look up and dial "
                              "contacts, but no change can be stored. %3")
            .arg(file, why(cause, file), remedy(cause, file));
    case Failure::Read:
        return QStringLiteral("Could not read the phone book \"%1\": %2.\n\n%3")
            .arg(file, why(cause, file), remedy(cause, file));
    case Failure::Conflict:
        return conflictQuestion(cause, file, Data1.Recordset().changedElsewhere());
    case Failure::Store:
        break;
    }
    // Typing into the blank boxes of an empty book, or after a Find that found nothing.
    if (cause.number() == err::NoCurrentRecord)
        return QStringLiteral("No contact is shown, so there is no record to store this typing in.\n\n"
                              "What you typed is still shown. To add a contact, click New and type it "
                              "there; to drop the typing, answer No when asked to save.");
    return QStringLiteral("Could not save the record in \"%1\": %2.\n\nWhat you typed is still shown. %3 "
                          "Or answer No when asked to save, to drop the changes.")
        .arg(file, why(cause, file), remedy(cause, file));
}

} // namespace contacts
