#include "DavServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace testing {
namespace {
int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool run(const QString& program, const QStringList& args, const QString& folder, QString& why) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        why = program + QStringLiteral(" failed: ") + QString::fromUtf8(p.readAllStandardError());
        return false;
    }
    return true;
}
} // namespace

std::unique_ptr<DavServer> DavServer::start(Kind kind, QString& why, bool tls) {
    std::unique_ptr<DavServer> server(new DavServer);
    if (!server->launch(kind, tls, why))
        return nullptr;
    return server;
}

DavServer::~DavServer() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

QUrl DavServer::url(const QString& path) const {
    return QUrl(QStringLiteral("%1://127.0.0.1:%2%3").arg(tls_ ? "https" : "http").arg(port_).arg(path));
}

bool DavServer::makeCertificates(QString& why) {
    const QString d = dir_.path();
    writeFile(d + QStringLiteral("/san.ext"), "subjectAltName=IP:127.0.0.1\n");
    return run(QStringLiteral("openssl"),
               {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Quorvel Test CA",
                "-keyout", "ca.key", "-out", "ca.pem"},
               d, why) &&
           run(QStringLiteral("openssl"),
               {"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", "server.key",
                "-out", "server.csr"},
               d, why) &&
           run(QStringLiteral("openssl"),
               {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
                "-days", "2", "-extfile", "san.ext", "-out", "server.pem"},
               d, why);
}

bool DavServer::launch(Kind kind, bool tls, QString& why) {
    tls_ = tls;
    const QString d = dir_.path();
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (kind == Hostile) {
        process_.start(QStringLiteral("python3"), {QStringLiteral(QUORVEL_HOSTILE_SERVER)});
        if (!process_.waitForReadyRead(20000)) {
            why = QStringLiteral("the hostile server did not start");
            return false;
        }
        port_ = process_.readLine().trimmed().toInt();
        return waitUntilListening(why);
    }
    port_ = freePort();
    if (kind == Xandikos) {
        process_.start(QStringLiteral("xandikos"), {"-d", d + QStringLiteral("/data"), "--defaults", "-l",
                                                    "127.0.0.1", "-p", QString::number(port_)});
        return waitUntilListening(why);
    }
    const QString store = d + QStringLiteral("/store/collection-root/ida/");
    if (!writeFile(d + QStringLiteral("/users"), "ida:Olsen-7Kq\n") ||
        !writeFile(store + QStringLiteral("contacts/.Radicale.props"),
                   R"({"tag": "VADDRESSBOOK", "D:displayname": "Contacts"})") ||
        !writeFile(store + QStringLiteral("work/.Radicale.props"),
                   R"({"tag": "VADDRESSBOOK", "D:displayname": "Work"})")) {
        why = QStringLiteral("cannot write Radicale's files");
        return false;
    }
    if (tls && !makeCertificates(why))
        return false;
    QStringList args{"-C",
                     "/dev/null",
                     "-H",
                     QStringLiteral("127.0.0.1:%1").arg(port_),
                     "--auth-type",
                     "htpasswd",
                     "--auth-htpasswd-filename",
                     d + QStringLiteral("/users"),
                     "--auth-htpasswd-encryption",
                     "plain",
                     "--auth-delay",
                     "0",
                     "--rights-type",
                     "owner_only",
                     "--storage-filesystem-folder",
                     d + QStringLiteral("/store")};
    if (tls)
        args << "--ssl"
             << "--certificate" << d + QStringLiteral("/server.pem") << "--key"
             << d + QStringLiteral("/server.key");
    process_.start(QStringLiteral("radicale"), args);
    return waitUntilListening(why);
}

bool DavServer::waitUntilListening(QString& why) {
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (process_.state() == QProcess::NotRunning) {
            why = QStringLiteral("%1 ended at start").arg(process_.program());
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
        if (probe.waitForConnected(1000))
            return true;
        QThread::msleep(100);
    }
    why = QStringLiteral("%1 did not listen on port %2").arg(process_.program()).arg(port_);
    return false;
}

} // namespace testing
