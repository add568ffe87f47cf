#pragma once

#include <QString>

#include <vector>

// Phone books of made-up contacts for the benchmarks: "Family, Given" names
// with many shared family names, some not ASCII and some in mixed case,
// numbers as ###-###-####, addresses, companies, e-mails and web pages.
// The same N gives the same book on every machine.

struct WriteRate {
    double rows;      // rows per second while writing the rows
    double withIndex; // rows per second from the empty file to the indexed book
};

// Writes a new book of `contacts` contacts to `path` (which must not exist)
// from the delivered schema, in one transaction; the index is built after
// the rows, in one sort.
WriteRate writeBigBook(const QString& path, qint64 contacts);

// The cached book of `contacts` contacts, made on first use. It is reused
// while the schema and N match; the cache folder is $QUORVEL_BENCH_CACHE,
// else $XDG_CACHE_HOME/quorvel-bench (never beside the program).
QString bigPhoneBook(qint64 contacts);

// The book sizes to measure: $QUORVEL_BENCH_SIZES, a comma-separated list,
// else 1,000, 1,000,000 and 10,000,000.
std::vector<qint64> benchSizes();
