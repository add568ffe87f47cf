#pragma once

#include "platform/core/LocalSocket.h"

#include <QObject>
#include <QString>

// One window for the links the desktop hands the program: a start with a
// link gives it to the copy already running from the same folder and ends.
namespace app {

// The link among the program's arguments (the desktop passes one, as in
// "Quorvel tel:+1-212-555-0101"), or an empty text.
QString linkArgument(int argc, char* argv[]);

// Where the copy running from this program's folder listens for links.
QString inboxName();

// Gives `link` to the copy running from this program's folder, if one
// listens. Needs an application object; waits a few seconds at most.
bool handOver(const QString& link);

// Takes the links that later starts hand over, while this is the copy that
// listens for them: the first of the copies running from one folder.
class LinkInbox : public QObject {
    Q_OBJECT
public:
    explicit LinkInbox(QObject* parent = nullptr);
    bool isListening() const { return server_.isListening(); }

signals:
    void linkArrived(const QString& link);

private:
    void accept(platform::LocalConnection* connection);
    void read(platform::LocalConnection* connection);
    platform::LocalServer server_;
};

} // namespace app
