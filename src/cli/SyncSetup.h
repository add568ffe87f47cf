#pragma once

#include <QString>
#include <QUrl>

class QTextStream;

namespace cli {

struct SetupRequest {
    QString book;
    QUrl url;
    QString user;
    QString addressBook; // the name picked on the command line, if any
    QString caFile;
    bool passwordFromStdin = false;
};

// quorvel-book sync --setup: finds the address book, keeps the password and
// writes the book's sync settings. Returns the exit status.
int runSetup(const SetupRequest& request, QTextStream& out, QTextStream& err);

} // namespace cli
