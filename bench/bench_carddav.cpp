// bench_carddav [N...]: what a first sync costs on the way down. Radicale on
// 127.0.0.1 holds N cards; the client lists them (sync-collection) and
// fetches them in addressbook-multiget batches, as an empty book would.
// Floor: the server's own export of the whole address book in one GET.
// Wall times (the server is another process), median of three rounds; the
// client's own CPU time beside them shows whose time it is.
#include "sync/dav/Client.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
struct Radicale;
Radicale* runningServer = nullptr; // ended by fail(), which leaves without unwinding

struct Radicale {
    QTemporaryDir dir;
    QProcess process;
    int port = 0;

    ~Radicale() {
        process.kill();
        process.waitForFinished(10000);
    }
    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path));
    }
};

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// Address books of `sizes` cards each, written straight into the server's storage.
bool start(Radicale& r, const QList<int>& sizes) {
    const QString d = r.dir.path();
    write(d + QStringLiteral("/users"), "bench:bench\n");
    for (const int n : sizes) {
        const QString book = d + QStringLiteral("/store/collection-root/bench/b%1/").arg(n);
        write(book + QStringLiteral(".Radicale.props"), R"({"tag": "VADDRESSBOOK"})");
        for (int i = 0; i < n; ++i)
            write(book + QStringLiteral("c%1.vcf").arg(i),
                  QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c%1\r\nFN:Person %1\r\nN:%1;Person;;;\r\n"
                                 "TEL;TYPE=CELL:+1 555 01%2\r\nEMAIL:person%1@example.org\r\n"
                                 "ADR;TYPE=HOME:;;%1 Main Street;Springfield;;12345;USA\r\nEND:VCARD\r\n")
                      .arg(i)
                      .arg(i % 100, 2, 10, QLatin1Char('0'))
                      .toUtf8());
    }
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    r.port = probe.serverPort();
    probe.close();
    runningServer = &r;
    r.process.start(QStringLiteral("radicale"),
                    {"-C", "/dev/null", "-H", QStringLiteral("127.0.0.1:%1").arg(r.port), "--auth-type",
                     "htpasswd", "--auth-htpasswd-filename", d + QStringLiteral("/users"),
                     "--auth-htpasswd-encryption", "plain", "--auth-delay", "0", "--rights-type",
                     "owner_only", "--storage-filesystem-folder", d + QStringLiteral("/store"),
                     "--logging-level", "error"});
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(r.port));
        if (s.waitForConnected(500))
            return true;
        QThread::msleep(100);
    }
    return false;
}

dav::Connection account() {
    dav::Connection c;
    c.user = c.password = QStringLiteral("bench");
    c.idleSeconds = 600; // the server's first read of 10,000 cards from its storage is slow
    return c;
}

[[noreturn]] void fail(const dav::Error& e) {
    std::fprintf(stderr, "failed: problem %d at %s, status %d %s\n", int(e.problem),
                 qPrintable(e.url.toDisplayString()), e.status, qPrintable(e.detail));
    if (runningServer) {
        runningServer->process.kill();
        runningServer->process.waitForFinished(10000);
        runningServer->dir.remove();
    }
    std::exit(1);
}

struct Fetch {
    double ms = 0;
    double listMs = 0;
    double cpuMs = 0; // of this process: the client's own share
    int requests = 0;
    qint64 cards = 0;
};

Fetch firstSync(const QUrl& book, int batch) {
    dav::Client client(account(), fail);
    QEventLoop loop;
    Fetch f;
    QElapsedTimer clock;
    clock.start();
    const std::clock_t cpu = std::clock();
    client.list(book, QString(), [&](const dav::Listing& listing) {
        f.listMs = clock.nsecsElapsed() / 1e6;
        QStringList hrefs;
        for (const auto& ref : listing.cards)
            hrefs << ref.href;
        client.fetch(
            book, hrefs, [&](const QList<dav::FetchedCard>& cards) { f.cards += cards.size(); },
            [&] { loop.quit(); }, batch);
    });
    loop.exec();
    f.ms = clock.nsecsElapsed() / 1e6;
    f.cpuMs = double(std::clock() - cpu) * 1000 / CLOCKS_PER_SEC;
    f.requests = client.requestsSent();
    return f;
}

double floorGet(const QUrl& book) {
    dav::Transport transport(account());
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    transport.send(
        {"GET", book, {}, {}}, [&](const dav::Response&) { loop.quit(); }, fail);
    loop.exec();
    return clock.nsecsElapsed() / 1e6;
}

template <typename T> T median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << std::atoi(argv[i]);
    if (sizes.isEmpty())
        sizes = {1000, 10000};
    Radicale server;
    if (!start(server, sizes)) {
        std::fprintf(stderr, "radicale did not start\n");
        return 1;
    }
    std::printf("%8s %6s %9s %10s %10s %10s %10s %7s %9s\n", "cards", "batch", "requests", "list ms",
                "fetch ms", "client cpu", "floor ms", "ratio", "cards/s");
    for (const int n : sizes) {
        const QUrl book = server.url(QStringLiteral("/bench/b%1/").arg(n));
        floorGet(book); // the server reads its storage into its cache once
        const int smallest = std::min(n, 1000);
        for (const int batch : {200, 1}) {
            if (batch == 1 && n > smallest)
                continue; // one request a card: shown on the smaller book only
            std::vector<double> fetch, floor;
            Fetch last;
            for (int round = 0; round < 3; ++round) {
                floor.push_back(floorGet(book));
                last = firstSync(book, batch);
                fetch.push_back(last.ms);
            }
            const double ms = median(fetch), f = median(floor);
            std::printf("%8d %6d %9d %10.1f %10.1f %10.1f %10.1f %6.2fx %9.0f\n", n, batch, last.requests,
                        last.listMs, ms, last.cpuMs, f, ms / f, last.cards / (ms / 1000));
            if (last.cards != n) {
                std::fprintf(stderr, "fetched %lld of %d cards\n", static_cast<long long>(last.cards), n);
                return 1;
            }
        }
    }
    return 0;
}
