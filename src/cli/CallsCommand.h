#pragma once

#include <QStringList>

class QTextStream;

namespace calllog {

// Whether the arguments name the calls command.
bool isCallsCommand(const QStringList& args);

// quorvel-book calls [--since DATE] [--csv]: the call log, newest first, with
// each contact's name as the book has it now. Returns the exit code.
int runCallsCommand(const QStringList& args, const QString& defaultBook, QTextStream& out, QTextStream& err);

} // namespace calllog
