#pragma once

#include <QStringList>

class QTextStream;

namespace cli {

// Whether the command line is for merge, birthdays, deleted or restore, which
// read options of their own after the command.
bool isTidyCommand(const QStringList& args);

// Runs one of them on the phone book `defaultBook`, unless --book
// names another; returns the exit code.
int runTidyCommand(const QStringList& args, const QString& defaultBook, QTextStream& out, QTextStream& err);

// The commands, once their words are read; they throw platform::Error.
void listDuplicates(const QString& book, QTextStream& out);
void mergeById(const QString& book, const QStringList& ids, bool dryRun, QTextStream& out);
void listBirthdays(const QString& book, int days, bool anniversaries, QTextStream& out);
void listDeleted(const QString& book, QTextStream& out);
void restoreContact(const QString& book, const QString& id, QTextStream& out);

// A value on a listing's one line: a tab or a line break in it (an imported
// name may hold one) would start another column or line.
QString oneLine(QString value);

} // namespace cli
