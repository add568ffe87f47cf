#include "app/LinkHandoff.h"

#include "links/TelLink.h"
#include "platform/core/AppPath.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>

namespace app {
namespace {
// What one start hands over: a link cut at a length that is already too
// long to be dialed, so that the running copy still names it when it refuses.
constexpr qsizetype HandedChars = links::MaxLinkLength + 1;
constexpr qsizetype MaxMessageBytes = HandedChars * 4 + 1;
const QByteArray Taken = "taken\n";

// A socket in the user's own runtime folder, named after the program's
// folder: copies installed elsewhere, and other users, are never reached.
QString serverName() {
    const QByteArray folder = QDir(platform::appPath()).canonicalPath().toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(24));
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString path = runtime + QStringLiteral("/quorvel-") + hash;
    // A socket's path has room for about a hundred bytes.
    if (!runtime.isEmpty() && path.toUtf8().size() < 100)
        return path;
    return QStringLiteral("quorvel-%1-%2").arg(getuid()).arg(hash);
}

bool someoneListens(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    return socket.waitForConnected(500);
}
} // namespace

QString linkArgument(int argc, char* argv[]) {
    // The first argument that starts with a scheme and is not the value of an
    // option ("-display :0"). Qt's own options begin with '-'.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (scheme.match(argument).hasMatch() && !QByteArray(argv[i - 1]).startsWith('-'))
            return argument;
    }
    return {};
}

bool handOver(const QString& link) {
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(1000))
        return false;
    // Its length goes first: a link may hold any byte, a line break too.
    const QByteArray bytes = link.left(HandedChars).toUtf8();
    socket.write(QByteArray::number(bytes.size()) + '\n' + bytes);
    if (!socket.waitForBytesWritten(1000))
        return false;
    // Taken means the running copy asks the user; without that answer (a copy
    // stuck or ending) this start takes the link itself.
    QByteArray reply;
    while (reply.size() < Taken.size() && socket.waitForReadyRead(3000))
        reply += socket.readAll();
    return reply == Taken;
}

LinkInbox::LinkInbox(QObject* parent) : QObject(parent) {
    const QString name = serverName();
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(name)) {
        // A socket left by a copy that ended without removing it is taken
        // over; one that answers belongs to the copy that takes the links.
        if (server_.serverError() != QAbstractSocket::AddressInUseError || someoneListens(name))
            return;
        QLocalServer::removeServer(name);
        if (!server_.listen(name))
            return;
    }
    connect(&server_, &QLocalServer::newConnection, this, &LinkInbox::accept);
}

void LinkInbox::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A start that says nothing is let go after a while.
        QTimer::singleShot(5000, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        // What came with the connection is read at once, not at the next round.
        read(socket);
    }
}

void LinkInbox::read(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > 16)
            socket->abort();
        return;
    }
    const QByteArray header = socket->peek(16);
    bool ok = false;
    const qsizetype size = header.left(header.indexOf('\n')).toLongLong(&ok);
    if (!ok || size < 0 || size > MaxMessageBytes) {
        socket->abort();
        return;
    }
    const qsizetype start = header.indexOf('\n') + 1;
    if (socket->bytesAvailable() < start + size)
        return;
    socket->skip(start);
    const QString link = QString::fromUtf8(socket->read(size));
    socket->write(Taken);
    socket->disconnectFromServer();
    // The question waits in a box of its own event loop, where this socket
    // may go away: it is asked once this handler has returned.
    QMetaObject::invokeMethod(
        this, [this, link] { emit linkArrived(link); }, Qt::QueuedConnection);
}

} // namespace app
