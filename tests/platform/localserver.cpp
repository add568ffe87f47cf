// One start of a program as the socket sees it: told to go on its standard
// input, it listens at the name it was given and says whether it does; it
// answers "here" to whoever asks something, and ends when its input ends.
#include "platform/core/LocalSocket.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    char go = 0;
    if (::read(STDIN_FILENO, &go, 1) != 1)
        return 2;
    platform::LocalServer server;
    const bool listening = server.listen(QString::fromLocal8Bit(argv[1]));
    std::printf(listening ? "listening\n" : "refused\n");
    std::fflush(stdout);
    QObject::connect(
        &server, &platform::LocalServer::newConnection, &server, [](platform::LocalConnection* connection) {
            QObject::connect(connection, &platform::LocalConnection::readyRead, connection, [connection] {
                connection->send("here");
                connection->close();
            });
        });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app] {
        char rest[64];
        if (::read(STDIN_FILENO, rest, sizeof rest) <= 0)
            app.quit();
    });
    return app.exec();
}
