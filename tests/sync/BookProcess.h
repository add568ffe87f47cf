#pragma once

#include <QProcess>
#include <QStringList>

// quorvel-book run by a test; QUORVEL_BOOK_EXE names the program.
namespace testing {

struct Result {
    int code = -1;
    QString out, err;
};

// Runs quorvel-book with `input` on its standard input (not a terminal).
inline Result runBook(const QStringList& args, const QByteArray& input = {},
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUORVEL_BOOK_EXE), args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(300000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace testing
