// The console report of a Google Benchmark run, keeping each run's CPU time per iteration so
// that a goal can be printed as a ratio of two runs of the same process.
// Used by the benchmark programs in bench/.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Runs are named by function and arguments ("BM_DrawingPass/tick/1000"); a benchmark that
// repeats keeps its "least" aggregate, the run least disturbed on a shared machine.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred ||
                (run.run_type == Run::RT_Aggregate && run.aggregate_name != "least")) {
                continue;
            }
            const auto& name = run.run_name;
            // The aggregate comes after its repetitions, so it is the one kept.
            m_cpu[name.function_name + (name.args.empty() ? "" : "/" + name.args)] =
                run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // "what  a/b (goal <= goal)", when both ran.
    void PrintRatio(const char* what, const std::string& a, const std::string& b,
                    double goal) const {
        const auto x = m_cpu.find(a);
        const auto y = m_cpu.find(b);
        if (x != m_cpu.end() && y != m_cpu.end() && y->second > 0) {
            std::printf("%-40s %6.2f (goal <= %.1f)\n", what, x->second / y->second, goal);
        }
    }

private:
    std::map<std::string, double> m_cpu;
};
