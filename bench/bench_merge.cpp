// The search for probable duplicates over large books: one pass that reads
// each contact and indexes its keys. Its floor is the same pass reading the
// same columns and doing nothing with them; the growth column shows the time
// growing with the book (x100 from 10,000 to 1,000,000 contacts is linear),
// never with its pairs.
#include "BigBook.h"
#include "RatioTable.h"
#include "book/Schema.h"
#include "exchange/Duplicates.h"
#include "platform/data/Sqlite.h"

#include <benchmark/benchmark.h>

namespace {
const char* const Columns = "SELECT rowid, Name, Company, Phone, Mobile, Email FROM PHONEDIR";

void Floor_FindDuplicates(benchmark::State& state) {
    const data::Database db(bigPhoneBook(state.range(0)), data::Database::Mode::ReadOnly);
    for (auto _ : state) {
        data::Statement all(db, QLatin1String(Columns));
        qint64 chars = 0;
        while (all.step())
            for (int c = 1; c <= 5; ++c)
                chars += all.text(c).size();
        benchmark::DoNotOptimize(chars);
    }
}

void FindDuplicates(benchmark::State& state) {
    const data::Database db(bigPhoneBook(state.range(0)), data::Database::Mode::ReadOnly);
    qsizetype groups = 0;
    for (auto _ : state) {
        data::Statement all(db, QLatin1String(Columns));
        exchange::DuplicateFinder finder(QStringLiteral("US"));
        QList<exchange::Likeness> batch;
        while (all.step()) {
            batch.append({all.text(1), all.text(2), all.text(3), all.text(4), all.text(5)});
            if (batch.size() == 8192) {
                finder.add(batch);
                batch.clear();
            }
        }
        finder.add(batch);
        groups = finder.groups().size();
        benchmark::DoNotOptimize(groups);
    }
    state.counters["groups"] = double(groups);
}

std::vector<qint64> sizes() {
    if (!qEnvironmentVariableIsEmpty("QUORVEL_BENCH_SIZES"))
        return benchSizes();
    return {10000, 100000, 1000000};
}
} // namespace

int main(int argc, char* argv[]) {
    benchmark::Initialize(&argc, argv);
    const std::vector<qint64> all = sizes();
    for (const qint64 n : all) {
        bigPhoneBook(n); // made before anything is timed
        benchmark::RegisterBenchmark("FindDuplicates", FindDuplicates)
            ->Arg(n)
            ->MeasureProcessCPUTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Floor_FindDuplicates", Floor_FindDuplicates)
            ->Arg(n)
            ->MeasureProcessCPUTime()
            ->Unit(benchmark::kMillisecond);
    }
    RatioTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    table.print(all);
    benchmark::Shutdown();
    return 0;
}
