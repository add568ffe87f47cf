#include "platform/core/LocalSocket.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {
constexpr int Backlog = 16;
constexpr int BackOffMs = 250;

// A descriptor closed when it goes out of scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int release() { return std::exchange(fd, -1); }
};

std::optional<sockaddr_un> addressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    if (path.isEmpty() || bytes.size() >= qsizetype(sizeof address.sun_path))
        return std::nullopt;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    return address;
}

int openSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

// Waits for `events` on `fd` until the deadline; false on a timeout or error.
bool await(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, int(left));
        if (ready > 0)
            return (p.revents & (events | POLLHUP)) != 0;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

// Whose socket file this is: only this user's own is talked to.
bool ownedByUser(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
           st.st_uid == ::getuid();
}

// Whether a file is there that another user made: its name is taken.
bool takenByStranger(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && st.st_uid != ::getuid();
}

// Whether a place is free for this user: neither its socket file nor its
// lock file another user's.
bool usable(const QString& path) {
    return !takenByStranger(path) && !takenByStranger(path + QStringLiteral(".lock"));
}

// Whether the other end of a connected socket runs as this user.
bool peerIsUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

// A connected socket to `path`, or -1.
int connectTo(const QString& path, std::chrono::steady_clock::time_point deadline) {
    const std::optional<sockaddr_un> address = addressOf(path);
    if (!address || !ownedByUser(path))
        return -1;
    Fd fd(openSocket());
    if (fd.fd < 0)
        return -1;
    // A listener whose queue is full refuses for now: it is asked again
    // until the deadline. A local connection is never half made.
    while (::connect(fd.fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        if ((errno != EAGAIN && errno != EINTR) || std::chrono::steady_clock::now() >= deadline)
            return -1;
        ::poll(nullptr, 0, 10);
    }
    return peerIsUser(fd.fd) ? fd.release() : -1;
}

// The places a name may take. In a folder of the user's own, its path; in
// the shared temporary folder, where anyone may take a name first, the
// name and a few more after it, which both ends try in the same order.
QStringList candidatesOf(const QString& name) {
    const QString path = localSocketPath(name);
    if (path.isEmpty() || name.contains(QLatin1Char('/')))
        return path.isEmpty() ? QStringList() : QStringList{path};
    QStringList paths{path};
    for (int n = 2; n <= 4; ++n)
        if (const QString other = localSocketPath(QStringLiteral("%1-%2").arg(name).arg(n)); !other.isEmpty())
            paths << other;
    return paths;
}

// An exclusive lock on "PATH.lock" while it lives, so that two starts never
// take over or remove the same socket file at once. Waits a few seconds at
// most; a lock file of another user's is no lock.
class NameLock {
public:
    explicit NameLock(const QString& path) {
        const QByteArray file = QFile::encodeName(path + QStringLiteral(".lock"));
        fd_ = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, S_IRUSR | S_IWUSR);
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0 || st.st_uid != ::getuid() || !S_ISREG(st.st_mode))
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline)
                return;
            ::poll(nullptr, 0, 5);
        }
        held_ = true;
    }
    ~NameLock() {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock; the file stays for the next start
    }
    NameLock(const NameLock&) = delete;
    NameLock& operator=(const NameLock&) = delete;
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

// The socket file's identity, to tell it from one put in its place later.
std::pair<dev_t, ino_t> identityOf(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {0, 0};
    return {st.st_dev, st.st_ino};
}
} // namespace

QString localSocketPath(const QString& name) {
    const QString path = name.contains(QLatin1Char('/')) ? name : QDir::tempPath() + QLatin1Char('/') + name;
    return addressOf(path) ? path : QString();
}

std::optional<QByteArray> askLocal(const QString& name, const QByteArray& message, qsizetype replyBytes,
                                   int timeoutMs) {
    using namespace std::chrono;
    const auto step = [timeoutMs] { return steady_clock::now() + milliseconds(timeoutMs); };
    Fd fd(-1);
    // The first of the name's places that is this user's own.
    for (const QString& path : candidatesOf(name)) {
        if (!usable(path))
            continue;
        fd.fd = connectTo(path, step());
        break;
    }
    if (fd.fd < 0)
        return std::nullopt;
    const auto deadline = step();
    for (qsizetype sent = 0; sent < message.size();) {
        const ssize_t n =
            ::send(fd.fd, message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if ((n < 0 && errno != EAGAIN && errno != EINTR) || !await(fd.fd, POLLOUT, deadline))
            return std::nullopt;
    }
    QByteArray reply;
    const auto answered = step();
    while (reply.size() < replyBytes && await(fd.fd, POLLIN, answered)) {
        char chunk[256];
        const ssize_t n =
            ::recv(fd.fd, chunk, size_t(qMin<qsizetype>(sizeof chunk, replyBytes - reply.size())), 0);
        if (n == 0)
            break; // the other end closed
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        if (n > 0)
            reply.append(chunk, n);
    }
    return reply;
}

LocalConnection::LocalConnection(int fd, QObject* parent)
    : QObject(parent), fd_(fd), notifier_(std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read)) {
    connect(notifier_.get(), &QSocketNotifier::activated, this, &LocalConnection::readMore);
}

LocalConnection::~LocalConnection() {
    notifier_.reset();
    if (fd_ >= 0)
        ::close(fd_);
}

void LocalConnection::readMore() {
    char chunk[4096];
    // A sender that never stops is read a part at a time: the reader hears
    // of each part, and may close the connection.
    for (int parts = 0; parts < 16; ++parts) {
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n > 0) {
            received_.append(chunk, n);
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            // Closed by the other end: what came is still offered once.
            notifier_->setEnabled(false);
            emit readyRead();
            close();
            return;
        }
        if (errno == EAGAIN)
            break;
    }
    emit readyRead();
}

void LocalConnection::send(const QByteArray& bytes) {
    if (fd_ >= 0)
        (void)::send(fd_, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void LocalConnection::close() {
    if (notifier_)
        notifier_->setEnabled(false);
    deleteLater();
}

LocalServer::~LocalServer() {
    notifier_.reset();
    if (fd_ < 0)
        return;
    ::close(fd_);
    // Only the file this server made: a later start may have taken the name
    // over since (after a suspend that looked like a hang, say).
    const NameLock lock(path_);
    if (identityOf(path_) == made_)
        ::unlink(QFile::encodeName(path_).constData());
}

bool LocalServer::listen(const QString& name) {
    if (isListening())
        return false;
    for (const QString& path : candidatesOf(name)) {
        if (!usable(path))
            continue;
        const NameLock lock(path);
        if (!lock.held())
            return false;
        if (!bindAndListen(path)) {
            if (errno != EADDRINUSE || !ownedByUser(path))
                return false;
            // One that still answers belongs to the copy that listens.
            const Fd other(
                connectTo(path, std::chrono::steady_clock::now() + std::chrono::milliseconds(500)));
            if (other.fd >= 0)
                return false;
            ::unlink(QFile::encodeName(path).constData());
            if (!bindAndListen(path))
                return false;
        }
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &LocalServer::accept);
        return true;
    }
    return false;
}

bool LocalServer::bindAndListen(const QString& path) {
    const std::optional<sockaddr_un> address = addressOf(path);
    Fd fd(openSocket());
    if (!address || fd.fd < 0)
        return false;
    const QByteArray file = QFile::encodeName(path);
    if (::bind(fd.fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
        return false;
    // No one can connect before listen(): the file is the user's alone by then.
    if (::chmod(file.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd.fd, Backlog) != 0) {
        const int error = errno;
        ::unlink(file.constData());
        errno = error;
        return false;
    }
    fd_ = fd.release();
    path_ = path;
    made_ = identityOf(path);
    return true;
}

void LocalServer::accept() {
    for (;;) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The connection waits in the queue; asked again at once, the
                // same failure would spin. Listen again once some may be free.
                notifier_->setEnabled(false);
                QTimer::singleShot(BackOffMs, this, [this] {
                    if (notifier_)
                        notifier_->setEnabled(true);
                });
            }
            return;
        }
        if (!peerIsUser(fd)) { // another user's program: not ours to hear
            ::close(fd);
            continue;
        }
        auto* connection = new LocalConnection(fd, this); // closes itself
        emit newConnection(connection);
    }
}

} // namespace platform
