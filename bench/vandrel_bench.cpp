// Speed goals of the traffic monitor, beside one raw kernel read as the anchor of the run.
// Run a Release build (the view renders off screen, no display is needed):
//   cmake --preset release && cmake --build build/release && build/release/bench/vandrel_bench
// Goals: BM_RegQueryValueEx (one fresh query of the kernel's counters) under 50 us;
// BM_DrawingPass/tick/10 under 1 ms and /100 under 10 ms, with the default snapshot reuse.
// tick_and_paint adds the paint that the tick schedules. tick_no_reuse shows what the shared
// snapshot saves: each of a pass's 2n queries then builds a block of n interfaces afresh.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "perf_data_source.h"
#include "registry.h"
#include "vandrel_view.h"

// Defined beside theApp in the program.
CString g_strGroupIP;

namespace {

using namespace std::chrono_literals;

void BM_ReadLinkStats(benchmark::State& state) {
    for (auto _ : state) {
        auto samples = ReadLinkStats();
        if (!samples) {
            state.SkipWithError("netlink unavailable");
            break;
        }
        benchmark::DoNotOptimize(samples);
    }
}
BENCHMARK(BM_ReadLinkStats)->Unit(benchmark::kMicrosecond);

void BM_RegQueryValueEx(benchmark::State& state) {
    SetPerfDataSnapshotReuse(0ns);
    std::vector<BYTE> buffer(40960);
    for (auto _ : state) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (RegQueryValueExA(HKEY_PERFORMANCE_DATA, "510", nullptr, nullptr, buffer.data(),
                             &size) != ERROR_SUCCESS) {
            state.SkipWithError("query failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    SetPerfDataSnapshotReuse(kDefaultSnapshotReuse);
}
BENCHMARK(BM_RegQueryValueEx)->Unit(benchmark::kMicrosecond);

// Timer ticks of a shown view over state.range(0) synthesised interfaces whose counters grow
// between reads.
void BM_DrawingPass(benchmark::State& state, std::chrono::nanoseconds reuse, bool paint) {
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<InterfaceSample> samples;
    for (std::size_t i = 0; i < count; ++i) {
        samples.push_back({"eth" + std::to_string(i), i << 20, i << 21, 1'000'000'000});
    }
    SetInterfaceSampleSource([&samples] {
        for (InterfaceSample& sample : samples) {
            sample.rxBytes += 1500;
            sample.txBytes += 1000;
        }
        return std::optional(samples);
    });
    SetPerfDataSnapshotReuse(reuse);
    {
        std::unique_ptr<CVandrelView> view(
            dynamic_cast<CVandrelView*>(RUNTIME_CLASS(CVandrelView)->CreateObject()));
        view->Create(nullptr, nullptr);
        view->OnInitialUpdate();
        view->KillTimer(2);
        view->ShowWindow(SW_SHOW);
        for (auto _ : state) {
            view->SendMessage(WM_TIMER, 2);
            if (paint) {
                QCoreApplication::processEvents();
            }
        }
        if (view->GetRetainedSurface().size() != 3 * count) {
            state.SkipWithError("not every interface was drawn");
        }
    }
    SetInterfaceSampleSource({});
    SetPerfDataSnapshotReuse(kDefaultSnapshotReuse);
}
BENCHMARK_CAPTURE(BM_DrawingPass, tick, kDefaultSnapshotReuse, false)
    ->Arg(2)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DrawingPass, tick_and_paint, kDefaultSnapshotReuse, true)
    ->Arg(2)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DrawingPass, tick_no_reuse, 0ns, false)
    ->Arg(2)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    QApplication application(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
