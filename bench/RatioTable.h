#pragma once

// Prints, after the usual console output, each operation's time beside its
// floor of the same run and size, the ratio of the two, and how the time
// grows from the smallest book to the largest. Times are CPU time of the
// process (its worker threads included): on a machine shared with other work
// the wall clock mostly measures the others.
#include <benchmark/benchmark.h>

#include <QtGlobal>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioTable : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            std::string name = run.benchmark_name(); // "Op/N", "Op/N/process_time"
            if (const auto suffix = name.find("/process_time"); suffix != std::string::npos)
                name.erase(suffix);
            const auto slash = name.rfind('/');
            const std::string op = name.substr(0, slash);
            const qint64 n = std::stoll(name.substr(slash + 1));
            const double ns =
                run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            times_[op][n] = ns;
            if (op.rfind("Floor_", 0) != 0 && std::find(order_.begin(), order_.end(), op) == order_.end())
                order_.push_back(op);
        }
    }

    void print(const std::vector<qint64>& sizes) const {
        std::printf("\n%-24s", "operation");
        for (const qint64 n : sizes)
            std::printf(" | %12lld: us, floor, ratio", static_cast<long long>(n));
        std::printf(" | growth\n");
        for (const std::string& op : order_) {
            std::printf("%-24s", op.c_str());
            const auto& own = times_.at(op);
            const auto floor = times_.find("Floor_" + op);
            for (const qint64 n : sizes) {
                const auto t = own.find(n);
                if (t == own.end()) {
                    std::printf(" | %33s", "-");
                    continue;
                }
                if (floor == times_.end() || !floor->second.count(n)) {
                    std::printf(" | %9.1f %23s", t->second / 1e3, "");
                    continue;
                }
                const double f = floor->second.at(n);
                std::printf(" | %9.1f %9.1f %5.2fx     ", t->second / 1e3, f / 1e3, t->second / f);
            }
            if (own.count(sizes.front()) && own.count(sizes.back()))
                std::printf(" | %5.2fx", own.at(sizes.back()) / own.at(sizes.front()));
            std::printf("\n");
        }
        std::fflush(stdout);
    }

private:
    std::map<std::string, std::map<qint64, double>> times_;
    std::vector<std::string> order_;
};
