// A link handed by a second start to the copy that runs, over the real
// socket: what arrives, what a stray or hostile sender cannot do, and a
// socket left by a copy that was killed.
#include "app/LinkHandoff.h"
#include "links/TelLink.h"
#include "platform/core/LocalSocket.h"

#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Hands a link over from another thread while this one runs the inbox's loop.
bool handOverWhileListening(const QString& link) {
    auto handed = std::async(std::launch::async, [link] { return app::handOver(link); });
    while (handed.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QTest::qWait(5);
    return handed.get();
}

std::optional<QByteArray> askWhileListening(const QString& name, const QByteArray& message) {
    auto asked = std::async(std::launch::async, [&] { return platform::askLocal(name, message, 6, 1000); });
    while (asked.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QTest::qWait(5);
    return asked.get();
}

// A stranger at the inbox: connects, sends `bytes` (perhaps nothing) and
// waits for the inbox to close the connection without an answer. True when
// it did within half a minute. Blocks; any thread.
bool closedOnStranger(const QString& name, const QByteArray& bytes) {
    const QByteArray path = QFile::encodeName(platform::localSocketPath(name));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const auto closeAtEnd = qScopeGuard([fd] { ::close(fd); });
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return false;
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return errno == EPIPE || errno == ECONNRESET; // cut off while still sending
        sent += n;
    }
    pollfd ready{fd, POLLIN, 0};
    char chunk[64];
    while (::poll(&ready, 1, 30000) > 0) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n == 0 || (n < 0 && errno == ECONNRESET))
            return true;
        if (n > 0 || errno != EINTR)
            return false; // a stranger was answered, or the socket failed
    }
    return false;
}

// The same from another thread, while this one runs the inbox's loop.
bool letGo(const QString& name, const QByteArray& bytes) {
    auto closed = std::async(std::launch::async, [&] { return closedOnStranger(name, bytes); });
    while (closed.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QTest::qWait(5);
    return closed.get();
}
} // namespace

class LinkHandoffTest : public QObject {
    Q_OBJECT
private slots:
    void linksArriveWholeAndStrangersAreLetGo() {
        app::LinkInbox inbox;
        QVERIFY(inbox.isListening());
        app::LinkInbox second; // a second start finds the first listening
        QVERIFY(!second.isListening());
        QSignalSpy arrived(&inbox, &app::LinkInbox::linkArrived);

        QVERIFY(handOverWhileListening(QStringLiteral("tel:+1-212-555-0101")));
        // Any byte may be in a link; one far too long arrives cut, still too long to dial.
        const QString odd = QStringLiteral("tel:12\n34;ext=5\u00e9");
        QVERIFY(handOverWhileListening(odd));
        QVERIFY(handOverWhileListening(QStringLiteral("tel:") + QString(100000, QLatin1Char('9'))));
        QTRY_COMPARE(arrived.size(), 3);
        QCOMPARE(arrived[0][0].toString(), QStringLiteral("tel:+1-212-555-0101"));
        QCOMPARE(arrived[1][0].toString(), odd);
        QVERIFY(arrived[2][0].toString().size() > links::MaxLinkLength &&
                arrived[2][0].toString().size() < 100000);
        arrived.clear();

        // Strangers that do not speak the hand-over are let go unanswered and
        // none gives a link; one that says nothing is let go after a while,
        // and a start meanwhile is not held up.
        const QString name = app::inboxName();
        QVERIFY(letGo(name, "GET / HTTP/1.0\r\n\r\n"));
        QVERIFY(letGo(name, QByteArray(1 << 20, '7'))); // no line end, ever
        QVERIFY(letGo(name, "99999999\ntel:1"));
        auto silent = std::async(std::launch::async, [&] { return closedOnStranger(name, {}); });
        QVERIFY(handOverWhileListening(QStringLiteral("tel:555-0102")));
        QTRY_COMPARE(arrived.size(), 1);
        QCOMPARE(arrived[0][0].toString(), QStringLiteral("tel:555-0102"));
        while (silent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QTest::qWait(5);
        QVERIFY(silent.get());
        QCOMPARE(arrived.size(), 1);
    }

    void aSocketLeftByAKilledCopyIsTakenOverAndOthersAreRefused() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s"));
        // What a copy killed while listening leaves: the file, no one behind it.
        {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
            QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            ::close(fd);
        }
        QVERIFY(!platform::askLocal(path, "x", 1, 200)); // nobody answers there
        platform::LocalServer server;
        QVERIFY(server.listen(path));
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & 0777) == 0600);
        platform::LocalServer second;
        QVERIFY(!second.listen(path));

        // Senders that say nothing useful are cut off; a good one still gets through.
        QByteArray last;
        connect(&server, &platform::LocalServer::newConnection, this, [&](platform::LocalConnection* c) {
            connect(c, &platform::LocalConnection::readyRead, c, [c, &last] {
                if (c->received().size() > 64) {
                    c->close();
                    return;
                }
                if (c->received().endsWith('.')) {
                    last = c->received();
                    c->send("thanks");
                    c->close();
                }
            });
        });
        const std::optional<QByteArray> flood = askWhileListening(path, QByteArray(1 << 20, 'x'));
        QVERIFY(!flood || flood->isEmpty());
        QCOMPARE(askWhileListening(path, "hello."), std::optional<QByteArray>("thanks"));
        QCOMPARE(last, QByteArray("hello."));
        // A name that cannot be a socket's address is refused, not cut short.
        QVERIFY(!platform::LocalServer().listen(dir.filePath(QString(200, QLatin1Char('n')))));
    }
};

QTEST_GUILESS_MAIN(LinkHandoffTest)
#include "tst_linkhandoff.moc"
