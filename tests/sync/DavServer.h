#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

namespace testing {

// A CardDAV server of its own for a test, on 127.0.0.1 at a free port, with
// its storage in a temporary folder; stopped when this goes.
//  - Radicale: user "ida", password "Olsen-7Kq", address books "Contacts" and "Work";
//    with `tls`, over https with a certificate of a certificate authority made here.
//  - Xandikos: no passwords; one address book, "addressbook".
//  - Hostile: hostile_server.py, whose first path part picks what goes wrong.
class DavServer {
public:
    enum Kind { Radicale, Xandikos, Hostile };

    // Null, with `why` set, when it would not start.
    static std::unique_ptr<DavServer> start(Kind kind, QString& why, bool tls = false);
    ~DavServer();

    QUrl url(const QString& path = QStringLiteral("/")) const;
    // The PEM file of the certificate authority that signed its certificate (tls only).
    QString authorityFile() const { return dir_.filePath(QStringLiteral("ca.pem")); }
    QString folder() const { return dir_.path(); }

private:
    DavServer() = default;
    bool launch(Kind kind, bool tls, QString& why);
    bool makeCertificates(QString& why);
    bool waitUntilListening(QString& why);

    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
    bool tls_ = false;
};

} // namespace testing
