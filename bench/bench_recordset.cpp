// What a move or a seek costs as the phone book grows. Each figure is read
// against the floor of the same run: one trivial statement on the same kind
// of connection. A move through the index should cost about the same in a
// book of a thousand contacts as in one of a quarter million.
#include "BigBook.h"
#include "platform/data/Recordset.h"
#include "platform/data/Sqlite.h"

#include <benchmark/benchmark.h>

namespace {
const QStringList Fields = {"Name", "Company", "Phone", "Address", "Mobile", "Email", "WebPage"};
constexpr int Small = 1000;
constexpr int Large = 250000;

void Floor_TrivialStatement(benchmark::State& state) {
    data::Database db(bigPhoneBook(Small));
    for (auto _ : state) {
        data::Statement st(db, QStringLiteral("SELECT 1"));
        benchmark::DoNotOptimize(st.step());
    }
}

void MoveNext_NameOrder(benchmark::State& state) {
    data::Recordset rs(Fields);
    rs.open(bigPhoneBook(int(state.range(0))), QStringLiteral("PHONEDIR"));
    rs.setIndex(QStringLiteral("Name"));
    // From the middle of the book, where a scan of the index would show.
    rs.Seek(QStringLiteral(">="), QStringLiteral("Hughes"));
    for (auto _ : state) {
        rs.MoveNext();
        if (rs.Eof())
            rs.MoveFirst();
    }
}

void MoveNext_TableOrder(benchmark::State& state) {
    data::Recordset rs(Fields);
    rs.open(bigPhoneBook(int(state.range(0))), QStringLiteral("PHONEDIR"));
    rs.MoveFirst();
    for (auto _ : state) {
        rs.MoveNext();
        if (rs.Eof())
            rs.MoveFirst();
    }
}

void Seek_Name(benchmark::State& state) {
    data::Recordset rs(Fields);
    rs.open(bigPhoneBook(int(state.range(0))), QStringLiteral("PHONEDIR"));
    rs.setIndex(QStringLiteral("Name"));
    const QStringList keys = {"Baker5", "hughes", "Olsen99", "Castillo500, Eva", "Zz", "a"};
    int i = 0;
    for (auto _ : state)
        rs.Seek(QStringLiteral(">="), keys[i++ % keys.size()]);
}

void MoveLast_NameOrder(benchmark::State& state) {
    data::Recordset rs(Fields);
    rs.open(bigPhoneBook(int(state.range(0))), QStringLiteral("PHONEDIR"));
    rs.setIndex(QStringLiteral("Name"));
    for (auto _ : state)
        rs.MoveLast();
}
} // namespace

BENCHMARK(Floor_TrivialStatement);
BENCHMARK(MoveNext_NameOrder)->Arg(Small)->Arg(Large);
BENCHMARK(MoveNext_TableOrder)->Arg(Small)->Arg(Large);
BENCHMARK(Seek_Name)->Arg(Small)->Arg(Large);
BENCHMARK(MoveLast_NameOrder)->Arg(Small)->Arg(Large);
BENCHMARK_MAIN();
