#pragma once

// Running the real quorvel-book program from a test.
#include "support/PhoneBookFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace testing {

struct Result {
    int code = -1;
    QString out, err;
};

inline QProcess* startBook(const QStringList& args, QObject* parent) {
    auto* p = new QProcess(parent);
    p->start(QStringLiteral(QUORVEL_BOOK_EXE), args);
    return p;
}

inline Result finish(QProcess* p) {
    if (!p->waitForFinished(120000))
        p->kill();
    Result r{p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1,
             QString::fromUtf8(p->readAllStandardOutput()), QString::fromUtf8(p->readAllStandardError())};
    delete p;
    return r;
}

inline Result runBook(const QStringList& args) { return finish(startBook(args, nullptr)); }

inline void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A temporary folder, and in it a sample phone book for each test function.
class BookFolder {
protected:
    QTemporaryDir dir;
    QString book;
    QString path(const QString& name) const { return dir.filePath(name); }
    void makeBook() {
        book =
            path(QStringLiteral("book-%1.mdb").arg(QTest::currentTestFunction()) + QTest::currentDataTag());
        phonebook::createSample(book);
    }
};

} // namespace testing
