#pragma once

#include <QStringList>

class QTextStream;

namespace cli {

// Whether the command line is for merge or birthdays, which read options of
// their own after the command.
bool isTidyCommand(const QStringList& args);

// Runs merge or birthdays on the phone book `defaultBook`, unless --book
// names another; returns the exit code.
int runTidyCommand(const QStringList& args, const QString& defaultBook, QTextStream& out, QTextStream& err);

// The two commands, once their words are read.
void listDuplicates(const QString& book, QTextStream& out);
void mergeById(const QString& book, const QStringList& ids, bool dryRun, QTextStream& out);
void listBirthdays(const QString& book, int days, bool anniversaries, QTextStream& out);

} // namespace cli
