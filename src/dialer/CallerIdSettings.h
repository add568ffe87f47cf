#pragma once

#include <QString>
#include <QStringList>

namespace dialer {

// Whether the window listens for incoming calls, and the command that turns
// on the modem's caller ID: <config>/quorvel/callerid.conf, group [CallerId],
// keys Listen (true or false, false when missing) and Command.
struct CallerIdSettings {
    bool listen = false;
    QString command;

    // The commands that turn caller ID on in the common modems; the first
    // is used when the file names none.
    static QStringList usualCommands();
    static QString path();
    // A file that is missing or unreadable gives the defaults.
    static CallerIdSettings load();
    // Throws platform::Error naming the file when it cannot be written.
    void save() const;
};

// Whether `command` may be sent to the modem: "AT" and then only printable
// characters, short, and no second command line inside it.
bool isModemCommand(const QString& command);

} // namespace dialer
