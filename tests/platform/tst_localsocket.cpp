// The local socket one start of the program hands another its link over:
// starts racing for a socket file left behind, other users' files and
// connections, a listener whose queue is full or whose descriptors ran out.
#include "platform/core/LocalSocket.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <future>
#include <memory>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr uid_t Stranger = 65534;

sockaddr_un addressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    return address;
}

// What a copy killed while listening leaves: the file, no one behind it.
void leaveSocketFile(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(path);
    QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

// Asks from another thread while this one runs the listener's loop.
std::optional<QByteArray> ask(const QString& name, int timeoutMs = 1000) {
    auto asked = std::async(std::launch::async, [&] { return platform::askLocal(name, "hi", 4, timeoutMs); });
    while (asked.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QTest::qWait(5);
    return asked.get();
}

// Runs `work` in a child process as another user (effective user id);
// its exit status, while this process runs its loop.
template <typename Work> int asStranger(Work work) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setresgid(0, Stranger, 0) != 0 || ::setresuid(0, Stranger, 0) != 0)
            ::_exit(99);
        ::_exit(work());
    }
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0)
        QTest::qWait(5);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Answers "here" to whoever asks, and counts them.
void answer(platform::LocalServer& server, int& heard) {
    QObject::connect(&server, &platform::LocalServer::newConnection, &server,
                     [&heard](platform::LocalConnection* c) {
                         ++heard;
                         QObject::connect(c, &platform::LocalConnection::readyRead, c, [c] {
                             c->send("here");
                             c->close();
                         });
                     });
}
} // namespace

class LocalSocketTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // Starts that find a socket left behind, all at once: one takes it over,
    // the others find it answering; ending, they remove nothing of it.
    void startsRacingForALeftOverSocketLeaveOneListening() {
        const QString path = dir.filePath(QStringLiteral("race"));
        for (int round = 0; round < 4; ++round) {
            leaveSocketFile(path);
            std::vector<std::unique_ptr<QProcess>> starts;
            for (int i = 0; i < 6; ++i) {
                starts.push_back(std::make_unique<QProcess>());
                starts.back()->start(QStringLiteral(QUORVEL_LOCALSERVER), {path});
                QVERIFY(starts.back()->waitForStarted());
            }
            for (auto& start : starts)
                start->write("g");
            QProcess* winner = nullptr;
            for (auto& start : starts) {
                QVERIFY(start->waitForReadyRead(20000));
                const QByteArray said = start->readLine();
                if (said == "listening\n") {
                    QVERIFY2(!winner, "two starts listen at once");
                    winner = start.get();
                } else {
                    QCOMPARE(said, QByteArray("refused\n"));
                }
            }
            QVERIFY(winner);
            for (auto& start : starts)
                if (start.get() != winner) {
                    start->closeWriteChannel();
                    QVERIFY(start->waitForFinished(10000));
                }
            QCOMPARE(platform::askLocal(path, "hi", 4, 2000), std::optional<QByteArray>("here"));
            winner->closeWriteChannel();
            QVERIFY(winner->waitForFinished(10000));
            QVERIFY(!QFile::exists(path));
        }
    }

    // A listener ending removes its socket file only while it is the one it
    // made: one that another start put in its place stays.
    void anEndingListenerRemovesOnlyItsOwnFile() {
        const QString path = dir.filePath(QStringLiteral("own"));
        auto first = std::make_unique<platform::LocalServer>();
        QVERIFY(first->listen(path));
        QVERIFY(QFile::remove(path)); // as a start that took it for left behind would
        QProcess second;
        second.start(QStringLiteral(QUORVEL_LOCALSERVER), {path});
        second.write("g");
        QVERIFY(second.waitForReadyRead(20000));
        QCOMPARE(second.readLine(), QByteArray("listening\n"));
        first.reset();
        QCOMPARE(platform::askLocal(path, "hi", 4, 2000), std::optional<QByteArray>("here"));
        second.closeWriteChannel();
        QVERIFY(second.waitForFinished(10000));
    }

    // In the shared temporary folder another user may take the name first:
    // the program then listens at the next of its places and is found there.
    // A connection of another user's program is closed unheard.
    void strangersNeitherBlockTheNameNorAreHeard() {
        if (::getuid() != 0)
            QSKIP("another user's files and programs need root to be made");
        QTemporaryDir shared;
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        const QByteArray oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(shared.path()));
        const QString name = QStringLiteral("quorvel-test-name");
        const QString taken = shared.filePath(name);
        const sockaddr_un takenAddress = addressOf(taken); // made before the fork: no allocation after
        QCOMPARE(asStranger([&] {
                     const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                     const sockaddr_un& address = takenAddress;
                     return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0
                                                                                                         : 1;
                 }),
                 0);

        platform::LocalServer server;
        int heard = 0;
        answer(server, heard);
        QVERIFY(server.listen(name));
        QCOMPARE(ask(name), std::optional<QByteArray>("here"));
        QCOMPARE(heard, 1);
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(taken).constData(), &st) == 0 && st.st_uid == Stranger);

        // Another user's program that reaches the socket (file checks as its
        // owner, itself another user) gets no answer.
        const QString place = shared.filePath(name + QStringLiteral("-2"));
        QVERIFY(QFileInfo::exists(place));
        const sockaddr_un address = addressOf(place);
        const int stranger = asStranger([&] {
            ::setfsuid(0);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
                return 2;
            (void)::send(fd, "hi", 2, MSG_NOSIGNAL);
            char reply[8];
            return ::recv(fd, reply, sizeof reply, 0) > 0 ? 1 : 0;
        });
        QCOMPARE(stranger, 0);
        QCOMPARE(heard, 1);
        if (oldTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTmp);
    }

    // A listener whose queue is full is asked again until it takes the
    // connection; one whose descriptors ran out takes it once some are free.
    void aFullQueueAndRunOutDescriptorsAreWaitedOut() {
        const QString path = dir.filePath(QStringLiteral("busy"));
        platform::LocalServer server;
        int heard = 0;
        answer(server, heard);
        QVERIFY(server.listen(path));
        const sockaddr_un address = addressOf(path);
        std::vector<int> queued;
        for (;;) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
                QCOMPARE(errno, EAGAIN);
                ::close(fd);
                break;
            }
            queued.push_back(fd);
        }
        auto asked = std::async(std::launch::async, [&] { return platform::askLocal(path, "hi", 4, 5000); });
        QThread::msleep(100); // the asker meets the full queue
        for (int fd : queued)
            ::close(fd);
        while (asked.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QTest::qWait(5);
        QCOMPARE(asked.get(), std::optional<QByteArray>("here"));

        // No descriptor left for the connection: it waits in the queue.
        const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        rlimit before{};
        ::getrlimit(RLIMIT_NOFILE, &before);
        rlimit few = before;
        few.rlim_cur = 512;
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &few), 0);
        std::vector<int> filler;
        for (int fd; (fd = ::dup(client)) >= 0;)
            filler.push_back(fd);
        QCOMPARE(::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(::send(client, "hi", 2, MSG_NOSIGNAL), ssize_t(2));
        const int heardBefore = heard;
        QTest::qWait(300);
        QCOMPARE(heard, heardBefore);
        for (int fd : filler)
            ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &before);
        QTRY_COMPARE(heard, heardBefore + 1);
        char reply[8] = {};
        ssize_t got = -1;
        QVERIFY(QTest::qWaitFor([&] { return (got = ::recv(client, reply, sizeof reply, 0)) >= 0; }));
        QCOMPARE(QByteArray(reply, int(got)), QByteArray("here"));
        ::close(client);
    }
};

QTEST_GUILESS_MAIN(LocalSocketTest)
#include "tst_localsocket.moc"
