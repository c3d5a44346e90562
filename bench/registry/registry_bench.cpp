// How GetRegValue's reading of the machine registry grows with the file: a UTF-16 export of
// n keys, as regedit writes one, with the card's key near its end, opened and both values read.
// Run a Release build: build/release/bench/registry/registry_bench
// Goal, printed at the end: the time per key at 1,000,000 keys at most 2 times that at 10,000
// (reading is linear in the file's size). Every size reads on fresh pages, as a first click
// does: left to itself the allocator would hand small sizes the memory it freed the iteration
// before and map large ones afresh, and the ratio would set warm against cold. max_rss_MiB is
// the process's peak so far; the sizes run in ascending order, so each shows its own.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "registry.h"

namespace {

constexpr long kFewestKeys = 10'000;
constexpr long kMostKeys = 1'000'000;

// Sets VANDREL_PREFIX to a fresh folder for the object's lifetime.
class Prefix {
public:
    Prefix() {
        char folder[] = "/tmp/vandrel-bench-XXXXXX";
        m_path = mkdtemp(folder);
        setenv("VANDREL_PREFIX", m_path.c_str(), 1);
    }
    ~Prefix() {
        unsetenv("VANDREL_PREFIX");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    Prefix(const Prefix&) = delete;
    Prefix& operator=(const Prefix&) = delete;
    std::string m_path;
};

// Writes keys keys, a component's registration each, in UTF-16LE after a BOM; returns the
// file's size in bytes.
std::uintmax_t WriteExport(const std::string& path, long keys) {
    std::ofstream file(path, std::ios::binary);
    std::string wide;
    const auto write = [&](const std::string& text) {
        wide.clear();
        for (const char c : text) {
            wide += c;
            wide += '\0';
        }
        file << wide;
    };
    file << "\xFF\xFE";
    write("Windows Registry Editor Version 5.00\r\n\r\n");
    char key[400];
    for (long i = 0; i < keys; ++i) {
        if (i == keys - keys / 100) {
            write(
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 1]\r\n"
                "\"ChannelID\"=dword:00000001\r\n\"Card State\"=\"ready\"\r\n\r\n");
        }
        std::snprintf(key, sizeof key,
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{%08lX-0000-4000-8000-%012lX}"
                      "\\InprocServer32]\r\n@=\"C:\\\\Windows\\\\System32\\\\component%ld.dll\"\r\n"
                      "\"ThreadingModel\"=\"Both\"\r\n\r\n",
                      i, i * 7919, i);
        write(key);
    }
    file.close();
    return std::filesystem::file_size(path);
}

// One click of GetRegValue: the key opened, both values read into 100 bytes, the key closed.
void BM_GetRegValue(benchmark::State& state) {
    const Prefix prefix;
    const auto bytes = WriteExport(prefix.m_path + "/system.reg", state.range(0));
    for (auto _ : state) {
        HKEY key = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ostrand\\Quellar\\DVB Card 1", &key) !=
            ERROR_SUCCESS) {
            state.SkipWithError("the card's key was not found");
            break;
        }
        BYTE value[200];
        for (const char* name : {"ChannelID", "Card State"}) {
            DWORD size = 100;
            if (RegQueryValueExA(key, name, nullptr, nullptr, value, &size) != ERROR_SUCCESS) {
                state.SkipWithError("a value was not found");
            }
        }
        RegCloseKey(key);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_MiB"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["max_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(BM_GetRegValue)
    ->Arg(kFewestKeys)
    ->Arg(30'000)
    ->Arg(100'000)
    ->Arg(300'000)
    ->Arg(kMostKeys)
    ->Unit(benchmark::kMillisecond);

// Keeps each size's CPU time per key (in ms, the runs' unit) for the figures at the end.
class PerKeyReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                const long keys = std::stol(run.run_name.args);
                m_perKey[keys] = run.GetAdjustedCPUTime() / static_cast<double>(keys);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintPerKey() const {
        for (const auto& [keys, time] : m_perKey) {
            std::printf("time per key at %7ld keys: %8.1f ns\n", keys, time * 1e6);
        }
        const auto most = m_perKey.find(kMostKeys);
        const auto fewest = m_perKey.find(kFewestKeys);
        if (most != m_perKey.end() && fewest != m_perKey.end() && fewest->second > 0) {
            std::printf("%-40s %6.2f (goal <= 2.0)\n", "time per key, 1,000,000 / 10,000 keys",
                        most->second / fewest->second);
        }
    }

private:
    std::map<long, double> m_perKey;
};

}  // namespace

int main(int argc, char** argv) {
    // Fixed thresholds: blocks from 128 KiB are mapped afresh and free memory is given back.
    mallopt(M_MMAP_THRESHOLD, 128 << 10);
    mallopt(M_TRIM_THRESHOLD, 128 << 10);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    PerKeyReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintPerKey();
    benchmark::Shutdown();
    return 0;
}
