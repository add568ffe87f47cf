// bench_memory N: opens the book of N contacts in the data control with its
// bound boxes, waits for the record count, walks 10,000 records with the
// next arrow in table order and 10,000 more in name order (each of those on a
// page of its own in a big book, so the page cache fills), and prints the
// peak resident memory (VmHWM) of the process.
#include "BigBook.h"
#include "book/Schema.h"
#include "platform/binding/DataControl.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QThread>

#include <cstdio>
#include <memory>
#include <vector>

namespace {
qint64 peakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}
} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_memory N\n");
        return 2;
    }
    const qint64 n = QString::fromLocal8Bit(argv[1]).toLongLong();
    const QString path = bigPhoneBook(n);
    const qint64 before = peakKb();

    binding::DataControl control;
    std::vector<std::unique_ptr<QLineEdit>> boxes;
    for (const QString& field : book::fieldNames()) {
        boxes.push_back(std::make_unique<QLineEdit>());
        control.bind(boxes.back().get(), field);
    }
    control.setRecordSource(book::table());
    control.Recordset().setOrderField(book::orderField());
    control.setDatabaseName(path);
    try {
        control.Refresh();
    } catch (const platform::Error& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return 1;
    }
    qint64 count = -1;
    QObject::connect(&control, &binding::DataControl::RecordCountChanged, [&](qint64 c) { count = c; });
    for (QDeadlineTimer deadline(600000); count < 0;) {
        if (deadline.hasExpired())
            return 1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    constexpr int Walk = 10000;
    for (int i = 0; i < Walk; ++i)
        control.nextButton()->click();
    control.Recordset().setIndex(book::orderIndex());
    control.Recordset().MoveFirst();
    for (int i = 0; i < Walk; ++i)
        control.nextButton()->click();
    std::printf("contacts %lld counted %lld walked 2x%d peak_kb %lld (before opening %lld) on %s\n",
                static_cast<long long>(n), static_cast<long long>(count), Walk,
                static_cast<long long>(peakKb()), static_cast<long long>(before),
                qPrintable(boxes.front()->text()));
    return 0;
}
