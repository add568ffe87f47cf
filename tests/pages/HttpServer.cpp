#include "HttpServer.h"

#include <QTest>

namespace testing {

HttpServer::HttpServer() {
    if (!server_.listen(QHostAddress::LocalHost))
        qFatal("the test's HTTP server could not listen on 127.0.0.1");
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString HttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void HttpServer::addPage(const QString& path, const QString& title) { titles_.insert(path, title); }

void HttpServer::serve(QTcpSocket* socket) {
    // The request line is enough; the headers are only waited for.
    if (!socket->peek(65536).contains("\r\n\r\n"))
        return;
    const QList<QByteArray> request = socket->readLine().split(' ');
    socket->readAll();
    const QString path = request.size() > 1 ? QString::fromUtf8(request[1]) : QString();
    ++hits_[path];
    if (path == QLatin1String("/slow"))
        held_.append(socket);
    else
        answer(socket, path);
}

void HttpServer::answer(QTcpSocket* socket, const QString& path) {
    const bool download = downloads_.contains(path);
    const bool known =
        titles_.contains(path) || bodies_.contains(path) || download || path == QLatin1String("/slow");
    const QString title = path == QLatin1String("/slow") ? QStringLiteral("Slow") : titles_.value(path);
    const QByteArray body =
        bodies_.contains(path) ? bodies_.value(path)
        : download             ? QByteArray("saved, never shown")
        : known ? QStringLiteral("<!DOCTYPE html><html><head><title>%1</title></head><body><p>%1</p>"
                                 "</body></html>")
                      .arg(title)
                      .toUtf8()
                : QByteArray("not here");
    socket->write((known ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                  QByteArray(download ? "Content-Type: application/octet-stream\r\n"
                                        "Content-Disposition: attachment; filename=\"list.bin\"\r\n"
                                      : "Content-Type: text/html; charset=utf-8\r\n") +
                  "Cache-Control: no-store\r\n" + "Content-Length: " + QByteArray::number(body.size()) +
                  "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

void HttpServer::releaseSlow() {
    for (const QPointer<QTcpSocket>& socket : std::exchange(held_, {}))
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            answer(socket, QStringLiteral("/slow"));
}

} // namespace testing
