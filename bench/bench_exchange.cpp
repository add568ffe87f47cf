// Importing large contact files with the real quorvel-book program. Time is
// read against floors of the same run: reading the file's bytes, and the
// program's start with one query (count). Memory is the program's peak
// resident size at two file sizes, both larger than its page cache: it
// should not grow with the file.
#include "BigBook.h"
#include "MakePhoneBook.h"
#include "exchange/CardReader.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace {
constexpr int Small = 300000;
constexpr int Large = 1000000;

QString folder() {
    const QString path = QDir::tempPath() + QStringLiteral("/quorvel-bench");
    QDir().mkpath(path);
    return path;
}

// vCard 3.0 cards as a phone writes them, made once per size.
QString cardFile(int cards) {
    const QString path = folder() + QStringLiteral("/cards-%1.vcf").arg(cards);
    if (QFile::exists(path))
        return path;
    QFile out(path + QStringLiteral(".building"));
    if (!out.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the card file");
    quint32 seed = 12345;
    QByteArray chunk;
    for (int i = 0; i < cards; ++i) {
        seed = seed * 1103515245u + 12345u;
        const QByteArray n = QByteArray::number(i);
        const QByteArray family = "Family" + QByteArray::number(seed % 99991);
        chunk += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + family + ";Given" + n + ";;;\r\nFN:Given" + n + " " +
                 family + "\r\nORG:Company " + n + "\r\nTEL;TYPE=CELL:+1 212 555 " + n +
                 "\r\nTEL;TYPE=WORK,VOICE:+1 212 556 " + n + "\r\nADR;TYPE=HOME:;;" + n +
                 " Elm Street;Springfield;IL;62701;USA\r\nEMAIL;TYPE=INTERNET:g" + n +
                 "@example.com\r\nURL:http\\://example.com/" + n + "\r\nEND:VCARD\r\n";
        if (chunk.size() > (1 << 20)) {
            out.write(chunk);
            chunk.clear();
        }
    }
    out.write(chunk);
    out.close();
    QFile::rename(out.fileName(), path);
    return path;
}

QString emptyBook(int cards) {
    const QString path = folder() + QStringLiteral("/import-target-%1.mdb").arg(cards);
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    if (!makePhoneBook({}, path.toStdString()).empty())
        throw std::runtime_error("cannot make a phone book");
    return path;
}

struct Usage {
    int exitCode;
    long maxRssKb;
    double cpuSeconds;
};

// Runs quorvel-book and returns its exit code and peak resident size.
Usage runBook(const QStringList& args) {
    std::vector<QByteArray> owned{QByteArray(QUORVEL_BOOK_EXE)};
    for (const QString& a : args)
        owned.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& a : owned)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start quorvel-book");
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss,
            seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

double smallRssKb = 0;
std::map<int, double> readSeconds; // the floor, by number of cards

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Floor_ReadFileBytes(benchmark::State& state) {
    const QString path = cardFile(int(state.range(0)));
    double best = 1e9;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        QByteArray chunk(256 * 1024, Qt::Uninitialized);
        qint64 lines = 0;
        for (qint64 got; (got = in.read(chunk.data(), chunk.size())) > 0;)
            lines += QByteArrayView(chunk.constData(), got).count('\n');
        benchmark::DoNotOptimize(lines);
        best = std::min(best, secondsSince(start));
    }
    readSeconds[int(state.range(0))] = best;
}

void Floor_ProgramStartAndCount(benchmark::State& state) {
    const QString book = bigPhoneBook(1000);
    for (auto _ : state)
        if (runBook({"--book", book, "count"}).exitCode != 0)
            state.SkipWithError("count failed");
}

void Read_Cards(benchmark::State& state) {
    const QString path = cardFile(int(state.range(0)));
    for (auto _ : state) {
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        const auto reader = exchange::openCardReader(in);
        exchange::Card card;
        while (reader->next(card))
            benchmark::DoNotOptimize(card);
    }
    state.counters["cards_per_second"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsRate);
}

std::map<int, QString> importedBooks; // the book each import made, by number of cards
std::map<int, double> importWall;

void Import_QuorvelBook(benchmark::State& state) {
    const int cards = int(state.range(0));
    const QString path = cardFile(cards);
    Usage usage{};
    double wall = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString book = emptyBook(cards);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        usage = runBook({"--book", book, "import", path});
        wall = secondsSince(start);
        importedBooks[cards] = book;
        if (usage.exitCode != 0)
            state.SkipWithError("import failed");
    }
    // The child's time: this process only waits.
    state.counters["cards_per_s_wall"] = double(cards) / wall;
    state.counters["cards_per_s_cpu"] = double(cards) / usage.cpuSeconds;
    if (readSeconds.count(cards))
        state.counters["x_read_floor"] = wall / readSeconds[cards];
    state.counters["peak_rss_MB"] = double(usage.maxRssKb) / 1024.0;
    if (cards == Small)
        smallRssKb = double(usage.maxRssKb);
    else if (smallRssKb > 0)
        state.counters["peak_rss_vs_small"] = double(usage.maxRssKb) / smallRssKb;
    importWall[cards] = wall;
}

// Every contact of the book the import made goes out again, with the cards it kept.
void Export_QuorvelBook(benchmark::State& state) {
    const int cards = int(state.range(0));
    if (!importedBooks.count(cards)) {
        state.SkipWithError("no imported book");
        return;
    }
    const QString out = folder() + QStringLiteral("/export-%1.vcf").arg(cards);
    Usage usage{};
    double wall = 0;
    for (auto _ : state) {
        QFile::remove(out);
        const auto start = std::chrono::steady_clock::now();
        usage = runBook({"--book", importedBooks[cards], "export", out});
        wall = secondsSince(start);
        if (usage.exitCode != 0)
            state.SkipWithError("export failed");
    }
    state.counters["cards_per_s_wall"] = double(cards) / wall;
    state.counters["cards_per_s_cpu"] = double(cards) / usage.cpuSeconds;
    state.counters["x_import_wall"] = wall / importWall[cards];
    state.counters["peak_rss_MB"] = double(usage.maxRssKb) / 1024.0;
    QFile::remove(out);
}
} // namespace

BENCHMARK(Floor_ReadFileBytes)->Arg(Small)->Arg(Large)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Floor_ProgramStartAndCount)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Read_Cards)->Arg(Large)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Import_QuorvelBook)
    ->Arg(Small)
    ->Arg(Large)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(Export_QuorvelBook)
    ->Arg(Small)
    ->Arg(Large)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_MAIN();
