#include "cli/Failure.h"

#include "book/Rescue.h"
#include "exchange/ExportTarget.h"
#include "platform/core/SaveFile.h"

namespace cli {
using namespace exchange;

QString bookProblem(const platform::Error& error, const QString& book) {
    if (error.cause() == platform::err::Locked)
        return QStringLiteral(
            "the phone book is busy: another program is storing into it; try again in a moment");
    if (error.number() == platform::err::CannotOpenDatabase)
        return QStringLiteral("cannot open the phone book (%1)").arg(error.description());
    if (error.number() == platform::err::DiskFull)
        return platform::diskFull(book) + QStringLiteral("; free some space on it, then try again");
    return error.description();
}

Failure bookFailure(const platform::Error& error, const QString& book, const QString& then) {
    if (error.number() == platform::err::Damaged)
        return {book, book::damagedClause(error.description()) + then, book::rescueAdvice(book)};
    return {book, bookProblem(error, book) + then};
}

} // namespace cli
