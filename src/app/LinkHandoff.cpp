#include "app/LinkHandoff.h"

#include "links/TelLink.h"
#include "platform/core/AppPath.h"

#include <QCryptographicHash>
#include <QDir>
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

} // namespace

// A socket in the user's own runtime folder, named after the program's
// folder: copies installed elsewhere, and other users, are never reached.
QString inboxName() {
    const QByteArray folder = QDir(platform::appPath()).canonicalPath().toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(24));
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QString path = runtime + QStringLiteral("/quorvel-") + hash;
    // A socket's path has room for about a hundred bytes.
    if (!runtime.isEmpty() && path.toUtf8().size() < 100)
        return path;
    return QStringLiteral("quorvel-%1-%2").arg(getuid()).arg(hash);
}

QString linkArgument(int argc, char* argv[]) {
    // The first argument that starts with a scheme and is not the value of an
    // option ("-display :0"). Qt's own options begin with '-'.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    for (int i = 1; i < argc; ++i) {
        QString argument = QString::fromLocal8Bit(argv[i]);
        if (scheme.match(argument).hasMatch() && !QByteArray(argv[i - 1]).startsWith('-'))
            return argument;
    }
    return {};
}

bool handOver(const QString& link) {
    // Its length goes first: a link may hold any byte, a line break too.
    const QByteArray bytes = link.left(HandedChars).toUtf8();
    // Taken means the running copy asks the user; without that answer (a copy
    // stuck or ending) this start takes the link itself.
    const std::optional<QByteArray> reply =
        platform::askLocal(inboxName(), QByteArray::number(bytes.size()) + '\n' + bytes, Taken.size(), 3000);
    return reply == Taken;
}

LinkInbox::LinkInbox(QObject* parent) : QObject(parent) {
    if (server_.listen(inboxName()))
        connect(&server_, &platform::LocalServer::newConnection, this, &LinkInbox::accept);
}

void LinkInbox::accept(platform::LocalConnection* connection) {
    // A start that says nothing is let go after a while.
    QTimer::singleShot(5000, connection, &platform::LocalConnection::close);
    connect(connection, &platform::LocalConnection::readyRead, this,
            [this, connection] { read(connection); });
}

void LinkInbox::read(platform::LocalConnection* connection) {
    QByteArray& received = connection->received();
    const qsizetype end = received.indexOf('\n');
    if (end < 0) {
        if (received.size() > 16)
            connection->close();
        return;
    }
    bool ok = false;
    const qsizetype size = received.left(end).toLongLong(&ok);
    if (!ok || size < 0 || size > MaxMessageBytes) {
        connection->close();
        return;
    }
    if (received.size() < end + 1 + size)
        return;
    const QString link = QString::fromUtf8(received.mid(end + 1, size));
    received.clear();
    connection->send(Taken);
    connection->close();
    // The question waits in a box of its own event loop, where this
    // connection may go away: it is asked once this handler has returned.
    QMetaObject::invokeMethod(
        this, [this, link] { emit linkArrived(link); }, Qt::QueuedConnection);
}

} // namespace app
