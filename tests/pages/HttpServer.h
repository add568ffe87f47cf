#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace testing {

// A small HTTP server on 127.0.0.1 for the browser's tests. Each page is an
// HTML document with a title; "/slow" is answered only when the test says so.
class HttpServer : public QObject {
    Q_OBJECT
public:
    HttpServer();

    // The address of a path on this server.
    QString url(const QString& path) const;
    void addPage(const QString& path, const QString& title);
    // A page whose whole HTML the test gives.
    void addBody(const QString& path, const QByteArray& html) { bodies_.insert(path, html); }
    // A file the browser is told to save rather than show.
    void addDownload(const QString& path) { downloads_.insert(path, true); }
    // How often a path (with its query) was asked for.
    int hits(const QString& path) const { return hits_.value(path); }
    // Answers every request for "/slow" held so far.
    void releaseSlow();

private:
    void serve(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QString& path);

    QTcpServer server_;
    QHash<QString, QString> titles_;
    QHash<QString, QByteArray> bodies_;
    QHash<QString, bool> downloads_;
    QHash<QString, int> hits_;
    QList<QPointer<QTcpSocket>> held_;
};

} // namespace testing
