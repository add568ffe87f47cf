#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>
#include <optional>
#include <sys/types.h>
#include <utility>

// Local (Unix domain) sockets for the few bytes one start of a program hands
// another: a path in a private folder, reachable only by the user. Written
// on the system's sockets and Qt's event loop alone, so a program that needs
// nothing more of networking loads none of it.
namespace platform {

// A name is a path; a name without a slash is a file in the temporary
// folder. Empty when the path would not fit a socket address.
QString localSocketPath(const QString& name);

// Sends `message` to whoever listens at `name` and returns up to
// `replyBytes` of the answer (fewer when the other end closes first).
// Nothing when no one of this user listens there or it does not answer in
// time. Each step waits `timeoutMs` at most.
std::optional<QByteArray> askLocal(const QString& name, const QByteArray& message, qsizetype replyBytes,
                                   int timeoutMs);

// One connection taken by a LocalServer; it goes away once closed.
class LocalConnection : public QObject {
    Q_OBJECT
public:
    LocalConnection(int fd, QObject* parent);
    ~LocalConnection() override;
    // Every byte received and not yet taken.
    QByteArray& received() { return received_; }
    // A short answer; what the socket cannot take at once is dropped.
    void send(const QByteArray& bytes);
    void close();

signals:
    void readyRead();

private:
    void readMore();
    int fd_;
    QByteArray received_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

class LocalServer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~LocalServer() override;
    // Listens at `name`, for this user only. A socket file left by a program
    // that ended without removing it is taken over, under a lock that other
    // starts wait for; one that answers is not. A name in the shared
    // temporary folder that another user took first is passed for the next
    // of its places (askLocal looks there too). Connections of other users
    // are closed unheard.
    bool listen(const QString& name);
    bool isListening() const { return fd_ >= 0; }

signals:
    // The connection is the server's child until it is closed.
    void newConnection(platform::LocalConnection* connection);

private:
    bool bindAndListen(const QString& path);
    void accept();
    int fd_ = -1;
    QString path_;
    std::pair<dev_t, ino_t> made_{}; // the socket file made, removed at the end only if still there
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace platform
