// bigbook N          prints the path of the cached book of N contacts, made if needed
// bigbook --rate N   writes a fresh book of N contacts and prints the rows per second
#include "BigBook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    const bool rate = argc == 3 && std::strcmp(argv[1], "--rate") == 0;
    if (argc != 2 && !rate) {
        std::fprintf(stderr, "usage: bigbook [--rate] N\n");
        return 2;
    }
    const qint64 n = QString::fromLocal8Bit(argv[argc - 1]).toLongLong();
    try {
        if (!rate) {
            std::printf("%s\n", qPrintable(bigPhoneBook(n)));
            return 0;
        }
        // Beside the cached books: the same disk as the benchmarks use.
        QTemporaryDir scratch(QFileInfo(bigPhoneBook(1000)).absolutePath() + QStringLiteral("/rate-XXXXXX"));
        const WriteRate rate = writeBigBook(scratch.filePath(QStringLiteral("book.mdb")), n);
        std::printf("%lld contacts: rows written at %.0f rows/s; %.0f rows/s with the index built\n",
                    static_cast<long long>(n), rate.rows, rate.withIndex);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bigbook: %s\n", e.what());
        return 1;
    }
    return 0;
}
